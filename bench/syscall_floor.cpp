// The least that renaming a prefix of every file in one folder costs in system calls, in two forms that
// compare-tools.sh times beside the real tools, so that the table shows what is left to win.
// - As tokrenu-cli makes them when every detail of a file is read as it is added: read the folder; per file
//   fstatat and the attribute record (user.DOSATTRIB), which give the list its size, time and attribute
//   texts; read the folder again to find the names already in use; one no-replace rename per file.
// - With --once, what a run needs and nothing more: read the folder once, which gives both the files and the
//   names in use, and one no-replace rename per file.
// No format, no log, no rows. The renames take their cheapest form, names relative to the open folder, so that
// no path is walked again.
//
// Usage: tokrenu_syscall_floor [--once] FOLDER OLD_PREFIX NEW_PREFIX

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace {

bool isDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::vector<std::string> readFolder(const std::string& folder, bool withDetails) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    std::string path = folder;
    while (const dirent* entry = readdir(dir)) {
        if (isDotEntry(entry->d_name))
            continue;
        if (withDetails) {
            struct stat status {};
            if (fstatat(dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            path.resize(folder.size());
            path += entry->d_name;
            char record[256];
            static_cast<void>(lgetxattr(path.c_str(), "user.DOSATTRIB", record, sizeof record));
        }
        names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

} // namespace

int main(int argc, char** argv) {
    const bool once = argc == 5 && std::strcmp(argv[1], "--once") == 0;
    if (argc != 4 && !once) {
        std::fprintf(stderr, "usage: %s [--once] FOLDER OLD_PREFIX NEW_PREFIX\n", argv[0]);
        return 2;
    }
    const int first = once ? 2 : 1;
    std::string folder = argv[first];
    if (folder.back() != '/')
        folder += '/';
    const std::string oldPrefix = argv[first + 1];
    const std::string newPrefix = argv[first + 2];

    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        std::perror(folder.c_str());
        return 1;
    }
    std::vector<std::string> names = readFolder(folder, !once);
    std::sort(names.begin(), names.end());
    const std::vector<std::string> present = once ? names : readFolder(folder, false);
    const std::unordered_set<std::string> inUse(present.begin(), present.end());

    int failed = 0;
    for (const std::string& name : names) {
        if (name.compare(0, oldPrefix.size(), oldPrefix) != 0)
            continue;
        const std::string newName = newPrefix + name.substr(oldPrefix.size());
        if (inUse.count(newName) != 0) {
            ++failed;
            continue;
        }
        if (renameat2(folderFd, name.c_str(), folderFd, newName.c_str(), RENAME_NOREPLACE) != 0)
            ++failed;
    }
    close(folderFd);
    return failed == 0 ? 0 : 1;
}
