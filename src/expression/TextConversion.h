#pragma once

#include "expression/RuntimeError.h"

#include <QString>

// strconv's conversions, added together: 1 upper case, 2 lower case, 3 a capital for every word,
// 4 half-width to full-width, 8 full-width to half-width, 16 hiragana to katakana, 32 katakana to
// hiragana. 64 and 128 convert to and from a multi-byte code page, which names here never need: they
// change nothing. Contradicting codes (4 with 8, 16 with 32) and unknown bits are invalid.
struct ConversionResult {
    QString text;
    RuntimeError error = RuntimeError::None;
};

ConversionResult convertText(const QString& text, int conversion);
