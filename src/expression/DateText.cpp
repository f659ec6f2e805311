#include "expression/DateText.h"

std::optional<double> readDateText(QStringView text)
{
    Q_UNUSED(text)
    return std::nullopt;
}
