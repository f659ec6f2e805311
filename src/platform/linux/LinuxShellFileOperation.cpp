#include "platform/linux/LinuxShellFileOperation.h"

#include "platform/PlaceKeys.h"
#include "platform/UserPrompt.h"
#include "platform/linux/FileCopier.h"
#include "platform/linux/FolderMoves.h"
#include "platform/linux/ProcessSignals.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The outcome of one file: 0 when done, an errno value, or one of these.
constexpr int kDeclined = -1;    // the user answered No
constexpr int kTrashFailed = -2; // the trash refused; its own text says why

constexpr int kMaxCollisionNumber = 9999;
constexpr int kTemporaryAttempts = 100;

// A move with one call that never replaces: 0 when done, else the call's errno.
int renameAtOnce(ShellFileSyscalls& sys, const QString& from, const QString& to) {
    const NativePath src(from);
    const NativePath dst(to);
    return sys.renameat2(src.data(), dst.data(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// "a.txt" becomes "a (2).txt"; a leading dot starts a name, not an extension.
QString numberedName(const QString& path, int number) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1)
        dot = path.size();
    return path.left(dot) + QStringLiteral(" (") + QString::number(number) + QLatin1Char(')') + path.mid(dot);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The places that the files of one call still hold: each source until it has moved away (after a copy it is
// still there), and each destination the call has filled. No pair of the call replaces them, so that
// whatever is answered, no file of the call loses its content to another of the same call. Places, not path
// texts: "d/./a" and a link to d lead where "d/a" is.
class HeldNames {
public:
    HeldNames(ShellFileSyscalls& sys, const QStringList& sources, bool sourcesStay)
        : m_places([&sys](const QString& folder) -> std::optional<FileIdentity> {
            struct stat status {};
            if (sys.lstat(QByteArray(folder.toUtf8() + ".").constData(), &status) != 0 || !S_ISDIR(status.st_mode))
                return std::nullopt;
            return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
        })
        , m_sourcesStay(sourcesStay)
        , m_movedAway(static_cast<std::size_t>(sources.size()), false) {
        m_sourceIndex.reserve(sources.size());
        for (qsizetype i = 0; i < sources.size(); ++i)
            m_sourceIndex.insert(m_places.keyOf(sources.at(i)), i);
    }

    [[nodiscard]] bool holds(const QString& path) {
        const PlaceKey key = m_places.keyOf(path);
        if (m_filled.contains(key))
            return true;
        const auto source = m_sourceIndex.constFind(key);
        return source != m_sourceIndex.constEnd() && !m_movedAway[static_cast<std::size_t>(*source)];
    }

    // Pair i has put its file at `to`.
    void done(qsizetype i, const QString& to) {
        m_filledPaths.push_back(to);
        m_filled.insert(m_places.keyOf(m_filledPaths.back()));
        if (!m_sourcesStay)
            m_movedAway[static_cast<std::size_t>(i)] = true;
    }

private:
    PlaceKeys m_places;
    bool m_sourcesStay;
    std::vector<bool> m_movedAway;
    QHash<PlaceKey, qsizetype> m_sourceIndex;
    // The keys hold views of these texts.
    std::deque<QString> m_filledPaths;
    QSet<PlaceKey> m_filled;
};

// One call's worth of files, with the flags that call was given.
class FileJob {
    Q_DECLARE_TR_FUNCTIONS(LinuxShellFileOperation)

public:
    FileJob(UserPrompt& prompt, ShellFileSyscalls& sys, FileOperationFlags flags)
        : m_prompt(prompt)
        , m_sys(sys)
        , m_copier(sys)
        , m_flags(flags) {}

    void keepHeldNames(HeldNames* held) { m_held = held; }
    int move(const QString& from, const QString& to);
    int copy(const QString& from, const QString& to);
    int remove(const QString& path);
    void reportFailure(FileOperation operation, const QString& from, const QString& to, int status);

private:
    int resolveMove(int error, const QString& from, const QString& to, const QByteArray& src, const QByteArray& dst);
    int moveOntoExisting(const QString& from, const QString& to, const QByteArray& src, const QByteArray& dst);
    int moveThroughTemporaryName(const QByteArray& src, const QByteArray& dst);
    int renameNoReplace(const char* from, const char* to);
    int renameWithoutFlag(const char* from, const char* to);
    int renameToFreeName(const QString& to, const QByteArray& from, const QByteArray& dst, QByteArray& placed);
    int replaceExisting(const QString& to, const QByteArray& from, const QByteArray& dst);
    int copyFile(const QString& to, const QByteArray& src, const QByteArray& dst, bool removeSource);
    int placeCopy(const QString& to, const QByteArray& temp, const QByteArray& dst, bool replace, QByteArray& placed);
    int makeMissingFolder(const QByteArray& dst);
    int makeFolders(const QByteArray& folder);
    bool heldByCall(const QString& path) const { return m_held != nullptr && m_held->holds(path); }
    bool neverReplaces() const { return m_flags.testFlag(FileOperationFlag::NeverReplace); }
    bool confirmReplace(const QString& path);
    int trash(const QString& path);

    UserPrompt& m_prompt;
    ShellFileSyscalls& m_sys;
    FileCopier m_copier;
    FileOperationFlags m_flags;
    HeldNames* m_held = nullptr;
    QString m_trashError;
};

int FileJob::move(const QString& from, const QString& to) {
    const int error = renameAtOnce(m_sys, from, to);
    return error == 0 ? 0 : resolveMove(error, from, to, from.toUtf8(), to.toUtf8());
}

// Nothing is checked before the rename, so that a move costs one call; the reason is looked at only now.
int FileJob::resolveMove(
    int error, const QString& from, const QString& to, const QByteArray& src, const QByteArray& dst) {
    bool folderMade = false;
    for (;;) {
        if (error == EINVAL || error == ENOSYS)
            error = renameWithoutFlag(src.constData(), dst.constData());
        switch (error) {
        case 0:
            return 0;
        case EXDEV:
            return copyFile(to, src, dst, true);
        case EEXIST:
            return moveOntoExisting(from, to, src, dst);
        case ENOENT: {
            if (folderMade)
                return ENOENT;
            struct stat source {};
            if (m_sys.lstat(src.constData(), &source) != 0)
                return errno;
            if (const int made = makeMissingFolder(dst))
                return made;
            folderMade = true;
            error = m_sys.renameat2(src.constData(), dst.constData(), RENAME_NOREPLACE) == 0 ? 0 : errno;
            break;
        }
        default:
            return error;
        }
    }
}

int FileJob::moveOntoExisting(const QString& from, const QString& to, const QByteArray& src, const QByteArray& dst) {
    struct stat source {};
    struct stat existing {};
    if (m_sys.lstat(src.constData(), &source) != 0)
        return errno;
    if (m_sys.lstat(dst.constData(), &existing) != 0)
        return errno == ENOENT ? renameNoReplace(src.constData(), dst.constData()) : errno;
    if (sameFile(source, existing)) {
        if (src == dst)
            return 0;
        // One file under both names: a new letter case on a file system that ignores case may go ahead,
        // two links to one file may not, since the "move" would only drop a name.
        if (QString::compare(from, to, Qt::CaseInsensitive) == 0)
            return moveThroughTemporaryName(src, dst);
        return EEXIST;
    }
    if (m_flags.testFlag(FileOperationFlag::RenameOnCollision)) {
        QByteArray placed;
        return renameToFreeName(to, src, dst, placed);
    }
    if (S_ISDIR(existing.st_mode) || heldByCall(to) || neverReplaces())
        return EEXIST; // a folder is never replaced, nor a file another pair still needs
    if (!confirmReplace(to))
        return kDeclined;
    return replaceExisting(to, src, dst);
}

int FileJob::moveThroughTemporaryName(const QByteArray& src, const QByteArray& dst) {
    QByteArray temporary;
    int error = EEXIST;
    for (int attempt = 0; attempt < kTemporaryAttempts && error == EEXIST; ++attempt) {
        temporary = temporaryName(folderOf(dst));
        error = renameNoReplace(src.constData(), temporary.constData());
    }
    if (error != 0)
        return error;
    error = renameNoReplace(temporary.constData(), dst.constData());
    if (error != 0)
        static_cast<void>(renameNoReplace(temporary.constData(), src.constData()));
    return error;
}

int FileJob::renameNoReplace(const char* from, const char* to) {
    if (m_sys.renameat2(from, to, RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    return error == EINVAL || error == ENOSYS ? renameWithoutFlag(from, to) : error;
}

// For file systems that refuse RENAME_NOREPLACE: a hard link cannot replace anything either.
int FileJob::renameWithoutFlag(const char* from, const char* to) {
    struct stat status {};
    if (m_sys.lstat(from, &status) != 0)
        return errno;
    if (S_ISREG(status.st_mode)) {
        if (m_sys.link(from, to) == 0) {
            if (m_sys.unlink(from) == 0)
                return 0;
            const int error = errno;
            static_cast<void>(m_sys.unlink(to));
            return error;
        }
        const int error = errno;
        if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS && error != EMLINK)
            return error;
    }
    // Without hard links a look just before the rename is the best there is.
    if (m_sys.lstat(to, &status) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return m_sys.rename(from, to) == 0 ? 0 : errno;
}

int FileJob::renameToFreeName(const QString& to, const QByteArray& from, const QByteArray& dst, QByteArray& placed) {
    placed = dst;
    int error = renameNoReplace(from.constData(), placed.constData());
    for (int number = 2; error == EEXIST && number <= kMaxCollisionNumber; ++number) {
        placed = numberedName(to, number).toUtf8();
        error = renameNoReplace(from.constData(), placed.constData());
    }
    return error;
}

// The user has agreed. With undo the old file goes to the trash, and a trash that refuses stops it.
int FileJob::replaceExisting(const QString& to, const QByteArray& from, const QByteArray& dst) {
    if (m_flags.testFlag(FileOperationFlag::AllowUndo)) {
        if (const int error = trash(to))
            return error;
        return renameNoReplace(from.constData(), dst.constData());
    }
    return m_sys.rename(from.constData(), dst.constData()) == 0 ? 0 : errno;
}

int FileJob::copy(const QString& from, const QString& to) {
    return copyFile(to, from.toUtf8(), to.toUtf8(), false);
}

// Writes a temporary copy next to the destination and renames it into place; the source is removed only
// once the copy is safely there. Whatever fails, the temporary file goes and the source stays whole.
int FileJob::copyFile(const QString& to, const QByteArray& src, const QByteArray& dst, bool removeSource) {
    // A link that moves stays a link, so it is not opened through and stays where it is; a FIFO must not
    // block the open. Reading it leaves its access time as it was where this user may ask for that, so that
    // a copy given up half way changes nothing of its source.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (removeSource ? O_NOFOLLOW : 0);
    int in = m_sys.open(src.constData(), flags | O_NOATIME, 0);
    if (in < 0 && errno == EPERM)
        in = m_sys.open(src.constData(), flags, 0);
    if (in < 0)
        return errno == ELOOP && removeSource ? EXDEV : errno;
    Descriptor source(m_sys, in);
    struct stat status {};
    if (m_sys.fstat(in, &status) != 0)
        return errno;
    // Only plain files are copied; a folder moves to another file system by hand, and fails untouched here.
    if (S_ISDIR(status.st_mode))
        return removeSource ? EXDEV : EISDIR;
    if (!S_ISREG(status.st_mode))
        return EINVAL;

    bool replace = false;
    struct stat existing {};
    if (m_sys.lstat(dst.constData(), &existing) == 0) {
        if (sameFile(existing, status))
            return EEXIST;
        if (!m_flags.testFlag(FileOperationFlag::RenameOnCollision)) {
            if (S_ISDIR(existing.st_mode) || heldByCall(to) || neverReplaces())
                return EEXIST;
            if (!confirmReplace(to))
                return kDeclined;
            replace = true;
        }
    }

    const QByteArray folder = folderOf(dst);
    QByteArray temporary;
    int out = -1;
    int error = m_copier.createTemporary(folder, temporary, out);
    if (error == ENOENT) {
        if (const int made = makeMissingFolder(dst))
            return made;
        error = m_copier.createTemporary(folder, temporary, out);
    }
    if (error != 0)
        return error;

    // Should the process be ended at once meanwhile, the half-written copy goes with it.
    TemporaryFiles::writing(temporary.constData());
    Descriptor target(m_sys, out);
    error = m_copier.writeCopy(in, out, status);
    if (error == 0)
        error = target.close();
    QByteArray placed;
    if (error == 0)
        error = placeCopy(to, temporary, dst, replace, placed);
    if (error != 0) {
        static_cast<void>(target.close());
        static_cast<void>(m_sys.unlink(temporary.constData()));
        TemporaryFiles::done();
        return error;
    }
    TemporaryFiles::done();

    error = m_copier.syncFolder(folder);
    if (error == 0 && removeSource && m_sys.unlink(src.constData()) != 0)
        error = errno;
    if (error != 0)
        static_cast<void>(m_sys.unlink(placed.constData()));
    return error;
}

int FileJob::placeCopy(
    const QString& to, const QByteArray& temp, const QByteArray& dst, bool replace, QByteArray& placed) {
    if (m_flags.testFlag(FileOperationFlag::RenameOnCollision))
        return renameToFreeName(to, temp, dst, placed);
    placed = dst;
    const int error = renameNoReplace(temp.constData(), dst.constData());
    if (error != EEXIST)
        return error;
    if (!replace) {
        // The name was taken while the copy was written.
        struct stat existing {};
        if ((m_sys.lstat(dst.constData(), &existing) == 0 && S_ISDIR(existing.st_mode)) || heldByCall(to) ||
            neverReplaces())
            return EEXIST;
        if (!confirmReplace(to))
            return kDeclined;
    }
    return replaceExisting(to, temp, dst);
}

int FileJob::makeMissingFolder(const QByteArray& dst) {
    const QByteArray folder = folderOf(dst);
    struct stat status {};
    if (m_sys.lstat(folder.constData(), &status) == 0)
        return ENOENT; // the folder is there, so something else is missing
    if (errno != ENOENT)
        return errno;
    if (!m_flags.testAnyFlags(FileOperationFlag::NoConfirmMkdir | FileOperationFlag::NoConfirmation)) {
        const QString text = tr("フォルダ「%1」は存在しません。\r\n作成しますか？").arg(QString::fromUtf8(folder));
        if (m_prompt.message(text, programTitle(), PromptIcon::Question, PromptButtons::YesNo, PromptAnswer::Yes) !=
            PromptAnswer::Yes)
            return kDeclined;
    }
    return makeFolders(folder);
}

int FileJob::makeFolders(const QByteArray& folder) {
    if (m_sys.mkdir(folder.constData(), 0777) == 0 || errno == EEXIST)
        return 0;
    if (errno != ENOENT)
        return errno;
    if (const int error = makeFolders(folderOf(folder)))
        return error;
    return m_sys.mkdir(folder.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

bool FileJob::confirmReplace(const QString& path) {
    if (m_flags.testFlag(FileOperationFlag::NoConfirmation))
        return true;
    const QString text = tr("「%1」は既に存在します。\r\n置き換えますか？").arg(path);
    return m_prompt.message(text, programTitle(), PromptIcon::Exclamation, PromptButtons::YesNo, PromptAnswer::No) ==
           PromptAnswer::Yes;
}

int FileJob::trash(const QString& path) {
    m_trashError.clear();
    return m_sys.moveToTrash(path, &m_trashError) ? 0 : kTrashFailed;
}

int FileJob::remove(const QString& path) {
    if (m_flags.testFlag(FileOperationFlag::AllowUndo))
        return trash(path);
    const QByteArray native = path.toUtf8();
    if (m_sys.unlink(native.constData()) == 0)
        return 0;
    if (errno != EISDIR)
        return errno;
    return m_sys.rmdir(native.constData()) == 0 ? 0 : errno;
}

void FileJob::reportFailure(FileOperation operation, const QString& from, const QString& to, int status) {
    if (status == kDeclined || m_flags.testFlag(FileOperationFlag::NoErrorUi))
        return;
    const QString reason = status == kTrashFailed ? m_trashError : qt_error_string(status);
    QString text;
    switch (operation) {
    case FileOperation::Move:
        text = tr("「%1」を「%2」へ移動できませんでした。\r\n%3").arg(from, to, reason);
        break;
    case FileOperation::Copy:
        text = tr("「%1」を「%2」へコピーできませんでした。\r\n%3").arg(from, to, reason);
        break;
    case FileOperation::Rename:
        text = tr("「%1」の名前を「%2」に変更できませんでした。\r\n%3").arg(from, fileNameOf(to), reason);
        break;
    default:
        text = tr("「%1」を削除できませんでした。\r\n%2").arg(from, reason);
        break;
    }
    m_prompt.inform(text, programTitle(), PromptIcon::Critical);
}

QString
destinationFor(const QStringList& sources, const QStringList& destinations, qsizetype index, FileOperationFlags flags) {
    if (flags.testFlag(FileOperationFlag::MultiDestFiles) || sources.size() == 1)
        return destinations.value(index);
    QString folder = destinations.value(0);
    if (folder.isEmpty())
        return folder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + fileNameOf(sources.at(index));
}

} // namespace

LinuxShellFileOperation::LinuxShellFileOperation(UserPrompt& prompt, ShellFileSyscalls* syscalls)
    : m_prompt(prompt)
    , m_syscalls(syscalls != nullptr ? *syscalls : m_ownSyscalls) {}

FileOperationResult LinuxShellFileOperation::run(FileOperation operation,
                                                 const QStringList& sources,
                                                 const QStringList& destinations,
                                                 FileOperationFlags flags) {
    FileOperationResult result;
    // The values come from outside as well; what is no operation fails.
    if (operation < FileOperation::Move || operation > FileOperation::Rename) {
        result.result = EINVAL;
        return result;
    }
    FileJob job(m_prompt, m_syscalls, flags);
    std::optional<HeldNames> held;
    if (sources.size() > 1) {
        result.done.assign(static_cast<std::size_t>(sources.size()), false);
        if (operation != FileOperation::Delete) {
            held.emplace(m_syscalls, sources, operation == FileOperation::Copy);
            job.keepHeldNames(&*held);
        }
    }
    for (qsizetype i = 0; i < sources.size(); ++i) {
        // A call of many files stops between two of them when the process is asked to stop, as a run file by
        // file does; what is left is reported as not done.
        if (sources.size() > 1 && StopSignals::stopRequested()) {
            result.aborted = true;
            if (result.result == 0)
                result.result = ECANCELED;
            break;
        }
        const QString& from = sources.at(i);
        QString to;
        int status = 0;
        if (operation == FileOperation::Delete) {
            status = job.remove(from);
        } else {
            to = destinationFor(sources, destinations, i, flags);
            if (to.isEmpty())
                status = EINVAL;
            else if (operation == FileOperation::Copy)
                status = job.copy(from, to);
            else
                status = job.move(from, to);
        }
        if (status == 0) {
            if (!result.done.empty())
                result.done[static_cast<std::size_t>(i)] = true;
            if (held)
                held->done(i, to);
            continue;
        }
        if (result.result == 0)
            result.result = status == kDeclined ? ECANCELED : (status > 0 ? status : EIO);
        if (status == kDeclined)
            result.aborted = true;
        job.reportFailure(operation, from, to, status);
    }
    return result;
}

std::unique_ptr<MovesAtOnce> LinuxShellFileOperation::movesAtOnce() {
    return folderMoves(m_syscalls);
}

int LinuxShellFileOperation::removeUnfinishedCopies(const QString& folder) {
    const QByteArray native = QFile::encodeName(folder);
    DIR* dir = ::opendir(native.constData());
    if (dir == nullptr)
        return 0;
    QByteArrayList names;
    while (const dirent* entry = ::readdir(dir)) {
        if (isCopyName(entry->d_name))
            names.append(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    int removed = 0;
    for (const QByteArray& name : std::as_const(names)) {
        const QByteArray path = native + (native.endsWith('/') ? "" : "/") + name;
        const int fd = m_syscalls.open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
        if (fd < 0)
            continue;
        struct stat st {};
        // Its writer holds the lock while it lives; only a copy nobody holds is unfinished for good.
        if (m_syscalls.fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && m_syscalls.flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            m_syscalls.unlink(path.constData()) == 0)
            ++removed;
        static_cast<void>(m_syscalls.close(fd));
    }
    return removed;
}
