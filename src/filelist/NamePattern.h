#pragma once

#include <QString>

// Whether the whole text matches the pattern: "?" any one character, "*" any run of characters,
// "#" one digit 0-9, "[...]" one character of the list (ranges such as a-z allowed), "[!...]" one
// character not in it; anything else matches itself. Letter case counts: callers lower-case both
// sides where it should not. A pattern with an unclosed '[' matches nothing.
bool matchesNamePattern(const QString& text, const QString& pattern);

// The add filter's test for one chosen file: "*.*" accepts every name, otherwise both sides are
// lower-cased and matched by the rule above.
bool passesAddFilter(const QString& name, const QString& wildCard);
