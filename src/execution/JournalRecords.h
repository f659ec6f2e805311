#pragma once

#include "platform/FileSystem.h"
#include "platform/ShellFileOperation.h"

#include <QCoreApplication>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The records of a run's journal, in the order they come (see JournalFormat for the line form):
//   TOKRENU-JOURNAL version
//   RUN      started operation change-mask bulk entries source-folder target-folder
//   E        entry source destination device inode flags attributes permissions creation access write
//                                           (one per entry; from version 2 on, the source goes on from the
//                                           source folder and the destination from the target folder)
//   PLAN-END entries                        the plan is on disk; only now is a file touched
//   D        entry done-steps device inode attributes permissions creation access write
//                                           (an entry finished its steps)
//   RUN-END  stopped bulk-incomplete
//   KEPT     when                           an interrupted run is to stay as it is
//   UNDO     when,  U entry undone-steps,  UNDO-END stopped
//   T        entry path                     (in a run or an undo) the entry's file may wait under this temporary
//                                           name: a cycle of names is broken there; on disk before the move
//   B        entry                          (in an undo) the entry's file is about to be copied back to
//                                           another mount; written through before the copy begins
// Times are seconds since the epoch; "-" is a value not read. In E the values are those the source had before
// the run; in D those the entry had before its own steps, and the identity of the new file a copy made.
namespace JournalTag {
constexpr char kRun[] = "RUN";
constexpr char kEntry[] = "E";
constexpr char kPlanEnd[] = "PLAN-END";
constexpr char kDone[] = "D";
constexpr char kRunEnd[] = "RUN-END";
constexpr char kKept[] = "KEPT";
constexpr char kUndo[] = "UNDO";
constexpr char kUndone[] = "U";
constexpr char kUndoEnd[] = "UNDO-END";
constexpr char kMovingBack[] = "B";
constexpr char kAside[] = "T";
} // namespace JournalTag

namespace JournalEntryFlag {
// The file at the destination is a new one: a copy, or a move to another mount.
constexpr std::uint8_t kNewFile = 1;
// Nothing was at the destination before the run (looked at for new files only).
constexpr std::uint8_t kDestinationFree = 2;
} // namespace JournalEntryFlag

// Old attributes and times: those a file had before something changed them; nothing where not read.
struct OldValues {
    std::optional<qint32> attributes;
    // The write permissions behind the read-only attribute, so that clearing it gives back exactly those.
    std::optional<std::uint32_t> writePermissions;
    std::array<std::optional<qint64>, 3> times; // by FileTimeKind
};

// One entry of a journal, with what the run and the undos after it recorded of it.
struct JournalEntry {
    QString source;
    QString destination;
    std::optional<FileIdentity> sourceIdentity;
    std::uint8_t flags = 0;
    OldValues before; // as the plan was written

    bool done = false; // a D record was read
    std::uint8_t doneSteps = 0;
    std::optional<FileIdentity> placedIdentity;
    OldValues doneBefore;

    std::uint8_t undoneSteps = 0;
    bool movingBack = false; // a B record was read
    // Where the last T record said the file may wait; a D or U record that took the file on empties it.
    QString aside;
};

enum class JournalCondition : std::uint8_t {
    Readable,
    Damaged,
    NewerVersion,
};

// What the marks of a journal say: how far the run got and what became of it.
struct JournalSummary {
    JournalCondition condition = JournalCondition::Readable;
    QString problem; // why it is damaged or cannot be read
    int version = 0;

    bool hasRun = false; // the RUN record was read
    qint64 startedSecs = 0;
    FileOperation operation = FileOperation::Move;
    std::uint16_t changeMask = 0;
    bool bulk = false;
    qsizetype entryCount = 0;
    QString sourceFolder;
    QString targetFolder;

    bool planComplete = false; // files may have been touched only when it is
    bool ended = false;
    bool stopped = false;
    bool bulkIncomplete = false;
    bool kept = false;
    bool undoStarted = false;  // some undo began
    bool undoOpen = false;     // the last undo has no end record: the process ended during it
    bool undoStopped = false;  // the last undo ended stopped
    bool undoFinished = false; // the last undo went through

    // The bytes of the whole records; anything after them was cut off and is never read as a record.
    qint64 wholeLength = 0;

    friend bool operator==(const JournalSummary&, const JournalSummary&) = default;
};

struct JournalContent {
    JournalSummary summary;
    std::vector<JournalEntry> entries; // entry i at index i - 1; empty unless asked for
};

// Reads a journal. A journal cut off anywhere reads as far as its last whole record; one with a record that
// does not check out before others that do, or with records out of order, is damaged, and so is one that is
// not a journal at all. Only the marks are looked at unless the entries are asked for.
class JournalReader final {
    Q_DECLARE_TR_FUNCTIONS(JournalReader)

public:
    static JournalContent read(QByteArrayView bytes, bool withEntries);
};
