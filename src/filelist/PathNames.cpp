#include "filelist/PathNames.h"

#include "platform/AttributeBits.h"
#include "platform/FileSystem.h"

#include <QDir>

namespace {

QString folderOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString longPathName(const FileSystem& fs, const QString& path) {
    QString trimmed = path;
    if (trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    QString result;
    qsizetype from = 1;
    while (from <= trimmed.size()) {
        qsizetype slash = trimmed.indexOf(QLatin1Char('/'), from);
        if (slash < 0)
            slash = trimmed.size();
        if (const auto name = fs.storedName(trimmed.left(slash)))
            result += QLatin1Char('/') + *name;
        from = slash + 1;
    }
    return result.isEmpty() ? QStringLiteral("/") : result;
}

PendingBatch prepareCommandLine(const FileSystem& fs, const QStringList& arguments, const QString& currentFolder) {
    PendingBatch batch;
    const QDir current(currentFolder);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QString absolute = QDir::cleanPath(current.absoluteFilePath(argument));
        // A path that does not exist stays as given: its long form would have dropped the missing
        // parts and named the folder above it instead.
        const bool exists = fs.attributes(absolute) != AttributeBits::kMissing;
        batch.names.append(exists ? longPathName(fs, absolute) : absolute);
    }
    if (!batch.names.isEmpty())
        batch.baseFolder = folderOf(batch.names.constLast());
    return batch;
}

PendingBatch splitDialogSelection(const QStringList& selectedPaths) {
    PendingBatch batch;
    if (selectedPaths.isEmpty())
        return batch;
    batch.baseFolder = folderOf(selectedPaths.constFirst());
    for (const QString& path : selectedPaths) {
        if (folderOf(path) == batch.baseFolder)
            batch.names.append(path.mid(batch.baseFolder.size()));
        else
            batch.names.append(path);
    }
    return batch;
}
