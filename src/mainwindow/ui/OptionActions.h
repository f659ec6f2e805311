#pragma once

#include <QCoreApplication>

#include <functional>

class ActionRegistry;
struct OptionKey;
struct Options;

// The check-mark items of the options: one for every switch of the table of options and one for every
// attribute the adds may ignore. A click changes the option at once; `changed` then does what the switch
// does to the window.
class OptionActions final {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    using Changed = std::function<void(const OptionKey& option, bool checked)>;

    OptionActions(Options& options, ActionRegistry& actions, Changed changed);

    // Shows the options' values as check marks, after they changed from outside the menus.
    void applyToMenus();

private:
    Options& m_options;
    ActionRegistry& m_actions;
    Changed m_changed;
};
