#include "BenchFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

QString benchFolder(int count) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    auto& dir = folders[count];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tokrenu-bench-XXXXXX"));
        const QByteArray base = dir->path().toUtf8() + '/';
        for (int i = 0; i < count; ++i) {
            const QByteArray path = base + "photo_" + QByteArray::number(i).rightJustified(6, '0') + ".jpg";
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
    return dir->path() + QLatin1Char('/');
}

QString benchTree(int folderCount, int fileCount) {
    static std::map<std::pair<int, int>, std::unique_ptr<QTemporaryDir>> trees;
    auto& dir = trees[{folderCount, fileCount}];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tokrenu-tree-XXXXXX"));
        const QByteArray root = dir->path().toUtf8() + '/';
        constexpr int kTop = 100;
        std::vector<QByteArray> folders;
        for (int i = 0; i < kTop && i + 1 < folderCount; ++i)
            folders.push_back(root + "top" + QByteArray::number(i) + '/');
        for (int i = kTop + 1; i < folderCount; ++i)
            folders.push_back(folders[static_cast<std::size_t>(i % kTop)] + "sub" + QByteArray::number(i) + '/');
        for (const QByteArray& folder : folders)
            ::mkdir(folder.constData(), 0755);
        for (int i = 0; i < fileCount && !folders.empty(); ++i) {
            const QByteArray path = folders[static_cast<std::size_t>(i) % folders.size()] + "file_" +
                                    QByteArray::number(i).rightJustified(6, '0') + ".txt";
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
    return dir->path() + QLatin1Char('/');
}
