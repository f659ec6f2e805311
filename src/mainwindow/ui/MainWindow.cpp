#include "mainwindow/ui/MainWindow.h"

#include "filelist/AddFilter.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/PathNames.h"
#include "filelist/ui/AddFilesDialog.h"
#include "filelist/ui/FileListView.h"
#include "mainwindow/OptionKeys.h"
#include "mainwindow/Options.h"
#include "mainwindow/ui/FormatBox.h"
#include "mainwindow/ui/FormatCommands.h"
#include "mainwindow/ui/HelpCommands.h"
#include "mainwindow/ui/InsertionMenus.h"
#include "mainwindow/ui/ListController.h"
#include "mainwindow/ui/MenuArrays.h"
#include "mainwindow/ui/OptionActions.h"
#include "mainwindow/ui/PreviewController.h"
#include "mainwindow/ui/Rebar.h"
#include "mainwindow/ui/RunController.h"
#include "mainwindow/ui/StatusPanels.h"
#include "mainwindow/ui/ToolbarIcons.h"
#include "platform/UserPrompt.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace {

// The toolbar's buttons in order, by the names of their actions; "-" is the separator.
constexpr std::initializer_list<const char*> kToolbarButtons = {"add",  "remove", "clear", "up",   "down",
                                                                "exit", "-",      "test",  "start"};

} // namespace

MainWindow::MainWindow(Options& options,
                       SettingsStore& settings,
                       FileSystem& fs,
                       ShellFileOperation& files,
                       JournalStore& journal,
                       UserPrompt& prompt,
                       const Clock& clock,
                       QWidget* parent)
    : QMainWindow(parent)
    , m_options(options)
    , m_settings(settings)
    , m_fs(fs)
    , m_prompt(prompt)
    , m_model(new FileListModel(fs, this))
    , m_adder(new FileAdder(*m_model, fs, prompt))
    , m_list(new FileListView(this))
    , m_run(new RunController(this, *this, *m_model, fs, files, prompt, clock, journal))
    , m_listEdits(new ListController(*this, *this, options, fs, files, prompt, *m_model, *m_list, *m_adder))
    , m_actions(this)
    , m_help(std::make_unique<HelpCommands>(*this, prompt))
    , m_chooseFiles(askFilesToAdd)
    , m_chooseFont(askFont) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(programTitle());
    setCentralWidget(m_list);
    setAcceptDrops(true);
    m_list->setToolTip(tr("追加したいﾌｧｲﾙをﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟしてください"));
    m_listEdits->setWildCardCommand([this] { editWildCard(); });
    buildFormatBox();
    m_formats = new FormatCommands(*m_formatBox, settings, prompt, this);
    m_formats->listFont = [this] {
        return m_list->font();
    };
    m_formats->toolTips = [this] {
        return m_options.toolTip;
    };
    m_run->formatRun = [this](const QString& format) {
        m_formats->formatRun(format);
    };
    buildActions();
    buildMenus();
    buildStatusBar();
    buildPreview(fs, clock);
    // The count follows the list, whatever changed it.
    auto count = [this] {
        setFileCountText(FileAdder::fileCountText(m_model->size()));
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, count);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, count);
    connect(m_model, &QAbstractItemModel::modelReset, this, count);
    // Several runs of rows are removed as one change of layout.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, count);
    connect(m_list, &FileListView::popupRequested, this, [this](const QPoint& at) { m_listPopup->popup(at); });
    connect(m_list, &FileListView::rowsDropped, m_listEdits, &ListController::dropRowsOn);
    connect(m_list, &FileListView::pathsDropped, m_listEdits, &ListController::dropPaths);
    connect(m_list, &FileListView::nameEdited, m_listEdits, &ListController::renameRow);
    connect(m_list->header(), &QHeaderView::sectionClicked, m_listEdits, &ListController::sortByHeader);
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    delete m_adder;
}

void MainWindow::setFolderChooser(FolderChooser chooser) {
    m_listEdits->setFolderChooser(std::move(chooser));
}

void MainWindow::startUp(const QStringList& arguments, const QString& currentFolder) {
    // The list columns, in creation order.
    m_list->setFileListModel(m_model);
    buildToolbar();
    loadSettings();
    m_run->startUp(m_options.runOptions());
    // Files named on the command line, after the settings, so that the restored filter applies.
    if (!arguments.isEmpty())
        addBatch(prepareCommandLine(m_fs, arguments, currentFolder));
    m_panels->setWildCard(m_options.wildCard);
}

// Every command of the window, once. The toolbar's buttons are actions named by their keys, and their
// caption letters are the Alt keys.
void MainWindow::buildActions() {
    auto list = [this](ListCommand command) {
        return [this, command] {
            listCommand(command);
        };
    };
    auto run = [this](RunMode mode) {
        return [this, mode] {
            runCommand(mode);
        };
    };
    auto addFolder = [this] {
        m_listEdits->addFolder();
    };
    const ActionCommand commands[] = {
        {"mnuMenu_0", tr("ﾌｧｲﾙをﾘｽﾄに追加(&A)..."), list(ListCommand::Add)},
        {"mnuAddFolder", tr("一括追加(&F)..."), addFolder},
        {"mnuRun_0", tr("ﾃｽﾄする(&T)"), run(RunMode::Test)},
        {"mnuRun_1", tr("実行する(&S)"), run(RunMode::Run)},
        {"mnuUndo", tr("元に戻す(&U)"), run(RunMode::Undo)},
        {"mnuDeleteReg", tr("ﾚｼﾞｽﾄﾘを削除して終了(&R)"),
         [this] {
             deleteSettings();
         }},
        {"mnuExit", tr("終了(&X)"), list(ListCommand::Exit), Qt::Key_unknown, QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"mnuWildCard", tr("追加するﾌｧｲﾙ名(&W)"),
         [this] {
             editWildCard();
         }},
        {"mnuFontOfList", tr("ﾘｽﾄ(&V)..."),
         [this] {
             chooseListFont();
         }},
        {"mnuFontOfLog", tr("ﾛｸﾞ(&L)..."),
         [this] {
             chooseLogFont();
         }},
        {"mnuMaxFileSize", tr("ｺﾓﾝﾀﾞｲｱﾛｸﾞのMaxFileSizeを変更(&M)..."),
         [this] {
             askMaxFileSize();
         }},
        // Its caption is the target folder itself.
        {"mnuFolderName", QString(),
         [this] {
             if (m_listEdits->chooseTargetFolder()) {
                 showTargetFolder();
                 m_preview->schedule();
             }
         }},
        {"add", QStringLiteral("&Add"), list(ListCommand::Add), Qt::Key_A, {}, tr("リストに追加")},
        {"remove", QStringLiteral("&Remove"), list(ListCommand::Remove), Qt::Key_R, {}, tr("リストから削除")},
        {"clear", QStringLiteral("&Clear"), list(ListCommand::Clear), Qt::Key_C, {}, tr("リストをクリア")},
        {"up", QStringLiteral("&Up"), list(ListCommand::Up), Qt::Key_U, {}, tr("１つ上に")},
        {"down", QStringLiteral("&Down"), list(ListCommand::Down), Qt::Key_D, {}, tr("１つ下に")},
        {"exit", QStringLiteral("E&xit"), list(ListCommand::Exit), Qt::Key_X, {}, tr("Tokrenuを終了")},
        {"test", QStringLiteral("&Test"), run(RunMode::Test), Qt::Key_T, {}, tr("テスト")},
        {"start", QStringLiteral("&Start"), run(RunMode::Run), Qt::Key_S, {}, tr("実行")},
        {"mnuListViewPopup1_0", tr("一つ上へ(&U)"), list(ListCommand::Up)},
        {"mnuListViewPopup1_1", tr("一つ下へ(&D)"), list(ListCommand::Down)},
        {"mnuListViewPopup1_2", tr("削除(&D)"), list(ListCommand::Remove)},
        {"mnuListViewPopup1_3", tr("リストのクリア(&C)"), list(ListCommand::Clear)},
        {"mnuListViewPopup1_4", tr("すべて選択(&L)"),
         [this] {
             selectAll();
         }},
        {"mnuListViewPopup2_0", tr("ファイルを追加(&A)"), list(ListCommand::Add)},
        {"mnuListViewPopup2_1", tr("ファイルを一括追加(&F)"), addFolder},
        {"mnuListViewPopup3_0", tr("リネームのテスト(&T)"), run(RunMode::Test)},
        {"mnuListViewPopup3_1", tr("リネームの実行(&S)"), run(RunMode::Run)},
        {"mnuHelp", tr("Tokrenuのﾍﾙﾌﾟ(&M)"), [this] { m_help->showHelp(HelpTopic::Contents); }, Qt::Key_unknown,
         QKeySequence::HelpContents},
        {"mnuExpFmt", tr("関数、変数の説明(&F)"),
         [this] {
             m_help->showHelp(HelpTopic::FunctionsAndVariables);
         }},
        {"mnuMail", tr("ﾒｰﾙを送る(&E)"),
         [this] {
             m_help->sendMail();
         }},
        {"mnuURL", tr("ﾎｰﾑﾍﾟｰｼﾞを表示(&W)"),
         [this] {
             m_help->openWebPage();
         }},
        {"mnuVer", tr("ﾊﾞｰｼﾞｮﾝ情報(&A)"),
         [this] {
             m_help->showAbout();
         }},
    };
    for (const ActionCommand& command : commands)
        m_actions.add(command);
    m_formats->addActions(m_actions);

    // The switches come from the table of options, which also keeps them between starts.
    m_optionActions = std::make_unique<OptionActions>(
        m_options, m_actions, [this](const OptionKey& option, bool checked) { optionToggled(option, checked); });
    // Item 0 shows the toolbar's band, item 1 the format box's, wherever the user has put them.
    m_actions.addCheckable(QStringLiteral("mnuShowCoolbar_0"), tr("ﾂｰﾙﾊﾞｰ(&T)"),
                           [this](bool checked) { m_rebar->setBandVisible(QStringLiteral("toolbar"), checked); });
    m_actions.addCheckable(QStringLiteral("mnuShowCoolbar_1"), tr("ﾌｧｲﾙ名(&F)"),
                           [this](bool checked) { m_rebar->setBandVisible(QStringLiteral("filename"), checked); });

    // The sort direction: exactly one of the two is checked, and a click changes nothing but the direction.
    m_sortDirection = new QActionGroup(this);
    m_sortDirection->addAction(m_actions.addCheckable(QStringLiteral("mnuAscending"), tr("昇順(&A)"),
                                                      [this](bool) { setSortDirection(true); }));
    m_sortDirection->addAction(m_actions.addCheckable(QStringLiteral("mnuDescending"), tr("降順(&D)"),
                                                      [this](bool) { setSortDirection(false); }));
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    m_actions.addMenu(
        bar, "mnuOptionFile", tr("ﾌｧｲﾙ(&F)"),
        {"mnuMenu_0", "mnuAddFolder", "-", "mnuRun_0", "mnuRun_1", "mnuUndo", "-", "mnuDeleteReg", "-", "mnuExit"});

    QMenu* view = m_actions.addMenu(bar, "mnuView", tr("表示(&V)"), {});
    m_actions.addMenu(view, "mnuCoolbar", tr("ｸｰﾙﾊﾞｰ(&C)"), {"mnuShowCoolbar_0", "mnuShowCoolbar_1"});
    m_actions.addMenu(view, "mnuToolbar", tr("ﾂｰﾙﾊﾞｰ(&T)"), {"mnuToolbarCaption"});
    m_actions.fill(view, {"mnuStatusbar", "mnuPreview", "-"});
    m_actions.addMenu(view, "mnuSortOrder", tr("自動整列(&O)"), {"mnuAutoSort", "-", "mnuAscending", "mnuDescending"});
    m_actions.fill(view, {"-"});
    m_actions.addMenu(view, "mnuFont", tr("ﾌｫﾝﾄ(&F)"), {"mnuFontOfList", "mnuFontOfLog"});
    m_actions.fill(view, {"-", "mnuToolTip", "mnuShowLog", "mnuHideList"});

    QMenu* format = m_actions.addMenu(bar, "mnuShoshiki", tr("書式(&M)"), {});
    m_registerMenu = m_actions.addMenu(format, "mnuReg", tr("登録と呼び出し(&R)"), {"mnuFormat_0"});
    m_formats->setRegisterMenu(m_registerMenu);
    m_actions.fill(format, {"mnuAdjust", "mnuFormInport", "mnuFormExport", "-"});
    QMenu* functions = m_actions.addMenu(format, "mnuFunc", tr("関数(&F)"), {});
    QMenu* variables = m_actions.addMenu(format, "mnuVar", tr("変数(&V)"), {});
    buildInsertionMenus(functions, variables, m_formatBox->edit());

    QMenu* options = m_actions.addMenu(bar, "mnuOptions", tr("ｵﾌﾟｼｮﾝ(&O)"), {});
    QMenu* files = m_actions.addMenu(options, "mnuFile", tr("ﾌｧｲﾙ(&F)"), {"mnuWildCard"});
    m_actions.addMenu(files, "mnuIgnoreAttributes", tr("無視する属性(&A)"),
                      {"mnuAttributes_0", "mnuAttributes_1", "mnuAttributes_2", "mnuAttributes_3", "mnuAttributes_4",
                       "mnuAttributes_5"});
    m_actions.fill(files, {"-", "mnuMoveToFolder", "mnuFolderName", "-", "mnuCopy", "mnuRecycled"});
    m_actions.addMenu(options, "mnuFilename", tr("ﾌｧｲﾙ名(&N)"),
                      {"mnuNoUseChr", "mnuNoFormat", "mnuRENAMEONCOLLISION", "mnuRenumberOnCollition"});
    m_actions.addMenu(options, "mnuOther", tr("その他(&O)"),
                      {"mnuClearAfterRename", "mnuAlwaysFunction", "mnuNOERRORUI", "mnuNOCONFIRMATION",
                       "mnuMaxFileSize", "mnuMultidestFiles"});

    m_actions.addMenu(bar, "mnuMHelp", tr("ﾍﾙﾌﾟ(&H)"),
                      {"mnuHelp", "mnuExpFmt", "-", "mnuMail", "mnuURL", "-", "mnuVer"});

    // The list's pop-up menu is a menu of the bar that the bar never shows.
    m_listPopup = m_actions.addMenu(bar, "mnuLVP", QStringLiteral("ListViewPopup"),
                                    {"mnuListViewPopup1_0", "mnuListViewPopup1_1", "mnuListViewPopup1_2",
                                     "mnuListViewPopup1_3", "mnuListViewPopup1_4", "-", "mnuListViewPopup2_0",
                                     "mnuListViewPopup2_1", "-", "mnuListViewPopup3_0", "mnuListViewPopup3_1"});
    m_listPopup->menuAction()->setVisible(false);
}

void MainWindow::buildToolbar() {
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_actions.fill(m_toolbar, kToolbarButtons);
    for (const char* key : kToolbarButtons) {
        if (qstrcmp(key, "-") != 0)
            m_actions.find(QString::fromLatin1(key))->setIcon(toolbarIcon(QString::fromLatin1(key)));
    }
    m_rebar = new Rebar(*this, *m_toolbar, *m_formatBand);
    // Until the settings say otherwise: the toolbar, and the format box in a row of its own below it.
    m_rebar->restore({});
    connect(m_rebar, &Rebar::menuRequested, this, [this](const QPoint& at) { m_registerMenu->popup(at); });
    // Files dropped on a button join its command; the buttons pass the drop on to the bar.
    m_toolbar->setAcceptDrops(true);
    m_toolbar->installEventFilter(this);
}

void MainWindow::buildFormatBox() {
    m_formatBand = new QToolBar(this);
    m_formatBand->setObjectName(QStringLiteral("FormatBand"));
    m_formatBox = new FormatBox(m_formatBand);
    m_formatBand->addWidget(m_formatBox);
}

QString MainWindow::formatText() const {
    return m_formatBox->text();
}

void MainWindow::buildStatusBar() {
    m_panels = new StatusPanels(statusBar());
    connect(m_panels, &StatusPanels::wildCardClicked, this, &MainWindow::editWildCard);
}

// The new names follow the format as it is typed, and the rows and options as they change.
void MainWindow::buildPreview(const FileSystem& fs, const Clock& clock) {
    m_preview = new PreviewController(*m_model, *m_list, fs, clock, this);
    m_preview->format = [this] {
        return formatText();
    };
    m_preview->options = [this] {
        return m_options.runOptions();
    };
    m_preview->showSummary = [this](const QString& text) {
        m_panels->setPreview(text);
    };
    m_preview->showMessage = [this](const QString& text) {
        setStatusText(text);
    };
    connect(m_formatBox->edit(), &QLineEdit::textChanged, m_preview, &PreviewController::schedule);
}

void MainWindow::applyPreviewSwitch() {
    m_list->header()->setSectionHidden(static_cast<int>(FileColumn::NewName), !m_options.preview);
    m_preview->setEnabled(m_options.preview);
}

CommandOutcome MainWindow::runCommand(RunMode mode) {
    // Rows change file by file while a run goes: the new names are built again once it is over.
    m_preview->setHeld(true);
    const CommandOutcome outcome = m_run->runCommand(mode, formatText(), m_options.runOptions());
    m_preview->setHeld(false);
    return outcome;
}

void MainWindow::applyOptionsToMenus() {
    m_optionActions->applyToMenus();
    applyPreviewSwitch();
    setSortDirection(m_options.ascending);
    showTargetFolder();
    statusBar()->setVisible(m_options.showStatusBar);
    applyToolbarCaptions();
    applyTooltips();
    if (m_rebar != nullptr) {
        m_actions.find(QStringLiteral("mnuShowCoolbar_0"))->setChecked(!m_toolbar->isHidden());
        m_actions.find(QStringLiteral("mnuShowCoolbar_1"))->setChecked(!m_formatBand->isHidden());
    }
}

void MainWindow::optionToggled(const OptionKey& option, bool checked) {
    // The switches that change the window do so at once; the others are read when next needed.
    const QLatin1String name(option.action);
    if (name == QLatin1String("mnuStatusbar"))
        statusBar()->setVisible(checked);
    else if (name == QLatin1String("mnuToolbarCaption"))
        applyToolbarCaptions();
    else if (name == QLatin1String("mnuToolTip"))
        applyTooltips();
    else if (name == QLatin1String("mnuPreview"))
        applyPreviewSwitch();
    // Most switches change the new names.
    m_preview->schedule();
}

// With captions the buttons show their texts under their pictures, and the band widens to hold them.
void MainWindow::applyToolbarCaptions() {
    if (m_toolbar != nullptr)
        m_toolbar->setToolButtonStyle(m_options.toolbarCaption ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}

// Tooltips off: the fixed texts go, and no control of the window shows a tip (see eventFilter).
void MainWindow::applyTooltips() {
    const bool on = m_options.toolTip;
    m_list->setToolTip(on ? tr("追加したいﾌｧｲﾙをﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟしてください") : QString());
    m_formatBox->edit()->setToolTip(on ? tr("書式を書いてください") : QString());
    m_panels->setTagsShown(on);
}

void MainWindow::listCommand(ListCommand command) {
    switch (command) {
    case ListCommand::Add:
        addThroughDialog();
        break;
    case ListCommand::Remove:
        removeSelectedRows();
        break;
    case ListCommand::Clear:
        m_model->clear();
        break;
    case ListCommand::Up:
        moveSelectedRows(true);
        break;
    case ListCommand::Down:
        moveSelectedRows(false);
        break;
    case ListCommand::Exit:
        close();
        break;
    }
}

void MainWindow::moveSelectedRows(bool up) {
    const std::vector<bool> selected = m_list->selectedRowFlags();
    const RowMove moved = up ? moveSelectedUp(selected) : moveSelectedDown(selected);
    if (!moved.moved)
        return;
    m_model->permuteRows(moved.order);
    m_list->selectOnly(moved.selected);
}

void MainWindow::removeSelectedRows() {
    const std::vector<qsizetype> rows = m_list->selectedRowNumbers();
    if (rows.empty())
        return;
    // The rows to go are exactly the selected ones: cleared first, the selection need not be carried
    // through the removal.
    m_list->clearSelection();
    m_model->removeRowsAt(rows);
    m_list->setFocusRow(rows.front());
}

void MainWindow::setSortDirection(bool ascending) {
    m_options.ascending = ascending;
    m_actions.find(QString::fromLatin1(ascending ? "mnuAscending" : "mnuDescending"))->setChecked(true);
    m_model->setSortOrder(ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void MainWindow::showTargetFolder() {
    // An ampersand in a folder's name is shown, not taken for an access key.
    QString caption = m_options.targetFolder;
    m_actions.find(QStringLiteral("mnuFolderName"))->setText(caption.replace(QLatin1Char('&'), QStringLiteral("&&")));
}

void MainWindow::selectAll() {
    m_list->selectAll();
}

void MainWindow::addBatch(const PendingBatch& batch) {
    m_baseFolder = batch.baseFolder;
    m_adder->addPendingFiles(batch, m_options.addSettings(), *this);
}

void MainWindow::addThroughDialog() {
    const QStringList chosen = m_chooseFiles(this, m_options.wildCard, m_options.initDir);
    if (chosen.isEmpty())
        return;
    const PendingBatch batch = splitDialogSelection(chosen);
    m_options.initDir = batch.baseFolder;
    addBatch(batch);
}

void MainWindow::editWildCard() {
    m_options.wildCard = askWildCard(m_prompt, m_options.wildCard);
    m_panels->setWildCard(m_options.wildCard);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && !m_options.toolTip && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return true;
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        QAction* command = key->modifiers() == Qt::AltModifier ? m_actions.forAltKey(key->key()) : nullptr;
        // The commands act on release; the press of their key must not reach the focused box, which would
        // type the letter into the format before the command reads it.
        if (event->type() == QEvent::KeyPress)
            return command != nullptr || key->key() == Qt::Key_F2;
        if (key->isAutoRepeat())
            return command != nullptr;
        if (key->key() == Qt::Key_F2) {
            m_list->editCurrentName();
            return true;
        }
        if (command != nullptr) {
            command->trigger();
            return true;
        }
    }
    if (watched == m_toolbar && toolbarDragEvent(event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::toolbarDragEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        acceptShellDrop(static_cast<QDropEvent*>(event));
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (acceptShellDrop(drop)) {
            m_listEdits->dropOnToolbarButton(toolbarKeyAt(*m_toolbar, drop->position().toPoint().x()),
                                             droppedLocalPaths(drop->mimeData()));
        }
        return true;
    }
    default:
        return false;
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    acceptShellDrop(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    acceptShellDrop(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (acceptShellDrop(event))
        m_listEdits->dropPaths(droppedLocalPaths(event->mimeData()));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

void MainWindow::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (!m_settingsDeleted)
        saveSettings();
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this)
            window->close();
    }
}

void MainWindow::setStatusText(const QString& text) {
    m_panels->setStatus(text);
}

void MainWindow::setFileCountText(const QString& text) {
    m_panels->setFileCount(text);
}

void MainWindow::processEvents() {
    m_panels->showHeldTexts();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::setBusy(bool busy) {
    if (busy) {
        setCursor(Qt::WaitCursor);
        m_panels->holdTexts();
    } else {
        unsetCursor();
        m_panels->releaseTexts();
    }
    m_preview->setHeld(busy);
}

void MainWindow::setListVisible(bool visible) {
    m_list->setVisible(visible);
}
