#include "fakes/FixedClock.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TemporaryJournal.h"
#include "fakes/TestFiles.h"
#include "formats/SavedFormats.h"
#include "mainwindow/Options.h"
#include "mainwindow/ui/FormatCommands.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/MenuArrays.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <memory>

// What the window keeps between starts, driven through the real window on a store in memory.
class TestWindowSettings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    LinuxShellFileOperation m_files{m_prompt};
    TemporaryJournal m_journal;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    MemorySettingsStore m_store;
    Options m_options;
    std::unique_ptr<MainWindow> m_window;

    MainWindow& start() {
        m_window.reset();
        m_options = Options();
        m_window = std::make_unique<MainWindow>(m_options, m_store, m_fs, m_files, m_journal.store, m_prompt, m_clock);
        m_window->startUp({}, m_dir.path());
        m_window->show();
        return *m_window;
    }
    // Closing the window saves, as the close box does.
    void restart() {
        m_window->close();
        start();
    }
    QAction* action(const char* name) const { return m_window->findChild<QAction*>(QString::fromLatin1(name)); }
    QLineEdit* formatBox() const { return m_window->findChild<QLineEdit*>(QStringLiteral("txtFileName")); }
    QHeaderView* header() const { return m_window->findChild<QTreeView*>(QStringLiteral("lvwFiles"))->header(); }
    QStringList registered() const {
        QStringList names;
        for (const QAction* item : m_window->findChild<QMenu*>(QStringLiteral("mnuReg"))->actions())
            names.append(item->objectName() + u' ' + item->text());
        return names;
    }

private Q_SLOTS:
    void init() {
        m_store = MemorySettingsStore();
        m_prompt.reset();
    }
    void cleanup() { m_window.reset(); }

    void firstStart() {
        start();
        QCOMPARE(m_window->pos(), QPoint(0, 0));
        QCOMPARE(m_window->size(), QSize(7000 / 15, 5000 / 15));
        QCOMPARE(formatBox()->text(), QString());
        QCOMPARE(m_window->findChild<QComboBox*>(QStringLiteral("cmbFileName"))->count(), 0);
        QCOMPARE(registered(), QStringList({"mnuFormat_0 登録する(&R)..."}));
        // The status bar's switch is written at once, whatever happens later.
        QCOMPARE(m_store.readSetting(QStringLiteral("Settings"), QStringLiteral("ShowStatusBar"), QString()),
                 QStringLiteral("True"));
    }

    // What the user set up comes back after a restart: switches, columns, history, registered formats.
    void restartKeepsWhatTheUserSetUp() {
        start();
        action("mnuCopy")->trigger();
        action("mnuStatusbar")->trigger();
        header()->moveSection(header()->visualIndex(2), 0);
        header()->resizeSection(2, 120);
        m_window->formats().formatRun(QStringLiteral("fn & \"_1\""));
        m_window->formats().formatRun(QStringLiteral("fn & \"_2\""));
        formatBox()->setText(QStringLiteral("fn & \"_x\""));
        m_prompt.queueInput(QStringLiteral("連番"));
        findArrayAction(m_window.get(), QStringLiteral("mnuFormat"), 0)->trigger();
        m_prompt.queueInput(QStringLiteral("12000"));
        action("mnuMaxFileSize")->trigger();
        restart();
        QVERIFY(action("mnuCopy")->isChecked());
        QVERIFY(!action("mnuStatusbar")->isChecked());
        QVERIFY(m_window->statusBar()->isHidden());
        QCOMPARE(header()->logicalIndex(0), 2);
        QCOMPARE(header()->sectionSize(2), 120);
        QCOMPARE(formatBox()->text(), QStringLiteral("fn & \"_2\""));
        QCOMPARE(m_window->findChild<QComboBox*>(QStringLiteral("cmbFileName"))->count(), 2);
        QCOMPARE(registered(), QStringList({"mnuFormat_0 登録する(&R)...", "mnuFormat_1 連番"}));
        QCOMPARE(m_options.maxFileSize, 12000);
        // Choosing the registered format puts it into the box.
        findArrayAction(m_window.get(), QStringLiteral("mnuFormat"), 1)->trigger();
        QCOMPARE(formatBox()->text(), QStringLiteral("fn & \"_x\""));
    }

    void maxFileSizeTakesOnlyItsRange_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("size");
        QTest::newRow("the largest") << "32000" << 32000;
        QTest::newRow("rounded to the nearest") << " 99.6 " << 100;
        QTest::newRow("one above") << "32001" << 1024;
        QTest::newRow("zero") << "0" << 1024;
        QTest::newRow("not a number") << "many" << 1024;
        QTest::newRow("cancel") << "" << 1024;
    }
    void maxFileSizeTakesOnlyItsRange() {
        QFETCH(QString, answer);
        QFETCH(int, size);
        start();
        if (!answer.isEmpty())
            m_prompt.queueInput(answer);
        action("mnuMaxFileSize")->trigger();
        QCOMPARE(m_options.maxFileSize, size);
        QCOMPARE(m_prompt.shown().constLast().title, QStringLiteral("おたずね"));
        QCOMPARE(m_prompt.shown().constLast().text,
                 QStringLiteral("CommonDialog.MaxFileSizeをいくつにしますか？ (1～32000ﾊﾞｲﾄ）"));
        QCOMPARE(m_prompt.shown().constLast().preset, QStringLiteral("1024"));
    }

    // Deleting the settings asks first; after OK nothing is written at exit and the next start is a first one.
    void deleteSettingsAndExit() {
        start();
        action("mnuCopy")->trigger();
        m_window->close();
        start();
        QVERIFY(action("mnuCopy")->isChecked());
        m_prompt.queueAnswer(PromptAnswer::Cancel);
        action("mnuDeleteReg")->trigger();
        QVERIFY(m_window->isVisible());
        QCOMPARE(m_prompt.shown().constLast().text,
                 QStringLiteral("Tokrenuのレジストリを削除します。\r\n\r\nよろしいですか？"));
        QCOMPARE(m_prompt.shown().constLast().buttons, PromptButtons::OkCancel);
        QCOMPARE(m_prompt.shown().constLast().icon, PromptIcon::Question);
        const int saves = m_store.saves;
        m_prompt.queueAnswer(PromptAnswer::Ok);
        action("mnuDeleteReg")->trigger();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_store.saves, saves);
        QVERIFY(m_store.stored.isEmpty());
        start();
        QVERIFY(!action("mnuCopy")->isChecked());
    }

    // A store that could not be read is told once, at start-up, and the defaults hold.
    void unreadableStoreIsToldOnce() {
        m_store.nextLoad = {SettingsLoadState::SetAside, QStringLiteral("/home/u/.config/Tokrenu/settings.json.broken"),
                            QStringLiteral("unexpected end")};
        start();
        QCOMPARE(m_prompt.texts(),
                 QStringList({QStringLiteral("設定を読めなかったため、最初の設定で起動します。\r\nunexpected end\r\n"
                                             "読めなかった設定は「/home/u/.config/Tokrenu/settings.json.broken」に"
                                             "残してあります。")}));
        QVERIFY(action("mnuRecycled")->isChecked());
    }

    // The list takes the face and size chosen; the log's size is whole points, a half going to the even one.
    void fontsChosenAreKept_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<double>("points"); // 0: the dialog is cancelled
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("a list font of 10.5 points") << "mnuFontOfList" << 10.5 << "ListFontSize"
                                                    << "10.5";
        QTest::newRow("a log font of 10.5 points") << "mnuFontOfLog" << 10.5 << "LogFontSize"
                                                   << "10";
        QTest::newRow("a log font of 11.5 points") << "mnuFontOfLog" << 11.5 << "LogFontSize"
                                                   << "12";
        QTest::newRow("cancel keeps the log font") << "mnuFontOfLog" << 0.0 << "LogFontSize"
                                                   << "9";
    }
    void fontsChosenAreKept() {
        QFETCH(QString, item);
        QFETCH(double, points);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        start();
        m_window->setFontChooser([points](QWidget*, const QFont& preset, const QString&) -> std::optional<QFont> {
            if (points == 0)
                return std::nullopt;
            QFont font(QStringLiteral("IPAPGothic"));
            font.setPointSizeF(points);
            font.setBold(true);
            Q_UNUSED(preset)
            return font;
        });
        m_window->findChild<QAction*>(item)->trigger();
        m_window->close();
        QCOMPARE(m_store.stored.find(QStringLiteral("Font"), key) ? *m_store.stored.find(QStringLiteral("Font"), key)
                                                                  : QString(),
                 stored);
    }

    // Registered formats go out to a file and come back into another start's list.
    void exportAndImport() {
        start();
        const QString file = QDir(m_dir.path()).filePath(QStringLiteral("formats.txt"));
        m_window->formats().exportPath = [file](QWidget*) {
            return file;
        };
        formatBox()->setText(QStringLiteral("\"a,\"\"b\" & fn"));
        m_prompt.queueInput(QStringLiteral("引用符"));
        findArrayAction(m_window.get(), QStringLiteral("mnuFormat"), 0)->trigger();
        action("mnuFormExport")->trigger();
        QCOMPARE(m_prompt.texts().constLast(), QStringLiteral("エクスポート完了！"));
        m_store = MemorySettingsStore();
        start();
        m_window->formats().importPath = [file](QWidget*) {
            return file;
        };
        action("mnuFormInport")->trigger();
        QCOMPARE(registered(), QStringList({"mnuFormat_0 登録する(&R)...", "mnuFormat_1 引用符"}));
        findArrayAction(m_window.get(), QStringLiteral("mnuFormat"), 1)->trigger();
        QCOMPARE(formatBox()->text(), QStringLiteral("\"a,\"\"b\" & fn"));
    }

    // Bands saved in the other order and on one row come back so, and are saved so again.
    void swappedBandsComeBack() {
        m_store.stored.write(QStringLiteral("Coolbar"), QStringLiteral("1"), QStringLiteral("filename True 0 True"));
        m_store.stored.write(QStringLiteral("Coolbar"), QStringLiteral("2"), QStringLiteral("toolbar False 0 True"));
        start();
        QApplication::processEvents();
        auto* toolbar = m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
        auto* formatBand = m_window->findChild<QToolBar*>(QStringLiteral("FormatBand"));
        QCOMPARE(toolbar->geometry().top(), formatBand->geometry().top());
        QVERIFY(formatBand->geometry().left() < toolbar->geometry().left());
        m_window->close();
        QVERIFY(m_store.stored.find(QStringLiteral("Coolbar"), QStringLiteral("1"))
                    ->startsWith(QStringLiteral("filename ")));
        QVERIFY(m_store.stored.find(QStringLiteral("Coolbar"), QStringLiteral("2"))
                    ->startsWith(QStringLiteral("toolbar False ")));
    }

    // Hiding a band or the status bar gives the list the room at once; the captions widen the toolbar.
    void barsGiveTheListTheirRoom() {
        start();
        QApplication::processEvents();
        auto* list = m_window->findChild<QTreeView*>(QStringLiteral("lvwFiles"));
        auto* toolbar = m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
        const int height = list->height();
        action("mnuStatusbar")->trigger();
        QApplication::processEvents();
        QVERIFY(list->height() > height);
        const int withoutStatus = list->height();
        action("mnuShowCoolbar_1")->trigger();
        QApplication::processEvents();
        QVERIFY(list->height() > withoutStatus);
        QVERIFY(!action("mnuShowCoolbar_1")->isChecked());
        const int wide = toolbar->sizeHint().width();
        action("mnuToolbarCaption")->trigger();
        QVERIFY(toolbar->sizeHint().width() < wide);
        m_window->close();
        QVERIFY(
            m_store.stored.find(QStringLiteral("Coolbar"), QStringLiteral("2"))->endsWith(QStringLiteral(" False")));
        start();
        QVERIFY(!action("mnuShowCoolbar_1")->isChecked());
        QVERIFY(m_window->findChild<QToolBar*>(QStringLiteral("FormatBand"))->isHidden());
    }

    // Tooltips off: no fixed text, no tag and no tip of any control of the window.
    void tooltipsOffShowNothing() {
        start();
        auto* list = m_window->findChild<QTreeView*>(QStringLiteral("lvwFiles"));
        QCOMPARE(list->toolTip(), QStringLiteral("追加したいﾌｧｲﾙをﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟしてください"));
        action("mnuToolTip")->trigger();
        QCOMPARE(list->toolTip(), QString());
        QCOMPARE(formatBox()->toolTip(), QString());
        QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("WildCard"))->toolTip(), QString());
        auto* toolbar = m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
        QWidget* button = toolbar->widgetForAction(action("add"));
        QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QVERIFY(QApplication::sendEvent(button, &tip));
        action("mnuToolTip")->trigger();
        QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("WildCard"))->toolTip(), QStringLiteral("追加するﾌｧｲﾙ名"));
        QCOMPARE(action("add")->toolTip(), QStringLiteral("リストに追加"));
    }

    // A right click on a band offers the register command and every registered format.
    void rightClickOnABandOffersTheFormats() {
        start();
        auto* toolbar = m_window->findChild<QToolBar*>(QStringLiteral("Toolbar1"));
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(1, 1), toolbar->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(toolbar, &click);
        auto* menu = m_window->findChild<QMenu*>(QStringLiteral("mnuReg"));
        QVERIFY(menu->isVisible());
        menu->close();
    }

    // A window that would lie wholly off every screen comes back onto the primary one; one partly visible stays.
    void windowPlaceOnTheScreens_data() {
        QTest::addColumn<int>("leftTwips");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("partly visible") << -1500 << QPoint(-100, 0);
        QTest::newRow("wholly off") << -300000 << QPoint(0, 0);
    }
    void windowPlaceOnTheScreens() {
        QFETCH(int, leftTwips);
        QFETCH(QPoint, place);
        m_store.stored.write(QStringLiteral("WindowSize"), QStringLiteral("Left"), QString::number(leftTwips));
        start();
        QCOMPARE(m_window->pos(), place);
    }
};

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
