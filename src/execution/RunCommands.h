#pragma once

#include <QCoreApplication>

#include <functional>
#include <vector>

class Clock;
class WorkHost;
class FileListModel;
class FileSystem;
class JournalStore;
class PlanExecutor;
class RunRecorder;
class ShellFileOperation;
class UserPrompt;
struct JournalSummary;
struct RunOptions;
struct RunRecord;
struct RunState;
struct UndoSource;

enum class RunMode : std::uint8_t { Test = 0, Run = 1, Undo = 2 };

// Which work the progress window shows: its caption tells a run from an undo.
enum class ProgressWork : std::uint8_t { Plan, Undo };

// What the commands ask of the window (or the command line) that runs them.
class RunFrontEnd {
public:
    virtual ~RunFrontEnd() = default;

    // Shows the progress with the bar's maximum and runs the work inside it, modally.
    virtual void runWithProgress(ProgressWork work, qsizetype maximum, const std::function<void(WorkHost&)>& steps) = 0;
    // Where a bulk run shows what it does, without a progress window.
    virtual WorkHost& mainHost() = 0;
    // Shows the log modally; true when the user pressed Start (offered only when withStart).
    virtual bool showLog(const QString& caption, const QString& text, bool withStart) = 0;
    virtual void addFormatToHistory(const QString& format) = 0;
    virtual void clearList() = 0;
    virtual void focusMainWindow() = 0;
};

// How a command ended, for those who need more than the log.
struct CommandOutcome {
    bool refused = false; // nothing was done: the build failed, the checks or the user said no
    bool buildFailed = false;
    bool stopped = false;        // the work was cancelled part way
    bool bulkIncomplete = false; // one call for all files did not complete
    bool journalFailed = false;  // the journal could not be written or read: the user has been told why
    qsizetype failedSteps = 0;
};

// Test, run and undo: build the plan, complete and check it, execute it, and show the log. Every real run
// keeps a journal, and undo reads it back, also in a later process.
class RunCommands final {
    Q_DECLARE_TR_FUNCTIONS(RunCommands)

public:
    RunCommands(RunState& state,
                FileListModel& list,
                FileSystem& fs,
                ShellFileOperation& files,
                UserPrompt& prompt,
                const Clock& clock,
                RunFrontEnd& frontEnd,
                JournalStore& journal);

    CommandOutcome runCommand(RunMode mode, const QString& formatText, const RunOptions& options);

    // For every run that ended without its end mark (but `except`) and whose files nobody has decided about,
    // asks whether to put the files it changed back; the answer is recorded, so that it is asked once.
    void recoverInterruptedRuns(const RunOptions& options, qint64 except = 0);
    // The same with the journal's history read already.
    void recoverInterruptedRuns(const RunOptions& options, const std::vector<RunRecord>& history, qint64 except = 0);
    // Makes the newest run not yet undone the one Undo reverses, as at start-up.
    void findRunToUndo();
    // Undoes the given run of the journal (0: none, which the user is told) whatever the list holds.
    CommandOutcome undoJournalRun(qint64 run, const RunOptions& options);

private:
    void removeUnfinishedCopies(const UndoSource& source);
    void chooseUndoRun(const std::vector<RunRecord>& runs, qint64 run);
    void undo(const RunOptions& options, CommandOutcome& outcome);
    // Replaces the plan in memory with the run's journal; false, after telling the user, when it cannot.
    bool loadUndoRun(CommandOutcome& outcome, JournalSummary& before);
    void undoSteps(const RunOptions& options, CommandOutcome& outcome, const JournalSummary& before);
    void afterRun(const QString& formatText, const RunOptions& options, CommandOutcome& outcome);
    void execute(PlanExecutor& executor, const RunOptions& options, CommandOutcome& outcome);

    RunState& m_state;
    FileListModel& m_list;
    FileSystem& m_fs;
    ShellFileOperation& m_files;
    UserPrompt& m_prompt;
    const Clock& m_clock;
    RunFrontEnd& m_frontEnd;
    JournalStore& m_journal;
};
