#include "fakes/FixedClock.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TemporaryJournal.h"
#include "fakes/TestFiles.h"
#include "filelist/FileListModel.h"
#include "mainwindow/OptionKeys.h"
#include "mainwindow/Options.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/MenuArrays.h"
#include "mainwindow/ui/PreviewController.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>
#include <memory>

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root;
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    LinuxShellFileOperation m_files{m_prompt};
    TemporaryJournal m_journal;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    Options m_options;
    MemorySettingsStore m_settings;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_chooserCalls;

    MainWindow& start(const QStringList& arguments = {}) {
        m_options = Options();
        m_window =
            std::make_unique<MainWindow>(m_options, m_settings, m_fs, m_files, m_journal.store, m_prompt, m_clock);
        m_chooserCalls.clear();
        m_window->setFileChooser([this](QWidget*, const QString& wildCard, const QString&) {
            m_chooserCalls.append(wildCard);
            return QStringList{m_root + QStringLiteral("b.txt")};
        });
        m_window->startUp(arguments, m_dir.path());
        m_window->show();
        return *m_window;
    }

    QString panel(const char* key) const { return m_window->findChild<QLabel*>(QString::fromLatin1(key))->text(); }

    static constexpr int kNewName = static_cast<int>(FileColumn::NewName);
    QTreeView* list() const { return m_window->findChild<QTreeView*>(QStringLiteral("lvwFiles")); }
    QLineEdit* formatEdit() const { return m_window->findChild<QLineEdit*>(QStringLiteral("txtFileName")); }
    PreviewController& preview() const { return *m_window->findChild<PreviewController*>(); }
    QStringList columnTexts(int column) const {
        QStringList texts;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            texts.append(list()->model()->index(row, column).data().toString());
        return texts;
    }

    // Types into the format box as the user does, the box focused and its text replaced.
    void typeFormat(const QString& text) {
        QLineEdit* edit = formatEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void waitForPreview(int timeoutMs = 5000) { QTRY_VERIFY_WITH_TIMEOUT(preview().isIdle(), timeoutMs); }

    void releaseKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyRelease(m_window->findChild<QTreeView*>(QStringLiteral("lvwFiles")), key, modifiers);
    }

private Q_SLOTS:
    void initTestCase() {
        TestFiles::useTimeZone("Asia/Tokyo");
        m_root = m_dir.path() + QLatin1Char('/');
        TestFiles::write(m_root + QStringLiteral("a.txt"), "abc");
        TestFiles::write(m_root + QStringLiteral("b.txt"));
        TestFiles::write(m_root + QStringLiteral("c d.txt"));
        TestFiles::write(m_root + QStringLiteral("outside.txt"));
    }

    void cleanup() {
        m_window.reset();
        m_prompt.clear();
    }

    void startsWithCommandLineFilesInTheList() {
        MainWindow& window = start({QStringLiteral("a.txt"), m_root + QStringLiteral("c d.txt")});
        QCOMPARE(window.objectName(), QStringLiteral("frmMain"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Tokrenu"));
        auto* list = window.findChild<QTreeView*>(QStringLiteral("lvwFiles"));
        QVERIFY(list != nullptr);
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("a.txt"));
        QCOMPARE(list->model()->index(0, 1).data().toString(), m_root);
        QCOMPARE(list->model()->index(0, 2).data().toString(), QStringLiteral("3"));
        QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("c d.txt"));
        QCOMPARE(panel("NumberOfFiles"), QStringLiteral("2個のファイル"));
        QCOMPARE(panel("Status"), QStringLiteral("追加完了"));
        QCOMPARE(panel("WildCard"), QStringLiteral("*.*"));
    }

    void startsEmptyWithoutCommandLine() {
        start();
        QCOMPARE(m_window->fileList().size(), 0);
        QCOMPARE(panel("NumberOfFiles"), QStringLiteral("0個のファイル"));
        QCOMPARE(panel("Status"), QString());
        QCOMPARE(m_window->width(), 7000 / 15);
        QCOMPARE(m_window->height(), 5000 / 15);
        auto* list = m_window->findChild<QTreeView*>(QStringLiteral("lvwFiles"));
        QCOMPARE(list->columnWidth(0), 150);
        QCOMPARE(list->columnWidth(4), 70);
    }

    void namedWidgetsAndActionsExist() {
        start();
        for (const char* name : {"mnuOptionFile", "mnuOptions", "mnuFile", "mnuIgnoreAttributes"})
            QVERIFY2(m_window->findChild<QMenu*>(QString::fromLatin1(name)) != nullptr, name);
        for (const char* name : {"mnuExit", "mnuWildCard"})
            QVERIFY2(m_window->findChild<QAction*>(QString::fromLatin1(name)) != nullptr, name);
        QCOMPARE(findArrayAction(m_window.get(), QStringLiteral("mnuMenu"), 0)->text(),
                 QStringLiteral("ﾌｧｲﾙをﾘｽﾄに追加(&A)..."));
        QVERIFY(m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1")) != nullptr);
        QCOMPARE(m_window->findChild<QAction*>(QStringLiteral("mnuExit"))->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_Q));
    }

    void addCommandFromEveryEntryPoint() {
        start();
        findArrayAction(m_window.get(), QStringLiteral("mnuMenu"), 0)->trigger();
        QCOMPARE(m_window->fileList().size(), 1);
        m_window->findChild<QAction*>(QStringLiteral("add"))->trigger();
        releaseKey(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(m_chooserCalls.size(), 3);
        // Only Alt alone counts.
        releaseKey(Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);
        releaseKey(Qt::Key_A, Qt::ControlModifier);
        releaseKey(Qt::Key_A, Qt::NoModifier);
        QCOMPARE(m_chooserCalls.size(), 3);
        QCOMPARE(m_window->fileList().size(), 1);
    }

    void wildCardCommandAndPanel() {
        start();
        m_prompt.queueInput(QStringLiteral("*.jpg"));
        m_window->findChild<QAction*>(QStringLiteral("mnuWildCard"))->trigger();
        QCOMPARE(panel("WildCard"), QStringLiteral("*.jpg"));
        QCOMPARE(m_window->options().wildCard, QStringLiteral("*.jpg"));
        // A click on the panel asks as well; Cancel means every file.
        QTest::mouseClick(m_window->findChild<QLabel*>(QStringLiteral("WildCard")), Qt::LeftButton);
        QCOMPARE(m_prompt.shown().size(), 2);
        QCOMPARE(m_prompt.shown().at(1).preset, QStringLiteral("*.jpg"));
        QCOMPARE(panel("WildCard"), QStringLiteral("*.*"));
        // Clicks on the other panels ask nothing.
        QTest::mouseClick(m_window->findChild<QLabel*>(QStringLiteral("Status")), Qt::LeftButton);
        QCOMPARE(m_prompt.shown().size(), 2);
    }

    void wildCardAppliesToLaterAdds() {
        start();
        m_window->options().wildCard = QStringLiteral("*.jpg");
        findArrayAction(m_window.get(), QStringLiteral("mnuMenu"), 0)->trigger();
        QCOMPARE(m_chooserCalls, QStringList({QStringLiteral("*.jpg")}));
        QCOMPARE(m_window->fileList().size(), 0);
    }

    void ignoredAttributeItems() {
        start();
        QCOMPARE(findArrayAction(m_window.get(), QStringLiteral("mnuAttributes"), 3)->isVisible(), false);
        QCOMPARE(findArrayAction(m_window.get(), QStringLiteral("mnuAttributes"), 5)->text(),
                 QStringLiteral("ｱｰｶｲﾌﾞ(&A)"));
        findArrayAction(m_window.get(), QStringLiteral("mnuAttributes"), 0)->trigger();
        findArrayAction(m_window.get(), QStringLiteral("mnuAttributes"), 5)->trigger();
        QCOMPARE(m_window->options().ignoredAttributes, 33);
        findArrayAction(m_window.get(), QStringLiteral("mnuAttributes"), 0)->trigger();
        QCOMPARE(m_window->options().ignoredAttributes, 32);
    }

    void insertionMenus() {
        start();
        QStringList functions;
        for (int i = 0;; ++i) {
            QAction* item = findArrayAction(m_window.get(), QStringLiteral("mnuFunction"), i);
            if (item == nullptr)
                break;
            functions.append(item->text());
        }
        QCOMPARE(functions, QStringList({"CDate",
                                         "EVal",
                                         "Format",
                                         "Hex",
                                         "InStr",
                                         "InstrRev",
                                         "Int",
                                         "Left",
                                         "Len",
                                         "Mid",
                                         "Number",
                                         "Oct",
                                         "Replace",
                                         "Right",
                                         "SetAttr",
                                         "SetCreationTime",
                                         "SetLastWriteTime",
                                         "Str",
                                         "StrConv",
                                         "String",
                                         "Val"}));
        QStringList variables;
        for (QAction* item : m_window->findChild<QMenu*>(QStringLiteral("mnuVar"))->actions())
            variables.append(item->text());
        QCOMPARE(variables, QStringList({"Count", "CreationTime", "Extention", "FileName", "GetAttr", "Index",
                                         "LastAccessTime", "LastWriteTime", "Name", "Now", "ShortName", "Size"}));

        auto* box = m_window->findChild<QLineEdit*>(QStringLiteral("txtFileName"));
        QVERIFY(box != nullptr);
        QCOMPARE(box->parent()->objectName(), QStringLiteral("cmbFileName"));
        box->setText(QStringLiteral("abc"));
        box->setCursorPosition(2);
        findArrayAction(m_window.get(), QStringLiteral("mnuFunction"), 9)->trigger(); // Mid
        QCOMPARE(box->text(), QStringLiteral("abMid()c"));
        QCOMPARE(box->cursorPosition(), 6);
        box->selectAll();
        findArrayAction(m_window.get(), QStringLiteral("mnuVariable"), 9)->trigger(); // Now
        QCOMPARE(box->text(), QStringLiteral("Now"));
        QCOMPARE(m_window->formatText(), QStringLiteral("Now"));
    }

    // The list commands from the toolbar, the pop-up menu and the Alt keys, on the rows selected in the view.
    void listCommandsOnTheSelection() {
        QStringList names;
        for (int i = 1; i <= 5; ++i) {
            names.append(QStringLiteral("r%1").arg(i));
            TestFiles::write(m_root + QStringLiteral("rows/r%1").arg(i));
        }
        start({m_root + QStringLiteral("rows")});
        auto* view = m_window->findChild<QTreeView*>(QStringLiteral("lvwFiles"));
        auto select = [view](std::initializer_list<int> rows) {
            view->selectionModel()->clear();
            for (const int row : rows)
                view->selectionModel()->select(view->model()->index(row - 1, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        auto listed = [this] {
            QStringList all;
            for (const FileRow& row : m_window->fileList().rows())
                all.append(row.name);
            return all.join(u' ');
        };
        auto selected = [view] {
            QList<int> rows;
            for (const QModelIndex& index : view->selectionModel()->selectedRows())
                rows.append(index.row() + 1);
            std::sort(rows.begin(), rows.end());
            return rows;
        };
        select({3, 4});
        m_window->findChild<QAction*>(QStringLiteral("up"))->trigger();
        QCOMPARE(listed(), QStringLiteral("r1 r3 r4 r2 r5"));
        QCOMPARE(selected(), QList<int>({2, 3}));
        releaseKey(Qt::Key_D, Qt::AltModifier);
        QCOMPARE(listed(), QStringLiteral("r1 r2 r3 r4 r5"));
        QCOMPARE(selected(), QList<int>({3, 4}));
        select({2, 3, 5});
        findArrayAction(m_window.get(), QStringLiteral("mnuListViewPopup1"), 2)->trigger();
        QCOMPARE(listed(), QStringLiteral("r1 r4"));
        QCOMPARE(selected(), QList<int>());
        QCOMPARE(panel("NumberOfFiles"), QStringLiteral("2個のファイル"));
        findArrayAction(m_window.get(), QStringLiteral("mnuListViewPopup1"), 4)->trigger();
        QCOMPARE(selected(), QList<int>({1, 2}));
        releaseKey(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(listed(), QString());
        QCOMPARE(panel("NumberOfFiles"), QStringLiteral("0個のファイル"));
    }

    // The pop-up menu's items, in order, each under a name of its own.
    void listPopupItems() {
        start();
        QStringList items;
        for (const QAction* item : m_window->findChild<QMenu*>(QStringLiteral("mnuLVP"))->actions())
            items.append(item->isSeparator() ? QStringLiteral("-") : item->objectName() + u' ' + item->text());
        QCOMPARE(items,
                 QStringList({"mnuListViewPopup1_0 一つ上へ(&U)", "mnuListViewPopup1_1 一つ下へ(&D)",
                              "mnuListViewPopup1_2 削除(&D)", "mnuListViewPopup1_3 リストのクリア(&C)",
                              "mnuListViewPopup1_4 すべて選択(&L)", "-", "mnuListViewPopup2_0 ファイルを追加(&A)",
                              "mnuListViewPopup2_1 ファイルを一括追加(&F)", "-",
                              "mnuListViewPopup3_0 リネームのテスト(&T)", "mnuListViewPopup3_1 リネームの実行(&S)"}));
        // Every name is found once.
        for (const char* name : {"mnuRun_0", "mnuRun_1", "mnuMenu_0", "mnuAttributes_5"})
            QCOMPARE(m_window->findChildren<QAction*>(QString::fromLatin1(name)).size(), 1);
    }

    // Every switch of the options is a check-mark item with its caption and first-start value, and a click
    // changes the option at once.
    void optionSwitches_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("checked");
        QTest::newRow("move to folder") << "mnuMoveToFolder"
                                        << "下記のﾌｫﾙﾀﾞに移動(&M)" << false;
        QTest::newRow("copy") << "mnuCopy"
                              << "常にﾌｧｲﾙをｺﾋﾟｰ(&C)" << false;
        QTest::newRow("recycle") << "mnuRecycled"
                                 << "削除時にごみ箱へ移動(&R)" << true;
        QTest::newRow("delete invalid characters") << "mnuNoUseChr"
                                                   << "ﾌｧｲﾙ名に使えない文字を自動消去(&N)" << true;
        QTest::newRow("keep unformatted") << "mnuNoFormat"
                                          << "書式のないFormat関数の式は変換しない(&D)" << true;
        QTest::newRow("renumber") << "mnuRenumberOnCollition"
                                  << "重複したﾌｧｲﾙ名に連番を付ける(&C)" << false;
        QTest::newRow("clear after rename") << "mnuClearAfterRename"
                                            << "変換後にﾘｽﾄをｸﾘｱ(&A)" << false;
        QTest::newRow("always function") << "mnuAlwaysFunction"
                                         << "書式を常に関数形式と理解する(&F)" << true;
        QTest::newRow("no error boxes") << "mnuNOERRORUI"
                                        << "ｴﾗｰが起きてもﾕｰｻﾞｰｲﾝﾀｰﾌｪｲｽを表示しない(&E)" << false;
        QTest::newRow("no confirmation") << "mnuNOCONFIRMATION"
                                         << "すべてのﾀﾞｲｱﾛｸﾞﾎﾞｯｸｽにはいで答える(&C)" << false;
        QTest::newRow("bulk") << "mnuMultidestFiles"
                              << "MultidestFiles" << false;
        QTest::newRow("toolbar captions") << "mnuToolbarCaption"
                                          << "文字(&C)" << true;
        QTest::newRow("status bar") << "mnuStatusbar"
                                    << "ｽﾃｰﾀｽﾊﾞｰ(&S)" << true;
        QTest::newRow("auto sort") << "mnuAutoSort"
                                   << "ﾌｧｲﾙ名で自動整列(&S)" << false;
        QTest::newRow("tooltips") << "mnuToolTip"
                                  << "ﾂｰﾙﾋﾝﾄを表示(&H)" << true;
        QTest::newRow("show log") << "mnuShowLog"
                                  << "作業終了時にﾛｸﾞを表示(&L)" << true;
        QTest::newRow("hide list") << "mnuHideList"
                                   << "ﾘｽﾄを一時的に隠す(&D)" << false;
        QTest::newRow("preview") << "mnuPreview"
                                 << "新しい名前をﾌﾟﾚﾋﾞｭｰ(&P)" << true;
    }
    void optionSwitches() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, checked);
        start();
        auto* item = m_window->findChild<QAction*>(name);
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), caption);
        QVERIFY(item->isCheckable());
        QCOMPARE(item->isChecked(), checked);
        item->trigger();
        QCOMPARE(item->isChecked(), !checked);
        const OptionKey* option = optionForAction(name);
        QVERIFY(option != nullptr);
        QCOMPARE(m_window->options().*std::get<bool Options::*>(option->member), !checked);
        if (name == QLatin1String("mnuStatusbar"))
            QCOMPARE(m_window->statusBar()->isHidden(), checked);
        if (name == QLatin1String("mnuPreview"))
            QCOMPARE(list()->isColumnHidden(kNewName), checked);
    }

    // The new names follow the format as it is typed into the box, with each row's state and the sums.
    void previewFollowsTheFormat_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QString>("summary");
        const int renamed = static_cast<int>(PreviewState::Renamed);
        const int duplicate = static_cast<int>(PreviewState::Duplicate);
        const int unchanged = static_cast<int>(PreviewState::Unchanged);
        const int inUse = static_cast<int>(PreviewState::InUse);
        QTest::newRow("renamed") << "\"x_\" & name" << QStringList{"x_a.txt", "x_b.txt", "x_c d.txt"}
                                 << QList<int>{renamed, renamed, renamed} << "変更 3件  重複 0件  エラー 0件";
        QTest::newRow("unchanged") << "name" << QStringList{"a.txt", "b.txt", "c d.txt"}
                                   << QList<int>{unchanged, unchanged, unchanged} << "変更 0件  重複 0件  エラー 0件";
        QTest::newRow("one name for all")
            << "\"same\"" << QStringList{"same", "same", "same"} << QList<int>{duplicate, duplicate, duplicate}
            << "変更 0件  重複 3件  エラー 0件";
        QTest::newRow("a chain frees its names")
            << "replace(replace(name,\"b\",\"c\"),\"a\",\"b\")" << QStringList{"b.txt", "c.txt", "c d.txt"}
            << QList<int>{renamed, renamed, unchanged} << "変更 2件  重複 0件  エラー 0件";
        QTest::newRow("a file outside the list")
            << "\"outside.txt\"" << QStringList{"outside.txt"} << QList<int>{inUse} << "変更 0件  重複 1件  エラー 0件";
        QTest::newRow("numbers follow the rows")
            << "number(\"n\",1,\"n+1\") & name" << QStringList{"1a.txt", "2b.txt", "3c d.txt"}
            << QList<int>{renamed, renamed, renamed} << "変更 3件  重複 0件  エラー 0件";
    }
    void previewFollowsTheFormat() {
        QFETCH(QString, format);
        QFETCH(QStringList, names);
        QFETCH(QList<int>, states);
        QFETCH(QString, summary);
        QStringList files{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c d.txt")};
        files = files.mid(0, names.size());
        start(files);
        typeFormat(format);
        waitForPreview();
        const QAbstractItemModel* model = list()->model();
        for (int row = 0; row < names.size(); ++row) {
            const QModelIndex index = model->index(row, kNewName);
            QCOMPARE(index.data().toString(), names.at(row));
            QCOMPARE(index.data(FileListModel::kPreviewStateRole).toInt(), states.at(row));
            const bool trouble = states.at(row) == static_cast<int>(PreviewState::Duplicate) ||
                                 states.at(row) == static_cast<int>(PreviewState::InUse);
            QCOMPARE(index.data(Qt::ToolTipRole).toString().isEmpty(), !trouble);
        }
        QCOMPARE(panel("Preview"), summary);
        // Sorting by the new column orders the rows by their new names, which go along with them.
        const QStringList before = columnTexts(kNewName);
        list()->header()->sectionClicked(kNewName);
        QStringList sorted = before;
        std::sort(sorted.begin(), sorted.end());
        QStringList after = columnTexts(kNewName);
        if (after.size() > 1 && after.constFirst() > after.constLast())
            std::reverse(after.begin(), after.end());
        QCOMPARE(after, sorted);
    }

    // A format that does not build says why in the status bar and shows no names; the next one that builds
    // takes the message away. Switched off, the column goes and nothing is built.
    void previewOfAFormatThatDoesNotBuild() {
        start({QStringLiteral("a.txt")});
        typeFormat(QStringLiteral("left("));
        waitForPreview();
        QVERIFY(!panel("Status").isEmpty());
        QVERIFY(!list()->model()->index(0, kNewName).data().isValid());
        QVERIFY(m_window->findChild<QLabel*>(QStringLiteral("Preview"))->isHidden());
        typeFormat(QStringLiteral("\"b\" & name"));
        waitForPreview();
        QCOMPARE(panel("Status"), QString());
        QCOMPARE(list()->model()->index(0, kNewName).data().toString(), QStringLiteral("ba.txt"));

        m_window->findChild<QAction*>(QStringLiteral("mnuPreview"))->trigger();
        QVERIFY(list()->isColumnHidden(kNewName));
        typeFormat(QStringLiteral("\"c\" & name"));
        QVERIFY(preview().isIdle());
        QVERIFY(!list()->model()->index(0, kNewName).data().isValid());
        m_window->findChild<QAction*>(QStringLiteral("mnuPreview"))->trigger();
        waitForPreview();
        QCOMPARE(list()->model()->index(0, kNewName).data().toString(), QStringLiteral("ca.txt"));
    }

    // Typing into the box of a long list: every key is taken at once and the column ends complete; the
    // time between events is measured by the benchmark.
    void previewOfALongListWhileTyping() {
        start();
        {
            FileListModel::Appender rows(m_window->fileList());
            for (int i = 0; i < 100000; ++i)
                rows.add({QStringLiteral("f%1.txt").arg(i, 6, 10, QLatin1Char('0')), m_root, {}});
        }
        typeFormat(QStringLiteral("\"x\" & name"));
        QCOMPARE(formatEdit()->text(), QStringLiteral("\"x\" & name"));
        waitForPreview(60000);
        const std::vector<NamePreview>& shown = m_window->fileList().preview();
        QCOMPARE(shown.size(), std::size_t{100000});
        QVERIFY(std::all_of(shown.begin(), shown.end(),
                            [](const NamePreview& row) { return row.state == PreviewState::Renamed; }));
        QCOMPARE(shown.back().name, QStringLiteral("xf099999.txt"));
        QCOMPARE(panel("Preview"), QStringLiteral("変更 100000件  重複 0件  エラー 0件"));
    }

    void exitByKeyAndMenu() {
        start();
        QVERIFY(m_window->isVisible());
        releaseKey(Qt::Key_X, Qt::AltModifier | Qt::ControlModifier);
        QVERIFY(m_window->isVisible());
        releaseKey(Qt::Key_X, Qt::AltModifier);
        QVERIFY(!m_window->isVisible());
        start();
        m_window->findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
        QVERIFY(!m_window->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
