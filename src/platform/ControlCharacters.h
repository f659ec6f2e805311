#pragma once

#include <QChar>
#include <QString>

// U+0000 to U+001F and U+007F: no file name should hold them, and printed as they are they break lines
// and drive terminals.
constexpr bool isControlCharacter(QChar c) noexcept {
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

bool hasControlCharacters(const QString& text) noexcept;

// The text with each control character shown as its picture (U+2400 to U+241F, U+2421); the text itself,
// shared, when it holds none.
QString withVisibleControls(const QString& text);
