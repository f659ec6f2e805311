#include "execution/LogPages.h"
#include "execution/RunState.h"
#include "execution/ui/LogViewer.h"
#include "fakes/FixedClock.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TemporaryJournal.h"
#include "fakes/TestFiles.h"
#include "filelist/FileListModel.h"
#include "mainwindow/Options.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/MenuArrays.h"
#include "mainwindow/ui/RunController.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// Passes calls on to the real operation; the n-th call presses Cancel in the progress window.
class CancellingFiles final : public ShellFileOperation {
public:
    explicit CancellingFiles(ShellFileOperation& real)
        : m_real(real) {}
    int cancelAtCall = 0;
    int calls = 0;

    FileOperationResult run(FileOperation operation,
                            const QStringList& sources,
                            const QStringList& destinations,
                            FileOperationFlags flags) override {
        if (++calls == cancelAtCall) {
            auto* cancel = QApplication::activeModalWidget()->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
            QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::QueuedConnection);
        }
        return m_real.run(operation, sources, destinations, flags);
    }
    int removeUnfinishedCopies(const QString& folder) override { return m_real.removeUnfinishedCopies(folder); }

private:
    ShellFileOperation& m_real;
};

struct SeenLog {
    QString caption;
    QString text;
    bool startVisible;
};

} // namespace

class TestRunWindows : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    LinuxShellFileOperation m_realFiles{m_prompt};
    CancellingFiles m_files{m_realFiles};
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    Options m_options;
    MemorySettingsStore m_settings;
    std::unique_ptr<TemporaryJournal> m_journal;
    std::unique_ptr<MainWindow> m_window;
    QList<SeenLog> m_logs;
    bool m_pressStart = false;
    QStringList m_progressCaptions;
    QPoint m_progressCentre;

    // Every window that appears is looked at the moment it is shown, however briefly: logs are recorded
    // and closed (or started), and the caption of progress windows is noted.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (window->objectName() == QLatin1String("frmProgress")) {
            m_progressCaptions.append(window->windowTitle());
            m_progressCentre = window->frameGeometry().center();
        } else if (window->objectName() == QLatin1String("frmLog")) {
            auto* run = window->findChild<QPushButton*>(QStringLiteral("cmdRun"));
            m_logs.append({window->windowTitle(),
                           window->findChild<QPlainTextEdit*>(QStringLiteral("txtLog"))->toPlainText(),
                           run->isVisibleTo(window)});
            QPushButton* button = run->isVisibleTo(window) && m_pressStart
                                      ? run
                                      : window->findChild<QPushButton*>(QStringLiteral("cmdClose"));
            QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
        }
        return false;
    }

    void start(const QStringList& names) {
        for (const QString& name : names)
            TestFiles::write(m_root + name, name.toUtf8());
        m_options = Options();
        m_window =
            std::make_unique<MainWindow>(m_options, m_settings, m_fs, m_files, m_journal->store, m_prompt, m_clock);
        QStringList paths;
        for (const QString& name : names)
            paths.append(m_root + name);
        m_window->startUp(paths, m_root);
        m_window->show();
    }

    void setFormat(const QString& format) {
        m_window->findChild<QLineEdit*>(QStringLiteral("txtFileName"))->setText(format);
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
        QDir().mkpath(m_root + QStringLiteral(".trash-home"));
        qputenv("XDG_DATA_HOME", (m_root + QStringLiteral(".trash-home")).toUtf8());
        m_prompt.reset();
        m_logs.clear();
        m_progressCaptions.clear();
        m_pressStart = false;
        m_files.calls = 0;
        m_files.cancelAtCall = 0;
        m_journal = std::make_unique<TemporaryJournal>();
    }

    void cleanup() { m_window.reset(); }

    // The Alt commands act on key release, and their key press never reaches the focused format box: the
    // format tested and run is the one typed.
    void altCommandsNeverTypeIntoTheFormatBox() {
        start({QStringLiteral("a.txt")});
        m_window->setFileChooser([](QWidget*, const QString&, const QString&) { return QStringList(); });
        m_window->options().alwaysFunction = false;
        auto* box = m_window->findChild<QLineEdit*>(QStringLiteral("txtFileName"));
        setFormat(QStringLiteral("img_"));
        box->setFocus();
        // Clear and exit come last: they leave nothing to run.
        for (const Qt::Key key :
             {Qt::Key_A, Qt::Key_R, Qt::Key_U, Qt::Key_D, Qt::Key_T, Qt::Key_S, Qt::Key_C, Qt::Key_X}) {
            QTest::keyClick(box, key, Qt::AltModifier);
            QCOMPARE(box->text(), QStringLiteral("img_"));
        }
        QCOMPARE(m_logs.size(), 2);
        QVERIFY(m_logs[0].text.contains(QStringLiteral("移動：") + m_root + QStringLiteral("img_\n")));
        QVERIFY(exists(QStringLiteral("img_")));
        QVERIFY(!m_window->isVisible());
    }

    void testThenStart() {
        start({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        setFormat(QStringLiteral("\"x_\" & name"));
        m_pressStart = true;
        m_window->findChild<QAction*>(QStringLiteral("test"))->trigger();
        QCOMPARE(m_logs.size(), 2);
        QCOMPARE(m_logs[0].caption, QStringLiteral("Tokrenu－テスト 1/1"));
        QVERIFY(m_logs[0].startVisible);
        QVERIFY(m_logs[0].text.contains(QStringLiteral("移動：") + m_root + QStringLiteral("x_a.txt")));
        QCOMPARE(m_logs[1].caption, QStringLiteral("Tokrenu－ログ 1/1"));
        QVERIFY(!m_logs[1].startVisible);
        QVERIFY(exists(QStringLiteral("x_a.txt")) && exists(QStringLiteral("x_b.txt")));
        QCOMPARE(m_progressCaptions, QStringList({"Tokrenu - 進行状況", "Tokrenu - 進行状況"}));
        QCOMPARE(m_window->fileList().row(0).name, QStringLiteral("x_a.txt"));
    }

    void closingTheTestLogRunsNothing() {
        start({QStringLiteral("a.txt")});
        setFormat(QStringLiteral("\"x_\" & name"));
        QTest::keyRelease(m_window.get(), Qt::Key_T, Qt::AltModifier);
        QCOMPARE(m_logs.size(), 1);
        QVERIFY(exists(QStringLiteral("a.txt")));
        QCOMPARE(m_window->runController().state().undoState, UndoState::Nothing);
    }

    void runWithAndWithoutTheLog() {
        start({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        setFormat(QStringLiteral("replace(name,\"a\",\"c\")"));
        findArrayAction(m_window.get(), QStringLiteral("mnuRun"), 1)->trigger();
        QCOMPARE(m_logs.size(), 1);
        QVERIFY(exists(QStringLiteral("c.txt")));
        m_window->options().showLog = false;
        setFormat(QStringLiteral("replace(name,\"b\",\"d\")"));
        QTest::keyRelease(m_window.get(), Qt::Key_S, Qt::AltModifier);
        QCOMPARE(m_logs.size(), 1);
        QVERIFY(exists(QStringLiteral("d.txt")));
    }

    void undoTwice() {
        start({QStringLiteral("a.txt")});
        m_window->options().showLog = false;
        setFormat(QStringLiteral("\"b.txt\""));
        findArrayAction(m_window.get(), QStringLiteral("mnuListViewPopup3"), 1)->trigger();
        QVERIFY(exists(QStringLiteral("b.txt")));
        m_window->findChild<QAction*>(QStringLiteral("mnuUndo"))->trigger();
        QVERIFY(exists(QStringLiteral("a.txt")));
        QCOMPARE(m_progressCaptions.constLast(), QStringLiteral("Tokrenu - 元に戻す 進行状況"));
        QVERIFY(m_prompt.shown().isEmpty());
        m_window->findChild<QAction*>(QStringLiteral("mnuUndo"))->trigger();
        QCOMPARE(m_prompt.texts(), QStringList({QStringLiteral("元に戻せません。")}));
    }

    void cancelDuringARun() {
        QStringList names;
        for (int i = 0; i < 10; ++i)
            names.append(QStringLiteral("f%1").arg(i));
        start(names);
        setFormat(QStringLiteral("\"n\" & name"));
        m_files.cancelAtCall = 3;
        findArrayAction(m_window.get(), QStringLiteral("mnuRun"), 1)->trigger();
        for (int i = 0; i < 10; ++i)
            QCOMPARE(exists(QStringLiteral("nf%1").arg(i)), i < 3);
        QCOMPARE(m_logs.size(), 1);
        QVERIFY(m_logs[0].text.endsWith(QStringLiteral(" 作業は中止されました。 ---")));
        QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("Status"))->text(), QStringLiteral("作業終了"));
    }

    void cancelDuringAnUndoAndResume() {
        start({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        m_window->options().showLog = false;
        setFormat(QStringLiteral("\"x\" & name"));
        findArrayAction(m_window.get(), QStringLiteral("mnuRun"), 1)->trigger();
        m_files.calls = 0;
        m_files.cancelAtCall = 1;
        m_window->findChild<QAction*>(QStringLiteral("mnuUndo"))->trigger();
        QCOMPARE(m_window->runController().state().undoState, UndoState::UndoInterrupted);
        // Undo goes from the last file back.
        QVERIFY(exists(QStringLiteral("c")) && exists(QStringLiteral("xb")));
        m_prompt.queueAnswer(PromptAnswer::Ok);
        m_window->findChild<QAction*>(QStringLiteral("mnuUndo"))->trigger();
        QCOMPARE(m_prompt.texts(),
                 QStringList({QStringLiteral("前回中断された元に戻す作業の続きを行います。\r\nよろしいですか？")}));
        QVERIFY(exists(QStringLiteral("a")) && exists(QStringLiteral("b")));
        QCOMPARE(m_window->runController().state().undoState, UndoState::Nothing);
    }

    // The window started again undoes the last run from its journal, with nothing in the list, once.
    void undoAfterARestartOfTheWindow() {
        start({QStringLiteral("a"), QStringLiteral("b")});
        m_window->options().showLog = false;
        setFormat(QStringLiteral("\"x\" & name"));
        findArrayAction(m_window.get(), QStringLiteral("mnuRun"), 1)->trigger();
        QVERIFY(exists(QStringLiteral("xa")) && exists(QStringLiteral("xb")));
        start({});
        m_window->options().showLog = false;
        QCOMPARE(m_window->fileList().size(), 0);
        m_window->findChild<QAction*>(QStringLiteral("mnuUndo"))->trigger();
        QVERIFY(exists(QStringLiteral("a")) && exists(QStringLiteral("b")));
        QVERIFY(!exists(QStringLiteral("xa")));
        QCOMPARE(m_progressCaptions.constLast(), QStringLiteral("Tokrenu - 元に戻す 進行状況"));
        QVERIFY(m_prompt.shown().isEmpty());
        m_window->findChild<QAction*>(QStringLiteral("mnuUndo"))->trigger();
        QCOMPARE(m_prompt.texts(), QStringList({QStringLiteral("元に戻せません。")}));
    }

    // A run cut short by the end of its process is asked about once, when the window starts.
    void anInterruptedRunIsAskedAboutAtStartUp() {
        start({QStringLiteral("a"), QStringLiteral("b")});
        setFormat(QStringLiteral("\"x\" & name"));
        findArrayAction(m_window.get(), QStringLiteral("mnuRun"), 1)->trigger();
        m_window.reset();
        // What a process that died leaves: the journal without its end.
        const QString journal = m_journal->store.pathOf(1);
        QFile file(journal);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        bytes.truncate(bytes.lastIndexOf("RUN-END"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        m_logs.clear();
        m_prompt.queueAnswer(PromptAnswer::Yes);
        start({});
        QCOMPARE(m_prompt.shown().size(), 1);
        QVERIFY(m_prompt.shown().constFirst().text.startsWith(QStringLiteral("前回の作業（")));
        QVERIFY(exists(QStringLiteral("a")) && exists(QStringLiteral("b")));
        QVERIFY(!exists(QStringLiteral("xa")));
        QCOMPARE(m_logs.constLast().caption, QStringLiteral("Tokrenu－元に戻す 1/1"));
        start({});
        QCOMPARE(m_prompt.shown().size(), 1);
    }

    void progressWindowSitsOverTheMainWindow() {
        start({QStringLiteral("a")});
        m_window->options().showLog = false;
        m_window->move(100, 80);
        m_progressCentre = {};
        setFormat(QStringLiteral("\"b\""));
        findArrayAction(m_window.get(), QStringLiteral("mnuRun"), 1)->trigger();
        QVERIFY(!m_progressCentre.isNull());
        QVERIFY((m_progressCentre - m_window->frameGeometry().center()).manhattanLength() <= 2);
    }

    void logViewerPagesCopiesAndLaysOut() {
        QString log;
        for (int i = 0; log.size() < 100000; ++i)
            log += QStringLiteral("* /d/file%1.txt\r\n").arg(i) + QString(250, QLatin1Char('x')) +
                   QStringLiteral("\r\n\r\n");
        LogViewSettings settings;
        LogViewer viewer(settings, nullptr);
        viewer.present(QStringLiteral("Tokrenu－ログ"), log, false);
        viewer.show();
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Tokrenu－ログ 1/4"));
        auto* text = viewer.findChild<QPlainTextEdit*>(QStringLiteral("txtLog"));
        QTest::keyRelease(text, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Tokrenu－ログ 2/4"));
        viewer.findChild<QPushButton*>(QStringLiteral("cmdCopy"))->click();
        QString expected = viewer.pages()->shownText();
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(QApplication::clipboard()->text(), expected);
        QVERIFY(expected.startsWith(QStringLiteral("--- 前のページを見るには<Ctrl+P>を押してください。 ---\n\n")));
        QVERIFY(expected.endsWith(QStringLiteral("--- 次のページを見るには<Ctrl+N>を押してください。 ---")));
        for (int i = 0; i < 5; ++i)
            QTest::keyRelease(text, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Tokrenu－ログ 4/4"));
        // Shift with Ctrl is not Ctrl alone.
        QTest::keyRelease(text, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Tokrenu－ログ 4/4"));

        // Without Start the two buttons are centred as a pair.
        viewer.resize(600, 400);
        auto* copy = viewer.findChild<QPushButton*>(QStringLiteral("cmdCopy"));
        auto* close = viewer.findChild<QPushButton*>(QStringLiteral("cmdClose"));
        QCOMPARE(copy->x(), qRound(((600 * 15 - 2415) / 2) / 15.0));
        QCOMPARE(close->x(), qRound(((600 * 15 - 2415) / 2 + 1320) / 15.0));
        QVERIFY(!viewer.findChild<QPushButton*>(QStringLiteral("cmdRun"))->isVisible());
        viewer.close();
        QCOMPARE(settings.widthTwips, 600 * 15);
    }
};

QTEST_MAIN(TestRunWindows)
#include "tst_runwindows.moc"
