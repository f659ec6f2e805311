#include "mainwindow/ui/MenuArrays.h"

#include <QAction>
#include <QWidget>

namespace {
constexpr const char* kIndexProperty = "index";
}

QString arrayItemName(const QString& arrayName, int index) {
    return arrayName + QLatin1Char('_') + QString::number(index);
}

QAction* addArrayAction(QWidget* menu, const QString& arrayName, int index, const QString& text) {
    auto* action = new QAction(text, menu);
    action->setObjectName(arrayItemName(arrayName, index));
    action->setProperty(kIndexProperty, index);
    menu->addAction(action);
    return action;
}

QAction* findArrayAction(const QObject* root, const QString& arrayName, int index) {
    return root->findChild<QAction*>(arrayItemName(arrayName, index));
}

int arrayIndex(const QAction* action) {
    return action->property(kIndexProperty).toInt();
}
