#include "BenchFiles.h"
#include "execution/PlanPreview.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/SystemClock.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace {

// The whole column for n rows of one folder, in slices of at most 10 ms as the window asks for them: the time
// to the complete column, and the longest slice.
void preview(benchmark::State& state, const QString& format, bool functionStyle) {
    const QString folder = benchFolder(static_cast<int>(state.range(0)));
    LinuxFileSystem fs;
    SystemClock clock;
    SilentPrompt prompt;
    NullWorkHost host;
    FileListModel list(fs);
    FileAdder(list, fs, prompt).addPendingFiles({folder, {QString()}}, {}, host);
    RunOptions options;
    options.build.alwaysFunction = functionStyle;
    double longest = 0;
    for (auto _ : state) {
        PlanPreview preview(fs, clock);
        QString message;
        preview.start(format, list.rows(), options, message);
        preview.prefer(0, 40);
        for (bool done = false; !done;) {
            const auto begin = std::chrono::steady_clock::now();
            done = preview.work(std::chrono::milliseconds(10));
            longest = std::max(
                longest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
        }
        benchmark::DoNotOptimize(preview.summary());
    }
    state.counters["longest_slice_ms"] = longest;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void PreviewFormatStyle(benchmark::State& state) {
    preview(state, QStringLiteral("|f:|_|n,1,n+1:00000|.|e:|"), false);
}

void PreviewFunctionStyle(benchmark::State& state) {
    preview(state, QStringLiteral("left(fn,3) & \"_\" & format(number(\"n\",1,\"n+1\"),\"00000\") & \".\" & ex"), true);
}

} // namespace

BENCHMARK(PreviewFormatStyle)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(PreviewFunctionStyle)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
