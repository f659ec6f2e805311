#pragma once

#include "expression/FormatFrontEnd.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One record of the parse table. Records are numbered from 1 in creation order, and a record's
// arguments refer only to records before it.
struct ExprRecord {
    // "character" for a literal, "variable", "eval" for an arithmetic expression, otherwise the name of
    // the function called.
    QString kind;
    QStringList arguments;
};

struct ParseTable {
    std::vector<ExprRecord> records;
    // The records left at the top level, in their order: their values joined make the name.
    std::vector<int> topLevel;
};

// Parses a prepared text bottom-up: every variable, parenthesised expression and call becomes a
// record as soon as it is complete and is replaced in the working text by a reference to it.
// Nothing when the parentheses do not match or the table would grow too large (the user is told).
std::optional<ParseTable> parseFunctionText(const PreparedFormat& prepared, UserPrompt& prompt);

// Whether a word reads as a number and so stays in the text as it is.
bool isNumericWord(QStringView word);
