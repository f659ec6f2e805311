#pragma once

#include "execution/RunCommands.h"
#include "execution/RunState.h"
#include "execution/ui/LogViewer.h"

#include <QObject>

class Clock;
class WorkHost;
class FileListModel;
class FileSystem;
class JournalStore;
class ShellFileOperation;
class UserPrompt;
class QWidget;

// The window side of Test, Run and Undo: the progress dialog, the log viewer, the history hook and the
// clearing of the list, around the commands that do the work.
class RunController final : public QObject, public RunFrontEnd {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunController)

public:
    RunController(QWidget* window,
                  WorkHost& mainHost,
                  FileListModel& list,
                  FileSystem& fs,
                  ShellFileOperation& files,
                  UserPrompt& prompt,
                  const Clock& clock,
                  JournalStore& journal);
    ~RunController() override;

    CommandOutcome runCommand(RunMode mode, const QString& formatText, const RunOptions& options);
    // At start-up: settles the runs that ended without finishing, then finds the run Undo reverses.
    void startUp(const RunOptions& options);

    [[nodiscard]] RunState& state() { return m_state; }
    [[nodiscard]] LogViewSettings& logSettings() { return m_logSettings; }

    // Called with every format that was run.
    std::function<void(const QString&)> formatRun;

    // RunFrontEnd
    void runWithProgress(ProgressWork work, qsizetype maximum, const std::function<void(WorkHost&)>& steps) override;
    WorkHost& mainHost() override { return m_mainHost; }
    bool showLog(const QString& caption, const QString& text, bool withStart) override;
    void addFormatToHistory(const QString& format) override;
    void clearList() override;
    void focusMainWindow() override;

private:
    QWidget* m_window;
    WorkHost& m_mainHost;
    FileListModel& m_list;
    RunState m_state;
    LogViewSettings m_logSettings;
    RunCommands m_commands;
};
