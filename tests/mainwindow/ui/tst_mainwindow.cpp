#include "fakes/FixedClock.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/FileListModel.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/MenuArrays.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <memory>

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root;
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    LinuxShellFileOperation m_files{m_prompt};
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    std::unique_ptr<MainWindow> m_window;
    QStringList m_chooserCalls;

    MainWindow& start(const QStringList& arguments = {}) {
        m_window = std::make_unique<MainWindow>(m_fs, m_files, m_prompt, m_clock);
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
