#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Date values: days since 1899-12-30 00:00 local time, the fraction being the time of day. For a
// negative value the fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
namespace DateValue {

struct Civil {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

double fromCivil(const Civil& civil);
double fromDateTime(const QDateTime& local);
// The local time of an instant, to the whole second.
double fromSecsSinceEpoch(qint64 secs);

// Whole seconds, milliseconds dropped; nothing when the value lies outside the years 100 to 9999 or is not finite.
std::optional<Civil> toCivil(double value);
std::optional<QDateTime> toDateTime(double value);
std::optional<qint64> toSecsSinceEpoch(double value);

// "yyyy/MM/dd H:mm:ss"; the time is left out at exactly midnight, the date on day 0.
QString generalDateText(double value);
QString generalDateText(const Civil& civil);
// "yyyy/MM/dd"
QString shortDateText(double value);

} // namespace DateValue
