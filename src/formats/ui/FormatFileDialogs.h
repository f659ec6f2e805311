#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// The save dialog of the export: confirms before replacing a file; the folder must exist.
void configureExportDialog(QFileDialog& dialog);
// The open dialog of the import: an existing file.
void configureImportDialog(QFileDialog& dialog);

// The chosen path, or an empty text when the user cancels.
QString askExportPath(QWidget* parent);
QString askImportPath(QWidget* parent);
