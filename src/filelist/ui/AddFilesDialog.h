#pragma once

#include <QStringList>

class QFileDialog;
class QWidget;

// The name filters of the open dialog for the add filter: the user's own first unless it is "*.*".
QStringList addDialogNameFilters(const QString& wildCard);

// Sets the open dialog up for adding files: several existing files, links as themselves, the filters.
void configureAddDialog(QFileDialog& dialog, const QString& wildCard, const QString& initialFolder);

// Shows the open dialog for adding files; the chosen paths, or nothing when the user cancels.
QStringList askFilesToAdd(QWidget* parent, const QString& wildCard, const QString& initialFolder);
