#include "filelist/ui/AddFilesDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileSystemModel>

namespace {

QString allFilesFilter() {
    return QCoreApplication::translate("AddFilesDialog", "すべてのファイル(*.*)");
}

} // namespace

QStringList addDialogNameFilters(const QString& wildCard) {
    QStringList filters;
    if (wildCard != QLatin1String("*.*"))
        filters << QCoreApplication::translate("AddFilesDialog", "ユーザー指定(") + wildCard + QLatin1Char(')');
    filters << allFilesFilter();
    return filters;
}

void configureAddDialog(QFileDialog& dialog, const QString& wildCard, const QString& initialFolder) {
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::DontResolveSymlinks);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(addDialogNameFilters(wildCard));
    dialog.setDirectory(initialFolder);
    // "*.*" means every file, names without a dot included, though the dialog's own matching would
    // want a dot: under that filter the model is told to show everything.
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto showAll = [model](const QString& filter) {
        if (model != nullptr && filter == allFilesFilter())
            model->setNameFilters({QStringLiteral("*")});
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, showAll);
    showAll(dialog.selectedNameFilter());
}

QStringList askFilesToAdd(QWidget* parent, const QString& wildCard, const QString& initialFolder) {
    QFileDialog dialog(parent);
    configureAddDialog(dialog, wildCard, initialFolder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}
