#pragma once

#include <QHash>
#include <QKeySequence>
#include <QString>

#include <functional>
#include <initializer_list>

class QAction;
class QMenu;
class QObject;
class QWidget;

// One command of a window, declared once. The menus, the toolbar and the pop-up menu show its action; an
// Alt key reaches it on release with exactly Alt held.
struct ActionCommand {
    const char* objectName; // unique; items of an array end in their position ("mnuRun_1")
    QString caption;
    std::function<void()> handler;
    Qt::Key altKey = Qt::Key_unknown;
    QKeySequence shortcut = {};
    QString tip = {};
};

// The actions of a window by name and by Alt key.
class ActionRegistry final {
public:
    explicit ActionRegistry(QObject* owner)
        : m_owner(owner) {}

    QAction* add(const ActionCommand& command);
    // A check-mark item; `toggled` runs after a click has changed the mark.
    QAction* addCheckable(const QString& objectName, const QString& caption, std::function<void(bool)> toggled);

    [[nodiscard]] QAction* find(const QString& objectName) const { return m_byName.value(objectName); }
    // The action an Alt key stands for, or nothing: a key without one reaches the focused control as usual.
    [[nodiscard]] QAction* forAltKey(int key) const { return m_byAltKey.value(key); }

    // Appends the named actions to a menu or a toolbar, in order; "-" is a separator.
    void fill(QWidget* target, std::initializer_list<const char*> names) const;
    // A submenu with its own name, filled the same way.
    QMenu* addMenu(QWidget* parent,
                   const char* objectName,
                   const QString& caption,
                   std::initializer_list<const char*> names) const;

private:
    QObject* m_owner;
    QHash<QString, QAction*> m_byName;
    QHash<int, QAction*> m_byAltKey;
};
