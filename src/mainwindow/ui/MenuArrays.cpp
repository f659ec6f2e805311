#include "mainwindow/ui/MenuArrays.h"

#include <QAction>
#include <QWidget>

namespace {
constexpr const char* kIndexProperty = "index";
}

QAction* addArrayAction(QWidget* menu, const QString& arrayName, int index, const QString& text) {
    auto* action = new QAction(text, menu);
    action->setObjectName(arrayName);
    action->setProperty(kIndexProperty, index);
    menu->addAction(action);
    return action;
}

QAction* findArrayAction(const QObject* root, const QString& arrayName, int index) {
    const auto actions = root->findChildren<QAction*>(arrayName);
    for (QAction* action : actions) {
        if (arrayIndex(action) == index)
            return action;
    }
    return nullptr;
}

int arrayIndex(const QAction* action) {
    return action->property(kIndexProperty).toInt();
}
