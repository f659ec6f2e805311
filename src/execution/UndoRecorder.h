#pragma once

#include "execution/JournalRecords.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class Clock;
class JournalFile;
class JournalStore;

// Adds to the journal of a run what an undo of it did: its start, each entry put back and its end, which
// alone waits for the disk. What a crash loses of it is found again from the files themselves.
class UndoRecorder final {
public:
    // Opens the journal after its last whole record (`before.wholeLength` bytes, before what a reading of it
    // found) and marks the start of an undo.
    static std::unique_ptr<UndoRecorder>
    begin(JournalStore& store, qint64 run, const JournalSummary& before, const Clock& clock, QString& error);
    // Records that the files of an interrupted run are to stay as they are, so that nobody is asked again.
    static bool
    recordKept(JournalStore& store, qint64 run, const JournalSummary& before, const Clock& clock, QString& error);

    ~UndoRecorder();
    UndoRecorder(const UndoRecorder&) = delete;
    UndoRecorder& operator=(const UndoRecorder&) = delete;
    UndoRecorder(UndoRecorder&&) = delete;
    UndoRecorder& operator=(UndoRecorder&&) = delete;

    // Entry i's file is about to be copied back to another mount; on disk before the copy begins, so that
    // an undo ended in the middle of it is known to have begun it.
    void movingBack(qsizetype i);
    // Entry i's file is about to step aside to a temporary name on its way back; on disk before the move.
    void aside(qsizetype i, const QString& path);
    // Entry i (from 1) had these steps reversed.
    void entryUndone(qsizetype i, std::uint8_t steps);
    // Marks the end and waits until it is on disk, then closes the journal and notes what it says.
    bool finish(bool stopped);
    [[nodiscard]] QString error() const;

private:
    UndoRecorder(JournalStore& store, std::unique_ptr<JournalFile> file, qint64 run, JournalSummary summary);
    // Adds records to the file, and counts them in the summary.
    bool append(const QByteArray& records);

    JournalStore& m_store;
    std::unique_ptr<JournalFile> m_file; // none once the undo has finished
    qint64 m_run;
    // What a reading of the journal would tell, and how many bytes it has, as far as it is written.
    JournalSummary m_summary;
    // The records of one step, emptied with resize(0), which keeps its room; clear() would give it back.
    QByteArray m_line;
};
