#pragma once

#include "expression/BuildTypes.h"

#include <memory>

// Builds every row's new name from a format in the segment notation: text copied as it stands, each
// segment between two bars replaced by a formatted name part, size, date or sequence number.
BuildResult buildPlanFormatStyle(const QString& formatText, const BuildContext& context);

class RowNamer;
std::unique_ptr<RowNamer> prepareFormatStyleNamer(const QString& formatText, const BuildContext& context);
