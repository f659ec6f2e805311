#include "filelist/ui/AddFilesDialog.h"

#include <QCoreApplication>
#include <QFileDialog>

QStringList addDialogNameFilters(const QString& wildCard) {
    QStringList filters;
    if (wildCard != QLatin1String("*.*"))
        filters << QCoreApplication::translate("AddFilesDialog", "ユーザー指定(") + wildCard + QLatin1Char(')');
    filters << QCoreApplication::translate("AddFilesDialog", "すべてのファイル(*.*)");
    return filters;
}

QStringList askFilesToAdd(QWidget* parent, const QString& wildCard, const QString& initialFolder) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Links are returned as themselves, never resolved.
    dialog.setOption(QFileDialog::DontResolveSymlinks);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(addDialogNameFilters(wildCard));
    dialog.setDirectory(initialFolder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
