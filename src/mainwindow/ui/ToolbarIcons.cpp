#include "mainwindow/ui/ToolbarIcons.h"

#include <QLatin1String>

namespace {

struct ToolbarPicture {
    const char* key;
    const char* themeName; // the freedesktop icon name of the command
};

constexpr ToolbarPicture kPictures[] = {
    {"add", "list-add"}, {"remove", "list-remove"},    {"clear", "edit-clear"}, {"up", "go-up"},
    {"down", "go-down"}, {"exit", "application-exit"}, {"test", "edit-find"},   {"start", "media-playback-start"},
};

} // namespace

QIcon toolbarIcon(const QString& key) {
    for (const ToolbarPicture& picture : kPictures) {
        if (key == QLatin1String(picture.key)) {
            const QIcon own(QStringLiteral(":/toolbar/") + key + QStringLiteral(".svg"));
            return QIcon::fromTheme(QString::fromLatin1(picture.themeName), own);
        }
    }
    return {};
}
