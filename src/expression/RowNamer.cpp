#include "expression/RowNamer.h"

#include "expression/FormatFrontEnd.h"
#include "expression/FormatStyleBuilder.h"
#include "expression/FunctionStyleBuilder.h"
#include "filelist/FileRow.h"
#include "platform/TwoHalves.h"
#include "platform/UserPrompt.h"

#include <atomic>
#include <future>

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
    const std::size_t count = context.rows.size();
    // Names that do not depend on one another are made in two halves at once: the second by a namer of its own on
    // a thread, which tells the user nothing. From the first row where it could not go on, or had something to
    // say, the rows are named again here, after the first half, so that the user is told what and when a build
    // in order would tell.
    std::size_t half = count;
    std::atomic<bool> firstHalfFailed = false;
    std::future<std::size_t> secondHalf;
    if (!namer->dependsOnOrder() && count >= kTwoHalvesFrom) {
        half = count / 2;
        secondHalf = std::async(std::launch::async, [&formatText, &context, prepare, &firstHalfFailed, half, count,
                                                     rows = result.rows.data()] {
            // Stands in for the user: answers as each question proposes, and notes that something was to be told,
            // so that the row is named again where the user hears of it.
            SilentPrompt silent;
            const BuildContext quiet{context.rows, context.options, silent, context.clock, context.fs};
            const std::unique_ptr<RowNamer> own = prepare(formatText, quiet);
            std::size_t i = half;
            while (own && !silent.asked() && i < count && !firstHalfFailed) {
                if (!own->nameRow(i, rows[i]) || silent.asked())
                    break;
                ++i;
            }
            return i;
        });
    }
    for (std::size_t i = 0; i < half; ++i) {
        if (!namer->nameRow(i, result.rows[i])) {
            firstHalfFailed = true;
            if (secondHalf.valid())
                secondHalf.wait();
            return result;
        }
    }
    for (std::size_t i = secondHalf.valid() ? secondHalf.get() : half; i < count; ++i) {
        result.rows[i] = {}; // whatever the other namer began here
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
