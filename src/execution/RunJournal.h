#pragma once

#include "execution/JournalRecords.h"
#include "execution/RenamePlan.h"
#include "execution/RunState.h"

#include <QCoreApplication>
#include <QStringList>

#include <optional>
#include <vector>

class FileSystem;
class JournalStore;

// What one kept journal says, from its marks alone.
struct RunRecord {
    qint64 run = 0;
    JournalSummary summary;
    bool inUse = false; // another process is writing it now
    QString readError;  // the journal could not be read at all
};

// A run's plan as its undo needs it, or why it cannot be undone.
struct UndoSource {
    std::optional<RenamePlan> plan;
    UndoState state = UndoState::Nothing;
    bool interrupted = false; // the run ended without its end mark; where its files are was looked up
    // What the journal said when it was read: when the run began, and where the undo's records go.
    JournalSummary summary;
    QString problem; // set when the journal cannot be used: the message to show
    // Where a process that ended without finishing the run or its undo may have left a copy half written:
    // the folders files left their mount from or to.
    QStringList copyFolders;
};

// The runs kept in the journal: what they did, which one an undo is for, and what undoing one means now.
class RunJournal final {
    Q_DECLARE_TR_FUNCTIONS(RunJournal)

public:
    RunJournal(JournalStore& store, const FileSystem& fs);

    // Every journal kept, oldest first.
    [[nodiscard]] std::vector<RunRecord> history() const;
    // Notes what the journal of the run says, told by the writer that has just closed it after wholeLength
    // bytes, so that the next start need not read it again. Nothing is noted when the file is no longer as the
    // writer left it: another process has it open, or has written to it since.
    static void noteWritten(JournalStore& store, qint64 run, const JournalSummary& summary);
    // The newest run that touched files and has not been undone, passing over runs another process is
    // writing; 0 when there is none. A newest journal that cannot be read is chosen, so that undo says why.
    [[nodiscard]] static qint64 lastRunToUndo(const std::vector<RunRecord>& runs);
    // The runs that ended without their end mark and about whose files nobody has decided yet, newest first.
    [[nodiscard]] static std::vector<qint64> unansweredInterruptions(const std::vector<RunRecord>& runs);
    // How an undo of the run would start, from its marks.
    [[nodiscard]] static UndoState undoStateOf(const JournalSummary& summary);

    // Reads the run and works out what undo has to do: from what the run recorded, and where it ended
    // without its end mark, from where its files are now, each found by its identity.
    [[nodiscard]] UndoSource loadForUndo(qint64 run) const;

private:
    void findFiles(const JournalContent& content, std::vector<RenameEntry>& entries) const;

    JournalStore& m_store;
    const FileSystem& m_fs;
};
