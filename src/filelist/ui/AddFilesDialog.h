#pragma once

#include <QStringList>

class QWidget;

// The name filters of the open dialog for the add filter: the user's own first unless it is "*.*".
QStringList addDialogNameFilters(const QString& wildCard);

// Shows the open dialog for adding files; the chosen paths, or nothing when the user cancels.
QStringList askFilesToAdd(QWidget* parent, const QString& wildCard, const QString& initialFolder);
