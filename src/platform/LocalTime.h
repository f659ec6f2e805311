#pragma once

#include "platform/DateValue.h"

#include <optional>

// The process's local time zone (TZ, or the system's), read once and then kept.
namespace LocalTime {
DateValue::Civil civilFromSecs(qint64 secsSinceEpoch);
// Nothing when the local time does not exist or cannot be represented.
std::optional<qint64> secsFromCivil(const DateValue::Civil& civil);
} // namespace LocalTime
