#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>

// A fast hash of the text's UTF-16 code units for the program's own tables of names and paths. Qt's string
// hash is built to resist chosen collisions and costs many times more on the short texts hashed here.
std::size_t hashText(QStringView text, std::size_t seed = 0) noexcept;

// A table key that is a view of text kept elsewhere; the text must outlive the table.
struct TextKey {
    QStringView text;

    friend bool operator==(TextKey a, TextKey b) noexcept { return a.text == b.text; }
};

inline std::size_t qHash(TextKey key, std::size_t seed = 0) noexcept {
    return hashText(key.text, seed);
}

// Whether folding letter case leaves the text as it is, told at a glance: true only for ASCII without
// capital letters, false for any other text even when it would fold to itself.
bool foldsToItself(QStringView text) noexcept;

// The text as QString::toCaseFolded gives it, without looking up each letter when it folds to itself.
QString caseFolded(const QString& text);
