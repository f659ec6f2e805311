#include "filelist/PathNames.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QHash>
#include <QSet>

namespace {

QString folderOf(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// The long forms of the paths of one batch. Each folder's own long form is worked out once, and a folder
// asked about again is read whole into a set, so that many paths of one folder cost one read of it, not
// one each.
class LongPaths {
public:
    explicit LongPaths(const FileSystem& fs)
        : m_fs(fs) {}

    // What longPathName gives for an absolute, clean path, or nothing when the path does not exist.
    std::optional<QString> of(const QString& path) {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash + 1 == path.size())
            return QStringLiteral("/");
        const QString folder = slash > 0 ? path.left(slash) : QStringLiteral("/");
        const auto name = storedName(folder, path.mid(slash + 1), path);
        if (!name)
            return std::nullopt;
        const QString longForm = longFolder(folder);
        // Mostly the path is its own long form, and the batch shares its text.
        if (QStringView(path).first(slash) == longForm && QStringView(path).sliced(slash + 1) == *name)
            return path;
        return longForm + QLatin1Char('/') + *name;
    }

private:
    struct Folder {
        bool lookedInto = false;
        bool listed = false;
        QSet<QString> names;
    };

    // Each component of an existing folder as "/name", its name as stored; empty for the root.
    QString longFolder(const QString& folder) {
        if (folder.size() == 1)
            return {};
        const auto known = m_longFolders.constFind(folder);
        if (known != m_longFolders.constEnd())
            return *known;
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        const QString parent = slash > 0 ? folder.left(slash) : QStringLiteral("/");
        QString result = longFolder(parent);
        if (const auto name = storedName(parent, folder.mid(slash + 1), folder))
            result += QLatin1Char('/') + *name;
        m_longFolders.insert(folder, result);
        return result;
    }

    // A name the folder lists under exactly the spelling asked for is stored so; any other may be stored in
    // other letters, which only the file system's own look at the path tells.
    std::optional<QString> storedName(const QString& folder, const QString& name, const QString& path) {
        Folder& seen = m_folders[folder];
        if (seen.lookedInto && !seen.listed) {
            const QStringList names = m_fs.entryNames(folder);
            seen.names = QSet<QString>(names.cbegin(), names.cend());
            seen.listed = true;
        }
        if (seen.names.contains(name))
            return name;
        std::optional<QString> stored = m_fs.storedName(path);
        // A path found in the folder shows that it can be looked into, so that every name it lists exists.
        seen.lookedInto = seen.lookedInto || stored.has_value();
        return stored;
    }

    const FileSystem& m_fs;
    QHash<QString, QString> m_longFolders;
    QHash<QString, Folder> m_folders;
};

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
    LongPaths longPaths(fs);
    for (const QString& argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QString absolute = QDir::cleanPath(current.absoluteFilePath(argument));
        // A path that does not exist stays as given: its long form would have dropped the missing
        // parts and named the folder above it instead.
        batch.names.append(longPaths.of(absolute).value_or(absolute));
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

PendingBatch prepareDroppedPaths(const QStringList& paths) {
    PendingBatch batch;
    for (const QString& path : paths) {
        if (path.startsWith(QLatin1Char('/')))
            batch.names.append(QDir::cleanPath(path));
    }
    if (!batch.names.isEmpty())
        batch.baseFolder = folderOf(batch.names.constLast());
    return batch;
}
