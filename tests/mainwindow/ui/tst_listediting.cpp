#include "fakes/FixedClock.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TemporaryJournal.h"
#include "fakes/TestFiles.h"
#include "filelist/FileListModel.h"
#include "mainwindow/Options.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/MenuArrays.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>

#include <functional>
#include <memory>

// The list's editing as the user reaches it through the main window: the folder commands, drops, sorts,
// the reordering drag and the in-place rename.
class TestListEditing : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    LinuxShellFileOperation m_files{m_prompt};
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    TemporaryJournal m_journal;
    Options m_options;
    MemorySettingsStore m_settings;
    std::unique_ptr<MainWindow> m_window;
    // What to do with the folder dialog when it shows; without it the dialog is cancelled.
    std::function<void(QDialog*)> m_folderScript;
    QStringList m_logCaptions;

    // Windows are handled the moment they show: the folder dialog as scripted, logs closed.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (window->objectName() == QLatin1String("frmFolder")) {
            auto* dialog = static_cast<QDialog*>(window);
            QMetaObject::invokeMethod(
                dialog,
                [this, dialog] {
                    if (m_folderScript)
                        m_folderScript(dialog);
                    else
                        dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
                },
                Qt::QueuedConnection);
        } else if (window->objectName() == QLatin1String("frmLog")) {
            m_logCaptions.append(window->windowTitle());
            QMetaObject::invokeMethod(window->findChild<QPushButton*>(QStringLiteral("cmdClose")), &QPushButton::click,
                                      Qt::QueuedConnection);
        }
        return false;
    }

    MainWindow& start(const QStringList& names = {}) {
        m_options = Options();
        m_window =
            std::make_unique<MainWindow>(m_options, m_settings, m_fs, m_files, m_journal.store, m_prompt, m_clock);
        QStringList paths;
        for (const QString& name : names)
            paths.append(m_root + name);
        m_window->startUp(paths, m_root);
        m_window->show();
        return *m_window;
    }

    QTreeView* list() const { return m_window->findChild<QTreeView*>(QStringLiteral("lvwFiles")); }
    QAction* action(const char* name) const { return m_window->findChild<QAction*>(QString::fromLatin1(name)); }
    QString panel(const char* key) const { return m_window->findChild<QLabel*>(QString::fromLatin1(key))->text(); }
    QString listed() const {
        QStringList all;
        for (const FileRow& row : m_window->fileList().rows())
            all.append(row.fullPath().mid(m_root.size()));
        return all.join(u' ');
    }
    QList<int> selectedRows() const {
        QList<int> rows;
        for (const QModelIndex& index : list()->selectionModel()->selectedRows())
            rows.append(index.row() + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void select(std::initializer_list<int> rows) {
        list()->selectionModel()->clear();
        for (const int row : rows)
            list()->selectionModel()->select(list()->model()->index(row - 1, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void clickHeader(int column) {
        QHeaderView* header = list()->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    // A drop from the shell of files below the test folder onto a widget, at a point of it.
    void dropFiles(QWidget* target, QPoint at, const QStringList& names) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& name : names)
            urls.append(QUrl::fromLocalFile(m_root + name));
        data.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
    }
    QWidget* toolbarButton(const char* key) const {
        return m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1"))->widgetForAction(action(key));
    }
    bool exists(const QString& name) const { return QFileInfo::exists(m_root + name); }

private Q_SLOTS:
    void initTestCase() {
        TestFiles::useTimeZone("Asia/Tokyo");
        qApp->installEventFilter(this);
    }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path() + QLatin1Char('/');
        for (const char* file :
             {"a.txt", "b.txt", "c.txt", "x/1.txt", "x/2.txt", "x/y/3.txt", "x/Y2/4.txt", "x/y/z/5.txt", "other/o.txt"})
            TestFiles::write(m_root + QLatin1String(file), file);
        TestFiles::write(m_root + QStringLiteral("sizes/nine"), QByteArray(9, 'n'));
        TestFiles::write(m_root + QStringLiteral("sizes/ten"), QByteArray(10, 't'));
        TestFiles::write(m_root + QStringLiteral("sizes/thousand"), QByteArray(1000, 'k'));
        m_prompt.reset();
        m_folderScript = nullptr;
        m_logCaptions.clear();
    }

    void cleanup() { m_window.reset(); }

    void menuItemsInTheirPlaces() {
        start();
        auto names = [this](const char* menu) {
            QStringList items;
            for (const QAction* item : m_window->findChild<QMenu*>(QString::fromLatin1(menu))->actions())
                items.append(item->isSeparator() ? QStringLiteral("-") : item->objectName() + u' ' + item->text());
            return items;
        };
        QCOMPARE(names("mnuOptionFile").mid(0, 3),
                 QStringList({"mnuMenu_0 ﾌｧｲﾙをﾘｽﾄに追加(&A)...", "mnuAddFolder 一括追加(&F)...", "-"}));
        QCOMPARE(names("mnuSortOrder"), QStringList({"mnuAutoSort ﾌｧｲﾙ名で自動整列(&S)", "-", "mnuAscending 昇順(&A)",
                                                     "mnuDescending 降順(&D)"}));
        const QStringList files = names("mnuFile");
        QCOMPARE(files.mid(files.indexOf(QStringLiteral("mnuMoveToFolder 下記のﾌｫﾙﾀﾞに移動(&M)")), 2),
                 QStringList({"mnuMoveToFolder 下記のﾌｫﾙﾀﾞに移動(&M)", "mnuFolderName （なし）"}));
        QVERIFY(action("mnuAscending")->isChecked());
        QVERIFY(!action("mnuDescending")->isChecked());
    }

    // The add-folder command from the menu and the pop-up menu, with and without subfolders.
    void addFolder_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("subfolders");
        QTest::addColumn<QString>("rows");
        QTest::newRow("the folder's own files") << "mnuAddFolder"
                                                << "x" << false << "x/1.txt x/2.txt";
        QTest::newRow("its files first, then each level below")
            << "mnuListViewPopup2_1"
            << "x/" << true << "x/1.txt x/2.txt x/y/3.txt x/Y2/4.txt x/y/z/5.txt";
        QTest::newRow("no subfolders to search adds as without") << "mnuAddFolder"
                                                                 << "x/y/z" << true << "x/y/z/5.txt";
        QTest::newRow("an empty box adds nothing") << "mnuAddFolder"
                                                   << "" << true << "";
    }
    void addFolder() {
        QFETCH(QString, item);
        QFETCH(QString, folder);
        QFETCH(bool, subfolders);
        QFETCH(QString, rows);
        start();
        m_folderScript = [&](QDialog* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("txtFolder"))
                ->setText(folder.isEmpty() ? folder : m_root + folder);
            dialog->findChild<QCheckBox*>(QStringLiteral("chkSubfolder"))->setChecked(subfolders);
            dialog->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        };
        m_window->findChild<QAction*>(item)->trigger();
        QCOMPARE(listed(), rows);
        QCOMPARE(panel("Status"), rows.isEmpty() ? QString() : QStringLiteral("追加完了"));
        QCOMPARE(panel("NumberOfFiles"), QString::number(rows.isEmpty() ? 0 : rows.count(u' ') + 1) + "個のファイル");
    }

    void addFolderCancelledAddsNothing() {
        start();
        action("mnuAddFolder")->trigger();
        QCOMPARE(listed(), QString());
        QCOMPARE(panel("Status"), QString());
    }

    // The target folder: its item shows it; Cancel leaves it; the box starts with it.
    void targetFolder() {
        start();
        QString startedWith;
        m_folderScript = [&](QDialog* dialog) {
            auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtFolder"));
            startedWith = box->text();
            QVERIFY(!dialog->findChild<QCheckBox*>(QStringLiteral("chkSubfolder"))->isEnabled());
            box->setText(QStringLiteral("/data/a&b"));
            dialog->findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        };
        action("mnuFolderName")->trigger();
        QCOMPARE(startedWith, QStringLiteral("（なし）"));
        QCOMPARE(m_window->options().targetFolder, QStringLiteral("/data/a&b/"));
        // An ampersand is shown, not taken for an access key.
        QCOMPARE(action("mnuFolderName")->text(), QStringLiteral("/data/a&&b/"));
        m_folderScript = nullptr;
        action("mnuFolderName")->trigger();
        QCOMPARE(m_window->options().targetFolder, QStringLiteral("/data/a&b/"));
        // Restored settings show at once.
        m_window->options().targetFolder = QStringLiteral("/restored/");
        m_window->applyOptionsToMenus();
        QCOMPARE(action("mnuFolderName")->text(), QStringLiteral("/restored/"));
    }

    // Files dropped on a toolbar button join its command; the button is found by its horizontal extent.
    void toolbarDrops_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("onDisk");
        QTest::addColumn<int>("logs");
        QTest::newRow("add adds") << "add" << 0 << "a.txt b.txt c.txt" << false << "a.txt" << 0;
        QTest::newRow("clear leaves exactly the dropped files")
            << "clear" << 0 << "b.txt c.txt" << false << "a.txt" << 0;
        QTest::newRow("test adds and tests") << "test" << 0 << "a.txt b.txt c.txt" << false << "a.txt" << 1;
        QTest::newRow("start asks and runs on Yes")
            << "start" << int(PromptAnswer::Yes) << "new_a.txt new_b.txt new_c.txt" << true << "new_a.txt" << 1;
        QTest::newRow("start answered No adds and renames nothing")
            << "start" << int(PromptAnswer::No) << "a.txt b.txt c.txt" << true << "a.txt" << 0;
        QTest::newRow("remove does nothing at all") << "remove" << 0 << "a.txt" << false << "a.txt" << 0;
        QTest::newRow("up does nothing at all") << "up" << 0 << "a.txt" << false << "a.txt" << 0;
        QTest::newRow("down does nothing at all") << "down" << 0 << "a.txt" << false << "a.txt" << 0;
        QTest::newRow("exit does nothing at all") << "exit" << 0 << "a.txt" << false << "a.txt" << 0;
    }
    void toolbarDrops() {
        QFETCH(QString, key);
        QFETCH(int, answer);
        QFETCH(QString, rows);
        QFETCH(bool, asked);
        QFETCH(QString, onDisk);
        QFETCH(int, logs);
        start({QStringLiteral("a.txt")});
        m_window->findChild<QLineEdit*>(QStringLiteral("txtFileName"))->setText(QStringLiteral("\"new_\" & name"));
        if (asked)
            m_prompt.queueAnswer(static_cast<PromptAnswer>(answer));
        QWidget* button = toolbarButton(key.toLatin1().constData());
        // Low on the button: only the horizontal position counts.
        dropFiles(button, QPoint(button->width() / 2, button->height() - 1), {"b.txt", "c.txt"});
        QCOMPARE(listed(), rows);
        QCOMPARE(m_prompt.texts(), asked ? QStringList{"リネームを実行しますか？"} : QStringList());
        if (asked) {
            QCOMPARE(m_prompt.shown().at(0).title, QStringLiteral("おたずね"));
            QCOMPARE(m_prompt.shown().at(0).icon, PromptIcon::Question);
            QCOMPARE(m_prompt.shown().at(0).buttons, PromptButtons::YesNo);
        }
        QVERIFY(exists(onDisk));
        QCOMPARE(m_logCaptions.size(), logs);
        QVERIFY(m_window->isVisible());
    }

    void dropsOnTheListAndTheWindowAddEachPathFromItsFolder() {
        start();
        dropFiles(list()->viewport(), QPoint(10, 10), {"x/1.txt", "other/o.txt"});
        QCOMPARE(listed(), QStringLiteral("x/1.txt other/o.txt"));
        dropFiles(m_window->statusBar(), QPoint(5, 5), {"x/y", "a.txt"});
        QCOMPARE(listed(), QStringLiteral("x/1.txt other/o.txt x/y/3.txt a.txt"));
        QCOMPARE(panel("NumberOfFiles"), QStringLiteral("4個のファイル"));
    }

    // Header clicks turn the direction round from where the menu, an add or the last click left it.
    void headerSorts() {
        start({QStringLiteral("x/2.txt"), QStringLiteral("a.txt"), QStringLiteral("other/o.txt")});
        clickHeader(0);
        QCOMPARE(listed(), QStringLiteral("other/o.txt a.txt x/2.txt"));
        clickHeader(0);
        QCOMPARE(listed(), QStringLiteral("x/2.txt a.txt other/o.txt"));
        // Path descending, then name ascending.
        clickHeader(1);
        QCOMPARE(listed(), QStringLiteral("x/2.txt other/o.txt a.txt"));
        clickHeader(0);
        QCOMPARE(listed(), QStringLiteral("x/2.txt a.txt other/o.txt"));
        // The menu sets the direction without sorting; the next click turns it round.
        action("mnuDescending")->trigger();
        QVERIFY(!action("mnuAscending")->isChecked());
        QVERIFY(!m_window->options().ascending);
        clickHeader(1);
        QCOMPARE(listed(), QStringLiteral("a.txt other/o.txt x/2.txt"));
        // A click on the checked item keeps it checked.
        action("mnuDescending")->trigger();
        QVERIFY(action("mnuDescending")->isChecked());
    }

    void addSortsByNameWhenAsked() {
        start({QStringLiteral("b.txt"), QStringLiteral("c.txt")});
        action("mnuAutoSort")->trigger();
        action("mnuDescending")->trigger();
        QCOMPARE(listed(), QStringLiteral("b.txt c.txt"));
        dropFiles(list()->viewport(), QPoint(5, 5), {"a.txt"});
        QCOMPARE(listed(), QStringLiteral("c.txt b.txt a.txt"));
        clickHeader(0);
        QCOMPARE(listed(), QStringLiteral("a.txt b.txt c.txt"));
    }

    // Sizes sort by their numbers, hide the list while they do when asked to, and leave the marks in place.
    void sizeSort() {
        start({QStringLiteral("sizes/thousand"), QStringLiteral("sizes/nine"), QStringLiteral("sizes/ten")});
        action("mnuHideList")->trigger();
        bool visibleWhileSorting = true;
        connect(&m_window->fileList(), &QAbstractItemModel::dataChanged, this,
                [&] { visibleWhileSorting = list()->isVisible(); });
        select({1});
        list()->setCurrentIndex(list()->model()->index(0, 0));
        clickHeader(2);
        QCOMPARE(listed(), QStringLiteral("sizes/thousand sizes/ten sizes/nine"));
        QVERIFY(!visibleWhileSorting);
        QVERIFY(list()->isVisible());
        clickHeader(2);
        QCOMPARE(listed(), QStringLiteral("sizes/nine sizes/ten sizes/thousand"));
        QCOMPARE(selectedRows(), QList<int>({1}));
        QCOMPARE(list()->currentIndex().row(), 0);
        // A text sort takes the marks along.
        clickHeader(0);
        QCOMPARE(listed(), QStringLiteral("sizes/thousand sizes/ten sizes/nine"));
        QCOMPARE(selectedRows(), QList<int>({3}));
    }

    // Rows dragged with the mouse onto another row.
    void reorderingDrag() {
        start({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt"), QStringLiteral("x/1.txt"),
               QStringLiteral("x/2.txt")});
        QWidget* viewport = list()->viewport();
        auto centre = [this](int row) {
            return list()->visualRect(list()->model()->index(row - 1, 1)).center();
        };
        select({1, 5});
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, centre(5));
        QMouseEvent move(QEvent::MouseMove, centre(3), viewport->mapToGlobal(centre(3)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, centre(3));
        QCOMPARE(listed(), QStringLiteral("b.txt c.txt a.txt x/2.txt x/1.txt"));
        QCOMPARE(selectedRows(), QList<int>({3, 4}));
        QCOMPARE(list()->currentIndex().row(), 2);
    }

    void popupOpensOnRightRelease() {
        start({QStringLiteral("a.txt")});
        auto* popup = m_window->findChild<QMenu*>(QStringLiteral("mnuLVP"));
        const QPoint at = list()->visualRect(list()->model()->index(0, 0)).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(!popup->isVisible());
        QTest::mouseClick(list()->viewport(), Qt::RightButton, Qt::NoModifier, at);
        QTRY_VERIFY(popup->isVisible());
        popup->close();
    }

    // F2 edits the current row's name; the file is renamed, or a message says why not.
    void inPlaceRename_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("a new name renames the file") << "d e.txt"
                                                     << "d e.txt" << QStringList();
        QTest::newRow("an empty name asks for one") << ""
                                                    << "b.txt" << QStringList{"名前を記入してください。"};
        QTest::newRow("a name in use is refused") << "a.txt"
                                                  << "b.txt" << QStringList{"「a.txt」は既に存在します。"};
    }
    void inPlaceRename() {
        QFETCH(QString, typed);
        QFETCH(QString, row);
        QFETCH(QStringList, messages);
        start({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        list()->setCurrentIndex(list()->model()->index(1, 3));
        QTest::keyRelease(list(), Qt::Key_F2, Qt::ShiftModifier);
        auto* editor = list()->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        QCOMPARE(editor->text(), QStringLiteral("b.txt"));
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(m_window->fileList().row(1).name, row);
        QTRY_COMPARE(m_prompt.texts(), messages);
        QVERIFY(exists(row));
        QCOMPARE(TestFiles::read(m_root + row), QByteArray("b.txt"));
        QCOMPARE(TestFiles::read(m_root + QStringLiteral("a.txt")), QByteArray("a.txt"));
    }

    // The undo of an earlier run does not know of a rename in the list since.
    void undoDoesNotKnowOfAnInPlaceRename() {
        start({QStringLiteral("a.txt")});
        m_window->options().showLog = false;
        m_window->findChild<QLineEdit*>(QStringLiteral("txtFileName"))->setText(QStringLiteral("\"run_\" & name"));
        m_window->runCommand(RunMode::Run);
        QVERIFY(exists(QStringLiteral("run_a.txt")));
        list()->setCurrentIndex(list()->model()->index(0, 0));
        QTest::keyRelease(list(), Qt::Key_F2, Qt::NoModifier);
        auto* editor = list()->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        editor->setText(QStringLiteral("mine.txt"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(m_window->fileList().row(0).name, QStringLiteral("mine.txt"));
        m_window->runCommand(RunMode::Undo);
        QVERIFY(exists(QStringLiteral("mine.txt")));
        QVERIFY(!exists(QStringLiteral("a.txt")));
    }

    void removeGivesTheFocusToTheRowAfter() {
        start({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt"), QStringLiteral("x/1.txt")});
        select({2, 3});
        QTest::keyRelease(list(), Qt::Key_R, Qt::AltModifier);
        QCOMPARE(listed(), QStringLiteral("a.txt x/1.txt"));
        QCOMPARE(selectedRows(), QList<int>());
        QCOMPARE(list()->currentIndex().row(), 1);
        QCOMPARE(panel("NumberOfFiles"), QStringLiteral("2個のファイル"));
    }
};

QTEST_MAIN(TestListEditing)
#include "tst_listediting.moc"
