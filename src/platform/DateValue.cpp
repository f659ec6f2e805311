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

// The texts are put together in a buffer on the stack and copied out once.
class DateTextBuffer {
public:
    // The value as QString::number writes it, with zeros in front up to width characters.
    void appendPadded(int value, int width) {
        char16_t digits[11];
        int count = 0;
        auto magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
        do {
            digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            digits[count++] = u'-';
        for (int i = count; i < width; ++i)
            m_chars[m_size++] = u'0';
        while (count > 0)
            m_chars[m_size++] = digits[--count];
    }
    void append(char16_t c) { m_chars[m_size++] = c; }
    void appendDate(const Civil& c) {
        appendPadded(c.year, 4);
        append(u'/');
        appendPadded(c.month, 2);
        append(u'/');
        appendPadded(c.day, 2);
    }
    void appendTime(const Civil& c) {
        appendPadded(c.hour, 1);
        append(u':');
        appendPadded(c.minute, 2);
        append(u':');
        appendPadded(c.second, 2);
    }
    [[nodiscard]] QString text() const { return QStringView(m_chars, m_size).toString(); }

private:
    // Six numbers of at most eleven characters and five separators.
    char16_t m_chars[6 * 11 + 5];
    qsizetype m_size = 0;
};

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
    auto days = static_cast<qint64>(whole);
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
    DateTextBuffer out;
    const bool dayZero = civil.year == 1899 && civil.month == 12 && civil.day == 30;
    const bool midnight = civil.hour == 0 && civil.minute == 0 && civil.second == 0;
    if (!dayZero) {
        out.appendDate(civil);
        if (midnight)
            return out.text();
        out.append(u' ');
    }
    out.appendTime(civil);
    return out.text();
}

QString generalDateText(double value) {
    const auto civil = toCivil(value);
    return civil ? generalDateText(*civil) : QString();
}

QString shortDateText(double value) {
    const auto civil = toCivil(value);
    if (!civil)
        return {};
    DateTextBuffer out;
    out.appendDate(*civil);
    return out.text();
}

} // namespace DateValue
