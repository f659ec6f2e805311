#include "platform/ControlCharacters.h"

#include <algorithm>

bool hasControlCharacters(const QString& text) noexcept {
    // Every path of a log goes through here: blocks of characters are looked at without a branch for each one,
    // which the compiler turns into vector instructions.
    constexpr qsizetype kBlock = 16;
    const char16_t* units = QStringView(text).utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
    for (; i + kBlock <= size; i += kBlock) {
        bool found = false;
        for (qsizetype k = i; k < i + kBlock; ++k)
            found |= isControlCharacter(QChar(units[k]));
        if (found)
            return true;
    }
    return std::any_of(units + i, units + size, [](char16_t c) { return isControlCharacter(QChar(c)); });
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
