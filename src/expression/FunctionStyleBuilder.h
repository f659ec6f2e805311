#pragma once

#include "expression/BuildTypes.h"

#include <memory>

// Builds every row's new name from a format in the function style: the text is prepared, parsed once
// into a table of records, checked once, and the table is evaluated for every row in record order.
BuildResult buildPlanFunctionStyle(const QString& formatText, const BuildContext& context);

class RowNamer;
std::unique_ptr<RowNamer> prepareFunctionStyleNamer(const QString& formatText, const BuildContext& context);
