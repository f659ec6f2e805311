#include "execution/RunCommands.h"

#include "execution/PlanChecks.h"
#include "execution/PlanExecutor.h"
#include "execution/PlanUndo.h"
#include "execution/RunJournal.h"
#include "execution/RunOptions.h"
#include "execution/RunRecorder.h"
#include "execution/RunState.h"
#include "execution/UndoRecorder.h"
#include "expression/PlanBuilder.h"
#include "filelist/FileListModel.h"
#include "platform/DateValue.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"

#include <algorithm>

RunCommands::RunCommands(RunState& state,
                         FileListModel& list,
                         FileSystem& fs,
                         ShellFileOperation& files,
                         UserPrompt& prompt,
                         const Clock& clock,
                         RunFrontEnd& frontEnd,
                         JournalStore& journal)
    : m_state(state)
    , m_list(list)
    , m_fs(fs)
    , m_files(files)
    , m_prompt(prompt)
    , m_clock(clock)
    , m_frontEnd(frontEnd)
    , m_journal(journal) {}

CommandOutcome RunCommands::runCommand(RunMode mode, const QString& formatText, const RunOptions& options) {
    CommandOutcome outcome;
    // A run found in the journal at start-up is undone whatever the list holds; otherwise an empty list
    // leaves every command with nothing to do.
    if (m_list.size() == 0 && !(mode == RunMode::Undo && m_state.undoRunFromEarlierStart)) {
        outcome.refused = true;
        return outcome;
    }
    m_state.logText.clear();
    m_state.stopRequest = StopRequest::None;

    if (mode == RunMode::Undo) {
        undo(options, outcome);
    } else {
        BuildResult built = buildPlan(formatText, {m_list.rows(), options.build, m_prompt, m_clock, m_fs});
        if (built.status != BuildStatus::Blank) {
            m_state.undoState = UndoState::Nothing;
            m_state.undoRunFromEarlierStart = false;
        }
        if (built.status != BuildStatus::Built) {
            outcome.refused = true;
            outcome.buildFailed = built.status == BuildStatus::Failed;
            return outcome;
        }
        m_state.plan.emplace(std::move(built.rows), built.changeMask);
        if (!completePaths(*m_state.plan, m_list.rows(), options, m_fs, m_prompt)) {
            outcome.refused = true;
        } else if (checkPlan(*m_state.plan, m_list.rows(), options, m_fs, m_prompt, mode == RunMode::Test) ==
                   CheckVerdict::Abort) {
            m_prompt.inform(tr("作業を中止します。"), programTitle(), PromptIcon::None);
            outcome.refused = true;
        } else if (mode == RunMode::Test) {
            m_state.mode = PlanMode::Test;
            PlanExecutor executor(m_state, m_list, m_fs, m_files, m_clock);
            execute(executor, options, outcome);
            m_state.logCaption = tr("Tokrenu－テスト");
            m_state.logStartPressed = m_frontEnd.showLog(m_state.logCaption, m_state.logText, true);
            if (m_state.logStartPressed) {
                // The tested plan is carried out as it stands, without building it again.
                m_state.logText.clear();
                m_state.stopRequest = StopRequest::None;
                outcome = {};
                afterRun(formatText, options, outcome);
            }
        } else {
            afterRun(formatText, options, outcome);
        }
    }
    m_state.logText.clear();
    m_frontEnd.focusMainWindow();
    return outcome;
}

void RunCommands::undo(const RunOptions& options, CommandOutcome& outcome) {
    JournalSummary before;
    if (!loadUndoRun(outcome, before))
        return;
    PlanUndo undo(m_state, m_list, m_fs, m_files, m_clock, m_prompt);
    if (!undo.startUndo()) {
        outcome.refused = true;
        return;
    }
    undoSteps(options, outcome, before);
}

bool RunCommands::loadUndoRun(CommandOutcome& outcome, JournalSummary& before) {
    // Without a journal of this session's run (a plan made in memory alone) the plan in memory is undone.
    if (m_state.undoRun == 0 || m_state.undoState == UndoState::Nothing)
        return true;
    UndoSource source = RunJournal(m_journal, m_fs).loadForUndo(m_state.undoRun);
    if (!source.problem.isEmpty()) {
        m_prompt.inform(source.problem, programTitle(), PromptIcon::Critical);
        outcome.refused = true;
        outcome.journalFailed = true;
        return false;
    }
    removeUnfinishedCopies(source);
    m_state.undoState = source.state;
    if (source.plan)
        m_state.plan = std::move(source.plan);
    before = std::move(source.summary);
    return true;
}

void RunCommands::undoSteps(const RunOptions& options, CommandOutcome& outcome, const JournalSummary& before) {
    std::unique_ptr<UndoRecorder> recorder;
    if (m_state.undoRun != 0) {
        QString error;
        recorder = UndoRecorder::begin(m_journal, m_state.undoRun, before, m_clock, error);
        if (!recorder) {
            m_prompt.inform(tr("作業の記録に書き込めないため、元に戻せません。") + QStringLiteral("\r\n") + error,
                            programTitle(), PromptIcon::Critical);
            outcome.refused = true;
            outcome.journalFailed = true;
            return;
        }
    }
    PlanUndo undo(m_state, m_list, m_fs, m_files, m_clock, m_prompt, recorder.get());
    m_frontEnd.runWithProgress(ProgressWork::Undo, m_state.plan->upperBound(),
                               [&](WorkHost& host) { outcome.failedSteps = undo.undoSteps(options, host); });
    outcome.stopped = m_state.undoState == UndoState::UndoInterrupted;
    // Should the end not reach the disk, the next undo finds each file back already and passes over it.
    if (recorder)
        static_cast<void>(recorder->finish(outcome.stopped));
    if (options.showLog && !m_state.logText.isEmpty())
        m_frontEnd.showLog(tr("Tokrenu－元に戻す"), m_state.logText, false);
}

void RunCommands::recoverInterruptedRuns(const RunOptions& options, qint64 except) {
    recoverInterruptedRuns(options, RunJournal(m_journal, m_fs).history(), except);
}

void RunCommands::recoverInterruptedRuns(const RunOptions& options,
                                         const std::vector<RunRecord>& history,
                                         qint64 except) {
    RunJournal journal(m_journal, m_fs);
    for (const qint64 run : RunJournal::unansweredInterruptions(history)) {
        if (run == except)
            continue;
        UndoSource source = journal.loadForUndo(run);
        // A journal that cannot be read is told of when it is to be undone.
        if (!source.problem.isEmpty() || !source.plan)
            continue;
        // Whatever the answer, a copy the process had not finished is of no use.
        removeUnfinishedCopies(source);
        const auto changed = std::count_if(source.plan->entries().cbegin(), source.plan->entries().cend(),
                                           [](const RenameEntry& entry) { return entry.doneSteps != 0; });
        QString error;
        if (changed == 0) {
            static_cast<void>(UndoRecorder::recordKept(m_journal, run, source.summary, m_clock, error));
            continue;
        }
        const QString started = DateValue::generalDateText(DateValue::fromSecsSinceEpoch(source.summary.startedSecs));
        const QString question = tr("前回の作業（%1 開始）は、終わる前に中断されました。").arg(started) +
                                 QStringLiteral("\r\n") +
                                 tr("変更された %1 個のファイルを元に戻しますか？").arg(changed) +
                                 QStringLiteral("\r\n") + tr("［いいえ］を選ぶと、ファイルは今のままになります。");
        if (m_prompt.message(question, programTitle(), PromptIcon::Question, PromptButtons::YesNo, PromptAnswer::No) !=
            PromptAnswer::Yes) {
            if (!UndoRecorder::recordKept(m_journal, run, source.summary, m_clock, error))
                m_prompt.inform(tr("作業の記録に書き込めません。") + QStringLiteral("\r\n") + error, programTitle(),
                                PromptIcon::Critical);
            continue;
        }
        m_state.plan = std::move(source.plan);
        m_state.undoRun = run;
        m_state.undoState = source.state;
        m_state.logText.clear();
        m_state.stopRequest = StopRequest::None;
        CommandOutcome outcome;
        undoSteps(options, outcome, source.summary);
        m_state.logText.clear();
    }
}

void RunCommands::removeUnfinishedCopies(const UndoSource& source) {
    for (const QString& folder : source.copyFolders)
        static_cast<void>(m_files.removeUnfinishedCopies(folder));
}

void RunCommands::findRunToUndo() {
    const std::vector<RunRecord> runs = RunJournal(m_journal, m_fs).history();
    chooseUndoRun(runs, RunJournal::lastRunToUndo(runs));
}

CommandOutcome RunCommands::undoJournalRun(qint64 run, const RunOptions& options) {
    chooseUndoRun(RunJournal(m_journal, m_fs).history(), run);
    // Asked for by name: with nothing to undo, the user is told so.
    m_state.undoRunFromEarlierStart = true;
    return runCommand(RunMode::Undo, QString(), options);
}

void RunCommands::chooseUndoRun(const std::vector<RunRecord>& runs, qint64 run) {
    m_state.undoRun = run;
    m_state.undoRunFromEarlierStart = run != 0;
    m_state.undoState = UndoState::Nothing;
    for (const RunRecord& record : runs) {
        if (record.run != run)
            continue;
        // A journal that cannot be read is still the one to undo, so that undo says why it cannot.
        const bool readable = record.readError.isEmpty() && record.summary.condition == JournalCondition::Readable;
        m_state.undoState = readable ? RunJournal::undoStateOf(record.summary) : UndoState::Run;
    }
}

void RunCommands::execute(PlanExecutor& executor, const RunOptions& options, CommandOutcome& outcome) {
    auto steps = [&](WorkHost& host) {
        const ExecutionOutcome executed = executor.executePlanSteps(options, host);
        outcome.failedSteps += executed.failedSteps;
        outcome.bulkIncomplete = outcome.bulkIncomplete || executed.bulkIncomplete;
    };
    if (options.multidestFiles)
        steps(m_frontEnd.mainHost());
    else
        m_frontEnd.runWithProgress(ProgressWork::Plan, m_list.size(), steps);
    // A bulk call that did not complete stops the run too, but nobody asked it to.
    outcome.stopped = m_state.stopRequest == StopRequest::Stop && !outcome.bulkIncomplete;
}

void RunCommands::afterRun(const QString& formatText, const RunOptions& options, CommandOutcome& outcome) {
    m_state.mode = PlanMode::Run;
    // Nothing is touched before the plan is safely in the journal; the order of the moves is worked out meanwhile.
    PlanExecutor executor(m_state, m_list, m_fs, m_files, m_clock);
    executor.prepareRun(options);
    QString error;
    const std::unique_ptr<RunRecorder> recorder =
        RunRecorder::begin(m_journal, *m_state.plan, options.copy ? FileOperation::Copy : FileOperation::Move,
                           options.multidestFiles, m_fs, m_clock, error);
    if (!recorder) {
        m_prompt.inform(tr("作業の記録を書き込めないため、作業を中止します。") + QStringLiteral("\r\n") + error,
                        programTitle(), PromptIcon::Critical);
        outcome.refused = true;
        outcome.journalFailed = true;
        return;
    }
    m_state.undoRun = recorder->run();
    m_state.undoRunFromEarlierStart = false;
    executor.setRecorder(recorder.get());
    execute(executor, options, outcome);
    if (!recorder->finish(m_state.stopRequest == StopRequest::Stop, outcome.bulkIncomplete))
        outcome.journalFailed = true;
    if (options.showLog) {
        m_state.logCaption = tr("Tokrenu－ログ");
        m_frontEnd.showLog(m_state.logCaption, m_state.logText, false);
    }
    m_frontEnd.addFormatToHistory(formatText);
    if (options.clearAfterRename)
        m_frontEnd.clearList();
}
