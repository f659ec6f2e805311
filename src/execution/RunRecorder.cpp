#include "execution/RunRecorder.h"

#include "execution/FileIdentities.h"
#include "execution/JournalFormat.h"
#include "execution/PlanSteps.h"
#include "execution/RenamePlan.h"
#include "execution/RunJournal.h"
#include "platform/AttributeBits.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/JournalStore.h"

#include <QHash>

#include <cstring>
#include <future>
#include <utility>

namespace {

// A long plan goes to the file in pieces of about this size.
constexpr qsizetype kPieceBytes = qsizetype(512) * 1024;

// Writes a long plan in pieces, each on a thread of its own while the next is put together: the file system takes
// its time over pages it has not held before, and the lines take theirs. Two buffers take turns, so that the
// pieces after the first fill memory already in use.
class PlanPieces {
public:
    explicit PlanPieces(JournalFile& file)
        : m_file(file) {
        m_filling.reserve(kPieceBytes + 4096);
    }
    PlanPieces(const PlanPieces&) = delete;
    PlanPieces& operator=(const PlanPieces&) = delete;
    ~PlanPieces() { static_cast<void>(finish()); }

    // Where the lines go.
    QByteArray& bytes() { return m_filling; }
    // The bytes handed to the file so far.
    [[nodiscard]] qint64 handed() const { return m_handed; }
    // Hands the piece on once it is long enough.
    void maybeWrite() {
        if (m_filling.size() < kPieceBytes)
            return;
        if (!finish())
            return;
        std::swap(m_filling, m_writing);
        m_filling.resize(0); // keeps its room
        m_handed += m_writing.size();
        m_written = std::async(std::launch::async, [this] { return m_file.append(m_writing); });
    }
    // Waits for the piece being written: false if a piece could not be.
    bool finish() {
        if (m_written.valid() && !m_written.get())
            m_failed = true;
        return !m_failed;
    }

private:
    JournalFile& m_file;
    QByteArray m_filling;
    QByteArray m_writing;
    std::future<bool> m_written;
    qint64 m_handed = 0;
    bool m_failed = false;
};

QStringView folderOf(const QString& path) {
    return QStringView(path).left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The folder all paths lie in (each path's own folder or one above it).
QString commonFolder(const std::vector<RenameEntry>& entries, QString RenameEntry::*path) {
    if (entries.empty())
        return {};
    QStringView common = folderOf(entries.front().*path);
    // Compared as plain characters: this runs once for every entry.
    const auto startsWithCommon = [&common](QStringView folder) {
        return folder.size() >= common.size() &&
               std::memcmp(folder.data(), common.data(), static_cast<std::size_t>(common.size()) * sizeof(QChar)) == 0;
    };
    for (const RenameEntry& entry : entries) {
        const QStringView folder = folderOf(entry.*path);
        while (!startsWithCommon(folder))
            common = common.left(common.chopped(1).lastIndexOf(QLatin1Char('/')) + 1);
    }
    return common.toString();
}

// The mount of each folder, looked at once: most plans have one or two folders.
class MountCache {
public:
    explicit MountCache(const FileSystem& fs)
        : m_fs(fs) {}

    // The folder must outlive the cache.
    std::optional<std::uint64_t> mountOf(QStringView folder) {
        if (m_last && folder == m_lastFolder)
            return *m_last;
        auto it = m_mounts.constFind(folder);
        if (it == m_mounts.constEnd())
            it = m_mounts.insert(folder, m_fs.folderMount(folder.toString()));
        m_lastFolder = folder;
        m_last = &*it;
        return *it;
    }

private:
    const FileSystem& m_fs;
    QHash<QStringView, std::optional<std::uint64_t>> m_mounts;
    QStringView m_lastFolder;
    const std::optional<std::uint64_t>* m_last = nullptr;
};

void appendOldValues(JournalLine& line, const OldValues& values) {
    line.optionalNumber(values.attributes);
    line.optionalNumber(values.writePermissions);
    for (const std::optional<qint64>& time : values.times)
        line.optionalNumber(time);
}

void appendIdentity(JournalLine& line, const std::optional<FileIdentity>& identity) {
    if (identity) {
        line.unsignedNumber(identity->device).unsignedNumber(identity->inode);
        return;
    }
    line.optionalNumber(std::optional<qint64>()).optionalNumber(std::optional<qint64>());
}

} // namespace

std::unique_ptr<RunRecorder> RunRecorder::begin(JournalStore& store,
                                                const RenamePlan& plan,
                                                FileOperation operation,
                                                bool bulk,
                                                const FileSystem& fs,
                                                const Clock& clock,
                                                QString& error) {
    qint64 run = 0;
    QString reason;
    std::unique_ptr<JournalFile> file = store.create(run, reason);
    if (!file) {
        error = store.location() + QStringLiteral(": ") + reason;
        return nullptr;
    }
    const std::vector<RenameEntry>& entries = plan.entries();
    // The folders of the sources are read while the records begin.
    IdentityLookup files(fs);
    for (const RenameEntry& entry : entries)
        files.expect(entry.sourcePath);
    files.readAhead();
    const std::uint16_t mask = plan.changeMask();
    PlanPieces pieces(*file);
    QByteArray& bytes = pieces.bytes();
    JournalLine(bytes, JournalFormat::kMagic).number(JournalFormat::kVersion).end();
    // The entries' paths are written from these folders on.
    const QString sourceFolder = commonFolder(entries, &RenameEntry::sourcePath);
    const QString targetFolder = commonFolder(entries, &RenameEntry::destPath);
    const qint64 started = clock.now().toSecsSinceEpoch();
    JournalLine(bytes, JournalTag::kRun)
        .number(started)
        .number(static_cast<qint64>(operation))
        .number(mask)
        .number(bulk ? 1 : 0)
        .number(plan.upperBound())
        .text(sourceFolder)
        .text(targetFolder)
        .end();

    // A move keeps its file, and so its identity, unless it leaves its mount; anything else makes a new file,
    // whose identity only the step itself can tell.
    MountCache mounts(fs);
    // Looked up together, before the records are put together: a loop of look-ups alone lets the processor wait
    // for many at once.
    const std::vector<std::optional<FileIdentity>> identities =
        files.atEach(entries.size(), [&entries](std::size_t k) -> const QString& { return entries[k].sourcePath; });
    std::vector<bool> newFiles(entries.size() + 1, false);
    for (qsizetype i = 1; i <= plan.upperBound(); ++i) {
        const RenameEntry& entry = plan.entry(i);
        std::uint8_t flags = 0;
        if (entry.destPath != entry.sourcePath) {
            const auto from = mounts.mountOf(folderOf(entry.sourcePath));
            const auto to = mounts.mountOf(folderOf(entry.destPath));
            if (operation == FileOperation::Copy || !from || !to || *from != *to) {
                flags |= JournalEntryFlag::kNewFile;
                newFiles[static_cast<std::size_t>(i)] = true;
                if (!fs.fileIdentity(entry.destPath))
                    flags |= JournalEntryFlag::kDestinationFree;
            }
        }
        OldValues before;
        if ((mask & ChangeMask::kAttributes) != 0) {
            if (const qint32 bits = fs.attributes(entry.sourcePath); bits != AttributeBits::kMissing)
                before.attributes = bits;
            before.writePermissions = fs.writePermissions(entry.sourcePath);
        }
        for (const TimeStep& step : timeSteps()) {
            if ((mask & step.mask) != 0)
                before.times[static_cast<std::size_t>(step.kind)] = fs.fileTime(entry.sourcePath, step.kind);
        }
        JournalLine line(bytes, JournalTag::kEntry);
        line.number(i)
            .text(QStringView(entry.sourcePath).sliced(sourceFolder.size()))
            .text(QStringView(entry.destPath).sliced(targetFolder.size()));
        appendIdentity(line, identities[static_cast<std::size_t>(i - 1)]);
        line.number(flags);
        appendOldValues(line, before);
        line.end();
        pieces.maybeWrite();
    }
    JournalLine(bytes, JournalTag::kPlanEnd).number(plan.upperBound()).end();
    if (!pieces.finish() || !file->append(bytes) || !file->sync()) {
        error = store.pathOf(run) + QStringLiteral(": ") + file->error();
        file.reset();
        static_cast<void>(store.remove(run));
        return nullptr;
    }
    // What a reading of the journal will find, the folders as their text reads back.
    JournalSummary summary;
    summary.version = JournalFormat::kVersion;
    summary.hasRun = true;
    summary.startedSecs = started;
    summary.operation = operation;
    summary.changeMask = mask;
    summary.bulk = bulk;
    summary.entryCount = plan.upperBound();
    summary.sourceFolder = QString::fromUtf8(sourceFolder.toUtf8());
    summary.targetFolder = QString::fromUtf8(targetFolder.toUtf8());
    summary.planComplete = true;
    summary.wholeLength = pieces.handed() + bytes.size();
    std::unique_ptr<RunRecorder> recorder(
        new RunRecorder(store, std::move(file), run, fs, std::move(newFiles), std::move(summary)));
    std::vector<qint64> old = store.runs();
    old.resize(old.size() > kKeptRuns ? old.size() - kKeptRuns : 0);
    if (!old.empty()) {
        recorder->m_pruning = std::async(std::launch::async, [&store, old = std::move(old)] {
            for (const qint64 gone : old)
                static_cast<void>(store.remove(gone));
        });
    }
    return recorder;
}

RunRecorder::RunRecorder(JournalStore& store,
                         std::unique_ptr<JournalFile> file,
                         qint64 run,
                         const FileSystem& fs,
                         std::vector<bool> newFiles,
                         JournalSummary summary)
    : m_store(store)
    , m_file(std::move(file))
    , m_run(run)
    , m_fs(fs)
    , m_summary(std::move(summary))
    , m_newFiles(std::move(newFiles)) {}

RunRecorder::~RunRecorder() = default;

bool RunRecorder::append(const QByteArray& records) {
    m_summary.wholeLength += records.size();
    return m_file->append(records);
}

void RunRecorder::entryDone(qsizetype i, const RenameEntry& entry, const OldValues& before) {
    std::optional<FileIdentity> placed;
    const bool newFile =
        m_newFiles[static_cast<std::size_t>(i)] && (entry.doneSteps & (DoneStep::kMoved | DoneStep::kCopied)) != 0;
    if (newFile)
        placed = m_fs.fileIdentity(entry.destPath);
    m_line.resize(0);
    JournalLine line(m_line, JournalTag::kDone);
    line.number(i).number(entry.doneSteps);
    appendIdentity(line, placed);
    appendOldValues(line, before);
    line.end();
    // A file whose last move failed still waits under its temporary name.
    if (!entry.temporaryPath.isEmpty())
        JournalLine(m_line, JournalTag::kAside).number(i).text(entry.temporaryPath).end();
    append(m_line);
    // The identity of a new file is known nowhere else: it must survive the process, whatever ends it.
    if (newFile)
        m_file->flush();
}

void RunRecorder::aside(qsizetype i, const QString& path) {
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kAside).number(i).text(path).end();
    append(m_line);
    m_file->flush();
}

bool RunRecorder::failed() const {
    return m_file && !m_file->error().isEmpty();
}

QString RunRecorder::error() const {
    return m_file ? m_file->error() : QString();
}

bool RunRecorder::finish(bool stopped, bool bulkIncomplete) {
    if (!m_file)
        return false;
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kRunEnd).number(stopped ? 1 : 0).number(bulkIncomplete ? 1 : 0).end();
    if (!append(m_line) || !m_file->sync())
        return false;
    m_file.reset();
    m_summary.ended = true;
    m_summary.stopped = stopped;
    m_summary.bulkIncomplete = bulkIncomplete;
    RunJournal::noteWritten(m_store, m_run, m_summary);
    return true;
}
