#pragma once

#include "execution/JournalRecords.h"
#include "platform/ShellFileOperation.h"

#include <QCoreApplication>

#include <functional>
#include <memory>

class Clock;
class RunRecorder;
class WorkHost;
class FileListModel;
class FileSystem;
struct RunOptions;
struct FileRow;
struct RunState;

// What one execution did: how many steps failed.
struct ExecutionOutcome {
    qsizetype failedSteps = 0;
    // A bulk call did not complete: some files may have moved, others not.
    bool bulkIncomplete = false;
};

// Carries out a checked plan: as a test (the log only) or for real, file by file or in one bulk
// operation, keeping the list rows in step and recording in each entry what it changed.
class PlanExecutor final {
    Q_DECLARE_TR_FUNCTIONS(PlanExecutor)

public:
    // A real run tells the recorder, when there is one, what each entry did.
    PlanExecutor(RunState& state,
                 FileListModel& list,
                 FileSystem& fs,
                 ShellFileOperation& files,
                 const Clock& clock,
                 RunRecorder* recorder = nullptr);

    ~PlanExecutor();
    PlanExecutor(const PlanExecutor&) = delete;
    PlanExecutor& operator=(const PlanExecutor&) = delete;

    // Starts to work out, on a thread of its own, which names the files of the plan hold and the order of the
    // run's moves, so that the run finds them ready: meanwhile the caller writes the run's journal, which takes
    // about as long and needs neither. The plan must stay as it is until the run.
    void prepareRun(const RunOptions& options);
    // The journal of the run, once it is begun.
    void setRecorder(RunRecorder* recorder) { m_recorder = recorder; }

    // Runs as a test while the state's mode is Test.
    ExecutionOutcome executePlanSteps(const RunOptions& options, WorkHost& host);

    // The flags of every shell call of a run or undo.
    static FileOperationFlags operationFlags(const RunOptions& options, bool bulk);

private:
    void testPass(const RunOptions& options, WorkHost& host);
    void realRun(const RunOptions& options, WorkHost& host);
    void bulkPass(const RunOptions& options, WorkHost& host, FileOperation operation);
    void changeAttributesAndTimes(qsizetype i, WorkHost& host);
    // Records what entry i did; false when the journal cannot take it and the run must stop.
    bool recordEntry(qsizetype i);
    // Lets pending events run after a file; true when the work is to stop now.
    bool letUserIn(WorkHost& host);
    void finish(WorkHost& host);
    void showRowAt(qsizetype i, const QString& path);
    // Row i (from 1) of the list, the one that belongs to entry i, changed in place.
    void updateRow(qsizetype i, const std::function<void(FileRow&)>& change);
    [[nodiscard]] QString now() const;

    RunState& m_state;
    FileListModel& m_list;
    FileSystem& m_fs;
    ShellFileOperation& m_files;
    const Clock& m_clock;
    RunRecorder* m_recorder;
    struct Prepared;
    std::unique_ptr<Prepared> m_prepared;
    ExecutionOutcome m_outcome;
    // The journal failed, the run stopped and the log said why.
    bool m_recordingGivenUp = false;
    // What the entry in hand had before its attributes and times changed.
    OldValues m_before;
};
