#pragma once

#include <QString>

#include <cstdint>

// File attribute bits as the rest of the program knows them.
namespace AttributeBits {
constexpr qint32 kReadOnly = 1;
constexpr qint32 kHidden = 2;
constexpr qint32 kSystem = 4;
constexpr qint32 kDirectory = 16;
constexpr qint32 kArchive = 32;
// The bits a change of attributes sets and clears.
constexpr qint32 kSettable = kReadOnly | kHidden | kSystem | kArchive;
// What a path that does not exist reads as.
constexpr qint32 kMissing = -1;
} // namespace AttributeBits

// "R", "H", "S", "A" for the bits 1, 2, 4 and 32, in that order.
QString attributeLetters(qint32 bits);
