#pragma once

#include "platform/ShellFileOperation.h"

#include <QCoreApplication>

#include <optional>

class Clock;
class WorkHost;
class FileListModel;
class FileSystem;
class IdentityLookup;
class ShellFileOperation;
class UndoRecorder;
class UserPrompt;
struct RenameEntry;
struct RunOptions;
struct RunState;

// Reverses the last real run from what it recorded in the plan: old attributes and times first, then
// the file moved back or the copy deleted. A stopped undo can be resumed. Nothing is ever replaced; and
// for a plan read from a journal, a file that is not the one the run left is not touched at all.
class PlanUndo final {
    Q_DECLARE_TR_FUNCTIONS(PlanUndo)

public:
    PlanUndo(RunState& state,
             FileListModel& list,
             FileSystem& fs,
             ShellFileOperation& files,
             const Clock& clock,
             UserPrompt& prompt,
             UndoRecorder* recorder = nullptr);

    // Whether an undo may start, asking the user where the records may be doubtful or an undo was
    // stopped before.
    [[nodiscard]] bool startUndo();
    // Returns the number of steps that failed.
    qsizetype undoSteps(const RunOptions& options, WorkHost& host);
    // The row that shows the entry's new path; nothing when the list holds none.
    [[nodiscard]] std::optional<qsizetype> findRowForEntry(qsizetype entry) const;

private:
    // Why the entry's file must not be touched, or nothing when it is where the run left it (as the folder's
    // reading may have told already). A moved file found back at its old place counts as undone: an earlier undo
    // ended before it could record so.
    std::optional<QString>
    refusal(RenameEntry& entry, bool listedInPlace, IdentityLookup& present, bool& alreadyBack) const;
    // For an undo that goes on from one that ended part way: the file's copy is under its old name already,
    // its original not yet removed. The original goes now; true when it went.
    bool copiedBackEarlier(const RenameEntry& entry, FileOperationFlags flags);
    // The run moved the file to another mount: what it left there is a copy, with an identity of its own.
    static bool leftItsMount(const RenameEntry& entry);

    RunState& m_state;
    FileListModel& m_list;
    FileSystem& m_fs;
    ShellFileOperation& m_files;
    const Clock& m_clock;
    UserPrompt& m_prompt;
    UndoRecorder* m_recorder;
};
