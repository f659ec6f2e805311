#pragma once

#include <QStringView>

#include <optional>

// Reads a text as a local date value: at least every text the value formatter writes with date
// patterns ("2000/01/31", "2000/01/31 12:00:00", "2000-01-31", times alone such as "12:00:00").
std::optional<double> readDateText(QStringView text);
