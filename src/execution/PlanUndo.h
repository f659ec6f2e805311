#pragma once

#include <QCoreApplication>

#include <optional>

class Clock;
class WorkHost;
class FileListModel;
class FileSystem;
class ShellFileOperation;
class UserPrompt;
struct RunOptions;
struct RunState;

// Reverses the last real run from what it recorded in the plan: old attributes and times first, then
// the file moved back or the copy deleted. A stopped undo can be resumed.
class PlanUndo final {
    Q_DECLARE_TR_FUNCTIONS(PlanUndo)

public:
    PlanUndo(RunState& state,
             FileListModel& list,
             FileSystem& fs,
             ShellFileOperation& files,
             const Clock& clock,
             UserPrompt& prompt);

    // Whether an undo may start, asking the user where the records may be doubtful or an undo was
    // stopped before.
    [[nodiscard]] bool startUndo();
    // Returns the number of steps that failed.
    qsizetype undoSteps(const RunOptions& options, WorkHost& host);
    // The row that shows the entry's new path; nothing when the list holds none.
    [[nodiscard]] std::optional<qsizetype> findRowForEntry(qsizetype entry) const;

private:
    RunState& m_state;
    FileListModel& m_list;
    FileSystem& m_fs;
    ShellFileOperation& m_files;
    const Clock& m_clock;
    UserPrompt& m_prompt;
};
