#include "mainwindow/ui/ToolbarIcons.h"

#include <QCoreApplication>
#include <QStyle>

namespace {

QStyle::StandardPixmap fallbackIcon(const QString& key) {
    if (key == QLatin1String("add"))
        return QStyle::SP_FileDialogNewFolder;
    if (key == QLatin1String("remove") || key == QLatin1String("clear"))
        return QStyle::SP_TrashIcon;
    if (key == QLatin1String("up"))
        return QStyle::SP_ArrowUp;
    if (key == QLatin1String("down"))
        return QStyle::SP_ArrowDown;
    if (key == QLatin1String("exit"))
        return QStyle::SP_DialogCloseButton;
    if (key == QLatin1String("test"))
        return QStyle::SP_FileDialogContentsView;
    return QStyle::SP_MediaPlay;
}

} // namespace

QIcon toolbarIcon(const QString& key, const QStyle& style) {
    QIcon icon(QCoreApplication::applicationDirPath() + QLatin1Char('/') + key + QStringLiteral(".bmp"));
    if (icon.availableSizes().isEmpty())
        icon = style.standardIcon(fallbackIcon(key));
    return icon;
}
