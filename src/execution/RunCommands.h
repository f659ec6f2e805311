#pragma once

#include <QCoreApplication>

#include <functional>

class Clock;
class WorkHost;
class FileListModel;
class FileSystem;
class ShellFileOperation;
class UserPrompt;
struct RunOptions;
struct RunState;

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
    qsizetype failedSteps = 0;
};

// Test, run and undo: build the plan, complete and check it, execute it, and show the log.
class RunCommands final {
    Q_DECLARE_TR_FUNCTIONS(RunCommands)

public:
    RunCommands(RunState& state,
                FileListModel& list,
                FileSystem& fs,
                ShellFileOperation& files,
                UserPrompt& prompt,
                const Clock& clock,
                RunFrontEnd& frontEnd);

    CommandOutcome runCommand(RunMode mode, const QString& formatText, const RunOptions& options);

private:
    void afterRun(const QString& formatText, const RunOptions& options, CommandOutcome& outcome);
    void execute(const RunOptions& options, CommandOutcome& outcome);

    RunState& m_state;
    FileListModel& m_list;
    FileSystem& m_fs;
    ShellFileOperation& m_files;
    UserPrompt& m_prompt;
    const Clock& m_clock;
    RunFrontEnd& m_frontEnd;
};
