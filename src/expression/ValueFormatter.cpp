#include "expression/ValueFormatter.h"

QString formatWithPattern(const FormatArgument& value, const QString& pattern, const WeekRules& rules)
{
    Q_UNUSED(pattern)
    Q_UNUSED(rules)
    return value.text;
}
