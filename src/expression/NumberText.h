#pragma once

#include "expression/RuntimeError.h"

#include <QString>
#include <QStringView>

// A number read from text, or the error that reading it raises.
struct NumberRead {
    double value = 0.0;
    RuntimeError error = RuntimeError::None;

    [[nodiscard]] bool ok() const { return error == RuntimeError::None; }
};

// Reads a whole text as a number: blanks around it, an optional sign, digits with optional ','
// group separators, an optional decimal point and an optional exponent ("1E+20"). Anything else is a
// type mismatch; a value beyond the range of a double is an overflow.
NumberRead readNumber(QStringView text);
bool looksLikeNumber(QStringView text);

// The shortest plain form of a number, at most 15 significant digits: "3", "2.5", "-1", "1E+20",
// "1E-05".
QString numberText(double value);

// Rounds to the nearest whole number, halves to the even neighbour; fails when outside 32 bits.
NumberRead roundToInt32(double value);
