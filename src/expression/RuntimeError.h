#pragma once

#include <QString>

#include <cstdint>

// Errors of evaluation, reported by number with their description.
enum class RuntimeError : std::uint8_t {
    None = 0,
    InvalidCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    DivisionByZero = 11,
    TypeMismatch = 13,
};

int errorNumber(RuntimeError error);
QString errorDescription(RuntimeError error);
