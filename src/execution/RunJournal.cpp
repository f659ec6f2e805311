#include "execution/RunJournal.h"

#include "execution/FileIdentities.h"
#include "execution/PlanSteps.h"
#include "platform/DateValue.h"
#include "platform/FileSystem.h"
#include "platform/JournalStore.h"

#include <QSet>

namespace {

constexpr std::uint8_t kPlaced = DoneStep::kMoved | DoneStep::kCopied;

// Puts the old values into the entry for the steps it has done, and drops a step whose old value is unknown:
// there is nothing to put back then.
void takeOldValues(RenameEntry& entry, const OldValues& values) {
    if (values.attributes) {
        entry.attributes = *values.attributes;
        entry.writePermissions = values.writePermissions;
    } else
        entry.doneSteps &= ~DoneStep::kAttributes;
    for (const TimeStep& step : timeSteps()) {
        const std::optional<qint64>& secs = values.times[static_cast<std::size_t>(step.kind)];
        if (secs)
            entry.*step.field = DateValue::fromSecsSinceEpoch(*secs);
        else
            entry.doneSteps &= ~step.done;
    }
}

// The changes beyond the name the plan asked for and that can have been made.
std::uint8_t plannedChanges(std::uint16_t mask, const FileSystem& fs) {
    std::uint8_t steps = (mask & ChangeMask::kAttributes) != 0 ? DoneStep::kAttributes : 0;
    for (const TimeStep& step : timeSteps()) {
        if ((mask & step.mask) != 0 && fs.canSetFileTime(step.kind))
            steps |= step.done;
    }
    return steps;
}

} // namespace

RunJournal::RunJournal(JournalStore& store, const FileSystem& fs)
    : m_store(store)
    , m_fs(fs) {}

std::vector<RunRecord> RunJournal::history() const {
    std::vector<RunRecord> records;
    for (const qint64 run : m_store.runs()) {
        const JournalBytes bytes = m_store.read(run);
        RunRecord record;
        record.run = run;
        record.inUse = bytes.inUse;
        record.readError = bytes.error;
        if (bytes.error.isEmpty())
            record.summary = JournalReader::read(bytes.bytes, false).summary;
        records.push_back(std::move(record));
    }
    return records;
}

qint64 RunJournal::lastRunToUndo(const std::vector<RunRecord>& runs) {
    // Newest first.
    for (std::size_t k = runs.size(); k-- > 0;) {
        const RunRecord& record = runs[k];
        if (record.inUse)
            continue;
        if (!record.readError.isEmpty() || record.summary.condition != JournalCondition::Readable)
            return record.run;
        if (record.summary.planComplete && !record.summary.undoFinished)
            return record.run;
    }
    return 0;
}

std::vector<qint64> RunJournal::unansweredInterruptions(const std::vector<RunRecord>& runs) {
    std::vector<qint64> found;
    // Newest first.
    for (std::size_t k = runs.size(); k-- > 0;) {
        const RunRecord& record = runs[k];
        const JournalSummary& s = record.summary;
        if (!record.inUse && record.readError.isEmpty() && s.condition == JournalCondition::Readable &&
            s.planComplete && !s.ended && !s.kept && !s.undoStarted)
            found.push_back(record.run);
    }
    return found;
}

UndoState RunJournal::undoStateOf(const JournalSummary& summary) {
    if (!summary.planComplete || summary.undoFinished)
        return UndoState::Nothing;
    if (summary.undoOpen || summary.undoStopped)
        return UndoState::UndoInterrupted;
    if (summary.ended && summary.bulkIncomplete)
        return UndoState::BulkRunFailed;
    return UndoState::Run;
}

UndoSource RunJournal::loadForUndo(qint64 run) const {
    UndoSource source;
    const QString path = m_store.pathOf(run);
    const JournalBytes bytes = m_store.read(run);
    if (!bytes.error.isEmpty()) {
        source.problem = tr("作業の記録を読めないため、元に戻せません。") + QStringLiteral("\r\n") + path +
                         QStringLiteral(": ") + bytes.error;
        return source;
    }
    if (bytes.inUse) {
        source.problem = tr("この作業の記録には、別の Tokrenu が書き込んでいるところです。");
        return source;
    }
    JournalContent content = JournalReader::read(bytes.bytes, true);
    const JournalSummary& summary = content.summary;
    if (summary.condition != JournalCondition::Readable) {
        source.problem =
            (summary.condition == JournalCondition::NewerVersion ? tr("作業の記録を読めないため、元に戻せません。")
                                                                 : tr("作業の記録が壊れているため、元に戻せません。")) +
            QStringLiteral("\r\n") + path + QStringLiteral(": ") + summary.problem;
        return source;
    }
    source.state = undoStateOf(summary);
    source.wholeLength = summary.wholeLength;
    source.startedSecs = summary.startedSecs;
    if (!summary.planComplete)
        return source;
    source.interrupted = !summary.ended;
    if (source.interrupted || summary.undoOpen) {
        QSet<QString> folders;
        for (const JournalEntry& entry : content.entries) {
            if ((entry.flags & JournalEntryFlag::kNewFile) == 0)
                continue;
            folders.insert(entry.source.left(entry.source.lastIndexOf(QLatin1Char('/')) + 1));
            folders.insert(entry.destination.left(entry.destination.lastIndexOf(QLatin1Char('/')) + 1));
        }
        source.copyFolders = folders.values();
        source.copyFolders.sort();
    }

    std::vector<RenameEntry> entries(content.entries.size());
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const JournalEntry& from = content.entries[k];
        RenameEntry& entry = entries[k];
        entry.sourcePath = from.source;
        entry.destPath = from.destination;
        entry.sourceIdentity = from.sourceIdentity;
        if (!source.interrupted && from.done) {
            entry.doneSteps = from.doneSteps;
            entry.placedIdentity = from.placedIdentity;
            if (!entry.placedIdentity && (from.flags & JournalEntryFlag::kNewFile) == 0)
                entry.placedIdentity = from.sourceIdentity;
            takeOldValues(entry, from.doneBefore);
        }
    }
    if (source.interrupted)
        findFiles(content, entries);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        RenameEntry& entry = entries[k];
        const JournalEntry& from = content.entries[k];
        entry.doneSteps &= ~from.undoneSteps;
        entry.moveBackBegun = from.movingBack;
        // A file that stepped aside to break a cycle of names, and is still there, is taken back from there.
        if (from.aside.isEmpty())
            continue;
        const std::optional<FileIdentity> expected = entry.placedIdentity ? entry.placedIdentity : from.sourceIdentity;
        if (expected && m_fs.fileIdentity(from.aside) == expected) {
            entry.temporaryPath = from.aside;
            entry.placedIdentity = expected;
            entry.doneSteps |= DoneStep::kMoved;
        }
    }
    source.plan.emplace(std::move(entries), summary.changeMask);
    if (summary.ended && summary.bulkIncomplete)
        source.plan->setRowsShowOldPaths();
    return source;
}

// The run ended without its end mark, and the marks of its last entries may be lost with it: each file is
// looked for where the run was to put it and where it was, by its identity. What was done to an entry whose
// record is lost is taken to be everything the plan asked for; putting back an old value that never changed
// changes nothing.
void RunJournal::findFiles(const JournalContent& content, std::vector<RenameEntry>& entries) const {
    const bool copy = content.summary.operation == FileOperation::Copy;
    const std::uint8_t changes = plannedChanges(content.summary.changeMask, m_fs);
    IdentityLookup files(m_fs);
    for (const JournalEntry& entry : content.entries) {
        files.expect(entry.source);
        files.expect(entry.destination);
    }
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const JournalEntry& from = content.entries[k];
        RenameEntry& entry = entries[k];
        const std::uint8_t recordedChanges = from.done ? from.doneSteps & ~kPlaced : changes;
        const OldValues& before = from.done ? from.doneBefore : from.before;
        if (!from.sourceIdentity)
            continue; // the source was not there when the run began: nothing of it was touched
        if (from.source == from.destination) {
            entry.doneSteps = recordedChanges;
            entry.placedIdentity = from.sourceIdentity;
            takeOldValues(entry, before);
            continue;
        }
        const bool newFile = (from.flags & JournalEntryFlag::kNewFile) != 0;
        const std::optional<FileIdentity> expected =
            from.placedIdentity ? from.placedIdentity : (newFile ? std::nullopt : from.sourceIdentity);
        std::uint8_t placed = 0;
        if (expected) {
            if (files.holds(from.destination, *expected)) {
                placed = copy ? DoneStep::kCopied : DoneStep::kMoved;
            } else if ((from.done && (from.doneSteps & kPlaced) != 0) ||
                       (!copy && !files.holds(from.source, *from.sourceIdentity))) {
                // Gone from where it was, and not where it was to go: undo says so, and touches nothing.
                placed = from.done ? from.doneSteps & kPlaced : DoneStep::kMoved;
            }
            entry.placedIdentity = expected;
        } else if ((from.flags & JournalEntryFlag::kDestinationFree) != 0) {
            // A new file where there was none: this run's copy. A move that had not yet removed its source has
            // left a copy too, which goes; one that had is the moved file.
            if (const std::optional<FileIdentity> atDestination = files.at(from.destination)) {
                const bool sourceStays = copy || files.holds(from.source, *from.sourceIdentity);
                placed = sourceStays ? DoneStep::kCopied : DoneStep::kMoved;
                entry.placedIdentity = atDestination;
            }
        }
        if (placed == 0)
            continue;
        entry.doneSteps = placed | recordedChanges;
        takeOldValues(entry, before);
    }
}
