#include "execution/RunCommands.h"

#include "execution/PlanChecks.h"
#include "execution/PlanExecutor.h"
#include "execution/PlanUndo.h"
#include "execution/RunOptions.h"
#include "execution/RunState.h"
#include "expression/PlanBuilder.h"
#include "filelist/FileListModel.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"

RunCommands::RunCommands(RunState& state,
                         FileListModel& list,
                         FileSystem& fs,
                         ShellFileOperation& files,
                         UserPrompt& prompt,
                         const Clock& clock,
                         RunFrontEnd& frontEnd)
    : m_state(state)
    , m_list(list)
    , m_fs(fs)
    , m_files(files)
    , m_prompt(prompt)
    , m_clock(clock)
    , m_frontEnd(frontEnd) {}

CommandOutcome RunCommands::runCommand(RunMode mode, const QString& formatText, const RunOptions& options) {
    CommandOutcome outcome;
    if (m_list.size() == 0) {
        outcome.refused = true;
        return outcome;
    }
    m_state.logText.clear();
    m_state.stopRequest = StopRequest::None;

    if (mode == RunMode::Undo) {
        PlanUndo undo(m_state, m_list, m_fs, m_files, m_clock, m_prompt);
        if (!undo.startUndo()) {
            outcome.refused = true;
        } else {
            m_frontEnd.runWithProgress(ProgressWork::Undo, m_state.plan->upperBound(),
                                       [&](WorkHost& host) { outcome.failedSteps = undo.undoSteps(options, host); });
            outcome.stopped = m_state.undoState == UndoState::UndoInterrupted;
        }
        if (options.showLog && !m_state.logText.isEmpty())
            m_frontEnd.showLog(tr("Tokrenu－元に戻す"), m_state.logText, false);
    } else {
        BuildResult built = buildPlan(formatText, {m_list.rows(), options.build, m_prompt, m_clock, m_fs});
        if (built.status != BuildStatus::Blank)
            m_state.undoState = UndoState::Nothing;
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
            execute(options, outcome);
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

void RunCommands::execute(const RunOptions& options, CommandOutcome& outcome) {
    PlanExecutor executor(m_state, m_list, m_fs, m_files, m_clock);
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
    execute(options, outcome);
    if (options.showLog) {
        m_state.logCaption = tr("Tokrenu－ログ");
        m_frontEnd.showLog(m_state.logCaption, m_state.logText, false);
    }
    m_frontEnd.addFormatToHistory(formatText);
    if (options.clearAfterRename)
        m_frontEnd.clearList();
}
