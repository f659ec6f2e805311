#pragma once

#include "execution/JournalRecords.h"

#include <QByteArray>
#include <QString>

#include <future>
#include <memory>
#include <vector>

class Clock;
class FileSystem;
class JournalFile;
class JournalStore;
class RenamePlan;
struct RenameEntry;

// Writes the journal of one real run: the whole plan, on disk before the first file is touched; then what
// each entry did, gathered in memory and written in blocks; and the end mark, on disk again. A process that
// dies meanwhile leaves a journal without its end, from which the files are found by their identity.
class RunRecorder final {
public:
    // How many journals are kept, this run's among them; older ones go while a run goes on.
    static constexpr int kKeptRuns = 20;

    // Looks at every source as it is now (not as the list saw it) and writes the plan. Nothing, with the reason
    // in `error`, when the journal cannot be made or written: the run must not start then, and no journal of it
    // is left.
    static std::unique_ptr<RunRecorder> begin(JournalStore& store,
                                              const RenamePlan& plan,
                                              FileOperation operation,
                                              bool bulk,
                                              const FileSystem& fs,
                                              const Clock& clock,
                                              QString& error);
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;
    RunRecorder(RunRecorder&&) = delete;
    RunRecorder& operator=(RunRecorder&&) = delete;

    [[nodiscard]] qint64 run() const { return m_run; }
    // Entry i (from 1) has finished its steps; `before` holds what its steps replaced.
    void entryDone(qsizetype i, const RenameEntry& entry, const OldValues& before);
    // Entry i's file is about to step aside to a temporary name, to break a cycle of names; on disk before the
    // move, so that the file is looked for there whatever ends the process.
    void aside(qsizetype i, const QString& path);
    // Some write failed: what follows cannot be recorded, so the run is to stop.
    [[nodiscard]] bool failed() const;
    [[nodiscard]] QString error() const;
    // Marks the end and waits until it is on disk, then closes the journal and notes what it says; false when it
    // could not be written.
    bool finish(bool stopped, bool bulkIncomplete);

private:
    RunRecorder(JournalStore& store,
                std::unique_ptr<JournalFile> file,
                qint64 run,
                const FileSystem& fs,
                std::vector<bool> newFiles,
                JournalSummary summary);
    // Adds records to the file, and counts them in the summary.
    bool append(const QByteArray& records);

    JournalStore& m_store;
    std::unique_ptr<JournalFile> m_file; // none once the run has finished
    qint64 m_run;
    const FileSystem& m_fs;
    // What a reading of the journal would tell, and how many bytes it has, as far as it is written.
    JournalSummary m_summary;
    std::vector<bool> m_newFiles; // by entry from 1: its destination will be a new file
    // The removal of the journals older than those kept, which takes its time for a long one; waited for when
    // the recorder goes.
    std::future<void> m_pruning;
    // The records of one step, emptied with resize(0), which keeps its room; clear() would give it back.
    QByteArray m_line;
};
