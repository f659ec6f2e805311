#include "platform/ControlCharacters.h"

#include <algorithm>

bool hasControlCharacters(const QString& text) noexcept {
    return std::any_of(text.cbegin(), text.cend(), isControlCharacter);
}

QString withVisibleControls(const QString& text) {
    if (!hasControlCharacters(text))
        return text;
    QString shown = text;
    for (QChar& c : shown) {
        if (c.unicode() == 0x7f)
            c = QChar(0x2421);
        else if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
    }
    return shown;
}
