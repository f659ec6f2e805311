#include "execution/RunJournal.h"

#include "execution/FileIdentities.h"
#include "execution/JournalFormat.h"
#include "execution/PlanSteps.h"
#include "platform/DateValue.h"
#include "platform/FileSystem.h"
#include "platform/JournalStore.h"

#include <QSet>

#include <array>
#include <climits>

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

// The notes kept beside the journals: for each journal read, its stamp then and what its marks said, so that
// a start reads again only the journals changed since. A line each, in the journal's own line form:
//   TOKRENU-NOTES version
//   S run inode size changed condition version marks started operation change-mask entries whole-length
//     problem source-folder target-folder
// Notes that do not read back whole are not used.
constexpr char kNotesMagic[] = "TOKRENU-NOTES";
constexpr char kSummaryTag[] = "S";
constexpr int kNotesVersion = 1;

struct SummaryNote {
    JournalStamp stamp;
    JournalSummary summary;
};

// The yes-or-no marks of a summary, as the bits of one number.
constexpr std::array kMarks{&JournalSummary::hasRun,      &JournalSummary::bulk,        &JournalSummary::planComplete,
                            &JournalSummary::ended,       &JournalSummary::stopped,     &JournalSummary::bulkIncomplete,
                            &JournalSummary::kept,        &JournalSummary::undoStarted, &JournalSummary::undoOpen,
                            &JournalSummary::undoStopped, &JournalSummary::undoFinished};

QByteArray writeNotes(const QHash<qint64, SummaryNote>& notes) {
    QByteArray out;
    JournalLine(out, kNotesMagic).number(kNotesVersion).end();
    for (auto it = notes.cbegin(); it != notes.cend(); ++it) {
        const JournalStamp& stamp = it->stamp;
        const JournalSummary& summary = it->summary;
        qint64 marks = 0;
        for (std::size_t bit = 0; bit < kMarks.size(); ++bit)
            marks |= summary.*kMarks[bit] ? qint64(1) << bit : 0;
        JournalLine(out, kSummaryTag)
            .number(it.key())
            .unsignedNumber(stamp.inode)
            .number(stamp.size)
            .number(stamp.changedNs)
            .number(static_cast<qint64>(summary.condition))
            .number(summary.version)
            .number(marks)
            .number(summary.startedSecs)
            .number(static_cast<qint64>(summary.operation))
            .number(summary.changeMask)
            .number(summary.entryCount)
            .number(summary.wholeLength)
            .text(summary.problem)
            .text(summary.sourceFolder)
            .text(summary.targetFolder)
            .end();
    }
    return out;
}

std::optional<SummaryNote> readNote(const JournalFormat::Fields& f) {
    // The fields by their place in the line: the tag, twelve numbers, three texts.
    constexpr qsizetype kNumbers = 12;
    if (f.size() != 1 + kNumbers + 3 || f[0] != kSummaryTag)
        return std::nullopt;
    std::array<qint64, 1 + kNumbers> n{};
    for (qsizetype i = 1; i <= kNumbers; ++i) {
        const std::optional<qint64> value = i == 2 ? std::optional<qint64>(0) : JournalFormat::number(f[i]);
        if (!value)
            return std::nullopt;
        n[static_cast<std::size_t>(i)] = *value;
    }
    const auto inode = JournalFormat::unsignedNumber(f[2]);
    const auto problem = JournalFormat::unescape(f[13]);
    const auto sourceFolder = JournalFormat::unescape(f[14]);
    const auto targetFolder = JournalFormat::unescape(f[15]);
    const qint64 condition = n[5];
    const qint64 operation = n[9];
    if (!inode || !problem || !sourceFolder || !targetFolder ||
        condition > static_cast<qint64>(JournalCondition::NewerVersion) || operation < 1 ||
        operation > static_cast<qint64>(FileOperation::Rename) || n[10] > 0xffff || n[6] > INT_MAX)
        return std::nullopt;
    SummaryNote note;
    note.stamp = {.inode = *inode, .size = n[3], .changedNs = n[4]};
    JournalSummary& summary = note.summary;
    summary.condition = static_cast<JournalCondition>(condition);
    summary.version = static_cast<int>(n[6]);
    for (std::size_t bit = 0; bit < kMarks.size(); ++bit)
        summary.*kMarks[bit] = (n[7] & (qint64(1) << bit)) != 0;
    summary.startedSecs = n[8];
    summary.operation = static_cast<FileOperation>(operation);
    summary.changeMask = static_cast<std::uint16_t>(n[10]);
    summary.entryCount = n[11];
    summary.wholeLength = n[12];
    summary.problem = *problem;
    summary.sourceFolder = *sourceFolder;
    summary.targetFolder = *targetFolder;
    return note;
}

// The notes by run; none at all when any line does not read back.
QHash<qint64, SummaryNote> readNotes(QByteArrayView bytes) {
    QHash<qint64, SummaryNote> notes;
    JournalFormat::Fields fields;
    bool first = true;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        if (JournalFormat::splitLine(bytes.first(end < 0 ? bytes.size() : end), end >= 0, fields) !=
            JournalFormat::LineCheck::Whole)
            return {};
        if (first) {
            if (fields.size() != 2 || fields[0] != kNotesMagic || JournalFormat::number(fields[1]) != kNotesVersion)
                return {};
            first = false;
        } else {
            const std::optional<SummaryNote> note = readNote(fields);
            if (!note)
                return {};
            notes.insert(*JournalFormat::number(fields[1]), *note);
        }
        bytes = bytes.sliced(end + 1);
    }
    return notes;
}

} // namespace

RunJournal::RunJournal(JournalStore& store, const FileSystem& fs)
    : m_store(store)
    , m_fs(fs) {}

std::vector<RunRecord> RunJournal::history() const {
    // A journal not changed since it was last read is known from the notes; the others are read, and what
    // they say is noted once they have settled.
    const QHash<qint64, SummaryNote> noted = readNotes(m_store.readNotes());
    QHash<qint64, SummaryNote> notes;
    bool changed = false;
    std::vector<RunRecord> records;
    for (const qint64 run : m_store.runs()) {
        RunRecord record;
        record.run = run;
        const std::optional<JournalStamp> stamp = m_store.stamp(run);
        const auto known = noted.constFind(run);
        if (stamp && !stamp->inUse && known != noted.constEnd() && known->stamp.sameFile(*stamp)) {
            record.summary = known->summary;
            notes.insert(run, *known);
        } else {
            const JournalBytes bytes = m_store.read(run);
            record.inUse = bytes.inUse;
            record.readError = bytes.error;
            if (bytes.error.isEmpty())
                record.summary = JournalReader::read(bytes.bytes, false).summary;
            if (stamp && stamp->settled && !stamp->inUse && !bytes.inUse && bytes.error.isEmpty()) {
                notes.insert(run, {*stamp, record.summary});
                changed = true;
            }
        }
        records.push_back(std::move(record));
    }
    if (changed || notes.size() != noted.size())
        m_store.writeNotes(writeNotes(notes));
    return records;
}

void RunJournal::noteWritten(JournalStore& store, qint64 run, const JournalSummary& summary) {
    // A later change of the same length within the change time's coarse step would not show: but every writer of
    // a journal only adds to it, or cuts off a record left unfinished, which a journal that ended has not.
    // Marks after an incomplete plan make a journal that does not read back: only a reading tells those.
    if (summary.condition != JournalCondition::Readable || !summary.planComplete)
        return;
    const std::optional<JournalStamp> stamp = store.stamp(run);
    if (!stamp || stamp->inUse || stamp->size != summary.wholeLength)
        return;
    QHash<qint64, SummaryNote> notes = readNotes(store.readNotes());
    notes.insert(run, {*stamp, summary});
    store.writeNotes(writeNotes(notes));
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
    source.summary = summary;
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
