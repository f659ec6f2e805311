#include "platform/LocalTime.h"

#include <ctime>

namespace LocalTime {

DateValue::Civil civilFromSecs(qint64 secsSinceEpoch) {
    // localtime_r reads the zone once; asking for it again each time would look at the zone file per call.
    static const bool zoneRead = [] {
        tzset();
        return true;
    }();
    (void)zoneRead;
    const auto t = static_cast<time_t>(secsSinceEpoch);
    struct tm tm {};
    if (localtime_r(&t, &tm) == nullptr)
        return {};
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::optional<qint64> secsFromCivil(const DateValue::Civil& civil) {
    struct tm tm {};
    tm.tm_year = civil.year - 1900;
    tm.tm_mon = civil.month - 1;
    tm.tm_mday = civil.day;
    tm.tm_hour = civil.hour;
    tm.tm_min = civil.minute;
    tm.tm_sec = civil.second;
    tm.tm_isdst = -1;
    const time_t t = mktime(&tm);
    if (t == static_cast<time_t>(-1) && !(civil.year == 1970 && civil.month == 1 && civil.day == 1))
        return std::nullopt;
    return static_cast<qint64>(t);
}

} // namespace LocalTime
