#pragma once

#include "expression/ValueFormatter.h"

// The format style's pattern formatting: the value formatter plus "?" (keep only as many characters or
// digits as the pattern has placeholders), "*" (delete the character facing it) and, for texts, the
// choice to return the value unchanged when the pattern is empty.
QString formatValue(const FormatArgument& value, QString pattern, bool keepUnformatted);
