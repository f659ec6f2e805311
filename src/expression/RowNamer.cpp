#include "expression/RowNamer.h"

#include "expression/FormatFrontEnd.h"
#include "expression/FormatStyleBuilder.h"
#include "expression/FunctionStyleBuilder.h"
#include "filelist/FileRow.h"

BuildResult buildWithNamer(const QString& formatText, const BuildContext& context, NamerFactory prepare) {
    auto started = startBuild(formatText, context.rows.size());
    if (!started)
        return {};
    BuildResult result = std::move(*started);
    const std::unique_ptr<RowNamer> namer = prepare(formatText, context);
    if (!namer)
        return result;
    result.changeMask = namer->changeMask();
    for (std::size_t i = 0; i < context.rows.size(); ++i) {
        if (!namer->nameRow(i, result.rows[i]))
            return result;
    }
    result.status = BuildStatus::Built;
    return result;
}

std::unique_ptr<RowNamer> prepareNamer(const QString& formatText, const BuildContext& context, BuildStatus& status) {
    if (isBlankFormat(formatText)) {
        status = BuildStatus::Blank;
        return nullptr;
    }
    auto namer = chooseStyle(formatText, context.options.alwaysFunction) == FormatStyle::Function
                     ? prepareFunctionStyleNamer(formatText, context)
                     : prepareFormatStyleNamer(formatText, context);
    status = namer ? BuildStatus::Built : BuildStatus::Failed;
    return namer;
}
