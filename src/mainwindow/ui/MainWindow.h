#pragma once

#include "execution/RunCommands.h"
#include "filelist/ListCommands.h"
#include "filelist/PendingBatch.h"
#include "mainwindow/WindowSettings.h"
#include "mainwindow/ui/ActionRegistry.h"
#include "mainwindow/ui/Fonts.h"
#include "platform/WorkHost.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class Clock;
class FileAdder;
class FileListModel;
class FileListView;
class FileSystem;
class FormatBox;
class FormatCommands;
class JournalStore;
class HelpCommands;
class ListController;
class OptionActions;
class PreviewController;
class QActionGroup;
class Rebar;
class QMenu;
class QToolBar;
class RunController;
class SettingsStore;
class StatusPanels;
class ShellFileOperation;
class UserPrompt;
struct OptionKey;
struct Options;

// frmMain: the program's main window. It wires the menus, bars and keys to the commands; every command is
// declared once, in the table of buildActions().
class MainWindow final : public QMainWindow, private WorkHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    MainWindow(Options& options,
               SettingsStore& settings,
               FileSystem& fs,
               ShellFileOperation& files,
               JournalStore& journal,
               UserPrompt& prompt,
               const Clock& clock,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; arguments are the paths named on the command line. A run that ended without
    // finishing is settled first, so that the files named are looked at as they then are.
    void startUp(const QStringList& arguments, const QString& currentFolder);

    void listCommand(ListCommand command);
    void selectAll();
    void addBatch(const PendingBatch& batch);
    // Test, run or undo with the format in the format box.
    CommandOutcome runCommand(RunMode mode);

    // The open dialog of the add command; tests put a chooser of their own here.
    using FileChooser = std::function<QStringList(QWidget* parent, const QString& wildCard, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFiles = std::move(chooser); }
    // The font dialog of the font commands; tests put a chooser of their own here.
    void setFontChooser(FontChooser chooser) { m_chooseFont = std::move(chooser); }
    // The folder browser of the folder dialog; tests put a chooser of their own here.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
    void setFolderChooser(FolderChooser chooser);

    [[nodiscard]] FileListModel& fileList() { return *m_model; }
    [[nodiscard]] Options& options() { return m_options; }
    [[nodiscard]] QString formatText() const;
    [[nodiscard]] RunController& runController() { return *m_run; }
    [[nodiscard]] FormatCommands& formats() { return *m_formats; }
    // Shows the options' values as check marks, after they changed from outside the menus.
    void applyOptionsToMenus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildActions();
    void buildMenus();
    void buildToolbar();
    void buildFormatBox();
    void buildStatusBar();
    void buildPreview(const FileSystem& fs, const Clock& clock);
    void optionToggled(const OptionKey& option, bool checked);
    void applyToolbarCaptions();
    void applyTooltips();
    void applyPreviewSwitch();
    // The settings: read once at start-up, applied in order; written once at shutdown.
    void loadSettings();
    void applyWindowSettings();
    void saveSettings();
    void captureWindowSettings();
    void deleteSettings();
    void askMaxFileSize();
    void chooseListFont();
    void chooseLogFont();
    void moveSelectedRows(bool up);
    void removeSelectedRows();
    void setSortDirection(bool ascending);
    void showTargetFolder();
    bool toolbarDragEvent(QEvent* event);
    void addThroughDialog();
    void editWildCard();
    void shutDown();

    // WorkHost: adds and bulk runs show the status, the file count, the list and the cursor here.
    void setStatusText(const QString& text) override;
    void setFileCountText(const QString& text) override;
    void processEvents() override;
    void setBusy(bool busy) override;
    void setListVisible(bool visible) override;

    Options& m_options;
    SettingsStore& m_settings;
    WindowSettings m_window;
    FileSystem& m_fs;
    UserPrompt& m_prompt;
    FileListModel* m_model;
    FileAdder* m_adder;
    FileListView* m_list;
    RunController* m_run;
    ListController* m_listEdits;
    ActionRegistry m_actions;
    std::unique_ptr<HelpCommands> m_help;
    QActionGroup* m_sortDirection = nullptr;
    std::unique_ptr<OptionActions> m_optionActions;
    QMenu* m_listPopup = nullptr;
    QToolBar* m_toolbar = nullptr;
    QToolBar* m_formatBand = nullptr;
    Rebar* m_rebar = nullptr;
    QMenu* m_registerMenu = nullptr;
    FormatBox* m_formatBox = nullptr;
    StatusPanels* m_panels = nullptr;
    PreviewController* m_preview = nullptr;
    FormatCommands* m_formats = nullptr;
    QString m_baseFolder;
    FileChooser m_chooseFiles;
    FontChooser m_chooseFont;
    bool m_shutDown = false;
    bool m_settingsDeleted = false;
};
