#pragma once

#include <QString>

// A value for the formatter: a text or a number. Dates travel as date values (days since
// 1899-12-30, the fraction being the time of day).
struct FormatArgument {
    bool isNumber = false;
    QString text;
    double number = 0.0;

    static FormatArgument fromText(QString text) { return {false, std::move(text), 0.0}; }
    static FormatArgument fromNumber(double number) { return {true, QString(), number}; }
};

// firstDayOfWeek 1 = Sunday … 7 = Saturday; firstWeekOfYear 1 = the week that holds January 1,
// 2 = the first week with at least four days of the new year, 3 = the first full week.
// 0 or a value out of range means the Japanese default (Sunday, the week that holds January 1).
struct WeekRules {
    int firstDayOfWeek = 1;
    int firstWeekOfYear = 1;
};

// Picture-pattern formatting of a value, in the Japanese rendering. A text that reads as a number
// or a date takes numeric and date patterns as that number or date; any other text comes back
// unchanged from them. Values the pattern cannot show (not finite, dates outside the years 100
// to 9999) come back in their plain form.
QString formatWithPattern(const FormatArgument& value, const QString& pattern, const WeekRules& rules = {});
