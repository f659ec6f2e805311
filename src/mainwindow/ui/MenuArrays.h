#pragma once

#include <QString>

class QAction;
class QObject;
class QWidget;

// Menu items that share one handler form an array: every item carries the array's name as its
// object name and its position in the property "index".
QAction* addArrayAction(QWidget* menu, const QString& arrayName, int index, const QString& text);
QAction* findArrayAction(const QObject* root, const QString& arrayName, int index);
int arrayIndex(const QAction* action);
