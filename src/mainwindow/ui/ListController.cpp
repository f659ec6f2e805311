#include "mainwindow/ui/ListController.h"

#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/InPlaceRename.h"
#include "filelist/ListCommands.h"
#include "filelist/PathNames.h"
#include "filelist/SubfolderWalk.h"
#include "filelist/ui/FileListView.h"
#include "mainwindow/Options.h"
#include "mainwindow/ui/MainWindow.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"

#include <QAction>
#include <QToolBar>

#include <algorithm>

ListController::ListController(MainWindow& window,
                               WorkHost& host,
                               Options& options,
                               const FileSystem& fs,
                               ShellFileOperation& files,
                               UserPrompt& prompt,
                               FileListModel& model,
                               FileListView& view,
                               FileAdder& adder)
    : QObject(&window)
    , m_window(window)
    , m_host(host)
    , m_options(options)
    , m_fs(fs)
    , m_files(files)
    , m_prompt(prompt)
    , m_model(model)
    , m_view(view)
    , m_adder(adder)
    , m_chooseFolder(FolderDialog::browseForFolder) {}

void ListController::addFolder() {
    QString folder;
    bool withSubfolders = false;
    {
        FolderDialog dialog(FolderDialogMode::Add, m_fs, m_prompt, &m_window);
        dialog.setFolderChooser(m_chooseFolder);
        dialog.setWildCardCommand(m_editWildCard);
        dialog.exec();
        if (!dialog.folderAccepted())
            return;
        folder = dialog.folder();
        withSubfolders = dialog.searchSubfolders();
    }
    m_addingFolders = true;
    const QStringList folders =
        withSubfolders ? SubfolderWalk::collectSubfolders(m_fs, folder, m_host) : QStringList{folder};
    m_adder.addFolders(folders, m_options.addSettings(), m_host);
    m_addingFolders = false;
}

bool ListController::chooseTargetFolder() {
    FolderDialog dialog(FolderDialogMode::Target, m_fs, m_prompt, &m_window);
    dialog.setFolderChooser(m_chooseFolder);
    dialog.setFolderText(m_options.targetFolder);
    dialog.exec();
    if (!dialog.folderAccepted())
        return false;
    m_options.targetFolder = dialog.folder();
    return true;
}

void ListController::dropPaths(const QStringList& paths) {
    if (m_addingFolders)
        return;
    const PendingBatch batch = prepareDroppedPaths(paths);
    if (!batch.names.isEmpty())
        m_window.addBatch(batch);
}

void ListController::dropOnToolbarButton(const QString& key, const QStringList& paths) {
    if (m_addingFolders)
        return;
    if (key == QLatin1String("add")) {
        dropPaths(paths);
    } else if (key == QLatin1String("clear")) {
        m_window.listCommand(ListCommand::Clear);
        dropPaths(paths);
    } else if (key == QLatin1String("test")) {
        dropPaths(paths);
        m_window.runCommand(RunMode::Test);
    } else if (key == QLatin1String("start")) {
        dropPaths(paths);
        if (m_prompt.message(tr("リネームを実行しますか？"), tr("おたずね"), PromptIcon::Question, PromptButtons::YesNo,
                             PromptAnswer::Yes) == PromptAnswer::Yes)
            m_window.runCommand(RunMode::Run);
    }
}

void ListController::dropRowsOn(int target) {
    const RowMove moved = dropSelectedOnto(m_view.selectedRowFlags(), target);
    if (!moved.moved)
        return;
    m_model.permuteRows(moved.order, QAbstractItemModel::VerticalSortHint);
    m_view.selectOnly(moved.selected);
    const auto first = std::find(moved.selected.begin(), moved.selected.end(), true);
    m_view.setFocusRow(first - moved.selected.begin());
}

void ListController::sortByHeader(int column) {
    if (column < 0 || column >= kFileColumnCount)
        return;
    const auto key = static_cast<FileColumn>(column);
    // Sizes are sorted by a sort of their own, which hides the list when asked to.
    const bool sizes = key == FileColumn::Size;
    if (sizes && m_options.hideList)
        m_host.setListVisible(false);
    m_model.sortByHeader(key);
    if (sizes)
        m_host.setListVisible(true);
}

void ListController::renameRow(int row, const QString& newName) {
    InPlaceRename(m_model, m_fs, m_files, m_prompt).renameRow(row, newName);
}

QString toolbarKeyAt(const QToolBar& toolbar, int x) {
    const QList<QAction*> actions = toolbar.actions();
    for (QAction* action : actions) {
        const QWidget* button = toolbar.widgetForAction(action);
        if (button == nullptr || !action->isVisible())
            continue;
        if (button->x() <= x && button->x() + button->width() > x)
            return action->isSeparator() ? QString() : action->objectName();
    }
    return {};
}
