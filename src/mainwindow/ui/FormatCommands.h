#pragma once

#include "formats/FormatHistory.h"

#include <QObject>

#include <functional>

class ActionRegistry;
class FormatBox;
class QFont;
class QMenu;
class QWidget;
class SavedFormats;
class SettingsStore;
class UserPrompt;

// The saved formats in the window: the history of the format box, the register-and-recall menu (mnuReg with
// its mnuFormat items), the organizer, export and import.
class FormatCommands final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormatCommands)

public:
    using PathChooser = std::function<QString(QWidget* parent)>;

    FormatCommands(FormatBox& box, SettingsStore& store, UserPrompt& prompt, QWidget* window);
    ~FormatCommands() override;

    // mnuFormat_0 (register), mnuAdjust, mnuFormInport and mnuFormExport.
    void addActions(ActionRegistry& actions);
    // The menu that lists the registered formats after its first item, kept in step with them.
    void setRegisterMenu(QMenu* menu);

    void load();
    void saveFormats();
    void saveHistory();
    // A real run's format goes to the top of the history; the format box keeps its text.
    void formatRun(const QString& format);

    [[nodiscard]] SavedFormats& savedFormats() { return *m_saved; }
    [[nodiscard]] const FormatHistory& history() const { return m_history; }

    // What the organizer shows and how; where export and import go (tests choose their own paths).
    std::function<QFont()> listFont;
    std::function<bool()> toolTips;
    PathChooser exportPath;
    PathChooser importPath;

private:
    void registerFormat();
    void recallFormat(int index);
    void organize();
    void exportFormats();
    void importFormats();
    void showFormats();
    void showHistory();

    FormatBox& m_box;
    SettingsStore& m_store;
    UserPrompt& m_prompt;
    QWidget* m_window;
    SavedFormats* m_saved;
    FormatHistory m_history;
    QMenu* m_registerMenu = nullptr;
};
