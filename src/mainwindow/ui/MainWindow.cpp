#include "mainwindow/ui/MainWindow.h"

#include "filelist/AddFilter.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/PathNames.h"
#include "filelist/ui/AddFilesDialog.h"
#include "filelist/ui/FileListView.h"
#include "mainwindow/ui/InsertionMenus.h"
#include "mainwindow/ui/MenuArrays.h"
#include "mainwindow/ui/RunController.h"
#include "platform/UserPrompt.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

// Window geometry is kept in twips; 15 twips make one pixel at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;
constexpr int kDefaultWidthTwips = 7000;
constexpr int kDefaultHeightTwips = 5000;

struct AttributeItem {
    const char* caption;
    bool visible;
};

// Item i stands for the attribute bit 2^i; bits 8 and 16 are placeholders.
const AttributeItem kAttributeItems[6] = {
    {QT_TRANSLATE_NOOP("MainWindow", "読み取り専用(&R)"), true},
    {QT_TRANSLATE_NOOP("MainWindow", "隠しﾌｧｲﾙ(&D)"), true},
    {QT_TRANSLATE_NOOP("MainWindow", "ｼｽﾃﾑ(&S)"), true},
    {QT_TRANSLATE_NOOP("MainWindow", "ダミー"), false},
    {QT_TRANSLATE_NOOP("MainWindow", "ダミー"), false},
    {QT_TRANSLATE_NOOP("MainWindow", "ｱｰｶｲﾌﾞ(&A)"), true},
};

} // namespace

MainWindow::MainWindow(
    FileSystem& fs, ShellFileOperation& files, UserPrompt& prompt, const Clock& clock, QWidget* parent)
    : QMainWindow(parent)
    , m_fs(fs)
    , m_prompt(prompt)
    , m_clock(clock)
    , m_model(new FileListModel(this))
    , m_adder(new FileAdder(*m_model, fs, prompt))
    , m_list(new FileListView(this))
    , m_run(new RunController(this, *this, *m_model, fs, files, prompt, clock))
    , m_chooseFiles(askFilesToAdd) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(programTitle());
    setCentralWidget(m_list);
    m_list->setToolTip(tr("追加したいﾌｧｲﾙをﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟしてください"));
    buildFormatBox();
    buildMenus();
    buildStatusBar();
    buildListPopup();
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    delete m_adder;
}

void MainWindow::startUp(const QStringList& arguments, const QString& currentFolder) {
    // The list columns, in creation order.
    m_list->setFileListModel(m_model);
    buildToolbar();
    // The settings are restored here; until then the first-start values hold.
    resize(kDefaultWidthTwips / kTwipsPerPixel, kDefaultHeightTwips / kTwipsPerPixel);
    move(0, 0);
    applyOptionsToMenus();
    // Files named on the command line, after the settings, so that the restored filter applies.
    if (!arguments.isEmpty())
        addBatch(prepareCommandLine(m_fs, arguments, currentFolder));
    m_wildCardPanel->setText(m_options.wildCard);
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("mnuOptionFile"));
    QAction* add = addArrayAction(file, QStringLiteral("mnuMenu"), 0, tr("ﾌｧｲﾙをﾘｽﾄに追加(&A)..."));
    connect(add, &QAction::triggered, this, [this] { listCommand(0); });
    file->addSeparator();
    QAction* test = addArrayAction(file, QStringLiteral("mnuRun"), 0, tr("ﾃｽﾄする(&T)"));
    connect(test, &QAction::triggered, this, [this] { runCommand(RunMode::Test); });
    QAction* run = addArrayAction(file, QStringLiteral("mnuRun"), 1, tr("実行する(&S)"));
    connect(run, &QAction::triggered, this, [this] { runCommand(RunMode::Run); });
    auto* undo = new QAction(tr("元に戻す(&U)"), file);
    undo->setObjectName(QStringLiteral("mnuUndo"));
    file->addAction(undo);
    connect(undo, &QAction::triggered, this, [this] { runCommand(RunMode::Undo); });
    file->addSeparator();
    auto* exit = new QAction(tr("終了(&X)"), file);
    exit->setObjectName(QStringLiteral("mnuExit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    file->addAction(exit);
    connect(exit, &QAction::triggered, this, &MainWindow::close);

    QMenu* format = menuBar()->addMenu(tr("書式(&M)"));
    format->setObjectName(QStringLiteral("mnuShoshiki"));
    QMenu* functions = format->addMenu(tr("関数(&F)"));
    functions->setObjectName(QStringLiteral("mnuFunc"));
    QMenu* variables = format->addMenu(tr("変数(&V)"));
    variables->setObjectName(QStringLiteral("mnuVar"));
    buildInsertionMenus(functions, variables, m_formatBox);

    QMenu* options = menuBar()->addMenu(tr("ｵﾌﾟｼｮﾝ(&O)"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    QMenu* files = options->addMenu(tr("ﾌｧｲﾙ(&F)"));
    files->setObjectName(QStringLiteral("mnuFile"));
    auto* wildCard = new QAction(tr("追加するﾌｧｲﾙ名(&W)"), files);
    wildCard->setObjectName(QStringLiteral("mnuWildCard"));
    files->addAction(wildCard);
    connect(wildCard, &QAction::triggered, this, &MainWindow::editWildCard);
    QMenu* ignored = files->addMenu(tr("無視する属性(&A)"));
    ignored->setObjectName(QStringLiteral("mnuIgnoreAttributes"));
    for (int i = 0; i < 6; ++i) {
        QAction* item = addArrayAction(ignored, QStringLiteral("mnuAttributes"), i, tr(kAttributeItems[i].caption));
        item->setCheckable(true);
        item->setVisible(kAttributeItems[i].visible);
        connect(item, &QAction::triggered, this, [this, i] { toggleIgnoredAttribute(i); });
        m_attributeActions.at(static_cast<std::size_t>(i)) = item;
    }
}

void MainWindow::buildToolbar() {
    m_toolbar = addToolBar(QString());
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    struct Button {
        const char* key;
        const char* tip;
        const char* caption;
        QStyle::StandardPixmap icon;
        int mode;
    };
    const Button buttons[] = {
        {"add", QT_TR_NOOP("リストに追加"), "&Add", QStyle::SP_FileDialogNewFolder, 0},
        {"exit", QT_TR_NOOP("Tokrenuを終了"), "E&xit", QStyle::SP_DialogCloseButton, 5},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase, 0},
        {"test", QT_TR_NOOP("テスト"), "&Test", QStyle::SP_FileDialogContentsView, -1},
        {"start", QT_TR_NOOP("実行"), "&Start", QStyle::SP_MediaPlay, -2},
    };
    const QString folder = QApplication::applicationDirPath() + QLatin1Char('/');
    for (const Button& button : buttons) {
        if (button.key == nullptr) {
            m_toolbar->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(button.key);
        QIcon icon(folder + key + QStringLiteral(".bmp"));
        if (icon.availableSizes().isEmpty())
            icon = style()->standardIcon(button.icon);
        auto* action = new QAction(icon, QString::fromLatin1(button.caption), m_toolbar);
        action->setObjectName(key);
        action->setToolTip(tr(button.tip));
        m_toolbar->addAction(action);
        const int mode = button.mode;
        // Negative modes are the run commands: -1 test, -2 run.
        connect(action, &QAction::triggered, this, [this, mode] {
            if (mode >= 0)
                listCommand(mode);
            else
                runCommand(mode == -1 ? RunMode::Test : RunMode::Run);
        });
    }
    // The format box starts a row of its own below the toolbar.
    addToolBarBreak();
    addToolBar(m_formatBand);
}

void MainWindow::buildFormatBox() {
    m_formatBand = new QToolBar(this);
    m_formatBand->setMovable(false);
    auto* box = new QWidget(m_formatBand);
    box->setObjectName(QStringLiteral("picFileName"));
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(tr("書式"), box));
    m_formatCombo = new QComboBox(box);
    m_formatCombo->setObjectName(QStringLiteral("cmbFileName"));
    m_formatCombo->setEditable(true);
    m_formatCombo->setInsertPolicy(QComboBox::NoInsert);
    m_formatCombo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_formatBox = m_formatCombo->lineEdit();
    m_formatBox->setObjectName(QStringLiteral("txtFileName"));
    m_formatBox->setToolTip(tr("書式を書いてください"));
    layout->addWidget(m_formatCombo, 1);
    m_formatBand->addWidget(box);
}

QString MainWindow::formatText() const {
    return m_formatBox->text();
}

void MainWindow::buildStatusBar() {
    auto makePanel = [this](const char* key, const QString& text, const QString& tip, int stretch) {
        auto* panel = new QLabel(text, statusBar());
        panel->setObjectName(QString::fromLatin1(key));
        panel->setToolTip(tip);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        statusBar()->addWidget(panel, stretch);
        return panel;
    };
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    m_numberOfFiles = makePanel("NumberOfFiles", FileAdder::fileCountText(0), tr("ﾘｽﾄに登録されているﾌｧｲﾙ数"), 0);
    m_wildCardPanel = makePanel("WildCard", QStringLiteral("*.*"), tr("追加するﾌｧｲﾙ名"), 0);
    m_statusPanel = makePanel("Status", QString(), tr("ﾒｯｾｰｼﾞ"), 1);
    m_wildCardPanel->installEventFilter(this);
}

void MainWindow::buildListPopup() {
    m_listPopup = menuBar()->addMenu(QStringLiteral("ListViewPopup"));
    m_listPopup->setObjectName(QStringLiteral("mnuLVP"));
    m_listPopup->menuAction()->setVisible(false);
    QAction* test = addArrayAction(m_listPopup, QStringLiteral("mnuListViewPopup3"), 0, tr("リネームのテスト(&T)"));
    connect(test, &QAction::triggered, this, [this] { runCommand(RunMode::Test); });
    QAction* run = addArrayAction(m_listPopup, QStringLiteral("mnuListViewPopup3"), 1, tr("リネームの実行(&S)"));
    connect(run, &QAction::triggered, this, [this] { runCommand(RunMode::Run); });
    m_list->viewport()->installEventFilter(this);
}

CommandOutcome MainWindow::runCommand(RunMode mode) {
    return m_run->runCommand(mode, formatText(), m_options.runOptions());
}

void MainWindow::applyOptionsToMenus() {
    for (std::size_t i = 0; i < m_attributeActions.size(); ++i) {
        if (m_attributeActions.at(i)->isVisible() && (m_options.ignoredAttributes & (1 << i)))
            m_attributeActions.at(i)->setChecked(true);
    }
}

void MainWindow::listCommand(int mode) {
    switch (mode) {
    case 0:
        addThroughDialog();
        break;
    case 5:
        close();
        break;
    default:
        break;
    }
}

void MainWindow::addBatch(const PendingBatch& batch) {
    m_baseFolder = batch.baseFolder;
    m_adder->addPendingFiles(batch, m_options.addSettings(), *this);
}

void MainWindow::addThroughDialog() {
    const QStringList chosen = m_chooseFiles(this, m_options.wildCard, m_initDir);
    if (chosen.isEmpty())
        return;
    const PendingBatch batch = splitDialogSelection(chosen);
    m_initDir = batch.baseFolder;
    addBatch(batch);
}

void MainWindow::editWildCard() {
    m_options.wildCard = askWildCard(m_prompt, m_options.wildCard);
    m_wildCardPanel->setText(m_options.wildCard);
}

void MainWindow::toggleIgnoredAttribute(int index) {
    Q_UNUSED(index)
    bool checked[6] = {};
    for (std::size_t i = 0; i < m_attributeActions.size(); ++i)
        checked[i] = m_attributeActions.at(i)->isChecked();
    m_options.ignoredAttributes = ignoredAttributesFromChecks(checked);
}

bool MainWindow::isAltCommandKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers != Qt::AltModifier)
        return false;
    switch (key) {
    case Qt::Key_A:
    case Qt::Key_R:
    case Qt::Key_C:
    case Qt::Key_U:
    case Qt::Key_D:
    case Qt::Key_X:
    case Qt::Key_T:
    case Qt::Key_S:
        return true;
    default:
        return false;
    }
}

bool MainWindow::handleKeyRelease(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_F2) {
        // In-place editing of the current row's name starts here.
        return true;
    }
    if (modifiers != Qt::AltModifier)
        return false;
    switch (key) {
    case Qt::Key_A:
        listCommand(0);
        return true;
    case Qt::Key_R:
        listCommand(1);
        return true;
    case Qt::Key_C:
        listCommand(2);
        return true;
    case Qt::Key_U:
        listCommand(3);
        return true;
    case Qt::Key_D:
        listCommand(4);
        return true;
    case Qt::Key_X:
        listCommand(5);
        return true;
    case Qt::Key_T:
        runCommand(RunMode::Test);
        return true;
    case Qt::Key_S:
        runCommand(RunMode::Run);
        return true;
    default:
        return false;
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        // The commands act on release; the press of their key must not reach the focused box, which would
        // type the letter into the format before the command reads it.
        if (event->type() == QEvent::KeyPress)
            return isAltCommandKey(keyEvent->key(), keyEvent->modifiers());
        if (!keyEvent->isAutoRepeat() && handleKeyRelease(keyEvent->key(), keyEvent->modifiers()))
            return true;
    }
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        m_listPopup->popup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    }
    if (watched == m_wildCardPanel && event->type() == QEvent::MouseButtonRelease) {
        editWildCard();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

void MainWindow::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    // The settings are saved here.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != this)
            window->close();
    }
}

void MainWindow::setStatusText(const QString& text) {
    m_statusPanel->setText(text);
}

void MainWindow::setFileCountText(const QString& text) {
    m_numberOfFiles->setText(text);
}

void MainWindow::processEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::setBusy(bool busy) {
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void MainWindow::setListVisible(bool visible) {
    m_list->setVisible(visible);
}
