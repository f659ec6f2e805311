#include "platform/linux/LinuxJournalStore.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPrefix = QStringLiteral("run-");
const QString kSuffix = QStringLiteral(".journal");
constexpr qsizetype kBufferBytes = qsizetype(64) * 1024;
constexpr int kCreateAttempts = 1000;
const QString kNotesName = QStringLiteral("summaries");
// Far more than the notes of the journals kept ever take; a larger file is not ours.
constexpr qint64 kMaxNotesBytes = qint64(1) << 20;
// A file's change time moves in steps of a clock tick: a file changed less than this ago may change again
// without its time showing it.
constexpr qint64 kSettleNs = 100'000'000;

QString systemError(int error) {
    return qt_error_string(error);
}

// The run number a file name stands for; 0 for any other name.
qint64 runOfName(QStringView name) {
    if (!name.startsWith(kPrefix) || !name.endsWith(kSuffix))
        return 0;
    const QStringView digits = name.mid(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    if (digits.isEmpty() || digits.size() > 18 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return 0;
    return digits.toLongLong();
}

// Reads the open file to its end, at most maxBytes; the reason when it cannot.
QString readWhole(int fd, qint64 maxBytes, QByteArray& bytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return systemError(errno);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a regular file");
    if (st.st_size > maxBytes)
        return QStringLiteral("larger than ") + QString::number(maxBytes) + QStringLiteral(" bytes");
    bytes.resize(static_cast<qsizetype>(st.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            bytes.truncate(done);
            return systemError(errno);
        }
        if (got == 0)
            break; // cut short while it was read: what there is counts
        done += got;
    }
    bytes.truncate(done);
    return {};
}

// Writes all the bytes to the open file; 0, or the error that stopped it.
int writeWhole(int fd, QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        left -= written;
    }
    return 0;
}

int syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

class LinuxJournalFile final : public JournalFile {
public:
    // folderToSync: the folder whose entry of this file must reach the disk at the first sync, or nothing.
    LinuxJournalFile(int fd, QByteArray folderToSync)
        : m_fd(fd)
        , m_folderToSync(std::move(folderToSync)) {
        m_buffer.reserve(kBufferBytes);
    }
    ~LinuxJournalFile() override {
        static_cast<void>(flush());
        ::close(m_fd);
    }
    Q_DISABLE_COPY_MOVE(LinuxJournalFile)

    bool append(QByteArrayView bytes) override {
        if (!m_error.isEmpty())
            return false;
        if (m_buffer.size() + bytes.size() > kBufferBytes && !flush())
            return false;
        if (bytes.size() >= kBufferBytes)
            return writeAll(bytes);
        m_buffer.append(bytes);
        return true;
    }

    bool flush() override {
        if (!m_error.isEmpty())
            return false;
        if (m_buffer.isEmpty())
            return true;
        const bool written = writeAll(m_buffer);
        m_buffer.resize(0); // keeps its room, unlike clear()
        return written;
    }

    bool sync() override {
        if (!flush())
            return false;
        if (::fdatasync(m_fd) != 0)
            return fail(errno);
        if (!m_folderToSync.isEmpty()) {
            if (const int error = syncFolder(m_folderToSync))
                return fail(error);
            m_folderToSync.clear();
        }
        return true;
    }

    [[nodiscard]] QString error() const override { return m_error; }

private:
    bool writeAll(QByteArrayView bytes) {
        if (const int error = writeWhole(m_fd, bytes))
            return fail(error);
        return true;
    }

    bool fail(int error) {
        if (m_error.isEmpty())
            m_error = systemError(error);
        return false;
    }

    int m_fd;
    QByteArray m_folderToSync;
    QByteArray m_buffer;
    QString m_error;
};

} // namespace

LinuxJournalStore::LinuxJournalStore(QString folder)
    : m_folder(std::move(folder)) {}

QString LinuxJournalStore::defaultFolder() {
    // Only an absolute XDG_STATE_HOME counts; a relative one is to be ignored.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base) + QStringLiteral("/Tokrenu/journal");
}

QString LinuxJournalStore::pathOf(qint64 run) const {
    return m_folder + QLatin1Char('/') + kPrefix + QString::number(run).rightJustified(8, QLatin1Char('0')) + kSuffix;
}

std::vector<qint64> LinuxJournalStore::runs() const {
    std::vector<qint64> found;
    DIR* dir = ::opendir(QFile::encodeName(m_folder).constData());
    if (dir == nullptr)
        return found;
    while (const struct dirent* entry = ::readdir(dir)) {
        if (const qint64 run = runOfName(QString::fromUtf8(entry->d_name)); run > 0)
            found.push_back(run);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

JournalBytes LinuxJournalStore::read(qint64 run) const {
    JournalBytes result;
    const int fd = ::open(QFile::encodeName(pathOf(run)).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        result.error = systemError(errno);
        return result;
    }
    // A writer holds the exclusive lock, so a shared one is refused while it works.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        result.inUse = errno == EWOULDBLOCK;
    result.error = readWhole(fd, kMaxFileBytes, result.bytes);
    ::close(fd);
    return result;
}

std::optional<JournalStamp> LinuxJournalStore::stamp(qint64 run) const {
    const int fd = ::open(QFile::encodeName(pathOf(run)).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    JournalStamp stamp;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        stamp.inUse = errno == EWOULDBLOCK;
    struct stat st {};
    const bool looked = ::fstat(fd, &st) == 0;
    ::close(fd);
    struct timespec now {};
    if (!looked || ::clock_gettime(CLOCK_REALTIME, &now) != 0)
        return std::nullopt;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    stamp.settled = qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec - stamp.changedNs >= kSettleNs;
    return stamp;
}

QByteArray LinuxJournalStore::readNotes() const {
    QByteArray bytes;
    const int fd = ::open(QFile::encodeName(m_folder + QLatin1Char('/') + kNotesName).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return bytes;
    if (!readWhole(fd, kMaxNotesBytes, bytes).isEmpty())
        bytes.clear();
    ::close(fd);
    return bytes;
}

void LinuxJournalStore::writeNotes(QByteArrayView bytes) {
    // Written beside and put in place in one step, so that a reader sees the old notes or the new, whole.
    // They are no record of a run, and need not wait for the disk.
    if (!makeFolder().isEmpty())
        return;
    const QByteArray path = QFile::encodeName(m_folder + QLatin1Char('/') + kNotesName);
    QByteArray temporary = path + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return;
    const bool whole = writeWhole(fd, bytes) == 0 && ::fchmod(fd, 0600) == 0;
    if (::close(fd) != 0 || !whole || ::rename(temporary.constData(), path.constData()) != 0)
        ::unlink(temporary.constData());
}

QString LinuxJournalStore::makeFolder() const {
    const QByteArray folder = QFile::encodeName(m_folder);
    if (!folder.startsWith('/'))
        return systemError(ENOENT);
    // Every missing part is made for the owner alone, as the state folder itself is to be.
    qsizetype slash = 0;
    do {
        slash = folder.indexOf('/', slash + 1);
        const QByteArray part = slash == -1 ? folder : folder.left(slash);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return systemError(errno);
    } while (slash != -1);
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0)
        return systemError(errno);
    if (!S_ISDIR(st.st_mode))
        return systemError(ENOTDIR);
    if ((st.st_mode & 077) != 0 && st.st_uid == ::geteuid() && ::chmod(folder.constData(), 0700) != 0)
        return systemError(errno);
    return {};
}

std::unique_ptr<JournalFile> LinuxJournalStore::create(qint64& run, QString& error) {
    error = makeFolder();
    if (!error.isEmpty())
        return nullptr;
    const std::vector<qint64> kept = runs();
    run = kept.empty() ? 1 : kept.back() + 1;
    // Another process may take a number at the same moment; the file made exclusively decides.
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt, ++run) {
        const int fd = ::open(QFile::encodeName(pathOf(run)).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            error = systemError(errno);
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fchmod(fd, 0600) != 0) {
            error = systemError(errno);
            ::close(fd);
            static_cast<void>(remove(run));
            return nullptr;
        }
        return std::make_unique<LinuxJournalFile>(fd, QFile::encodeName(m_folder));
    }
    error = systemError(EEXIST);
    return nullptr;
}

std::unique_ptr<JournalFile> LinuxJournalStore::openToAppend(qint64 run, qint64 length, QString& error) {
    const int fd = ::open(QFile::encodeName(pathOf(run)).constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = systemError(errno);
        return nullptr;
    }
    struct stat st {};
    int problem = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &st) == 0 ? 0 : errno;
    // Shorter than when it was read: someone else has changed it since.
    if (problem == 0 && st.st_size < length)
        problem = ESTALE;
    if (problem == 0 && ((st.st_size > length && ::ftruncate(fd, length) != 0) || ::lseek(fd, length, SEEK_SET) < 0))
        problem = errno;
    if (problem == 0)
        return std::make_unique<LinuxJournalFile>(fd, QByteArray());
    error = systemError(problem);
    ::close(fd);
    return nullptr;
}

bool LinuxJournalStore::remove(qint64 run) {
    return ::unlink(QFile::encodeName(pathOf(run)).constData()) == 0;
}
