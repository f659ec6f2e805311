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

// firstDayOfWeek 1 = Sunday … 7 = Saturday; firstWeekOfYear 1 = the week that holds January 1.
struct WeekRules {
    int firstDayOfWeek = 1;
    int firstWeekOfYear = 1;
};

// Picture-pattern formatting of a value, in the Japanese rendering.
QString formatWithPattern(const FormatArgument& value, const QString& pattern, const WeekRules& rules = {});
