#pragma once

#include <QStringView>

#include <optional>

// Reads a text as a local date value: at least every text the value formatter writes with date
// patterns. Dates are year, month, day with "/" or "-" ("2000/01/31", "2000-1-31") or in the
// Japanese long form ("2000年1月31日"), the year in four digits, or in two with "/" (00-29 being 2000-2029);
// a time ("9:05", "12:00:00", with "AM"/"PM" or "午前"/"午後" before or after it) may follow or
// stand alone, giving a day-0 value. A plain number is not a date.
std::optional<double> readDateText(QStringView text);
