#include "execution/JournalRecords.h"

#include "execution/JournalFormat.h"
#include "execution/RenamePlan.h"

#include <algorithm>
#include <future>
#include <iterator>

namespace {

using JournalFormat::Fields;

constexpr qsizetype kMaxEntries = qsizetype(1) << 28;
// No entry record is shorter: its tag, number, two names, identity, flags, five old values and checksum.
constexpr qsizetype kShortestEntryBytes = 32;
constexpr std::uint8_t kTimeSteps = DoneStep::kCreationTime | DoneStep::kLastAccessTime | DoneStep::kLastWriteTime;

std::optional<std::optional<qint64>> optionalNumber(QByteArrayView field) {
    if (field == JournalFormat::kNone)
        return std::optional<qint64>();
    if (const auto value = JournalFormat::number(field))
        return std::optional<qint64>(*value);
    return std::nullopt;
}

// Device and inode, both given or both "-"; nothing when they are anything else.
std::optional<std::optional<FileIdentity>> identity(QByteArrayView device, QByteArrayView inode) {
    if (device == JournalFormat::kNone && inode == JournalFormat::kNone)
        return std::optional<FileIdentity>();
    const auto d = JournalFormat::unsignedNumber(device);
    const auto i = JournalFormat::unsignedNumber(inode);
    if (!d || !i)
        return std::nullopt;
    return std::optional<FileIdentity>(FileIdentity{*d, *i});
}

// Attributes, write permissions and the three times from five fields.
bool oldValues(const Fields& fields, qsizetype first, OldValues& values) {
    const auto attributes = optionalNumber(fields[first]);
    if (!attributes || (*attributes && (**attributes < 0 || **attributes > 0xffff)))
        return false;
    if (*attributes)
        values.attributes = static_cast<qint32>(**attributes);
    const auto permissions = optionalNumber(fields[first + 1]);
    if (!permissions || (*permissions && (**permissions < 0 || **permissions > 0777)))
        return false;
    if (*permissions)
        values.writePermissions = static_cast<std::uint32_t>(**permissions);
    for (std::size_t k = 0; k < values.times.size(); ++k) {
        const auto time = optionalNumber(fields[first + 2 + static_cast<qsizetype>(k)]);
        if (!time)
            return false;
        values.times[k] = *time;
    }
    return true;
}

std::optional<bool> flag(QByteArrayView field) {
    if (field == "0")
        return false;
    if (field == "1")
        return true;
    return std::nullopt;
}

bool absolutePath(const std::optional<QString>& path) {
    return path && path->startsWith(QLatin1Char('/')) && !path->contains(QChar(0));
}

// The paths, identity, flags and old values of an entry record of the summary's run; false when any is not what
// such a record may hold.
bool decodeEntry(const Fields& f, const JournalSummary& summary, JournalEntry& entry) {
    // From version 2 on, the paths go on from the run's folders, each at least a name.
    const bool fromFolders = summary.version >= 2;
    if (fromFolders && (f[2].isEmpty() || f[3].isEmpty()))
        return false;
    auto source = JournalFormat::unescape(f[2], fromFolders ? summary.sourceFolder : QString());
    auto destination = JournalFormat::unescape(f[3], fromFolders ? summary.targetFolder : QString());
    const auto sourceIdentity = identity(f[4], f[5]);
    const auto flags = JournalFormat::number(f[6]);
    if (!absolutePath(source) || !absolutePath(destination) || !sourceIdentity || !flags || *flags < 0 ||
        *flags > (JournalEntryFlag::kNewFile | JournalEntryFlag::kDestinationFree) || !oldValues(f, 7, entry.before))
        return false;
    entry.source = std::move(*source);
    entry.destination = std::move(*destination);
    entry.sourceIdentity = *sourceIdentity;
    entry.flags = static_cast<std::uint8_t>(*flags);
    return true;
}

// A plan of this many entries has its second half read on a thread of its own.
constexpr qsizetype kEntriesAheadFrom = 8192;

// Entry records read ahead from a line start on: as many as follow one another whole and sound, numbered on from
// the first.
struct EntriesAhead {
    qsizetype end = 0; // just after the last of them
    qsizetype firstNumber = 0;
    std::vector<JournalEntry> entries;
};

EntriesAhead readEntriesAhead(QByteArrayView bytes, qsizetype at, const JournalSummary& summary) {
    EntriesAhead ahead;
    Fields fields;
    for (;;) {
        const qsizetype feed = JournalFormat::find(bytes, '\n', at);
        if (feed < 0 ||
            JournalFormat::splitLine(bytes.sliced(at, feed - at), true, fields) != JournalFormat::LineCheck::Whole ||
            fields[0] != JournalTag::kEntry || fields.size() != 12)
            break;
        const auto number = JournalFormat::number(fields[1]);
        const qsizetype next = ahead.firstNumber + static_cast<qsizetype>(ahead.entries.size());
        if (!number || *number < 1 || *number > summary.entryCount || (!ahead.entries.empty() && *number != next))
            break;
        JournalEntry entry;
        if (!decodeEntry(fields, summary, entry))
            break;
        if (ahead.entries.empty()) {
            ahead.firstNumber = *number;
            ahead.entries.reserve(static_cast<std::size_t>(
                std::min(summary.entryCount - *number + 1, (bytes.size() - at) / kShortestEntryBytes)));
        }
        ahead.entries.push_back(std::move(entry));
        at = feed + 1;
        ahead.end = at;
    }
    return ahead;
}

class Reader {
public:
    Reader(JournalContent& content, bool withEntries)
        : m_content(content)
        , m_summary(content.summary)
        , m_withEntries(withEntries) {}

    void read(QByteArrayView bytes) {
        m_bytes = bytes.size();
        qsizetype at = 0;
        qsizetype lineNumber = 0;
        while (at < bytes.size()) {
            if (at == m_aheadFrom)
                takeEntriesAhead(at, lineNumber);
            const qsizetype feed = JournalFormat::find(bytes, '\n', at);
            const bool whole = feed >= 0;
            const QByteArrayView line = bytes.sliced(at, (whole ? feed : bytes.size()) - at);
            ++lineNumber;
            if (lineNumber == 1 && !readHeader(line, whole))
                return;
            Fields fields;
            const JournalFormat::LineCheck check = JournalFormat::splitLine(line, whole, fields);
            if (check == JournalFormat::LineCheck::CutOff)
                return;
            if (check == JournalFormat::LineCheck::Broken) {
                // A broken last line is where the writing stopped; one with whole records after it is damage.
                if (hasWholeRecordAfter(bytes, feed + 1))
                    damaged(lineNumber);
                return;
            }
            if (lineNumber > 1 && !take(fields)) {
                damaged(lineNumber);
                return;
            }
            at = feed + 1;
            m_summary.wholeLength = at;
            if (lineNumber == 2 && m_withEntries)
                readEntriesAheadFrom(bytes, at);
        }
    }

private:
    // The magic and version come first, so that a newer journal is told as such whatever else it holds.
    bool readHeader(QByteArrayView line, bool whole) {
        const QByteArrayView magic(JournalFormat::kMagic);
        const QByteArrayView start = line.first(std::min(line.size(), magic.size()));
        if (!magic.startsWith(start)) {
            notAJournal();
            return false;
        }
        if (!whole)
            return false; // cut off within its first record: the run never began
        const qsizetype tab = JournalFormat::find(line, '\t', magic.size() + 1);
        if (line.size() <= magic.size() || line[magic.size()] != '\t' || tab < 0) {
            notAJournal();
            return false;
        }
        const auto version = JournalFormat::number(line.sliced(magic.size() + 1, tab - magic.size() - 1));
        if (version && *version > JournalFormat::kVersion) {
            m_summary.condition = JournalCondition::NewerVersion;
            m_summary.version = static_cast<int>(std::min<qint64>(*version, 1 << 30));
            m_summary.problem =
                JournalReader::tr("新しい版の Tokrenu で書かれた作業の記録です（版 %1）。").arg(m_summary.version);
            return false;
        }
        Fields fields;
        if (JournalFormat::splitLine(line, true, fields) != JournalFormat::LineCheck::Whole || fields.size() != 2 ||
            !version || *version < 1) {
            notAJournal();
            return false;
        }
        m_summary.version = static_cast<int>(*version);
        return true;
    }

    // A long plan: the entry records from about its middle on are read meanwhile on a thread of their own, from the
    // first line start after where the middle would be were all entries as long as the first.
    void readEntriesAheadFrom(QByteArrayView bytes, qsizetype planStart) {
        const qsizetype firstEnd = JournalFormat::find(bytes, '\n', planStart);
        if (m_summary.entryCount < kEntriesAheadFrom || firstEnd < 0)
            return;
        const qsizetype middle = planStart + (firstEnd + 1 - planStart) * (m_summary.entryCount / 2);
        const qsizetype feed = middle < bytes.size() ? JournalFormat::find(bytes, '\n', middle) : -1;
        if (feed < 0 || feed + 1 >= bytes.size())
            return;
        m_aheadFrom = feed + 1;
        m_ahead = std::async(std::launch::async, readEntriesAhead, bytes, m_aheadFrom, m_summary);
    }

    // The records read ahead, when they go on from the entries taken so far, are taken as they stand: they were
    // checked as takeEntry() checks them. Any other record there, or damage, is read again here and told.
    void takeEntriesAhead(qsizetype& at, qsizetype& lineNumber) {
        EntriesAhead ahead = m_ahead.get();
        if (ahead.entries.empty() || m_summary.planComplete || ahead.firstNumber != m_entriesRead + 1)
            return;
        const auto count = static_cast<qsizetype>(ahead.entries.size());
        m_content.entries.insert(m_content.entries.end(), std::make_move_iterator(ahead.entries.begin()),
                                 std::make_move_iterator(ahead.entries.end()));
        m_entriesRead += count;
        lineNumber += count;
        at = ahead.end;
        m_summary.wholeLength = at;
    }

    static bool hasWholeRecordAfter(QByteArrayView bytes, qsizetype from) {
        while (from > 0 && from < bytes.size()) {
            const qsizetype feed = JournalFormat::find(bytes, '\n', from);
            if (feed < 0)
                return false;
            Fields fields;
            if (JournalFormat::splitLine(bytes.sliced(from, feed - from), true, fields) ==
                JournalFormat::LineCheck::Whole)
                return true;
            from = feed + 1;
        }
        return false;
    }

    void notAJournal() {
        m_summary.condition = JournalCondition::Damaged;
        m_summary.problem = JournalReader::tr("作業の記録ではありません。");
    }

    void damaged(qsizetype lineNumber) {
        m_summary.condition = JournalCondition::Damaged;
        m_summary.problem = JournalReader::tr("%1 行目が壊れています。").arg(lineNumber);
    }

    // Takes one whole record; false when it does not belong where it is.
    bool take(const Fields& f) {
        const QByteArrayView tag = f[0];
        if (!m_summary.hasRun)
            return tag == JournalTag::kRun && takeRun(f);
        if (!m_summary.planComplete) {
            if (tag == JournalTag::kEntry)
                return takeEntry(f);
            if (tag != JournalTag::kPlanEnd || f.size() != 2 || JournalFormat::number(f[1]) != m_summary.entryCount ||
                m_entriesRead != m_summary.entryCount)
                return false;
            m_summary.planComplete = true;
            return true;
        }
        if (tag == JournalTag::kDone)
            return !m_summary.ended && takeDone(f);
        if (tag == JournalTag::kRunEnd) {
            const auto stopped = f.size() == 3 ? flag(f[1]) : std::nullopt;
            const auto incomplete = f.size() == 3 ? flag(f[2]) : std::nullopt;
            if (m_summary.ended || !stopped || !incomplete)
                return false;
            m_summary.ended = true;
            m_summary.stopped = *stopped;
            m_summary.bulkIncomplete = *incomplete;
            return true;
        }
        if (tag == JournalTag::kKept) {
            if (f.size() != 2 || !JournalFormat::number(f[1]))
                return false;
            m_summary.kept = true;
            return true;
        }
        if (tag == JournalTag::kUndo) {
            if (f.size() != 2 || !JournalFormat::number(f[1]))
                return false;
            m_summary.undoStarted = true;
            m_summary.undoOpen = true;
            m_summary.undoStopped = false;
            m_summary.undoFinished = false;
            return true;
        }
        if (tag == JournalTag::kUndone)
            return m_summary.undoOpen && takeUndone(f);
        if (tag == JournalTag::kMovingBack)
            return m_summary.undoOpen && takeMovingBack(f);
        if (tag == JournalTag::kAside)
            return (m_summary.undoOpen || (!m_summary.ended && !m_summary.undoStarted)) && takeAside(f);
        if (tag == JournalTag::kUndoEnd) {
            const auto stopped = f.size() == 2 ? flag(f[1]) : std::nullopt;
            if (!m_summary.undoOpen || !stopped)
                return false;
            m_summary.undoOpen = false;
            m_summary.undoStopped = *stopped;
            m_summary.undoFinished = !*stopped;
            return true;
        }
        return false;
    }

    bool takeRun(const Fields& f) {
        if (f.size() != 8)
            return false;
        const auto started = JournalFormat::number(f[1]);
        const auto operation = JournalFormat::number(f[2]);
        const auto mask = JournalFormat::number(f[3]);
        const auto bulk = flag(f[4]);
        const auto count = JournalFormat::number(f[5]);
        auto sourceFolder = JournalFormat::unescape(f[6]);
        auto targetFolder = JournalFormat::unescape(f[7]);
        constexpr qint64 kKnownMask = ChangeMask::kAttributes | ChangeMask::kCreationTime |
                                      ChangeMask::kLastAccessTime | ChangeMask::kLastWriteTime;
        if (!started || !operation || (*operation != 1 && *operation != 2) || !mask || (*mask & ~kKnownMask) != 0 ||
            !bulk || !count || *count < 0 || *count > kMaxEntries || !sourceFolder || !targetFolder)
            return false;
        m_summary.hasRun = true;
        m_summary.startedSecs = *started;
        m_summary.operation = static_cast<FileOperation>(*operation);
        m_summary.changeMask = static_cast<std::uint16_t>(*mask);
        m_summary.bulk = *bulk;
        m_summary.entryCount = static_cast<qsizetype>(*count);
        m_summary.sourceFolder = std::move(*sourceFolder);
        m_summary.targetFolder = std::move(*targetFolder);
        return true;
    }

    bool takeEntry(const Fields& f) {
        if (f.size() != 12 || m_entriesRead >= m_summary.entryCount || JournalFormat::number(f[1]) != m_entriesRead + 1)
            return false;
        ++m_entriesRead;
        if (!m_withEntries)
            return true;
        JournalEntry entry;
        if (!decodeEntry(f, m_summary, entry))
            return false;
        if (m_content.entries.empty())
            m_content.entries.reserve(
                static_cast<std::size_t>(std::min(m_summary.entryCount, m_bytes / kShortestEntryBytes)));
        m_content.entries.push_back(std::move(entry));
        return true;
    }

    // The index of an entry of the plan, from 0; nothing when out of range.
    std::optional<std::size_t> entryIndex(QByteArrayView field) const {
        const auto i = JournalFormat::number(field);
        if (!i || *i < 1 || *i > m_summary.entryCount)
            return std::nullopt;
        return static_cast<std::size_t>(*i - 1);
    }

    [[nodiscard]] std::uint8_t allowedSteps() const {
        return (m_summary.operation == FileOperation::Copy ? DoneStep::kCopied : DoneStep::kMoved) |
               DoneStep::kAttributes | kTimeSteps;
    }

    bool takeDone(const Fields& f) {
        const auto index = f.size() == 10 ? entryIndex(f[1]) : std::nullopt;
        const auto steps = f.size() == 10 ? JournalFormat::number(f[2]) : std::nullopt;
        if (!index || !steps || *steps < 0 || (*steps & ~qint64(allowedSteps())) != 0)
            return false;
        const auto placed = identity(f[3], f[4]);
        OldValues before;
        if (!placed || !oldValues(f, 5, before))
            return false;
        if (!m_withEntries)
            return true;
        JournalEntry& entry = m_content.entries[*index];
        entry.done = true;
        entry.doneSteps = static_cast<std::uint8_t>(*steps);
        if (*placed)
            entry.placedIdentity = *placed;
        entry.doneBefore = before;
        entry.aside.clear();
        return true;
    }

    bool takeUndone(const Fields& f) {
        const auto index = f.size() == 3 ? entryIndex(f[1]) : std::nullopt;
        const qint64 steps = f.size() == 3 ? JournalFormat::number(f[2]).value_or(-1) : -1;
        // A move to another mount that ended between its copy and the removal of its source left a copy,
        // which its undo deletes.
        const std::uint8_t allowed = allowedSteps() | DoneStep::kCopied;
        if (!index || steps < 0 || (steps & ~qint64(allowed)) != 0)
            return false;
        if (m_withEntries) {
            m_content.entries[*index].undoneSteps |= static_cast<std::uint8_t>(steps);
            if ((steps & DoneStep::kMoved) != 0)
                m_content.entries[*index].aside.clear();
        }
        return true;
    }

    bool takeAside(const Fields& f) {
        const auto index = f.size() == 3 ? entryIndex(f[1]) : std::nullopt;
        auto path = f.size() == 3 ? JournalFormat::unescape(f[2]) : std::nullopt;
        if (!index || !absolutePath(path))
            return false;
        if (m_withEntries)
            m_content.entries[*index].aside = std::move(*path);
        return true;
    }

    bool takeMovingBack(const Fields& f) {
        const auto index = f.size() == 2 ? entryIndex(f[1]) : std::nullopt;
        if (!index)
            return false;
        if (m_withEntries)
            m_content.entries[*index].movingBack = true;
        return true;
    }

    JournalContent& m_content;
    JournalSummary& m_summary;
    bool m_withEntries;
    qsizetype m_entriesRead = 0;
    qsizetype m_bytes = 0; // of the whole journal: no more entries than fit in it are made room for
    qsizetype m_aheadFrom = -1;
    std::future<EntriesAhead> m_ahead;
};

} // namespace

JournalContent JournalReader::read(QByteArrayView bytes, bool withEntries) {
    JournalContent content;
    Reader(content, withEntries).read(bytes);
    if (content.summary.condition != JournalCondition::Readable)
        content.entries.clear();
    return content;
}
