#include "execution/FileIdentities.h"
#include "execution/JournalRecords.h"
#include "execution/RunCommands.h"
#include "execution/RunJournal.h"
#include "execution/RunOptions.h"
#include "execution/RunState.h"
#include "execution/UndoRecorder.h"
#include "fakes/FaultyJournalStore.h"
#include "fakes/FixedClock.h"
#include "fakes/RecordingFrontEnd.h"
#include "fakes/RecordingHost.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TemporaryJournal.h"
#include "fakes/TestFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "platform/DateValue.h"
#include "platform/FileTimes.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>
#include <sys/stat.h>

namespace {

const QString kNow = QStringLiteral("2024/01/31 12:00:00");

// Passes every call on, and lets a test look at the disk the moment the first file is about to move.
class WatchedFiles final : public ShellFileOperation {
public:
    explicit WatchedFiles(ShellFileOperation& real)
        : m_real(real) {}
    std::function<void()> beforeFirst;

    FileOperationResult run(FileOperation operation,
                            const QStringList& sources,
                            const QStringList& destinations,
                            FileOperationFlags flags) override {
        if (beforeFirst)
            std::exchange(beforeFirst, {})();
        return m_real.run(operation, sources, destinations, flags);
    }
    int removeUnfinishedCopies(const QString& folder) override { return m_real.removeUnfinishedCopies(folder); }

private:
    ShellFileOperation& m_real;
};

} // namespace

// Runs journaled on real files, and undone from the journal alone: after a restart, after the files changed,
// after the process died in the middle, and with a journal that is damaged or could not be written.
class TestJournalUndo : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    LinuxFileSystem m_fs;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    ScriptedPrompt m_prompt;
    std::unique_ptr<LinuxShellFileOperation> m_realFiles;
    std::unique_ptr<WatchedFiles> m_files;
    std::unique_ptr<TemporaryJournal> m_journal;
    std::unique_ptr<FaultyJournalStore> m_store;
    std::unique_ptr<FileListModel> m_list;
    std::unique_ptr<RunState> m_state;
    std::unique_ptr<RecordingFrontEnd> m_frontEnd;
    RunOptions m_options;

    void files(const QStringList& names) {
        for (const QString& name : names)
            QVERIFY(TestFiles::write(m_root + name, name.toUtf8()));
        RecordingHost feedback;
        FileAdder(*m_list, m_fs, m_prompt).addPendingFiles({m_root, names}, {}, feedback);
    }

    RunCommands commands() { return {*m_state, *m_list, m_fs, *m_files, m_prompt, m_clock, *m_frontEnd, *m_store}; }
    CommandOutcome command(RunMode mode, const QString& format) {
        return commands().runCommand(mode, format, m_options);
    }

    // A new process: nothing in memory, an empty list, and the start-up of the window.
    void restart() {
        m_list = std::make_unique<FileListModel>(m_fs);
        m_state = std::make_unique<RunState>();
        m_frontEnd = std::make_unique<RecordingFrontEnd>();
        m_frontEnd->list = m_list.get();
        RunCommands start = commands();
        start.recoverInterruptedRuns(m_options);
        start.findRunToUndo();
    }

    // Leaves the journal as a process that died would: the plan and the first `kept` records of finished
    // entries, and nothing after them.
    void interrupt(qint64 run, int kept) {
        QFile file(m_store->pathOf(run));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArrayList lines = file.readAll().split('\n');
        file.close();
        QByteArray left;
        for (const QByteArray& line : lines) {
            if (line.isEmpty())
                continue;
            if (line.startsWith("D\t") && kept-- <= 0)
                break;
            if (line.startsWith("RUN-END\t"))
                break;
            left += line + '\n';
        }
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(left + "D\t4\t1\t-"); // and a record the process did not finish
    }

    qint64 lastRun() const { return m_store->runs().empty() ? 0 : m_store->runs().back(); }
    QString lastLog() const { return m_frontEnd->logs.isEmpty() ? QString() : m_frontEnd->logs.constLast().text; }
    QByteArray content(const QString& name) const { return TestFiles::read(m_root + name); }
    bool exists(const QString& name) const { return QFileInfo::exists(m_root + name); }
    QStringList filesThere() const {
        QStringList names = QDir(m_root).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
    }

private Q_SLOTS:
    void initTestCase() { TestFiles::useTimeZone("Asia/Tokyo"); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path() + QStringLiteral("/files/");
        QDir().mkpath(m_root);
        QDir().mkpath(m_dir->path() + QStringLiteral("/trash"));
        qputenv("XDG_DATA_HOME", (m_dir->path() + QStringLiteral("/trash")).toUtf8());
        m_prompt.reset();
        m_realFiles = std::make_unique<LinuxShellFileOperation>(m_prompt);
        m_files = std::make_unique<WatchedFiles>(*m_realFiles);
        m_journal = std::make_unique<TemporaryJournal>();
        m_store = std::make_unique<FaultyJournalStore>(m_journal->store);
        m_list = std::make_unique<FileListModel>(m_fs);
        m_state = std::make_unique<RunState>();
        m_frontEnd = std::make_unique<RecordingFrontEnd>();
        m_frontEnd->list = m_list.get();
        m_options = RunOptions();
        m_options.noErrorUi = true;
    }

    // The journal holds the whole plan, and is on disk, before the first file moves.
    void thePlanIsOnDiskBeforeTheFirstFileMoves() {
        files({QStringLiteral("a"), QStringLiteral("b")});
        bool looked = false;
        m_files->beforeFirst = [&] {
            const JournalBytes bytes = m_store->read(1);
            const JournalContent content = JournalReader::read(bytes.bytes, true);
            QVERIFY(bytes.inUse);
            QVERIFY(content.summary.planComplete);
            QVERIFY(!content.summary.ended);
            QCOMPARE(content.entries.size(), std::size_t(2));
            QCOMPARE(content.entries[1].destination, m_root + QStringLiteral("xb"));
            QVERIFY(content.entries[1].sourceIdentity == m_fs.fileIdentity(m_root + QStringLiteral("b")));
            looked = true;
        };
        QCOMPARE(command(RunMode::Run, QStringLiteral("\"x\" & name")).failedSteps, 0);
        QVERIFY(looked);
        const JournalSummary done = JournalReader::read(m_store->read(1).bytes, false).summary;
        QVERIFY(done.ended && !done.stopped);
    }

    // After a restart the window undoes the last run from its journal alone, with an empty list, attributes
    // and times included, and logs it as before; the same run is not undone twice.
    void undoAfterARestart() {
        files({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        QVERIFY(m_fs.setAttributes(m_root + QStringLiteral("a.txt"), 32));
        QVERIFY(m_fs.setFileTime(m_root + QStringLiteral("b.txt"), FileTimeKind::LastWrite, 1600000000));
        const double written = getFileTimeAsDate(m_fs, m_root + QStringLiteral("b.txt"), FileTimeKind::LastWrite);
        command(RunMode::Run,
                QStringLiteral("\"x_\" & name & setattr(\"+h\") & setlastwritetime(\"2001/02/03 04:05:06\")"));
        QCOMPARE(filesThere(), QStringList({QStringLiteral("x_a.txt"), QStringLiteral("x_b.txt")}));

        restart();
        QVERIFY(m_prompt.shown().isEmpty());
        QCOMPARE(m_state->undoState, UndoState::Run);
        const CommandOutcome undo = command(RunMode::Undo, QString());
        QCOMPARE(undo.failedSteps, 0);
        QCOMPARE(filesThere(), QStringList({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
        QCOMPARE(content(QStringLiteral("a.txt")), QByteArray("a.txt"));
        QCOMPARE(m_fs.attributes(m_root + QStringLiteral("a.txt")), 32);
        QCOMPARE(m_fs.attributes(m_root + QStringLiteral("b.txt")), 0);
        QCOMPARE(getFileTimeAsDate(m_fs, m_root + QStringLiteral("b.txt"), FileTimeKind::LastWrite), written);
        QCOMPARE(m_frontEnd->progressShown, QList<ProgressWork>{ProgressWork::Undo});
        QCOMPARE(m_frontEnd->logs.constLast().caption, QStringLiteral("Tokrenu－元に戻す"));
        QVERIFY2(lastLog().startsWith(kNow + QStringLiteral(" 元に戻す作業を開始します。\r\n\r\n\r\n* ") + m_root +
                                      QStringLiteral("x_b.txt\r\n属性を元に戻す：\r\n更新日時を元に戻す：") +
                                      DateValue::generalDateText(written) + QStringLiteral("\r\n名前を元に戻す：") +
                                      m_root + QStringLiteral("b.txt\r\n")),
                 qPrintable(lastLog()));
        QVERIFY(lastLog().endsWith(kNow + QStringLiteral(" 元に戻す作業は正常に完了しました。")));

        command(RunMode::Undo, QString());
        QCOMPARE(m_prompt.texts(), QStringList({QStringLiteral("元に戻せません。")}));
        restart();
        QCOMPARE(m_state->undoState, UndoState::Nothing);
    }

    // Read-only takes every write bit away; its undo gives back the very bits the file had, not just the
    // owner's, also when the run was interrupted and its records of the entry lost.
    void readOnlyGoesBackToTheWritePermissionsItHad_data() {
        QTest::addColumn<uint>("mode");
        QTest::addColumn<bool>("interrupted");
        for (const uint mode : {0664U, 0666U, 0600U, 0444U, 0620U}) {
            QTest::addRow("%o", mode) << mode << false;
            QTest::addRow("%o, interrupted", mode) << mode << true;
        }
    }
    void readOnlyGoesBackToTheWritePermissionsItHad() {
        QFETCH(uint, mode);
        QFETCH(bool, interrupted);
        files({QStringLiteral("a")});
        const QString path = m_root + QStringLiteral("a");
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode) == 0);
        command(RunMode::Run, QStringLiteral("\"x\" & name & setattr(\"+r\")"));
        QCOMPARE(m_fs.writePermissions(m_root + QStringLiteral("xa")), std::optional<std::uint32_t>(0));
        if (interrupted)
            interrupt(lastRun(), 0);

        m_prompt.reset();
        m_prompt.queueAnswer(PromptAnswer::Yes);
        restart();
        if (!interrupted)
            QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
        QCOMPARE(filesThere(), QStringList({QStringLiteral("a")}));
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(path).constData(), &st) == 0);
        QCOMPARE(uint(st.st_mode & 07777), mode);
    }

    // Before a file goes back it is checked by its identity: one that is no longer where the run put it, or
    // whose place another file took, is left alone and logged with the reason; the others go back, and
    // nothing is ever replaced.
    // Each case in a folder of a few files, looked at one by one, and among many, where the folder is read whole.
    void filesChangedSinceTheRun_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("others"); // further files of the run, which all go back
        const QString gone = QStringLiteral("元に戻す：失敗しました。(作業の後、移動または削除されています)");
        const QString replaced =
            QStringLiteral("元に戻す：失敗しました。(作業の後、別のファイルに置き換えられています)");
        for (const int others : {0, 40}) {
            const char* where = others == 0 ? "" : ", among many";
            QTest::addRow("moved elsewhere%s", where) << "move" << false << gone << others;
            QTest::addRow("deleted%s", where) << "delete" << false << gone << others;
            QTest::addRow("replaced by another file%s", where) << "replace" << false << replaced << others;
            QTest::addRow("its old name taken by another file%s", where)
                << "take old name" << false << "名前を元に戻す：失敗しました。(%1b)" << others;
            QTest::addRow("a copy whose original is gone%s", where)
                << "delete original" << true << "削除：失敗しました。(コピー元のファイルがありません)" << others;
            QTest::addRow("a copy replaced by another file%s", where) << "replace" << true << replaced << others;
        }
    }
    void filesChangedSinceTheRun() {
        QFETCH(QString, change);
        QFETCH(bool, copy);
        QFETCH(QString, line);
        QFETCH(int, others);
        QStringList names{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        for (int i = 0; i < others; ++i)
            names.append(QStringLiteral("o%1").arg(i, 2, 10, QLatin1Char('0')));
        files(names);
        m_options.copy = copy;
        QCOMPARE(command(RunMode::Run, QStringLiteral("\"x\" & name")).failedSteps, 0);
        const QString moved = m_root + QStringLiteral("xb");
        if (change == QLatin1String("move"))
            QVERIFY(QFile::rename(moved, m_root + QStringLiteral("elsewhere")));
        if (change == QLatin1String("delete"))
            QVERIFY(QFile::remove(moved));
        if (change == QLatin1String("replace")) {
            QVERIFY(QFile::rename(moved, m_root + QStringLiteral("old xb")));
            QVERIFY(TestFiles::write(moved, "someone else's"));
        }
        if (change == QLatin1String("take old name"))
            QVERIFY(TestFiles::write(m_root + QStringLiteral("b"), "someone else's"));
        if (change == QLatin1String("delete original"))
            QVERIFY(QFile::remove(m_root + QStringLiteral("b")));
        const QStringList before = filesThere();

        restart();
        m_prompt.reset();
        const CommandOutcome undo = command(RunMode::Undo, QString());
        QCOMPARE(undo.failedSteps, 1);
        QVERIFY(m_prompt.shown().isEmpty()); // nothing asked, "置き換えますか？" least of all
        QVERIFY2(lastLog().contains(QStringLiteral("* ") + moved + QStringLiteral("\r\n") +
                                    QString(line).replace(QStringLiteral("%1"), m_root) + QStringLiteral("\r\n")),
                 qPrintable(lastLog()));
        // Every other file is back, and the file left alone is as the other program left it.
        QStringList expected = before;
        for (const QString& name : std::as_const(names)) {
            if (name == QLatin1String("b"))
                continue;
            QCOMPARE(content(name), name.toUtf8());
            QVERIFY(!exists(QLatin1Char('x') + name));
            expected.removeAll(QLatin1Char('x') + name);
            if (!copy)
                expected.append(name);
        }
        expected.sort();
        QCOMPARE(filesThere(), expected);
        if (change == QLatin1String("replace"))
            QCOMPARE(TestFiles::read(moved), QByteArray("someone else's"));
        if (change == QLatin1String("take old name"))
            QCOMPARE(content(QStringLiteral("b")), QByteArray("someone else's"));
    }

    // A damaged journal is told, with where it is and what is wrong, and no file moves because of it.
    void aDamagedJournalMovesNothing_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        QTest::newRow("a record changed")
            << "change"
            << "作業の記録が壊れているため、元に戻せません。\r\n%1: 4 行目が壊れています。";
        QTest::newRow("a record that is not ours")
            << "insert"
            << "作業の記録が壊れているため、元に戻せません。\r\n%1: 5 行目が壊れています。";
        QTest::newRow("a newer version") << "version"
                                         << "作業の記録を読めないため、元に戻せません。\r\n%1: 新しい版の Tokrenu "
                                            "で書かれた作業の記録です（版 9）。";
        QTest::newRow("not a journal")
            << "garbage"
            << "作業の記録が壊れているため、元に戻せません。\r\n%1: 作業の記録ではありません。";
    }
    void aDamagedJournalMovesNothing() {
        QFETCH(QString, damage);
        QFETCH(QString, message);
        files({QStringLiteral("a"), QStringLiteral("b")});
        command(RunMode::Run, QStringLiteral("\"x\" & name"));
        const QString path = m_store->pathOf(lastRun());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        QByteArrayList lines = bytes.split('\n');
        if (damage == QLatin1String("change"))
            lines[3].replace("\txb\t", "\txc\t");
        if (damage == QLatin1String("insert"))
            lines.insert(4, "E\t3\t/\t/etc/passwd\t-\t-\t0\t-\t-\t-\t-\t00000000");
        if (damage == QLatin1String("version"))
            lines[0] = "TOKRENU-JOURNAL\t9\t00000000";
        if (damage == QLatin1String("garbage"))
            lines = {"mv /a /b"};
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join('\n'));
        file.close();

        restart();
        m_prompt.reset();
        const CommandOutcome undo = command(RunMode::Undo, QString());
        QVERIFY(undo.refused && undo.journalFailed);
        QCOMPARE(m_prompt.texts(), QStringList({message.arg(path)}));
        QCOMPARE(m_prompt.shown().constFirst().icon, PromptIcon::Critical);
        QCOMPARE(filesThere(), QStringList({QStringLiteral("xa"), QStringLiteral("xb")}));
    }

    // A disk that fills while the plan is written stops the run before any file is touched, and leaves no
    // journal that could pass for a run.
    void aFullDiskStopsTheRunBeforeAnyFile_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<qint64>("room");
        QTest::newRow("nothing fits") << 8 << qint64(0);
        QTest::newRow("full within the header") << 8 << qint64(10);
        QTest::newRow("full within the run") << 8 << qint64(60);
        QTest::newRow("full within the entries") << 8 << qint64(400);
        // A long plan is written in pieces of half a megabyte.
        QTest::newRow("full within a later piece of a long plan") << 20000 << qint64(800 * 1024);
    }
    void aFullDiskStopsTheRunBeforeAnyFile() {
        QFETCH(int, count);
        QFETCH(qint64, room);
        QStringList names;
        for (int i = 0; i < count; ++i)
            names.append(QStringLiteral("f%1").arg(i, 5, 10, QLatin1Char('0')));
        files(names);
        m_store->roomLeft = room;
        bool touched = false;
        m_files->beforeFirst = [&touched] {
            touched = true;
        };
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("\"x\" & name"));
        QVERIFY(outcome.refused && outcome.journalFailed);
        QVERIFY(!touched);
        QCOMPARE(filesThere(), names);
        QCOMPARE(m_prompt.texts(), QStringList({QStringLiteral("作業の記録を書き込めないため、作業を中止します。\r\n") +
                                                m_store->pathOf(1) + QStringLiteral(": No space left on device")}));
        QVERIFY(m_frontEnd->logs.isEmpty());
        QVERIFY(m_store->runs().empty());
    }

    // A disk that fills during the run stops it; what was done is found again at the next start.
    void aFullDiskDuringTheRunStopsIt() {
        QStringList names;
        for (int i = 0; i < 30; ++i)
            names.append(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')));
        files(names);
        m_store->appendsLeft = 4; // the plan and three finished entries
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("\"x\" & name"));
        QVERIFY(outcome.stopped);
        QVERIFY2(lastLog().contains(QStringLiteral("* 作業の記録を書き込めないため、作業を中止します。(No space "
                                                   "left on device)\r\n")),
                 qPrintable(lastLog()));
        QVERIFY(QFileInfo::exists(m_root + QStringLiteral("xf00")));
        QVERIFY(exists(QStringLiteral("f29")));

        m_store->appendsLeft = -1;
        m_prompt.queueAnswer(PromptAnswer::Yes);
        restart();
        QCOMPARE(m_prompt.shown().size(), 1);
        QCOMPARE(filesThere(), names);
    }

    // A run whose process died is found at the next start: its files are looked up by identity, whatever its
    // last records say, and the user decides once whether they go back.
    void anInterruptedRunIsSettledOnce_data() {
        QTest::addColumn<int>("stopAt");      // files the run got through; 0: all of them
        QTest::addColumn<int>("recordsKept"); // records of finished entries that reached the disk
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<int>("changed");
        QTest::newRow("every file done, two records kept, put back") << 0 << 2 << PromptAnswer::Yes << 6;
        QTest::newRow("every file done, no record kept, put back") << 0 << 0 << PromptAnswer::Yes << 6;
        QTest::newRow("half done, put back") << 3 << 1 << PromptAnswer::Yes << 3;
        QTest::newRow("half done, kept as it is") << 3 << 3 << PromptAnswer::No << 3;
    }
    void anInterruptedRunIsSettledOnce() {
        QFETCH(int, stopAt);
        QFETCH(int, recordsKept);
        QFETCH(PromptAnswer, answer);
        QFETCH(int, changed);
        const QStringList names{"1", "2", "3", "4", "5", "6"};
        files(names);
        for (const QString& name : names)
            QVERIFY(m_fs.setAttributes(m_root + name, 32));
        m_frontEnd->host.stopAtFile = stopAt;
        // 1 -> 0, 2 -> 1, ...: each file takes the name the one before it gave up.
        m_prompt.queueAnswer(PromptAnswer::Yes); // go on although the names are in use
        command(RunMode::Run, QStringLiteral("(val(name) - 1) & setattr(\"+h\")"));
        interrupt(lastRun(), recordsKept);
        const QStringList afterRun = filesThere();

        m_prompt.reset();
        m_prompt.queueAnswer(answer);
        restart();
        QCOMPARE(m_prompt.texts(), QStringList({QStringLiteral("前回の作業（2024/01/31 12:00:00 開始）は、終わる前に"
                                                               "中断されました。\r\n変更された %1 個のファイルを元に戻"
                                                               "しますか？\r\n［いいえ］を選ぶと、ファイルは今のままに"
                                                               "なります。")
                                                    .arg(changed)}));
        QCOMPARE(m_prompt.shown().constFirst().defaultAnswer, PromptAnswer::No);
        if (answer == PromptAnswer::Yes) {
            QCOMPARE(filesThere(), names);
            for (const QString& name : names) {
                QCOMPARE(content(name), name.toUtf8());
                QCOMPARE(m_fs.attributes(m_root + name), 32);
            }
            QCOMPARE(m_frontEnd->logs.constLast().caption, QStringLiteral("Tokrenu－元に戻す"));
        } else {
            QCOMPARE(filesThere(), afterRun);
        }
        // Asked once: the next start says nothing, and whatever is left may still be undone.
        m_prompt.reset();
        restart();
        QVERIFY(m_prompt.shown().isEmpty());
        QCOMPARE(m_state->undoState, answer == PromptAnswer::Yes ? UndoState::Nothing : UndoState::Run);
        if (answer == PromptAnswer::No) {
            QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
            QCOMPARE(filesThere(), names);
        }
    }

    // A file moved to another file system is a new file; its identity is the one recorded after the move, also
    // when that record is lost with the process.
    // A file moved to another disk comes back as a copy, and the moved file goes only once the copy is in
    // place. An undo that died anywhere in that is taken up again: a copy it had not finished goes, a copy it
    // had placed is kept and the moved file goes, and a file it had brought back counts as back.
    void movesToAnotherDiskGoBack_data() {
        QTest::addColumn<bool>("interrupted");
        QTest::addColumn<QString>("undoDiedAt");
        QTest::newRow("after a restart") << false << "";
        QTest::newRow("after the process died") << true << "";
        QTest::newRow("undo died while copying") << false << "copying";
        QTest::newRow("undo died before removing the moved file") << false << "copied";
        QTest::newRow("undo died before its record") << false << "moved";
        QTest::newRow("run and undo died") << true << "copied";
    }
    void movesToAnotherDiskGoBack() {
        QFETCH(bool, interrupted);
        QFETCH(QString, undoDiedAt);
        if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            QSKIP("no second file system at /dev/shm");
        QTemporaryDir otherDisk(QStringLiteral("/dev/shm/tokrenu-XXXXXX"));
        files({QStringLiteral("a"), QStringLiteral("b")});
        m_options.moveToFolder = true;
        m_options.targetFolder = otherDisk.path();
        QCOMPARE(command(RunMode::Run, QStringLiteral("\"x\" & name")).failedSteps, 0);
        const QString moved = otherDisk.filePath(QStringLiteral("xb"));
        QVERIFY(QFileInfo::exists(moved));
        if (interrupted)
            interrupt(lastRun(), 0);
        if (!undoDiedAt.isEmpty()) {
            // What an undo of entry 2 left when it died: its first records, and the files as they were then.
            const JournalSummary read = JournalReader::read(m_store->read(lastRun()).bytes, false).summary;
            QString error;
            std::unique_ptr<UndoRecorder> undo = UndoRecorder::begin(*m_store, lastRun(), read, m_clock, error);
            QVERIFY2(undo, qPrintable(error));
            undo->movingBack(2);
            undo.reset();
            if (undoDiedAt == QLatin1String("copying"))
                QVERIFY(TestFiles::write(m_root + QStringLiteral(".tokrenu-1f2e3d.part"), "b, half"));
            if (undoDiedAt != QLatin1String("copying"))
                QVERIFY(QFile::copy(moved, m_root + QStringLiteral("b")));
            if (undoDiedAt == QLatin1String("moved"))
                QVERIFY(QFile::remove(moved));
        }
        // An interrupted run is offered at start-up, unless an undo of it had begun: that one goes on when asked.
        const bool offered = interrupted && undoDiedAt.isEmpty();
        m_prompt.queueAnswer(offered ? PromptAnswer::Yes : PromptAnswer::Ok);
        restart();
        if (!offered)
            QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
        QCOMPARE(filesThere(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(content(QStringLiteral("b")), QByteArray("b"));
        QVERIFY(QDir(otherDisk.path()).isEmpty());
        QCOMPARE(m_state->undoState, UndoState::Nothing);
    }

    void identitiesAreTakenWhenTheRunBegins() {
        files({QStringLiteral("a")});
        QVERIFY(QFile::remove(m_root + QStringLiteral("a")));
        QVERIFY(TestFiles::write(m_root + QStringLiteral("a"), "written since it was listed"));
        command(RunMode::Run, QStringLiteral("\"x\""));
        restart();
        QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
        QCOMPARE(content(QStringLiteral("a")), QByteArray("written since it was listed"));
    }

    // Identities looked up together are those a look at each path gives, whether the path's folder is read whole
    // or looked into file by file, and whatever order the folders come in.
    void identitiesLookedUpTogetherAreThoseOfEachPath() {
        QStringList paths;
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("many/f%1").arg(i);
            QVERIFY(TestFiles::write(m_root + name));
            paths.append(m_root + name);
        }
        QVERIFY(TestFiles::write(m_root + QStringLiteral("few/a")));
        paths.insert(20, m_root + QStringLiteral("few/a"));
        paths.insert(21, m_root + QStringLiteral("few/gone"));
        paths.insert(30, m_root + QStringLiteral("many/gone"));
        paths.append(m_root + QStringLiteral("none/a"));
        paths.append(m_root + QStringLiteral("many/f0"));
        IdentityLookup lookup(m_fs);
        for (const QString& path : paths)
            lookup.expect(path);
        lookup.readAhead();
        const std::vector<std::optional<FileIdentity>> found =
            lookup.atEach(static_cast<std::size_t>(paths.size()),
                          [&paths](std::size_t k) -> const QString& { return paths[static_cast<qsizetype>(k)]; });
        QCOMPARE(found.size(), static_cast<std::size_t>(paths.size()));
        for (qsizetype k = 0; k < paths.size(); ++k)
            QVERIFY2(found[static_cast<std::size_t>(k)] == m_fs.fileIdentity(paths[k]), qPrintable(paths[k]));
    }

    // A run, an undo and the answer to an interrupted run note what the journal says as they close it, just as a
    // reading of it tells it, so that the next start reads nothing.
    void writersNoteWhatTheJournalSays_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("then");
        const QStringList two{QStringLiteral("a"), QStringLiteral("b")};
        const QStringList three{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        const QString prefix = QStringLiteral("\"x\" & name");
        const QString swap = QStringLiteral("mid(\"ba\",index,1)");
        QTest::newRow("renamed") << two << prefix << ""
                                 << "";
        QTest::newRow("attribute and time changed")
            << two << prefix + QStringLiteral(" & setattr(\"+h\") & setlastwritetime(\"2001/02/03 04:05:06\")") << ""
            << "";
        QTest::newRow("a swap, one file aside") << two << swap << ""
                                                << "";
        QTest::newRow("copied") << two << prefix << "copy"
                                << "";
        QTest::newRow("in one call") << two << prefix << "bulk"
                                     << "";
        QTest::newRow("stopped") << three << prefix << "stop"
                                 << "";
        QTest::newRow("a move refused") << two << prefix << "refused"
                                        << "";
        QTest::newRow("undone") << two << prefix << ""
                                << "undo";
        QTest::newRow("a swap undone") << two << swap << ""
                                       << "undo";
        QTest::newRow("undone, stopped") << three << prefix << ""
                                         << "stopped undo";
        QTest::newRow("interrupted, files kept") << three << prefix << ""
                                                 << "kept";
        QTest::newRow("interrupted, files put back") << three << prefix << ""
                                                     << "put back";
    }
    void writersNoteWhatTheJournalSays() {
        QFETCH(QStringList, names);
        QFETCH(QString, format);
        QFETCH(QString, how);
        QFETCH(QString, then);
        files(names);
        m_options.copy = how == QLatin1String("copy");
        m_options.multidestFiles = how == QLatin1String("bulk");
        if (how == QLatin1String("stop"))
            m_frontEnd->host.stopAtFile = 1;
        if (how == QLatin1String("refused"))
            m_files->beforeFirst = [this] {
                QVERIFY(TestFiles::write(m_root + QStringLiteral("xb"), "in the way"));
            };
        command(RunMode::Run, format);
        m_frontEnd->host.stopAtFile = then == QLatin1String("stopped undo") ? 1 : 0;
        if (then.endsWith(QLatin1String("undo")))
            command(RunMode::Undo, QString());
        if (then == QLatin1String("kept") || then == QLatin1String("put back")) {
            interrupt(lastRun(), 1);
            m_prompt.queueAnswer(then == QLatin1String("kept") ? PromptAnswer::No : PromptAnswer::Yes);
            restart();
        }
        m_store->reads = 0;
        const std::vector<RunRecord> runs = RunJournal(*m_store, m_fs).history();
        QCOMPARE(m_store->reads, 0);
        QCOMPARE(runs.size(), std::size_t(1));
        const JournalSummary read = JournalReader::read(TestFiles::read(m_store->pathOf(runs[0].run)), false).summary;
        QCOMPARE(read.condition, JournalCondition::Readable);
        QCOMPARE(read.undoStarted, then != QLatin1String("") && then != QLatin1String("kept"));
        QCOMPARE(runs[0].summary, read);
    }

    // What the journals say is noted beside them, so that a start reads again only the journals changed since;
    // the notes never hide a change, even one that leaves a journal as long as it was.
    void aStartReadsOnlyTheJournalsChangedSince_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("reads");
        QTest::newRow("none") << "none" << 0;
        QTest::newRow("the last run undone, the undo noting it") << "undo" << 0;
        QTest::newRow("a byte of the first journal changed") << "damage" << 1;
        QTest::newRow("the notes damaged") << "notes" << 2;
    }
    void aStartReadsOnlyTheJournalsChangedSince() {
        QFETCH(QString, change);
        QFETCH(int, reads);
        files({QStringLiteral("a"), QStringLiteral("b")});
        QCOMPARE(command(RunMode::Run, QStringLiteral("\"x\" & name")).failedSteps, 0);
        QCOMPARE(command(RunMode::Run, QStringLiteral("\"y\" & name")).failedSteps, 0);
        // A journal is noted only once its change time can tell the next change.
        QThread::msleep(150);
        const std::vector<RunRecord> first = RunJournal(*m_store, m_fs).history();
        QCOMPARE(first.size(), std::size_t(2));
        std::vector<JournalSummary> expected{first[0].summary, first[1].summary};

        if (change == QLatin1String("undo")) {
            QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
            QVERIFY(!expected[1].undoFinished);
            expected[1].undoFinished = expected[1].undoStarted = true;
            expected[1].wholeLength = QFileInfo(m_store->pathOf(2)).size();
        }
        if (change == QLatin1String("damage")) {
            QFile journal(m_store->pathOf(1));
            QVERIFY(journal.open(QIODevice::ReadWrite));
            const qint64 middle = journal.size() / 2;
            QVERIFY(journal.seek(middle));
            const char was = journal.read(1).at(0);
            QVERIFY(journal.seek(middle) && journal.write(was == 'a' ? "b" : "a") == 1);
            journal.close();
            expected[0] = JournalReader::read(TestFiles::read(m_store->pathOf(1)), false).summary;
            QCOMPARE(expected[0].condition, JournalCondition::Damaged);
        }
        if (change == QLatin1String("notes"))
            QVERIFY(TestFiles::write(m_store->location() + QStringLiteral("/summaries"), "TOKRENU-NOTES\t1\tjunk\n"));
        m_store->reads = 0;
        const std::vector<RunRecord> again = RunJournal(*m_store, m_fs).history();
        QCOMPARE(m_store->reads, reads);
        QCOMPARE(again.size(), std::size_t(2));
        QCOMPARE(again[0].summary, expected[0]);
        QCOMPARE(again[1].summary, expected[1]);
    }

    void onlyTheLastTwentyRunsAreKept() {
        files({QStringLiteral("a")});
        for (int i = 0; i < 22; ++i)
            command(RunMode::Run, i % 2 == 0 ? QStringLiteral("\"b\"") : QStringLiteral("\"a\""));
        const std::vector<qint64> runs = m_store->runs();
        QCOMPARE(runs.size(), std::size_t(20));
        QCOMPARE(runs.front(), 3);
        QCOMPARE(runs.back(), 22);
    }
};

QTEST_GUILESS_MAIN(TestJournalUndo)
#include "tst_journalundo.moc"
