#include "platform/linux/FileCopier.h"

#include "platform/linux/ShellFileSyscalls.h"

#include <QByteArrayView>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kKernelCopyChunk = size_t{1} << 30;
constexpr size_t kBufferSize = size_t{256} << 10;
constexpr int kTemporaryAttempts = 100;
constexpr char kCopyPrefix[] = ".tokrenu-";
constexpr char kCopySuffix[] = ".part";

} // namespace

QByteArray temporaryName(const QByteArray& folder) {
    return folder + (folder.endsWith('/') ? "" : "/") + ".tokrenu-" +
           QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
}

QByteArray copyName(const QByteArray& folder) {
    return folder + (folder.endsWith('/') ? "" : "/") + kCopyPrefix +
           QByteArray::number(QRandomGenerator::global()->generate(), 16) + kCopySuffix;
}

bool isCopyName(QByteArrayView name) {
    if (!name.startsWith(kCopyPrefix) || !name.endsWith(kCopySuffix))
        return false;
    const QByteArrayView digits =
        name.sliced(qsizetype(sizeof kCopyPrefix) - 1).chopped(qsizetype(sizeof kCopySuffix) - 1);
    return !digits.isEmpty() && digits.size() <= 8 && std::all_of(digits.begin(), digits.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

int FileCopier::createTemporary(const QByteArray& folder, QByteArray& name, int& fd) {
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        name = copyName(folder);
        fd = m_sys.open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        // Held until the copy is closed: a copy nobody holds is one whose writer died.
        if (fd >= 0) {
            static_cast<void>(m_sys.flock(fd, LOCK_EX | LOCK_NB));
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// The owner first, as it clears set-id bits; the extended attributes while the copy is still writable to
// its owner (a read-only file would refuse them after its mode); the times last, since every other change
// could touch them; and the fsync after all of it, so that it covers the metadata too.
int FileCopier::writeCopy(int in, int out, const struct stat& source) {
    if (const int error = copyContents(in, out))
        return error;
    // Only root can give a file away; anyone else keeps the copy as their own, as cp does.
    static_cast<void>(m_sys.fchown(out, source.st_uid, source.st_gid));
    if (const int error = copyUserAttributes(in, out))
        return error;
    if (m_sys.fchmod(out, source.st_mode & 07777) != 0)
        return errno;
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (m_sys.futimens(out, times) != 0)
        return errno;
    if (m_sys.fsync(out) != 0)
        return errno;
    return 0;
}

int FileCopier::copyContents(int in, int out) {
    for (;;) {
        const ssize_t copied = m_sys.copyFileRange(in, out, kKernelCopyChunk);
        if (copied > 0)
            continue;
        if (copied == 0)
            return 0;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EXDEV && error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
            return error;
        break;
    }
    // The kernel copies only within one kind of file system; elsewhere through a buffer, from where it stopped.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    for (;;) {
        const ssize_t length = m_sys.read(in, buffer.get(), kBufferSize);
        if (length == 0)
            return 0;
        if (length < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t done = 0; done < length;) {
            const ssize_t written = m_sys.write(out, buffer.get() + done, static_cast<size_t>(length - done));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += written;
        }
    }
}

// The user namespace alone: it holds what the program and the desktop keep (DOSATTRIB among them).
int FileCopier::copyUserAttributes(int in, int out) {
    ssize_t size = m_sys.flistxattr(in, nullptr, 0);
    if (size < 0)
        return errno == EOPNOTSUPP ? 0 : errno;
    if (size == 0)
        return 0;
    QByteArray names(size, Qt::Uninitialized);
    size = m_sys.flistxattr(in, names.data(), static_cast<size_t>(names.size()));
    if (size < 0)
        return errno;
    QByteArray value;
    const char* const end = names.constData() + size;
    for (const char* name = names.constData(); name < end; name += std::strlen(name) + 1) {
        if (!QByteArrayView(name).startsWith("user."))
            continue;
        ssize_t length = m_sys.fgetxattr(in, name, nullptr, 0);
        if (length < 0)
            return errno;
        value.resize(length);
        length = m_sys.fgetxattr(in, name, value.data(), static_cast<size_t>(value.size()));
        if (length < 0)
            return errno;
        if (m_sys.fsetxattr(out, name, value.constData(), static_cast<size_t>(length)) != 0)
            return errno;
    }
    return 0;
}

int FileCopier::syncFolder(const QByteArray& folder) {
    const int fd = m_sys.open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    Descriptor guard(m_sys, fd);
    if (m_sys.fsync(fd) == 0)
        return 0;
    // Some file systems cannot sync a folder at all; the rename is then as safe as they make it.
    return errno == EINVAL ? 0 : errno;
}
