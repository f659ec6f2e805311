#include "BenchFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

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
