#include "platform/linux/FreedesktopTrash.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("FreedesktopTrash", text);
}

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// The folder that holds the user's data: $XDG_DATA_HOME when it is an absolute path, else ~/.local/share
// with HOME an absolute path to a folder. Nothing when neither can be had.
std::optional<QByteArray> dataHome() {
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    if (xdg.startsWith('/'))
        return xdg;
    const QByteArray home = qgetenv("HOME");
    struct stat status {};
    if (!home.startsWith('/') || stat(home.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return std::nullopt;
    return home + "/.local/share";
}

// The device of the path, or of the nearest folder above it that exists.
std::optional<dev_t> deviceOf(QByteArray path) {
    for (;;) {
        struct stat status {};
        if (stat(path.constData(), &status) == 0)
            return status.st_dev;
        if (errno != ENOENT || path == "/")
            return std::nullopt;
        path = parentOf(path);
    }
}

// A folder of the trash, made when missing: it must be a real folder of this user's, never a link.
bool ensurePrivateFolder(const QByteArray& path) {
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat status {};
    return lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == getuid();
}

bool ensureFolders(const QByteArray& path) {
    if (ensurePrivateFolder(path))
        return true;
    if (errno != ENOENT)
        return false;
    const QByteArray parent = parentOf(path);
    if (parent == path || !ensureFolders(parent))
        return false;
    return ensurePrivateFolder(path);
}

// The top of the mount that holds the path: the highest folder above it on the same device.
QByteArray mountTop(const QByteArray& folder, dev_t device) {
    QByteArray top = folder;
    while (top != "/") {
        const QByteArray parent = parentOf(top);
        struct stat status {};
        if (stat(parent.constData(), &status) != 0 || status.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// The trash at the top of a mount: $top/.Trash/$uid where an administrator made a sticky, unlinked .Trash,
// else $top/.Trash-$uid.
std::optional<QByteArray> mountTrash(const QByteArray& top) {
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(getuid());
    struct stat shared {};
    const QByteArray sharedPath = base + "/.Trash";
    if (lstat(sharedPath.constData(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX) != 0 &&
        ensurePrivateFolder(sharedPath + '/' + uid))
        return sharedPath + '/' + uid;
    const QByteArray own = base + "/.Trash-" + uid;
    if (ensurePrivateFolder(own))
        return own;
    return std::nullopt;
}

} // namespace

bool moveToFreedesktopTrash(const QString& path, QString* errorText) {
    auto fail = [errorText](const QString& text) {
        if (errorText != nullptr)
            *errorText = text;
        return false;
    };
    const QByteArray native = path.toUtf8();
    struct stat file {};
    if (lstat(native.constData(), &file) != 0)
        return fail(qt_error_string(errno));

    const std::optional<QByteArray> data = dataHome();
    if (!data)
        return fail(tr("ごみ箱が使えません（ホームフォルダがありません）。"));
    const QByteArray homeTrash = *data + "/Trash";
    const QByteArray folder = parentOf(native);
    // A path relative to the top of the mount names the file in a mount's trash, as the format asks.
    QByteArray trash;
    QByteArray pathInInfo = native;
    if (deviceOf(homeTrash) == file.st_dev) {
        if (!ensureFolders(homeTrash))
            return fail(tr("ごみ箱が使えません（%1）。").arg(QString::fromUtf8(homeTrash)));
        trash = homeTrash;
    } else {
        const QByteArray top = mountTop(folder, file.st_dev);
        const std::optional<QByteArray> found = mountTrash(top);
        if (!found)
            return fail(tr("このファイルのあるドライブにはごみ箱が使えません（%1）。").arg(QString::fromUtf8(top)));
        trash = *found;
        if (top != "/")
            pathInInfo = native.mid(top.size() + 1);
        else
            pathInInfo = native.mid(1);
    }
    if (!ensurePrivateFolder(trash + "/files") || !ensurePrivateFolder(trash + "/info"))
        return fail(tr("ごみ箱が使えません（%1）。").arg(QString::fromUtf8(trash)));

    // The info file is made first and exclusively: it reserves the name in the trash.
    const QByteArray name = native.mid(native.lastIndexOf('/') + 1);
    QByteArray chosen;
    int info = -1;
    for (int number = 1; number < 10000 && info < 0; ++number) {
        chosen = number == 1 ? name : name + '.' + QByteArray::number(number);
        info = open(QByteArray(trash + "/info/" + chosen + ".trashinfo").constData(),
                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (info < 0 && errno != EEXIST)
            return fail(qt_error_string(errno));
    }
    if (info < 0)
        return fail(qt_error_string(EEXIST));
    const QByteArray infoPath = trash + "/info/" + chosen + ".trashinfo";
    const QByteArray text =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(QString::fromUtf8(pathInInfo), "/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() +
        "\n";
    const bool written = write(info, text.constData(), static_cast<size_t>(text.size())) == text.size();
    const int closed = close(info);
    if (!written || closed != 0) {
        const int error = errno;
        unlink(infoPath.constData());
        return fail(qt_error_string(error));
    }
    const QByteArray target = trash + "/files/" + chosen;
    if (renameat2(AT_FDCWD, native.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        unlink(infoPath.constData());
        return fail(qt_error_string(error));
    }
    return true;
}
