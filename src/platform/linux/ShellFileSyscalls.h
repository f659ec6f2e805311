#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <sys/types.h>

struct stat;
struct timespec;

// The system calls behind the shell file operation, one virtual method each, so that a test can make a
// chosen call fail. Each returns what the call returns and leaves its error in errno; paths are UTF-8.
class ShellFileSyscalls {
public:
    virtual ~ShellFileSyscalls() = default;

    virtual int renameat2(const char* from, const char* to, unsigned int flags);
    // The same with each name relative to an open folder.
    virtual int renameat2In(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags);
    virtual int rename(const char* from, const char* to);
    virtual int link(const char* from, const char* to);
    virtual int unlink(const char* path);
    virtual int rmdir(const char* path);
    virtual int mkdir(const char* path, mode_t mode);
    virtual int lstat(const char* path, struct stat* status);

    virtual int open(const char* path, int flags, mode_t mode);
    virtual int close(int fd);
    virtual int fstat(int fd, struct stat* status);
    virtual ssize_t copyFileRange(int in, int out, size_t length);
    virtual ssize_t read(int fd, void* buffer, size_t length);
    virtual ssize_t write(int fd, const void* buffer, size_t length);
    virtual int fsync(int fd);
    virtual int flock(int fd, int operation);
    virtual int fchown(int fd, uid_t owner, gid_t group);
    virtual int fchmod(int fd, mode_t mode);
    virtual ssize_t flistxattr(int fd, char* names, size_t size);
    virtual ssize_t fgetxattr(int fd, const char* name, void* value, size_t size);
    virtual int fsetxattr(int fd, const char* name, const void* value, size_t size);
    virtual int futimens(int fd, const struct timespec* times);

    // Not a system call, but the other way a file leaves its place. False with a text when refused.
    virtual bool moveToTrash(const QString& path, QString* errorText);
};

// A path in the system's encoding, as toUtf8() gives it. Plain ASCII, the usual case, is narrowed on the
// stack, so that the rename of a file costs no allocation.
class NativePath {
public:
    explicit NativePath(QStringView path) {
        const char16_t* units = path.utf16();
        const bool ascii = std::none_of(units, units + path.size(), [](char16_t c) { return c >= 0x80; });
        if (!ascii || path.size() >= kInlineSize) {
            m_converted = path.toUtf8();
            m_data = m_converted.constData();
            return;
        }
        std::transform(units, units + path.size(), m_inline, [](char16_t c) { return static_cast<char>(c); });
        m_inline[path.size()] = '\0';
        m_data = m_inline;
    }
    Q_DISABLE_COPY_MOVE(NativePath)

    [[nodiscard]] const char* data() const { return m_data; }

private:
    static constexpr qsizetype kInlineSize = 512;
    char m_inline[kInlineSize];
    QByteArray m_converted;
    const char* m_data;
};
