#pragma once

#include "platform/linux/ShellFileSyscalls.h"

#include <QByteArray>

#include <cerrno>
#include <utility>

// A hidden name for a temporary file in the folder, unlikely to be taken.
QByteArray temporaryName(const QByteArray& folder);
// Such a name for a copy being written: a process killed in the middle of it leaves it behind, and it is
// known by this name (and by the lock its writer holds while alive) as a copy nobody finished.
QByteArray copyName(const QByteArray& folder);
bool isCopyName(QByteArrayView name);

// Owns a file descriptor and closes it through the system calls given.
class Descriptor final {
public:
    Descriptor(ShellFileSyscalls& sys, int fd)
        : m_sys(sys)
        , m_fd(fd) {}
    ~Descriptor() { static_cast<void>(close()); }
    Q_DISABLE_COPY_MOVE(Descriptor)

    [[nodiscard]] int close() {
        if (m_fd < 0)
            return 0;
        return m_sys.close(std::exchange(m_fd, -1)) == 0 ? 0 : errno;
    }

private:
    ShellFileSyscalls& m_sys;
    int m_fd;
};

// Writes whole copies of files through the system calls given: the contents, the owner, the user's
// extended attributes, the permission bits and the times, synced to disk. Each step gives 0 or an errno value.
class FileCopier final {
public:
    explicit FileCopier(ShellFileSyscalls& sys)
        : m_sys(sys) {}

    // A new temporary file in the folder, made exclusively: its name and its descriptor.
    int createTemporary(const QByteArray& folder, QByteArray& name, int& fd);
    // The open source file with its metadata into out.
    int writeCopy(int in, int out, const struct stat& source);
    // Makes the folder's entries durable.
    int syncFolder(const QByteArray& folder);

private:
    int copyContents(int in, int out);
    int copyUserAttributes(int in, int out);

    ShellFileSyscalls& m_sys;
};
