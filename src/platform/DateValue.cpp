#include "platform/DateValue.h"

#include "platform/LocalTime.h"

#include <QDate>
#include <QTime>

#include <cmath>

namespace DateValue {
namespace {

constexpr qint64 kSecondsPerDay = 86400;
// The Julian day of 1899-12-30, day 0 of date values.
constexpr qint64 kDayZero = 2415019;

void appendPadded(QString& out, int value, int width) {
    const QString digits = QString::number(value);
    for (qsizetype i = digits.size(); i < width; ++i)
        out += QLatin1Char('0');
    out += digits;
}

void appendDate(QString& out, const Civil& c) {
    appendPadded(out, c.year, 4);
    out += QLatin1Char('/');
    appendPadded(out, c.month, 2);
    out += QLatin1Char('/');
    appendPadded(out, c.day, 2);
}

void appendTime(QString& out, const Civil& c) {
    out += QString::number(c.hour);
    out += QLatin1Char(':');
    appendPadded(out, c.minute, 2);
    out += QLatin1Char(':');
    appendPadded(out, c.second, 2);
}

} // namespace

double fromCivil(const Civil& civil) {
    const qint64 days = QDate(civil.year, civil.month, civil.day).toJulianDay() - kDayZero;
    const double fraction =
        static_cast<double>(civil.hour * 3600 + civil.minute * 60 + civil.second) / static_cast<double>(kSecondsPerDay);
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

double fromDateTime(const QDateTime& local) {
    const QDate d = local.date();
    const QTime t = local.time();
    return fromCivil({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()});
}

double fromSecsSinceEpoch(qint64 secs) {
    return fromCivil(LocalTime::civilFromSecs(secs));
}

std::optional<Civil> toCivil(double value) {
    // Years 100 to 9999, the range date values are meant for.
    if (!std::isfinite(value) || value < -657435.0 || value >= 2958466.0)
        return std::nullopt;
    const double whole = std::trunc(value);
    qint64 days = static_cast<qint64>(whole);
    // To the nearest millisecond first, so that float noise never loses a second; then the
    // milliseconds are dropped.
    qint64 secs = std::llround(std::fabs(value - whole) * static_cast<double>(kSecondsPerDay) * 1000.0) / 1000;
    if (secs >= kSecondsPerDay) {
        secs -= kSecondsPerDay;
        ++days;
    }
    const QDate date = QDate::fromJulianDay(kDayZero + days);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return std::nullopt;
    const int s = static_cast<int>(secs);
    return Civil{date.year(), date.month(), date.day(), s / 3600, (s / 60) % 60, s % 60};
}

std::optional<QDateTime> toDateTime(double value) {
    const auto civil = toCivil(value);
    if (!civil)
        return std::nullopt;
    return QDateTime(QDate(civil->year, civil->month, civil->day), QTime(civil->hour, civil->minute, civil->second),
                     Qt::LocalTime);
}

std::optional<qint64> toSecsSinceEpoch(double value) {
    const auto civil = toCivil(value);
    if (!civil)
        return std::nullopt;
    return LocalTime::secsFromCivil(*civil);
}

QString generalDateText(const Civil& civil) {
    QString out;
    out.reserve(19);
    const bool dayZero = civil.year == 1899 && civil.month == 12 && civil.day == 30;
    const bool midnight = civil.hour == 0 && civil.minute == 0 && civil.second == 0;
    if (!dayZero) {
        appendDate(out, civil);
        if (midnight)
            return out;
        out += QLatin1Char(' ');
    }
    appendTime(out, civil);
    return out;
}

QString generalDateText(double value) {
    const auto civil = toCivil(value);
    return civil ? generalDateText(*civil) : QString();
}

QString shortDateText(double value) {
    const auto civil = toCivil(value);
    if (!civil)
        return {};
    QString out;
    appendDate(out, *civil);
    return out;
}

} // namespace DateValue
