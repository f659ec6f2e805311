#include "expression/FormatStyleBuilder.h"
#include "expression/FunctionStyleBuilder.h"
#include "filelist/FileRow.h"
#include "platform/UserPrompt.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/SystemClock.h"

#include <benchmark/benchmark.h>

namespace {

// Rows as an add leaves them: names and folders, the details not read.
std::vector<FileRow> listedRows(int count) {
    std::vector<FileRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    const QString folder = QStringLiteral("/home/user/photos/");
    for (int i = 0; i < count; ++i) {
        rows.push_back(
            {QStringLiteral("photo_") + QString::number(i).rightJustified(6, QLatin1Char('0')) + QStringLiteral(".jpg"),
             folder,
             {}});
    }
    return rows;
}

// Rows whose details were read, their sizes and times differing from row to row.
std::vector<FileRow> detailedRows(int count) {
    std::vector<FileRow> rows = listedRows(count);
    for (int i = 0; i < count; ++i)
        rows[static_cast<std::size_t>(i)].details = {qint64{i} * 37, 1706659507 + i, 0, RowDetails::State::Read};
    return rows;
}

template <typename Builder>
void runBuild(benchmark::State& state,
              const QString& format,
              bool alwaysFunction,
              Builder build,
              std::vector<FileRow> (*makeRows)(int) = listedRows) {
    const std::vector<FileRow> rows = makeRows(static_cast<int>(state.range(0)));
    LinuxFileSystem fs;
    SystemClock clock;
    SilentPrompt prompt;
    BuildOptions options;
    options.alwaysFunction = alwaysFunction;
    for (auto _ : state) {
        BuildResult result = build(format, {rows, options, prompt, clock, fs});
        if (result.status != BuildStatus::Built)
            state.SkipWithError("the build failed");
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BuildPlanFormatStyle(benchmark::State& state) {
    runBuild(state, QStringLiteral("|f:|_|n,1,n+1:00000|.|e:|"), false, buildPlanFormatStyle);
}

void BuildPlanFunctionStyle(benchmark::State& state) {
    runBuild(state, QStringLiteral("left(fn,3) & \"_\" & format(number(\"n\",1,\"n+1\"),\"00000\") & \".\" & ex"), true,
             buildPlanFunctionStyle);
}

// Formats that read the sizes and times the rows hold, which are made into texts as the build asks.
void BuildPlanFormatStyleDetails(benchmark::State& state) {
    runBuild(state, QStringLiteral("|f:|_|s:|_|m:yyyymmdd_hhnnss|.|e:|"), false, buildPlanFormatStyle, detailedRows);
}

void BuildPlanFunctionStyleDetails(benchmark::State& state) {
    runBuild(state, QStringLiteral("fn & \"_\" & size & \".\" & ex"), true, buildPlanFunctionStyle, detailedRows);
}

} // namespace

BENCHMARK(BuildPlanFormatStyle)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BuildPlanFunctionStyle)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BuildPlanFormatStyleDetails)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BuildPlanFunctionStyleDetails)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
