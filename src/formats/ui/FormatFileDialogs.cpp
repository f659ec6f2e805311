#include "formats/ui/FormatFileDialogs.h"

#include "formats/FormatFile.h"

#include <QFileDialog>
#include <QFileSystemModel>

namespace {

void configureFormatFileDialog(QFileDialog& dialog, const QString& title) {
    dialog.setWindowTitle(title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QStringList filters = formatFileNameFilters();
    dialog.setNameFilters(filters);
    // "*.*" means every file, names without a dot included, though the dialog's own matching would want a
    // dot: under that filter the model is told to show everything.
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto showAll = [model, all = filters.last()](const QString& filter) {
        if (model != nullptr && filter == all)
            model->setNameFilters({QStringLiteral("*")});
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, showAll);
}

QString ask(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

void configureExportDialog(QFileDialog& dialog) {
    configureFormatFileDialog(dialog, exportDialogTitle());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
}

void configureImportDialog(QFileDialog& dialog) {
    configureFormatFileDialog(dialog, importDialogTitle());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
}

QString askExportPath(QWidget* parent) {
    QFileDialog dialog(parent);
    configureExportDialog(dialog);
    return ask(dialog);
}

QString askImportPath(QWidget* parent) {
    QFileDialog dialog(parent);
    configureImportDialog(dialog);
    return ask(dialog);
}
