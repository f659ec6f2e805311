#include "platform/linux/ShellFileSyscalls.h"

#include "platform/linux/FreedesktopTrash.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

int ShellFileSyscalls::renameat2(const char* from, const char* to, unsigned int flags) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, flags);
}

int ShellFileSyscalls::renameat2In(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) {
    return ::renameat2(fromFolder, from, toFolder, to, flags);
}

int ShellFileSyscalls::rename(const char* from, const char* to) {
    return ::rename(from, to);
}

int ShellFileSyscalls::link(const char* from, const char* to) {
    return ::link(from, to);
}

int ShellFileSyscalls::unlink(const char* path) {
    return ::unlink(path);
}

int ShellFileSyscalls::rmdir(const char* path) {
    return ::rmdir(path);
}

int ShellFileSyscalls::mkdir(const char* path, mode_t mode) {
    return ::mkdir(path, mode);
}

int ShellFileSyscalls::lstat(const char* path, struct stat* status) {
    return ::lstat(path, status);
}

int ShellFileSyscalls::open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

int ShellFileSyscalls::close(int fd) {
    return ::close(fd);
}

int ShellFileSyscalls::fstat(int fd, struct stat* status) {
    return ::fstat(fd, status);
}

ssize_t ShellFileSyscalls::copyFileRange(int in, int out, size_t length) {
    return ::copy_file_range(in, nullptr, out, nullptr, length, 0);
}

ssize_t ShellFileSyscalls::read(int fd, void* buffer, size_t length) {
    return ::read(fd, buffer, length);
}

ssize_t ShellFileSyscalls::write(int fd, const void* buffer, size_t length) {
    return ::write(fd, buffer, length);
}

int ShellFileSyscalls::fsync(int fd) {
    return ::fsync(fd);
}

int ShellFileSyscalls::flock(int fd, int operation) {
    return ::flock(fd, operation);
}

int ShellFileSyscalls::fchown(int fd, uid_t owner, gid_t group) {
    return ::fchown(fd, owner, group);
}

int ShellFileSyscalls::fchmod(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

ssize_t ShellFileSyscalls::flistxattr(int fd, char* names, size_t size) {
    return ::flistxattr(fd, names, size);
}

ssize_t ShellFileSyscalls::fgetxattr(int fd, const char* name, void* value, size_t size) {
    return ::fgetxattr(fd, name, value, size);
}

int ShellFileSyscalls::fsetxattr(int fd, const char* name, const void* value, size_t size) {
    return ::fsetxattr(fd, name, value, size, 0);
}

int ShellFileSyscalls::futimens(int fd, const struct timespec* times) {
    return ::futimens(fd, times);
}

bool ShellFileSyscalls::moveToTrash(const QString& path, QString* errorText) {
    return moveToFreedesktopTrash(path, errorText);
}
