#include "BenchFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/PathNames.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDir>

#include <benchmark/benchmark.h>

namespace {

// Adds a folder of n files to an empty list, through the same road as every add.
void AddFolder(benchmark::State& state) {
    const QString folder = benchFolder(static_cast<int>(state.range(0)));
    LinuxFileSystem fs;
    NullWorkHost feedback;
    SilentPrompt prompt;
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<FileListModel>(fs);
        state.ResumeTiming();
        FileAdder adder(*model, fs, prompt);
        benchmark::DoNotOptimize(adder.addPendingFiles({folder, {QString()}}, {}, feedback));
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Adds the files of that folder named one by one, as a shell glob passes them to the command line.
void AddPaths(benchmark::State& state) {
    const QString folder = benchFolder(static_cast<int>(state.range(0)));
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    LinuxFileSystem fs;
    NullWorkHost feedback;
    SilentPrompt prompt;
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<FileListModel>(fs);
        state.ResumeTiming();
        FileAdder adder(*model, fs, prompt);
        benchmark::DoNotOptimize(adder.addPendingFiles(prepareCommandLine(fs, names, folder), {}, feedback));
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Adds the same folder again to the full list: every file is a duplicate.
void AddFolderAgain(benchmark::State& state) {
    const QString folder = benchFolder(static_cast<int>(state.range(0)));
    LinuxFileSystem fs;
    NullWorkHost feedback;
    SilentPrompt prompt;
    FileListModel model(fs);
    FileAdder adder(model, fs, prompt);
    adder.addPendingFiles({folder, {QString()}}, {}, feedback);
    for (auto _ : state)
        benchmark::DoNotOptimize(adder.addPendingFiles({folder, {QString()}}, {}, feedback));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(AddFolder)->Arg(40000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AddPaths)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AddFolderAgain)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
