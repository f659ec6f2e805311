// The least that renaming a prefix of every file in one folder costs when a program makes the system calls
// tokrenu-cli makes for it, and nothing else: read the folder; per file fstatat and the attribute record
// (user.DOSATTRIB), which give the list its size, time and attribute texts; read the folder again to find
// the names already in use; one no-replace rename per file. No format, no log, no rows. The renames take
// their cheapest form, names relative to the open folder, so that no path is walked again.
// compare-tools.sh times it beside the real tools, so that the table shows what is left to win.
//
// Usage: tokrenu_syscall_floor FOLDER OLD_PREFIX NEW_PREFIX

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
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER OLD_PREFIX NEW_PREFIX\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (folder.back() != '/')
        folder += '/';
    const std::string oldPrefix = argv[2];
    const std::string newPrefix = argv[3];

    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        std::perror(folder.c_str());
        return 1;
    }
    std::vector<std::string> names = readFolder(folder, true);
    std::sort(names.begin(), names.end());
    const std::vector<std::string> present = readFolder(folder, false);
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
