#pragma once

#include <QString>

class QAction;
class QObject;
class QWidget;

// Menu items that share one handler form an array: every item is named after the array and its position,
// "mnuRun_0", "mnuRun_1", so that each name is unique, and carries the position in the property "index".
QString arrayItemName(const QString& arrayName, int index);
QAction* addArrayAction(QWidget* menu, const QString& arrayName, int index, const QString& text);
QAction* findArrayAction(const QObject* root, const QString& arrayName, int index);
int arrayIndex(const QAction* action);
