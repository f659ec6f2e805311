#include "BenchFiles.h"
#include "execution/PlanExecutor.h"
#include "execution/PlanUndo.h"
#include "execution/RunOptions.h"
#include "execution/RunState.h"
#include "execution/ui/LogViewer.h"
#include "execution/ui/ProgressDialog.h"
#include "expression/BuildTypes.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"
#include "platform/linux/SystemClock.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

QString fileName(int i) {
    return QStringLiteral("photo_") + QString::number(i).rightJustified(6, QLatin1Char('0')) + QStringLiteral(".jpg");
}

// What the engine works with, the real thing for files and time.
struct Engine {
    LinuxFileSystem fs;
    SilentPrompt prompt;
    LinuxShellFileOperation files{prompt};
    SystemClock clock;
    NullWorkHost host;
    RunOptions options;
};

// A fresh folder of n empty files, the list rows for them and a plan that renames each in place: to a name
// of its own, or, as a chain, to the name of the next file (the last one to a new name).
struct Fixture {
    std::unique_ptr<QTemporaryDir> dir;
    QString folder;
    FileListModel list;
    RunState state;

    explicit Fixture(int count, bool chain = false)
        : dir(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tokrenu-bench-XXXXXX")))
        , folder(dir->path() + QLatin1Char('/')) {
        std::vector<NameChange> built;
        built.reserve(static_cast<std::size_t>(count));
        FileListModel::Appender appender(list);
        for (int i = 0; i < count; ++i) {
            const QString name = fileName(i);
            const int fd = ::open((folder + name).toUtf8().constData(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
            appender.add({name, folder, QStringLiteral("0"), QStringLiteral("2024/01/31 9:05:07"), QString()});
            built.push_back({chain ? fileName(i + 1) : QStringLiteral("renamed_") + name, 0, 0, 0, 0});
        }
        appender.commit();
        state.plan.emplace(std::move(built), 0);
        for (std::size_t i = 0; i < state.plan->entries().size(); ++i) {
            RenameEntry& entry = state.plan->entries()[i];
            entry.sourcePath = list.rows()[i].fullPath();
            entry.destPath = folder + entry.destPath;
        }
    }
};

// The physical limit: one renameat2 per file and nothing else.
void BareRename(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fixture(count);
        std::vector<std::pair<QByteArray, QByteArray>> paths;
        for (const RenameEntry& entry : fixture.state.plan->entries())
            paths.emplace_back(entry.sourcePath.toUtf8(), entry.destPath.toUtf8());
        state.ResumeTiming();
        for (const auto& [from, to] : paths) {
            if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0)
                state.SkipWithError("rename failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The engine's real per-file run: shell move, log, rows kept in step, undo records.
void RunPlan(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Engine e;
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fixture(count);
        PlanExecutor executor(fixture.state, fixture.list, e.fs, e.files, e.clock);
        state.ResumeTiming();
        if (executor.executePlanSteps(e.options, e.host).failedSteps != 0)
            state.SkipWithError("a step failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Every file takes the name of the next one: the run goes from the end of the chain.
void RunPlanChain(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Engine e;
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fixture(count, true);
        PlanExecutor executor(fixture.state, fixture.list, e.fs, e.files, e.clock);
        state.ResumeTiming();
        if (executor.executePlanSteps(e.options, e.host).failedSteps != 0)
            state.SkipWithError("a step failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void UndoPlan(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Engine e;
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fixture(count);
        PlanExecutor(fixture.state, fixture.list, e.fs, e.files, e.clock).executePlanSteps(e.options, e.host);
        fixture.state.logText.clear();
        PlanUndo undo(fixture.state, fixture.list, e.fs, e.files, e.clock, e.prompt);
        state.ResumeTiming();
        if (undo.undoSteps(e.options, e.host) != 0)
            state.SkipWithError("a step failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same run inside the progress dialog, on the offscreen platform.
void RunPlanInDialog(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Engine e;
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fixture(count);
        PlanExecutor executor(fixture.state, fixture.list, e.fs, e.files, e.clock);
        ProgressDialog dialog(nullptr);
        dialog.setMainHost(&e.host);
        state.ResumeTiming();
        dialog.run(ProgressWork::Plan, count, [&](WorkHost& host) {
            if (executor.executePlanSteps(e.options, host).failedSteps != 0)
                state.SkipWithError("a step failed");
        });
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Opening the log viewer on the log of such a run, until it has painted.
void OpenLog(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    QString log;
    {
        Engine e;
        Fixture fixture(count);
        PlanExecutor(fixture.state, fixture.list, e.fs, e.files, e.clock).executePlanSteps(e.options, e.host);
        log = fixture.state.logText;
    }
    state.counters["log_mb"] = static_cast<double>(log.size()) * 2 / 1e6;
    LogViewSettings settings;
    for (auto _ : state) {
        LogViewer viewer(settings, nullptr);
        viewer.present(QStringLiteral("Tokrenu－ログ"), log, false);
        viewer.show();
        QCoreApplication::processEvents();
        viewer.close();
    }
}

} // namespace

BENCHMARK(BareRename)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(RunPlan)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(RunPlanChain)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(UndoPlan)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(RunPlanInDialog)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(OpenLog)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
