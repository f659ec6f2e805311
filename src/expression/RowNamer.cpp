#include "expression/RowNamer.h"

#include "expression/FormatFrontEnd.h"
#include "expression/FormatStyleBuilder.h"
#include "expression/FunctionStyleBuilder.h"
#include "filelist/FileRow.h"
#include "platform/UserPrompt.h"

namespace {

// The details a namer reads are read for all rows at once, a folder at a time, before the first row is named.
std::unique_ptr<RowNamer> readyToName(std::unique_ptr<RowNamer> namer, const BuildContext& context) {
    if (namer && namer->readsRowDetails())
        readRowDetails(context.fs, context.rows);
    return namer;
}

std::unique_ptr<RowNamer> prepareInItsStyle(const QString& formatText, const BuildContext& context) {
    return chooseStyle(formatText, context.options.alwaysFunction) == FormatStyle::Function
               ? prepareFunctionStyleNamer(formatText, context)
               : prepareFormatStyleNamer(formatText, context);
}

} // namespace

BuildResult buildWithNamer(const QString& formatText, const BuildContext& context, NamerFactory prepare) {
    auto started = startBuild(formatText, context.rows.size());
    if (!started)
        return {};
    BuildResult result = std::move(*started);
    const std::unique_ptr<RowNamer> namer = readyToName(prepare(formatText, context), context);
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

bool formatReadsRowDetails(const QString& formatText,
                           const BuildOptions& options,
                           const Clock& clock,
                           const FileSystem& fs) {
    if (isBlankFormat(formatText))
        return false;
    const std::vector<FileRow> noRows;
    SilentPrompt silent;
    const BuildContext context{noRows, options, silent, clock, fs};
    const auto namer = prepareInItsStyle(formatText, context);
    return namer && namer->readsRowDetails();
}

std::unique_ptr<RowNamer> prepareNamer(const QString& formatText, const BuildContext& context, BuildStatus& status) {
    if (isBlankFormat(formatText)) {
        status = BuildStatus::Blank;
        return nullptr;
    }
    auto namer = readyToName(prepareInItsStyle(formatText, context), context);
    status = namer ? BuildStatus::Built : BuildStatus::Failed;
    return namer;
}
