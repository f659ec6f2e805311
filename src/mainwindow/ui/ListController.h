#pragma once

#include "filelist/ui/FolderDialog.h"

#include <QObject>

#include <functional>

class FileAdder;
class FileListModel;
class FileListView;
class FileSystem;
class MainWindow;
class QToolBar;
class ShellFileOperation;
class UserPrompt;
class WorkHost;
struct Options;

// The window side of the list's editing: the folder add and the target folder through frmFolder, drops from
// the shell, the reordering drop, the header sorts and the in-place rename.
class ListController final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListController)

public:
    ListController(MainWindow& window,
                   WorkHost& host,
                   Options& options,
                   const FileSystem& fs,
                   ShellFileOperation& files,
                   UserPrompt& prompt,
                   FileListModel& model,
                   FileListView& view,
                   FileAdder& adder);

    void setFolderChooser(FolderDialog::FolderChooser chooser) { m_chooseFolder = std::move(chooser); }
    void setWildCardCommand(std::function<void()> command) { m_editWildCard = std::move(command); }

    // The add-folder command: the files of a folder, or of it and every folder below it, one batch each.
    void addFolder();
    // The target-folder command; true when a folder was chosen.
    bool chooseTargetFolder();

    // Files and folders dropped from the shell on the list or the window are added.
    void dropPaths(const QStringList& paths);
    // A drop on the toolbar acts by the key of the button under it: add, clear and add, add and test, add
    // and ask whether to run; any other button does nothing at all.
    void dropOnToolbarButton(const QString& key, const QStringList& paths);
    // The selected rows were dragged onto the row `target`.
    void dropRowsOn(int target);

    void sortByHeader(int column);
    void renameRow(int row, const QString& newName);

private:
    MainWindow& m_window;
    WorkHost& m_host;
    Options& m_options;
    const FileSystem& m_fs;
    ShellFileOperation& m_files;
    UserPrompt& m_prompt;
    FileListModel& m_model;
    FileListView& m_view;
    FileAdder& m_adder;
    FolderDialog::FolderChooser m_chooseFolder;
    std::function<void()> m_editWildCard;
    // While a folder tree is added, rows wait to be shown between the events it lets in; a drop then would
    // add under their feet, so it is refused.
    bool m_addingFolders = false;
};

// The key of the toolbar button under the horizontal position x, found by its horizontal extent alone (the
// first button in the toolbar's order whose left edge is at most x and whose right edge lies beyond it), or
// an empty text.
QString toolbarKeyAt(const QToolBar& toolbar, int x);
