#pragma once

#include "expression/BuildTypes.h"

// Builds every row's new name from a format in the function style: the text is prepared, parsed once
// into a table of records, checked once, and the table is evaluated for every row in record order.
BuildResult buildPlanFunctionStyle(const QString& formatText, const BuildContext& context);
