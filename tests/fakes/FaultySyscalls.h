#pragma once

#include "platform/linux/ShellFileSyscalls.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <functional>

// A rename named from open folders goes through renameat2() with the two whole paths, so that a fake sees every
// rename by the paths a test knows.
class PathRenameSyscalls : public ShellFileSyscalls {
public:
    int renameat2In(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) override {
        return renameat2(pathIn(fromFolder, from).constData(), pathIn(toFolder, to).constData(), flags);
    }

private:
    static QByteArray pathIn(int folder, const char* name) {
        const QString link = QStringLiteral("/proc/self/fd/") + QString::number(folder);
        return QFile::encodeName(QFile::symLinkTarget(link)) + '/' + name;
    }
};

// Passes every call to the system, records its name, and fails those that `fault` picks with the errno
// it returns.
class FaultySyscalls final : public PathRenameSyscalls {
public:
    std::function<int(const QString& call, const QByteArray& path)> fault;
    QStringList calls;
    qint64 writeLimit = -1; // bytes that get written before write() fails with ENOSPC
    bool kernelCopy = true; // false: copy_file_range refuses, as between two kinds of file system
    bool caseInsensitive = false;

    int renameat2(const char* from, const char* to, unsigned int flags) override {
        if (fails("renameat2", from))
            return -1;
        if (caseInsensitive && folded(to) != to) {
            errno = EEXIST;
            return -1;
        }
        return ShellFileSyscalls::renameat2(from, to, flags);
    }
    int rename(const char* from, const char* to) override {
        return fails("rename", from) ? -1 : ShellFileSyscalls::rename(from, to);
    }
    int link(const char* from, const char* to) override {
        return fails("link", from) ? -1 : ShellFileSyscalls::link(from, to);
    }
    int unlink(const char* path) override { return fails("unlink", path) ? -1 : ShellFileSyscalls::unlink(path); }
    int lstat(const char* path, struct stat* status) override {
        if (fails("lstat", path))
            return -1;
        return ShellFileSyscalls::lstat(caseInsensitive ? folded(path).constData() : path, status);
    }
    int open(const char* path, int flags, mode_t mode) override {
        return fails("open", path) ? -1 : ShellFileSyscalls::open(path, flags, mode);
    }
    ssize_t copyFileRange(int in, int out, size_t length) override {
        if (fails("copyFileRange"))
            return -1;
        if (!kernelCopy) {
            errno = EXDEV;
            return -1;
        }
        return ShellFileSyscalls::copyFileRange(in, out, length);
    }
    ssize_t write(int fd, const void* buffer, size_t length) override {
        if (fails("write"))
            return -1;
        if (writeLimit >= 0) {
            if (m_written >= writeLimit) {
                errno = ENOSPC;
                return -1;
            }
            length = std::min(length, static_cast<size_t>(writeLimit - m_written));
        }
        const ssize_t written = ShellFileSyscalls::write(fd, buffer, length);
        m_written += std::max<ssize_t>(written, 0);
        return written;
    }
    int fsync(int fd) override { return fails("fsync") ? -1 : ShellFileSyscalls::fsync(fd); }
    int fchmod(int fd, mode_t mode) override { return fails("fchmod") ? -1 : ShellFileSyscalls::fchmod(fd, mode); }
    int fsetxattr(int fd, const char* name, const void* value, size_t size) override {
        return fails("fsetxattr") ? -1 : ShellFileSyscalls::fsetxattr(fd, name, value, size);
    }
    int futimens(int fd, const struct timespec* times) override {
        return fails("futimens") ? -1 : ShellFileSyscalls::futimens(fd, times);
    }
    bool moveToTrash(const QString& path, QString* errorText) override {
        if (fails("moveToTrash", path.toUtf8().constData())) {
            *errorText = qt_error_string(errno);
            return false;
        }
        return ShellFileSyscalls::moveToTrash(path, errorText);
    }

private:
    qint64 m_written = 0;

    bool fails(const char* call, const char* path = "") {
        calls.append(QString::fromLatin1(call));
        const int error = fault ? fault(QString::fromLatin1(call), QByteArray(path)) : 0;
        errno = error;
        return error != 0;
    }

    // The entry that a file system ignoring case would find under this name.
    static QByteArray folded(const char* path) {
        const QString full = QString::fromUtf8(path);
        const qsizetype slash = full.lastIndexOf('/');
        const QString name = full.mid(slash + 1);
        const QDir folder(full.left(slash));
        for (const QString& entry : folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            if (entry.compare(name, Qt::CaseInsensitive) == 0)
                return folder.filePath(entry).toUtf8();
        }
        return {path};
    }
};
