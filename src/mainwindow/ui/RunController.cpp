#include "mainwindow/ui/RunController.h"

#include "execution/ui/ProgressDialog.h"
#include "filelist/FileListModel.h"

#include <QWidget>

RunController::RunController(QWidget* window,
                             WorkHost& mainHost,
                             FileListModel& list,
                             FileSystem& fs,
                             ShellFileOperation& files,
                             UserPrompt& prompt,
                             const Clock& clock,
                             JournalStore& journal)
    : QObject(window)
    , m_window(window)
    , m_mainHost(mainHost)
    , m_list(list)
    , m_commands(m_state, list, fs, files, prompt, clock, *this, journal) {}

RunController::~RunController() = default;

CommandOutcome RunController::runCommand(RunMode mode, const QString& formatText, const RunOptions& options) {
    return m_commands.runCommand(mode, formatText, options);
}

void RunController::startUp(const RunOptions& options) {
    m_commands.recoverInterruptedRuns(options);
    m_commands.findRunToUndo();
}

void RunController::runWithProgress(ProgressWork work, qsizetype maximum, const std::function<void(WorkHost&)>& steps) {
    // A window of its own for every piece of work, as it always opens afresh.
    ProgressDialog dialog(m_window);
    dialog.setMainHost(&m_mainHost);
    dialog.run(work, maximum, steps);
}

bool RunController::showLog(const QString& caption, const QString& text, bool withStart) {
    LogViewer viewer(m_logSettings, m_window);
    m_state.logStartPressed = viewer.showLog(caption, text, withStart);
    return m_state.logStartPressed;
}

void RunController::addFormatToHistory(const QString& format) {
    if (formatRun)
        formatRun(format);
}

void RunController::clearList() {
    m_list.clear();
}

void RunController::focusMainWindow() {
    m_window->activateWindow();
    m_window->setFocus();
}
