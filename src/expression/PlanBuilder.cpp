#include "expression/PlanBuilder.h"

#include "expression/FormatFrontEnd.h"
#include "expression/FormatStyleBuilder.h"
#include "expression/FunctionStyleBuilder.h"

BuildResult buildPlan(const QString& formatText, const BuildContext& context) {
    if (chooseStyle(formatText, context.options.alwaysFunction) == FormatStyle::Function)
        return buildPlanFunctionStyle(formatText, context);
    return buildPlanFormatStyle(formatText, context);
}
