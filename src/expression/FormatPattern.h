#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <vector>

class QLocale;

// Picture patterns parsed into sections of tokens, which the value formatter renders.
namespace FormatPattern {

enum class SectionKind { Empty, Literal, Number, Date, Text };

enum class Element : quint8 {
    Literal,
    DigitZero,
    DigitHash,
    DecimalPoint,
    Percent,
    Exponent,
    Year4,
    Year2,
    DayOfYear,
    Month,
    Month2,
    MonthShort,
    MonthLong,
    Day,
    Day2,
    WeekdayShort,
    WeekdayLong,
    ShortDate,
    LongDate,
    WeekdayNumber,
    WeekOfYear,
    Quarter,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    AmPm,
    AmPmLocale,
    GeneralDate,
    LongTime,
    CharOrBlank,
    CharOrNothing,
};

struct Token {
    Element element = Element::Literal;
    QString text; // a literal; the morning marker of AmPm; the letter of an exponent
    QString alt;  // the afternoon marker of AmPm
    char16_t sign = 0;
    int zeros = 0; // exponent digits always shown
};

struct Section {
    SectionKind kind = SectionKind::Empty;
    std::vector<Token> tokens;
    // numbers
    int integerDigits = 0;
    int fractionDigits = 0;
    bool grouping = false;
    int thousandsScale = 0;
    bool percent = false;
    bool scientific = false;
    size_t anchor = 0; // where the integer digits go when there is no placeholder before the point
    // dates
    bool twelveHour = false;
    // texts
    bool leftToRight = false;
    int textCase = 0; // -1 lower, 1 upper
    int placeholders = 0;
};

struct ParsedPattern {
    bool generalNumber = false;
    bool numbersOnly = false; // texts that are not numbers pass through, whatever the sections hold
    std::vector<Section> sections;
};

// The parsed form of a pattern; the last few patterns of this thread are kept, since a run formats many
// rows with the same few patterns.
const ParsedPattern& cachedPattern(const QString& pattern);

// The locale that month and day names, AM/PM and the currency symbol come from.
const QLocale& japanese();

} // namespace FormatPattern
