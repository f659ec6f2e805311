#include "BenchFiles.h"
#include "execution/PlanExecutor.h"
#include "execution/PlanUndo.h"
#include "execution/RunJournal.h"
#include "execution/RunOptions.h"
#include "execution/RunRecorder.h"
#include "execution/RunState.h"
#include "execution/UndoRecorder.h"
#include "execution/ui/LogViewer.h"
#include "execution/ui/ProgressDialog.h"
#include "expression/BuildTypes.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxJournalStore.h"
#include "platform/linux/LinuxShellFileOperation.h"
#include "platform/linux/SystemClock.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

QString fileName(int i) {
    return QStringLiteral("photo_") + QString::number(i).rightJustified(6, QLatin1Char('0')) + QStringLiteral(".jpg");
}

// What the engine works with, the real thing for files, time and the journal.
struct Engine {
    LinuxFileSystem fs;
    SilentPrompt prompt;
    LinuxShellFileOperation files{prompt};
    SystemClock clock;
    NullWorkHost host;
    RunOptions options;
    QTemporaryDir stateDir{QDir::tempPath() + QStringLiteral("/tokrenu-bench-state-XXXXXX")};
    LinuxJournalStore journal{stateDir.path() + QStringLiteral("/journal")};

    // The journal of a run begun on the fixture's plan.
    std::unique_ptr<RunRecorder> beginRun(const RunState& state) {
        QString error;
        return RunRecorder::begin(journal, *state.plan, FileOperation::Move, false, fs, clock, error);
    }
};

// The folders of fixtures that are done with, removed when the next fixture is made, while the clock stands:
// removing 100,000 files takes about as long as renaming them, and is no part of what is measured.
std::vector<std::unique_ptr<QTemporaryDir>>& spentFolders() {
    static std::vector<std::unique_ptr<QTemporaryDir>> folders;
    return folders;
}

// A fresh folder of n empty files, the list rows for them and a plan that renames each in place: to a name
// of its own, or, as a chain, to the name of the next file (the last one to a new name).
struct Fixture {
    std::unique_ptr<QTemporaryDir> dir;
    QString folder;
    LinuxFileSystem fs;
    FileListModel list{fs};
    RunState state;

    ~Fixture() { spentFolders().push_back(std::move(dir)); }
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    explicit Fixture(int count, bool chain = false)
        : dir(std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tokrenu-bench-XXXXXX")))
        , folder(dir->path() + QLatin1Char('/')) {
        spentFolders().clear();
        std::vector<NameChange> built;
        built.reserve(static_cast<std::size_t>(count));
        FileListModel::Appender appender(list);
        for (int i = 0; i < count; ++i) {
            const QString name = fileName(i);
            const int fd = ::open((folder + name).toUtf8().constData(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
            appender.add({name, folder, {}});
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

// Times one piece of work in seconds.
template <typename Work> double secondsOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The physical limit: one renameat2 per file and nothing else; for a chain, from its free end.
double bareRenames(benchmark::State& state, int count, bool chain) {
    Fixture fixture(count, chain);
    std::vector<std::pair<QByteArray, QByteArray>> paths;
    for (const RenameEntry& entry : fixture.state.plan->entries())
        paths.emplace_back(entry.sourcePath.toUtf8(), entry.destPath.toUtf8());
    if (chain)
        std::reverse(paths.begin(), paths.end());
    return secondsOf([&] {
        for (const auto& [from, to] : paths) {
            if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0)
                state.SkipWithError("rename failed");
        }
    });
}

// A run of the engine over a fresh folder: with its journal (each source looked at, the plan on disk, each
// entry recorded, the end on disk) or without, and along a chain of names or not.
double engineRun(benchmark::State& state, Engine& e, int count, bool chain, bool journaled) {
    Fixture fixture(count, chain);
    return secondsOf([&] {
        PlanExecutor executor(fixture.state, fixture.list, e.fs, e.files, e.clock);
        executor.prepareRun(e.options);
        const std::unique_ptr<RunRecorder> recorder = journaled ? e.beginRun(fixture.state) : nullptr;
        executor.setRecorder(recorder.get());
        if ((journaled && !recorder) || executor.executePlanSteps(e.options, e.host).failedSteps != 0 ||
            (recorder && !recorder->finish(false, false)))
            state.SkipWithError("a step failed");
    });
}

// Undo as the program does it: the run read back from its journal, each file checked by its identity before
// it moves back, and the undo recorded.
double engineUndo(benchmark::State& state, Engine& e, int count) {
    Fixture fixture(count);
    qint64 run = 0;
    {
        const std::unique_ptr<RunRecorder> recorder = e.beginRun(fixture.state);
        PlanExecutor(fixture.state, fixture.list, e.fs, e.files, e.clock, recorder.get())
            .executePlanSteps(e.options, e.host);
        recorder->finish(false, false);
        run = recorder->run();
    }
    fixture.state.logText.clear();
    return secondsOf([&] {
        UndoSource source = RunJournal(e.journal, e.fs).loadForUndo(run);
        fixture.state.plan = std::move(source.plan);
        QString error;
        const std::unique_ptr<UndoRecorder> recorder =
            UndoRecorder::begin(e.journal, run, source.summary, e.clock, error);
        PlanUndo undo(fixture.state, fixture.list, e.fs, e.files, e.clock, e.prompt, recorder.get());
        if (!recorder || undo.undoSteps(e.options, e.host) != 0 || !recorder->finish(false))
            state.SkipWithError("a step failed");
    });
}

enum class Work : std::uint8_t { Bare, BareChain, Run, RunUnjournaled, RunChain, Undo };

double timeWork(benchmark::State& state, Engine& e, Work work, int count) {
    switch (work) {
    case Work::Bare:
        return bareRenames(state, count, false);
    case Work::BareChain:
        return bareRenames(state, count, true);
    case Work::Run:
        return engineRun(state, e, count, false, true);
    case Work::RunUnjournaled:
        return engineRun(state, e, count, false, false);
    case Work::RunChain:
        return engineRun(state, e, count, true, true);
    case Work::Undo:
        return engineUndo(state, e, count);
    }
    return 0;
}

// One kind of work alone, each iteration on a fresh folder made while the clock stands.
void timed(benchmark::State& state, Work work) {
    Engine e;
    for (auto _ : state)
        state.SetIterationTime(timeWork(state, e, work, static_cast<int>(state.range(0))));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The engine's work against the bare renames of as many files, in turns: on a shared machine a busy moment
// then weighs on both sides, and "ratio", the engine's time over the bare time summed over the iterations, says
// more than two benchmarks run a minute apart. "pair_median" is the median of each iteration's own ratio: a
// moment busy enough to slow one side of one iteration alone moves it far less. A chain is held to the same bare
// renames, not to those along a chain, which the file system itself makes slower.
void againstBare(benchmark::State& state, Work work) {
    const Work bare = Work::Bare;
    const int count = static_cast<int>(state.range(0));
    Engine e;
    double bareSeconds = 0;
    double engineSeconds = 0;
    std::vector<double> pairRatios;
    bool engineFirst = false;
    for (auto _ : state) {
        const double first = timeWork(state, e, engineFirst ? work : bare, count);
        const double second = timeWork(state, e, engineFirst ? bare : work, count);
        const double engineTime = engineFirst ? first : second;
        const double bareTime = engineFirst ? second : first;
        bareSeconds += bareTime;
        engineSeconds += engineTime;
        pairRatios.push_back(engineTime / bareTime);
        state.SetIterationTime(engineTime);
        engineFirst = !engineFirst;
    }
    state.counters["bare_ms"] = 1000 * bareSeconds / static_cast<double>(state.iterations());
    state.counters["ratio"] = engineSeconds / bareSeconds;
    if (pairRatios.empty())
        return;
    std::sort(pairRatios.begin(), pairRatios.end());
    const std::size_t middle = pairRatios.size() / 2;
    state.counters["pair_median"] =
        pairRatios.size() % 2 == 1 ? pairRatios[middle] : (pairRatios[middle - 1] + pairRatios[middle]) / 2;
}

void BareRename(benchmark::State& state) {
    timed(state, Work::Bare);
}

// The renames of RunPlanChain alone: the file system takes longer to give a name just freed to another file.
void BareRenameChain(benchmark::State& state) {
    timed(state, Work::BareChain);
}

// The engine's real per-file run: the journal, shell move, log, rows kept in step, undo records.
void RunPlan(benchmark::State& state) {
    timed(state, Work::Run);
}

// The run without its journal, to tell the journal's share.
void RunPlanUnjournaled(benchmark::State& state) {
    timed(state, Work::RunUnjournaled);
}

// Every file takes the name of the next one: the run goes from the end of the chain, journaled as RunPlan.
void RunPlanChain(benchmark::State& state) {
    timed(state, Work::RunChain);
}

void UndoPlan(benchmark::State& state) {
    timed(state, Work::Undo);
}

void RunPlanAgainstBare(benchmark::State& state) {
    againstBare(state, Work::Run);
}

void RunPlanChainAgainstBare(benchmark::State& state) {
    againstBare(state, Work::RunChain);
}

void UndoPlanAgainstBare(benchmark::State& state) {
    againstBare(state, Work::Undo);
}

// A run whose process died half way, its last records lost: every file looked for by its identity, where the
// run was to put it and where it was.
void RecoverRun(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Engine e;
    for (auto _ : state) {
        state.PauseTiming();
        Fixture fixture(count);
        qint64 run = 0;
        {
            // Half the files moved; the journal has no end, as the process never wrote it.
            std::unique_ptr<RunRecorder> recorder = e.beginRun(fixture.state);
            run = recorder->run();
            RenamePlan half = *fixture.state.plan;
            half.entries().resize(half.entries().size() / 2);
            fixture.state.plan = std::move(half);
            PlanExecutor(fixture.state, fixture.list, e.fs, e.files, e.clock, recorder.get())
                .executePlanSteps(e.options, e.host);
        }
        state.ResumeTiming();
        const UndoSource source = RunJournal(e.journal, e.fs).loadForUndo(run);
        if (!source.interrupted || !source.plan || source.plan->upperBound() != count)
            state.SkipWithError("the run was not read back as interrupted");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// What a run does before its first move: the order of the moves found while the plan goes to the journal.
void BeginRun(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    Engine e;
    for (auto _ : state) {
        PlanExecutor executor(fixture.state, fixture.list, e.fs, e.files, e.clock);
        executor.prepareRun(e.options);
        if (!e.beginRun(fixture.state))
            state.SkipWithError("the journal could not begin");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One reading of a folder for the identities of its files, as a run's journal and an undo begin with.
void ListFolderIdentities(benchmark::State& state) {
    Fixture fixture(static_cast<int>(state.range(0)));
    LinuxFileSystem fs;
    for (auto _ : state) {
        if (!fs.listedIdentities(fixture.folder))
            state.SkipWithError("the folder gave no identities");
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

BENCHMARK(BareRename)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BareRenameChain)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(RunPlan)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(RunPlanUnjournaled)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(RunPlanChain)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(UndoPlan)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
// Four turns of the engine and four of the bare renames each, in alternating order.
BENCHMARK(RunPlanAgainstBare)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);
// Each turn makes a folder of a million files first, about forty seconds.
BENCHMARK(RunPlanAgainstBare)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(RunPlanChainAgainstBare)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);
BENCHMARK(UndoPlanAgainstBare)->Arg(100000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);
BENCHMARK(RecoverRun)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BeginRun)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ListFolderIdentities)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(RunPlanInDialog)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(OpenLog)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
