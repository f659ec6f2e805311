#include "mainwindow/ui/ActionRegistry.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

QAction* ActionRegistry::add(const ActionCommand& command) {
    auto* action = new QAction(command.caption, m_owner);
    const QString name = QString::fromLatin1(command.objectName);
    action->setObjectName(name);
    // Items of an array carry their position as well.
    const qsizetype underscore = name.lastIndexOf(QLatin1Char('_'));
    bool numbered = false;
    const int index = underscore > 0 ? name.mid(underscore + 1).toInt(&numbered) : 0;
    if (numbered)
        action->setProperty("index", index);
    if (!command.shortcut.isEmpty())
        action->setShortcut(command.shortcut);
    if (!command.tip.isEmpty())
        action->setToolTip(command.tip);
    QObject::connect(action, &QAction::triggered, m_owner, [handler = command.handler] { handler(); });
    m_byName.insert(name, action);
    if (command.altKey != Qt::Key_unknown)
        m_byAltKey.insert(command.altKey, action);
    return action;
}

QAction*
ActionRegistry::addCheckable(const QString& objectName, const QString& caption, std::function<void(bool)> toggled) {
    auto* action = new QAction(caption, m_owner);
    action->setObjectName(objectName);
    action->setCheckable(true);
    QObject::connect(action, &QAction::triggered, m_owner,
                     [toggled = std::move(toggled)](bool checked) { toggled(checked); });
    m_byName.insert(action->objectName(), action);
    return action;
}

void ActionRegistry::fill(QWidget* target, std::initializer_list<const char*> names) const {
    for (const char* name : names) {
        if (qstrcmp(name, "-") == 0) {
            if (auto* menu = qobject_cast<QMenu*>(target))
                menu->addSeparator();
            else if (auto* bar = qobject_cast<QToolBar*>(target))
                bar->addSeparator();
            continue;
        }
        QAction* action = find(QString::fromLatin1(name));
        Q_ASSERT_X(action != nullptr, "ActionRegistry::fill", name);
        if (action != nullptr)
            target->addAction(action);
    }
}

QMenu* ActionRegistry::addMenu(QWidget* parent,
                               const char* objectName,
                               const QString& caption,
                               std::initializer_list<const char*> names) const {
    QMenu* menu = nullptr;
    if (auto* bar = qobject_cast<QMenuBar*>(parent))
        menu = bar->addMenu(caption);
    else
        menu = qobject_cast<QMenu*>(parent)->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(objectName));
    fill(menu, names);
    return menu;
}
