#pragma once

#include "execution/RunCommands.h"
#include "filelist/PendingBatch.h"
#include "mainwindow/Options.h"
#include "platform/WorkHost.h"

#include <QMainWindow>

#include <array>
#include <functional>

class Clock;
class FileAdder;
class FileListModel;
class FileListView;
class FileSystem;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class RunController;
class ShellFileOperation;
class UserPrompt;

// frmMain: the program's main window. It wires the menus, bars and keys to the commands.
class MainWindow final : public QMainWindow, private WorkHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    MainWindow(
        FileSystem& fs, ShellFileOperation& files, UserPrompt& prompt, const Clock& clock, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; arguments are the paths named on the command line.
    void startUp(const QStringList& arguments, const QString& currentFolder);

    // 0 add, 1 remove, 2 clear, 3 up, 4 down, 5 exit; any other mode does nothing.
    void listCommand(int mode);
    void addBatch(const PendingBatch& batch);
    // Test, run or undo with the format in the format box.
    CommandOutcome runCommand(RunMode mode);

    // The open dialog of the add command; tests put a chooser of their own here.
    using FileChooser = std::function<QStringList(QWidget* parent, const QString& wildCard, const QString& folder)>;
    void setFileChooser(FileChooser chooser) { m_chooseFiles = std::move(chooser); }

    [[nodiscard]] FileListModel& fileList() { return *m_model; }
    [[nodiscard]] Options& options() { return m_options; }
    [[nodiscard]] QString formatText() const;
    [[nodiscard]] RunController& runController() { return *m_run; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildFormatBox();
    void buildStatusBar();
    void buildListPopup();
    void applyOptionsToMenus();
    static bool isAltCommandKey(int key, Qt::KeyboardModifiers modifiers);
    bool handleKeyRelease(int key, Qt::KeyboardModifiers modifiers);
    void addThroughDialog();
    void editWildCard();
    void toggleIgnoredAttribute(int index);
    void shutDown();

    // WorkHost: adds and bulk runs show the status, the file count, the list and the cursor here.
    void setStatusText(const QString& text) override;
    void setFileCountText(const QString& text) override;
    void processEvents() override;
    void setBusy(bool busy) override;
    void setListVisible(bool visible) override;

    FileSystem& m_fs;
    UserPrompt& m_prompt;
    const Clock& m_clock;
    Options m_options;
    FileListModel* m_model;
    FileAdder* m_adder;
    FileListView* m_list;
    RunController* m_run;
    QMenu* m_listPopup = nullptr;
    QToolBar* m_toolbar = nullptr;
    QToolBar* m_formatBand = nullptr;
    QComboBox* m_formatCombo = nullptr;
    QLineEdit* m_formatBox = nullptr;
    QLabel* m_numberOfFiles = nullptr;
    QLabel* m_wildCardPanel = nullptr;
    QLabel* m_statusPanel = nullptr;
    std::array<QAction*, 6> m_attributeActions{};
    QString m_baseFolder;
    QString m_initDir;
    FileChooser m_chooseFiles;
    bool m_shutDown = false;
};
