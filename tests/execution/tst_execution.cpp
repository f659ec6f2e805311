#include "execution/MovesAhead.h"
#include "execution/PlanChecks.h"
#include "execution/PlanExecutor.h"
#include "execution/PlanUndo.h"
#include "execution/RunCommands.h"
#include "execution/RunOptions.h"
#include "execution/RunState.h"
#include "expression/BuildTypes.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FaultySyscalls.h"
#include "fakes/FixedClock.h"
#include "fakes/RecordingFrontEnd.h"
#include "fakes/RecordingHost.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TemporaryJournal.h"
#include "fakes/TestFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "platform/AttributeBits.h"
#include "platform/DateValue.h"
#include "platform/FileTimes.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace {

const QString kNow = QStringLiteral("2024/01/31 12:00:00");

} // namespace

// Test, run and undo on real files, checking what is on disk, in the list and in the log.
class TestExecution : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    LinuxFileSystem m_realFs;
    std::unique_ptr<FaultyFileSystem> m_fs;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    ScriptedPrompt m_prompt;
    std::unique_ptr<FileListModel> m_list;
    std::unique_ptr<RunState> m_state;
    std::unique_ptr<RecordingFrontEnd> m_frontEnd;
    std::unique_ptr<TemporaryJournal> m_journal;
    FaultySyscalls m_syscalls;
    std::unique_ptr<LinuxShellFileOperation> m_files;
    RunOptions m_options;

    void files(const QStringList& names) {
        for (const QString& name : names)
            QVERIFY(TestFiles::write(m_root + name, name.toUtf8()));
        RecordingHost feedback;
        FileAdder adder(*m_list, *m_fs, m_prompt);
        adder.addPendingFiles({m_root, names}, {}, feedback);
        // As a list on the screen has them, so that a run must bring what it changes up to date.
        m_list->readAllDetails();
    }

    QString shown(int row, FileColumn column) const {
        return m_list->index(row, static_cast<int>(column)).data().toString();
    }

    CommandOutcome command(RunMode mode, const QString& format) {
        RunCommands commands(*m_state, *m_list, *m_fs, *m_files, m_prompt, m_clock, *m_frontEnd, m_journal->store);
        return commands.runCommand(mode, format, m_options);
    }

    QString lastLog() const { return m_frontEnd->logs.isEmpty() ? QString() : m_frontEnd->logs.constLast().text; }

    QStringList names() const {
        QStringList all;
        for (const FileRow& row : m_list->rows())
            all.append(row.name);
        return all;
    }

    QByteArray content(const QString& name) const { return TestFiles::read(m_root + name); }

    // Every file of the folder as name=content, sorted.
    QStringList folderContents() const {
        QStringList all;
        for (const QString& name : QDir(m_root).entryList(QDir::Files | QDir::Hidden))
            all.append(name + QLatin1Char('=') + QString::fromUtf8(content(name)));
        all.sort();
        return all;
    }

    // The moves a log tells of (failed ones are none), as from>to in its order, names in the folder alone and "~" for a
    // temporary one.
    QStringList movesIn(const QString& log) const {
        const auto shortName = [this](QString path) {
            path.remove(0, m_root.size());
            return path.startsWith(QLatin1String(".tokrenu-cycle")) ? QStringLiteral("~") : path;
        };
        QStringList moves;
        const QStringList lines = log.split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            if (lines[i].startsWith(QLatin1String("* ")) && lines[i + 1].startsWith(QStringLiteral("移動：")) &&
                lines[i + 1] != QStringLiteral("移動：失敗しました。"))
                moves.append(shortName(lines[i].mid(2)) + QLatin1Char('>') + shortName(lines[i + 1].mid(3)));
        }
        return moves;
    }
    bool exists(const QString& name) const { return QFileInfo::exists(m_root + name); }

private Q_SLOTS:
    void initTestCase() { TestFiles::useTimeZone("Asia/Tokyo"); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path() + QLatin1Char('/');
        // The trash of these tests stays inside their folder.
        QDir().mkpath(m_root + QStringLiteral(".trash-home"));
        qputenv("XDG_DATA_HOME", (m_root + QStringLiteral(".trash-home")).toUtf8());
        m_fs = std::make_unique<FaultyFileSystem>(m_realFs);
        m_list = std::make_unique<FileListModel>(*m_fs);
        m_state = std::make_unique<RunState>();
        m_frontEnd = std::make_unique<RecordingFrontEnd>();
        m_journal = std::make_unique<TemporaryJournal>();
        m_frontEnd->list = m_list.get();
        m_syscalls.fault = nullptr;
        m_files = std::make_unique<LinuxShellFileOperation>(m_prompt, &m_syscalls);
        m_options = RunOptions();
        m_options.build.alwaysFunction = true;
        m_prompt.reset();
    }

    // Where files were added a moment ago, as on the command line, the add's reading of the folder serves the
    // run's check of names in use. A name that appears after that reading is unknown to the check, and still never
    // replaced: the rename refuses to take it.
    void aNameThatAppearsAfterTheListingIsNeverReplaced() {
        // Enough files that the check reads their folder rather than looking at each new name.
        for (int i = 0; i < 40; ++i)
            QVERIFY(TestFiles::write(m_root + QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')), "f"));
        LinuxFileSystem fs;
        fs.keepListings();
        FileListModel list(fs);
        RecordingHost feedback;
        FileAdder(list, fs, m_prompt).addFolders({m_root}, {}, feedback);
        QCOMPARE(list.size(), 40);
        QVERIFY(TestFiles::write(m_root + QStringLiteral("g05"), "someone else's"));
        RunState state;
        m_frontEnd->list = &list;
        RunCommands commands(state, list, fs, *m_files, m_prompt, m_clock, *m_frontEnd, m_journal->store);
        QCOMPARE(commands.runCommand(RunMode::Run, QStringLiteral("\"g\" & mid(name, 2)"), m_options).failedSteps, 1);
        // The check knew nothing of the name; the rename itself asked, and the answer was the safe No.
        QCOMPARE(m_prompt.shown().size(), 1);
        QVERIFY(m_prompt.shown().constFirst().text.endsWith(QStringLiteral("置き換えますか？")));
        QCOMPARE(content(QStringLiteral("g05")), QByteArray("someone else's"));
        QCOMPARE(content(QStringLiteral("f05")), QByteArray("f"));
        QCOMPARE(content(QStringLiteral("g06")), QByteArray("f"));
        QVERIFY(!exists(QStringLiteral("f06")));
    }

    void testLogOfOneFile() {
        files({QStringLiteral("a.txt")});
        QVERIFY(m_realFs.setAttributes(m_root + QStringLiteral("a.txt"), 32));
        command(RunMode::Test, QStringLiteral("\"b.txt\" & setattr(\"+r\")"));
        QCOMPARE(m_frontEnd->logs.size(), 1);
        QCOMPARE(m_frontEnd->logs[0].caption, QStringLiteral("Tokrenu－テスト"));
        QVERIFY(m_frontEnd->logs[0].withStart);
        QCOMPARE(lastLog(), QStringLiteral("--- テストのため、実際に変更は行いません。 ---\r\n"
                                           "--- ") +
                                kNow +
                                QStringLiteral(" 作業開始します。 ---\r\n"
                                               "\r\n"
                                               "* ") +
                                m_root +
                                QStringLiteral("a.txt\r\n"
                                               "移動：") +
                                m_root +
                                QStringLiteral("b.txt\r\n"
                                               "属性の変更：A から RA\r\n"
                                               "\r\n"
                                               "--- ") +
                                kNow +
                                QStringLiteral(" 作業は正常に完了しました。 ---\r\n"
                                               "--- テストのため、実際に変更は行いませんでした。 ---"));
        // Nothing changed on disk, in the plan or in the list.
        QVERIFY(exists(QStringLiteral("a.txt")));
        QVERIFY(!exists(QStringLiteral("b.txt")));
        QCOMPARE(m_state->undoState, UndoState::Nothing);
        QCOMPARE(m_state->plan->entry(1).doneSteps, 0);
        QCOMPARE(names(), QStringList({QStringLiteral("a.txt")}));
        QCOMPARE(m_frontEnd->host.statuses,
                 QStringList({QStringLiteral("テスト実行中"), QStringLiteral("テスト終了")}));
    }

    void testLogShowsEveryChange() {
        files({QStringLiteral("a.txt")});
        QFile file(m_root + QStringLiteral("a.txt"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9)), QFileDevice::FileModificationTime));
        QVERIFY(file.setFileTime(QDateTime(QDate(2020, 5, 6), QTime(0, 0)), QFileDevice::FileAccessTime));
        file.close();
        command(RunMode::Test, QStringLiteral("name & setlastwritetime(\"2000/01/02 03:04:05\") & "
                                              "setlastaccesstime(\"2000/01/02 03:04:05\")"));
        const QStringList lines = lastLog().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(3, 3),
                 QStringList({QStringLiteral("* ") + m_root + QStringLiteral("a.txt"),
                              QStringLiteral("最終アクセス日時の変更：2020/05/06 から 2000/01/02"),
                              QStringLiteral("更新日時の変更：2020/05/06 7:08:09 から 2000/01/02 3:04:05")}));
    }

    void startInTheTestLogRunsTheTestedPlan() {
        files({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        m_frontEnd->pressStart = true;
        command(RunMode::Test, QStringLiteral("\"x_\" & name"));
        QCOMPARE(m_frontEnd->logs.size(), 2);
        QCOMPARE(m_frontEnd->logs[1].caption, QStringLiteral("Tokrenu－ログ"));
        QVERIFY(!m_frontEnd->logs[1].withStart);
        QCOMPARE(content(QStringLiteral("x_a.txt")), QByteArray("a.txt"));
        QCOMPARE(names(), QStringList({QStringLiteral("x_a.txt"), QStringLiteral("x_b.txt")}));
        QCOMPARE(m_frontEnd->history, QStringList({QStringLiteral("\"x_\" & name")}));
        QCOMPARE(m_state->undoState, UndoState::Run);
    }

    void runRenamesAndKeepsRowsAndRecords() {
        files({QStringLiteral("a.txt"), QStringLiteral("keep.txt")});
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("replace(name,\"a.txt\",\"b.txt\")"));
        QCOMPARE(outcome.failedSteps, 0);
        QCOMPARE(content(QStringLiteral("b.txt")), QByteArray("a.txt"));
        QVERIFY(!exists(QStringLiteral("a.txt")));
        QCOMPARE(names(), QStringList({QStringLiteral("b.txt"), QStringLiteral("keep.txt")}));
        QCOMPARE(m_state->plan->entry(1).doneSteps, DoneStep::kMoved);
        QCOMPARE(m_state->plan->entry(2).doneSteps, 0); // same name: no shell call
        QCOMPARE(lastLog(), QStringLiteral("--- ") + kNow + QStringLiteral(" 作業開始します。 ---\r\n\r\n* ") + m_root +
                                QStringLiteral("a.txt\r\n移動：") + m_root + QStringLiteral("b.txt\r\n\r\n* ") +
                                m_root + QStringLiteral("keep.txt\r\n\r\n--- ") + kNow +
                                QStringLiteral(" 作業は正常に完了しました。 ---"));
        QCOMPARE(m_frontEnd->host.statuses, QStringList({QStringLiteral("実行中"), QStringLiteral("作業終了")}));
    }

    void attributesAndTimesAreChangedAndRecorded() {
        files({QStringLiteral("a.txt")});
        QVERIFY(m_realFs.setAttributes(m_root + QStringLiteral("a.txt"), 32));
        const double before = getFileTimeAsDate(m_realFs, m_root + QStringLiteral("a.txt"), FileTimeKind::LastWrite);
        command(RunMode::Run,
                QStringLiteral("\"b.txt\" & setattr(\"+h\") & setlastwritetime(\"2000/01/02 03:04:05\")"));
        const QStringList lines = lastLog().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(2, 4), QStringList({QStringLiteral("* ") + m_root + QStringLiteral("a.txt"),
                                               QStringLiteral("移動：") + m_root + QStringLiteral("b.txt"),
                                               QStringLiteral("属性の変更：A から HA"),
                                               QStringLiteral("更新日時の変更：") + DateValue::generalDateText(before) +
                                                   QStringLiteral(" から 2000/01/02 3:04:05")}));
        QCOMPARE(m_realFs.attributes(m_root + QStringLiteral("b.txt")), 34);
        const RenameEntry& entry = m_state->plan->entry(1);
        QCOMPARE(entry.doneSteps, DoneStep::kMoved | DoneStep::kAttributes | DoneStep::kLastWriteTime);
        QCOMPARE(entry.attributes, 32); // the old value, for undo
        QCOMPARE(entry.lastWriteTime, before);
        QCOMPARE(shown(0, FileColumn::Attribute), QStringLiteral("HA"));
        QCOMPARE(shown(0, FileColumn::LastWriteTime), QStringLiteral("2000/01/02 3:04:05"));
    }

    void aFailedMoveSkipsItsOtherChanges() {
        files({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        QDir(m_root).mkdir(QStringLiteral("taken.txt")); // a folder where one new name would go
        m_prompt.queueAnswer(PromptAnswer::Yes);         // go on although the name is in use
        m_prompt.queueAnswer(PromptAnswer::No);          // but do not replace it
        const CommandOutcome outcome =
            command(RunMode::Run, QStringLiteral("replace(name,\"a.txt\",\"taken.txt\") & setattr(\"+h\")"));
        QCOMPARE(outcome.failedSteps, 1);
        const QStringList lines = lastLog().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(2, 2), QStringList({QStringLiteral("* ") + m_root + QStringLiteral("a.txt"),
                                               QStringLiteral("移動：失敗しました。")}));
        QCOMPARE(m_state->plan->entry(1).doneSteps, 0);
        QCOMPARE(m_list->row(0).name, QStringLiteral("a.txt"));
        QCOMPARE(m_realFs.attributes(m_root + QStringLiteral("a.txt")), 0);
        QCOMPARE(m_state->plan->entry(2).doneSteps, DoneStep::kAttributes);
    }

    void failedAttributeChangeKeepsTheRequestedValue() {
        files({QStringLiteral("a.txt")});
        m_fs->refuseAttributes.insert(m_root + QStringLiteral("a.txt"));
        m_fs->refuseTimes.insert(m_root + QStringLiteral("a.txt"));
        const CommandOutcome outcome =
            command(RunMode::Run, QStringLiteral("name & setattr(\"+r\") & setlastwritetime(\"2000/01/01\")"));
        QCOMPARE(outcome.failedSteps, 2);
        QVERIFY(lastLog().contains(QStringLiteral("属性の変更：失敗しました。\r\n更新日時の変更：失敗しました。\r\n")));
        QCOMPARE(m_state->plan->entry(1).doneSteps, 0);
        QCOMPARE(m_state->plan->entry(1).attributes, 1);
        QCOMPARE(m_state->plan->entry(1).lastWriteTime, 36526.0);
    }

    void cancelAfterTheThirdOfTen() {
        QStringList all;
        for (int i = 0; i < 10; ++i)
            all.append(QStringLiteral("f%1.txt").arg(i));
        files(all);
        m_frontEnd->host.stopAtFile = 3;
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("\"n\" & name"));
        QVERIFY(outcome.stopped);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(exists(QStringLiteral("nf%1.txt").arg(i)), i < 3);
            QCOMPARE(m_state->plan->entry(i + 1).doneSteps, i < 3 ? DoneStep::kMoved : 0);
        }
        QVERIFY(lastLog().endsWith(QStringLiteral(" 作業は中止されました。 ---")));
        QCOMPARE(m_state->undoState, UndoState::Run);
    }

    // One file of the plan never replaces another, whatever is answered and whether the run goes file by
    // file or in one call: a chain or a swap runs in an order that frees each name first, and two files that
    // come to one name, or a file onto one that keeps its name, are refused and reported as failed.
    void filesOfThePlanNeverReplaceEachOther_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("bulk");
        QTest::addColumn<bool>("replace"); // the answer to the questions; a run that is refused says so
        QTest::addColumn<bool>("recycle");
        QTest::addColumn<QString>("target"); // a spelling of the files' own folder, or none
        const QStringList ab{QStringLiteral("a"), QStringLiteral("b")};
        const QString swap = QStringLiteral("mid(\"ba\",index,1)");
        const QString chain = QStringLiteral("replace(replace(name,\"b\",\"c\"),\"a\",\"b\")"); // a -> b, b -> c
        const QString oneName = QStringLiteral("\"x\"");
        const QString keptName = QStringLiteral("\"a\""); // a stays, b -> a
        for (const bool bulk : {false, true}) {
            const char* mode = bulk ? "in one call" : "file by file";
            QTest::addRow("chain, %s, answer no", mode) << ab << chain << bulk << false << true << QString();
            QTest::addRow("chain, %s, yes, to the trash", mode) << ab << chain << bulk << true << true << QString();
            QTest::addRow("chain, %s, yes, no trash", mode) << ab << chain << bulk << true << false << QString();
            QTest::addRow("one name, %s, answer no", mode) << ab << oneName << bulk << false << false << QString();
            QTest::addRow("one name, %s, yes, no trash", mode) << ab << oneName << bulk << true << false << QString();
            QTest::addRow("kept name, %s, yes, no trash", mode) << ab << keptName << bulk << true << false << QString();
            QTest::addRow("long chain, %s, yes, no trash", mode)
                << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}
                << QStringLiteral("replace(replace(replace(name,\"3\",\"4\"),\"2\",\"3\"),\"1\",\"2\")") << bulk << true
                << false << QString();
            // The same folder spelled otherwise is still the same place.
            for (const char* spelling : {".", "./", "link", "link/.", "sub/.."}) {
                QTest::addRow("swap into %s, %s, yes, no trash", spelling, mode)
                    << ab << swap << bulk << true << false << QString::fromLatin1(spelling);
                QTest::addRow("swap into %s, %s, yes, to the trash", spelling, mode)
                    << ab << swap << bulk << true << true << QString::fromLatin1(spelling);
            }
        }
    }
    void filesOfThePlanNeverReplaceEachOther() {
        QFETCH(QStringList, files);
        QFETCH(QString, format);
        QFETCH(bool, bulk);
        QFETCH(bool, replace);
        QFETCH(bool, recycle);
        QFETCH(QString, target);
        this->files(files);
        QVERIFY(QFile::link(m_root, m_root + QStringLiteral("link")));
        QVERIFY(QDir(m_root).mkdir(QStringLiteral("sub")));
        m_options.recycled = recycle;
        m_options.multidestFiles = bulk;
        m_options.moveToFolder = !target.isEmpty();
        m_options.targetFolder = m_root + target;
        for (int i = 0; i < 8; ++i)
            m_prompt.queueAnswer(replace ? PromptAnswer::Yes : PromptAnswer::No);
        const CommandOutcome outcome = command(RunMode::Run, format);
        QByteArrayList contents;
        for (const QString& name : QDir(m_root).entryList(QDir::Files))
            contents.append(content(name));
        std::sort(contents.begin(), contents.end());
        QByteArrayList original;
        for (const QString& name : std::as_const(files))
            original.append(name.toUtf8());
        QCOMPARE(contents, original);
        QVERIFY(QDir(m_root + QStringLiteral(".trash-home/Trash/files")).isEmpty());
        const bool freesItsNames = format != QLatin1String("\"x\"") && format != QLatin1String("\"a\"");
        if (freesItsNames)
            QCOMPARE(outcome.failedSteps, 0);
        else if (replace)
            QVERIFY(outcome.failedSteps > 0);
    }

    // Chains and cycles of names run in an order that frees each name before it is taken, a cycle through a
    // temporary name beside its files; the test's log and the run's show that order, and undo goes back.
    void chainsAndCycles_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("after"); // name=content, sorted
        QTest::addColumn<QStringList>("moves"); // from>to in the order of the log; "~" is a temporary name
        const QString shift = QStringLiteral("replace(replace(replace(name,\"3\",\"4\"),\"2\",\"3\"),\"1\",\"2\")");
        QTest::newRow("a chain in list order") << QStringList{"1", "2", "3"} << shift
                                               << QStringList{"2=1", "3=2", "4=3"} << QStringList{"3>4", "2>3", "1>2"};
        QTest::newRow("a chain in reverse order")
            << QStringList{"3", "2", "1"} << shift << QStringList{"2=1", "3=2", "4=3"}
            << QStringList{"3>4", "2>3", "1>2"};
        QTest::newRow("a swap") << QStringList{"a", "b"} << "mid(\"ba\",index,1)" << QStringList{"a=b", "b=a"}
                                << QStringList{"a>~", "b>a", "~>b"};
        QTest::newRow("a rotation of three")
            << QStringList{"a", "b", "c"} << "mid(\"bca\",index,1)" << QStringList{"a=c", "b=a", "c=b"}
            << QStringList{"a>~", "c>a", "b>c", "~>b"};
    }
    void chainsAndCycles() {
        QFETCH(QStringList, files);
        QFETCH(QString, format);
        QFETCH(QStringList, after);
        QFETCH(QStringList, moves);
        this->files(files);
        m_frontEnd->pressStart = true;
        const CommandOutcome outcome = command(RunMode::Test, format);
        QCOMPARE(outcome.failedSteps, 0);
        QVERIFY(m_prompt.shown().isEmpty());
        QCOMPARE(m_frontEnd->logs.size(), 2);
        for (const auto& log : m_frontEnd->logs)
            QCOMPARE(movesIn(log.text), moves);
        QCOMPARE(folderContents(), after);
        QVERIFY(command(RunMode::Undo, QString()).failedSteps == 0);
        QStringList before;
        for (const QString& name : std::as_const(files))
            before.append(name + QLatin1Char('=') + name);
        before.sort();
        QCOMPARE(folderContents(), before);
        QCOMPARE(names(), files);
    }

    // A cycle of a thousand names, the whole list one rotation, in one run and back in one undo.
    void aRotationOfAThousand() {
        QStringList all;
        for (int i = 0; i < 1000; ++i)
            all.append(QStringLiteral("f%1").arg(i, 4, 10, QLatin1Char('0')));
        files(all);
        const CommandOutcome outcome =
            command(RunMode::Run, QStringLiteral("\"f\" & replace(format(index,\"0000\"),\"1000\",\"0000\")"));
        QCOMPARE(outcome.failedSteps, 0);
        // The log fits the room made for it at the start, not a copy twice that size.
        QVERIFY(lastLog().capacity() < 2 * lastLog().size());
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(content(all[(i + 1) % 1000]), all[i].toUtf8());
        QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
        for (const QString& name : std::as_const(all))
            QCOMPARE(content(name), name.toUtf8());
        QCOMPARE(QDir(m_root).entryList(QDir::Files | QDir::Hidden).size(), 1000);
    }

    // A long run renames ahead of its log: whether it stops part way or a rename is refused, the log tells
    // exactly what the disk shows, the journal has every move made, and undo (stopped and taken up again) brings
    // back the start.
    void aLongRunTellsEveryMoveItMade_data() {
        QTest::addColumn<int>("stopAtFile");
        QTest::addColumn<QString>("refused"); // a file whose rename the system refuses
        QTest::addColumn<int>("moved");       // how many files move, or -1: at least stopAtFile
        QTest::newRow("stopped part way") << 100 << QString() << -1;
        QTest::newRow("a rename refused part way") << 0 << "f150" << 149;
        QTest::newRow("refused, then stopped") << 200 << "f250" << 49;
    }
    void aLongRunTellsEveryMoveItMade() {
        QFETCH(int, stopAtFile);
        QFETCH(QString, refused);
        QFETCH(int, moved);
        QStringList all;
        for (int i = 0; i < 300; ++i)
            all.append(QStringLiteral("f%1").arg(i, 3, 10, QLatin1Char('0')));
        files(all);
        m_frontEnd->host.stopAtFile = stopAtFile;
        const QByteArray refusedPath = (m_root + refused).toUtf8();
        m_syscalls.fault = [&](const QString& call, const QByteArray& path) {
            return !refused.isEmpty() && call == QLatin1String("renameat2") && path == refusedPath ? EACCES : 0;
        };
        // Each file to the next one's name, from the end of the chain.
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("\"f\" & format(index,\"000\")"));
        const QStringList moves = movesIn(lastLog());
        QHash<QString, QString> contentAt;
        for (const QString& name : std::as_const(all))
            contentAt.insert(name, name);
        for (const QString& move : moves) {
            const QStringList fromTo = move.split(QLatin1Char('>'));
            QVERIFY(!contentAt.contains(fromTo[1]));
            contentAt.insert(fromTo[1], contentAt.take(fromTo[0]));
        }
        QStringList told;
        for (auto it = contentAt.cbegin(); it != contentAt.cend(); ++it)
            told.append(it.key() + QLatin1Char('=') + it.value());
        told.sort();
        QCOMPARE(folderContents(), told);
        if (moved >= 0)
            QCOMPARE(moves.size(), moved);
        else
            QVERIFY(moves.size() >= stopAtFile);
        QCOMPARE(outcome.stopped, stopAtFile > 0);

        m_syscalls.fault = nullptr;
        m_frontEnd->host.eventRounds = 0;
        m_frontEnd->host.stopAtFile = moves.size() / 2;
        m_prompt.queueAnswer(PromptAnswer::Ok);
        QVERIFY(command(RunMode::Undo, QString()).stopped || moves.size() < 2);
        m_frontEnd->host.stopAtFile = 0;
        m_prompt.queueAnswer(PromptAnswer::Ok);
        QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
        QStringList before;
        for (const QString& name : std::as_const(all))
            before.append(name + QLatin1Char('=') + name);
        QCOMPARE(folderContents(), before);
        QCOMPARE(names(), all);
    }

    // The moves made ahead come to the report one by one in order, the last ones after a stop too; a move handed
    // over is made on the reporting thread, and none is made twice.
    void movesAheadAreReportedInOrder_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("handOverEvery"); // 0: none
        QTest::addColumn<int>("stopAt");        // the report that asks to stop, or -1
        QTest::newRow("none handed over") << 5000 << 0 << -1;
        QTest::newRow("every seventh handed over") << 2000 << 7 << -1;
        QTest::newRow("every one handed over") << 300 << 1 << -1;
        QTest::newRow("stopped") << 5000 << 0 << 40;
        QTest::newRow("stopped at a handed-over move") << 2000 << 10 << 30;
        QTest::newRow("stopped before a handed-over move") << 2000 << 10 << 29;
        QTest::newRow("shorter than a batch") << 5 << 2 << -1;
    }
    void movesAheadAreReportedInOrder() {
        QFETCH(int, count);
        QFETCH(int, handOverEvery);
        QFETCH(int, stopAt);
        std::vector<int> madeOn(static_cast<std::size_t>(count), 0); // 1: ahead, 2: on the reporting thread
        const std::thread::id reporting = std::this_thread::get_id();
        QList<qsizetype> reported;
        std::atomic<bool> wrongThread = false;
        const auto move = [&](qsizetype k, bool ahead) -> std::optional<qsizetype> {
            if (ahead && handOverEvery > 0 && k % handOverEvery == 0)
                return std::nullopt;
            if ((std::this_thread::get_id() == reporting) == ahead)
                wrongThread = true;
            madeOn[static_cast<std::size_t>(k)] += ahead ? 1 : 2;
            return k;
        };
        const auto report = [&](qsizetype k, qsizetype& made) {
            reported.append(made);
            if (k != made)
                return false;
            return k != stopAt;
        };
        MovesAhead<qsizetype>::run(count, true, move, report);
        QVERIFY(!wrongThread);
        qsizetype made = 0;
        for (qsizetype k = 0; k < count; ++k) {
            if (madeOn[static_cast<std::size_t>(k)] != 0)
                QCOMPARE(made++, k);
        }
        QCOMPARE(reported.size(), made);
        for (qsizetype k = 0; k < made; ++k)
            QCOMPARE(reported[k], k);
        QVERIFY(std::all_of(madeOn.begin(), madeOn.end(), [](int on) { return on <= 2; }));
        QVERIFY(made >= (stopAt < 0 ? count : stopAt + 1));
    }

    // A cycle that does not complete leaves every content in place, the waiting file under its temporary
    // name, and undo brings back the start: stopped in the middle, or the file that steps aside refused.
    void cyclesThatDoNotComplete_data() {
        QTest::addColumn<int>("stopAtFile");
        QTest::addColumn<QString>("refused"); // a file whose rename the system refuses
        QTest::addColumn<QStringList>("after");
        QTest::newRow("stopped after the temporary step")
            << 1 << QString() << QStringList{".tokrenu-cycle-1=a", "b=b", "c=c"};
        QTest::newRow("stopped in the middle") << 2 << QString() << QStringList{".tokrenu-cycle-1=a", "a=c", "b=b"};
        QTest::newRow("the temporary step fails") << 0 << "a" << QStringList{"a=a", "b=b", "c=c"};
        QTest::newRow("the last step fails")
            << 0 << ".tokrenu-cycle-1" << QStringList{".tokrenu-cycle-1=a", "a=c", "c=b"};
    }
    void cyclesThatDoNotComplete() {
        QFETCH(int, stopAtFile);
        QFETCH(QString, refused);
        QFETCH(QStringList, after);
        files({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        m_frontEnd->host.stopAtFile = stopAtFile;
        const QByteArray refusedPath = (m_root + refused).toUtf8();
        m_syscalls.fault = [&](const QString& call, const QByteArray& path) {
            return !refused.isEmpty() && call == QLatin1String("renameat2") && path == refusedPath ? EACCES : 0;
        };
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("mid(\"bca\",index,1)"));
        QCOMPARE(outcome.stopped, stopAtFile > 0);
        QCOMPARE(outcome.failedSteps > 0, !refused.isEmpty());
        QCOMPARE(folderContents(), after);
        m_syscalls.fault = nullptr;
        m_frontEnd->host.stopAtFile = 0;
        m_frontEnd->host.eventRounds = 0;
        QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
        QCOMPARE(folderContents(), QStringList({"a=a", "b=b", "c=c"}));
        QCOMPARE(names(), QStringList({"a", "b", "c"}));
    }

    // A chain that meets a file outside the plan is asked about as before; answered yes, nothing replaces
    // that file, and the files that wait for the names it holds stay as they are.
    void aChainThatMeetsAFileOutsideThePlan() {
        QVERIFY(TestFiles::write(m_root + QStringLiteral("c"), "c"));
        files({QStringLiteral("a"), QStringLiteral("b")});
        m_prompt.queueAnswer(PromptAnswer::Yes);
        const CommandOutcome outcome =
            command(RunMode::Run, QStringLiteral("replace(replace(name,\"b\",\"c\"),\"a\",\"b\")"));
        // The name in use, then the file that holds it; no is the answer that keeps it.
        QCOMPARE(m_prompt.shown().size(), 2);
        QCOMPARE(outcome.failedSteps, 2);
        QCOMPARE(folderContents(), QStringList({"a=a", "b=b", "c=c"}));
    }
    // Every step the run cannot make shows as failed in the test, and counts as a failure, so that a test
    // that reports none tells that the run can go through.
    void testShowsEveryStepTheRunCannotMake_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("line");
        QTest::newRow("a folder in the way") << "\"x\""
                                             << "folder x"
                                             << "移動：失敗しました。";
        QTest::newRow("the file is gone") << "\"x\""
                                          << "remove a"
                                          << "移動：失敗しました。";
        QTest::newRow("a name too long for any folder") << "string(256,\"x\")"
                                                        << ""
                                                        << "移動：失敗しました。";
        QTest::newRow("a creation time") << "name & setcreationtime(\"2000/01/01\")"
                                         << ""
                                         << "作成日時の変更：失敗しました。";
    }
    void testShowsEveryStepTheRunCannotMake() {
        QFETCH(QString, format);
        QFETCH(QString, setUp);
        QFETCH(QString, line);
        files({QStringLiteral("a")});
        if (setUp == QLatin1String("folder x"))
            QVERIFY(QDir(m_root).mkdir(QStringLiteral("x")));
        if (setUp == QLatin1String("remove a"))
            QVERIFY(QFile::remove(m_root + QStringLiteral("a")));
        m_prompt.queueAnswer(PromptAnswer::Yes); // go on although the name is in use
        const CommandOutcome outcome = command(RunMode::Test, format);
        QCOMPARE(outcome.failedSteps, 1);
        QVERIFY2(
            lastLog().contains(QStringLiteral("* ") + m_root + QStringLiteral("a\r\n") + line + QStringLiteral("\r\n")),
            qPrintable(lastLog()));
    }

    // A name no folder can hold is told before anything is touched, each row once; the run does not start.
    void namesTooLongAreToldBeforeTheRun() {
        files({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        const CommandOutcome outcome = command(
            RunMode::Run, QStringLiteral("replace(replace(name,\"a\",string(300,\"x\")),\"c\",string(90,\"あ\"))"));
        QVERIFY(outcome.refused);
        QCOMPARE(
            m_prompt.texts(),
            QStringList(
                {QStringLiteral("新しい名前が長すぎるファイルがあります（名前は 255 バイトまでです）。\r\n1 行目：") +
                     QString(64, u'x') + QStringLiteral("…\r\n3 行目：") + QString(64, u'あ') + QStringLiteral("…"),
                 QStringLiteral("作業を中止します。")}));
        QVERIFY(m_frontEnd->logs.isEmpty());
        QCOMPARE(names(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QVERIFY(exists(QStringLiteral("a")) && exists(QStringLiteral("b")) && exists(QStringLiteral("c")));
    }

    // A change counts as done only when the file reads back as asked: otherwise the old value is put back,
    // the step fails and the log says what the file system would have kept. A file system that keeps times
    // in steps of two seconds keeps a time within one step, and the log shows the time it kept.
    void changesCountAsTheFileReadsBack_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("storedOffset"); // seconds the file system moves a time by; 0: none
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("done");
        QTest::newRow("a year the file system cannot keep")
            << "a"
            << "name & setlastwritetime(\"9999/12/31\")" << -1
            << "更新日時の変更：失敗しました。(ファイルシステムには「2446/05/10 7:38:55」と記録されます)" << false;
        QTest::newRow("a coarse file system keeps the even second")
            << "a"
            << "name & setlastwritetime(\"2000/01/02 03:04:05\")" << 1 << "" << true;
        QTest::newRow("hidden cannot be taken from a dot name")
            << ".a"
            << "name & setattr(\"-h\")" << 0 << "属性の変更：失敗しました。(ファイルシステムには「H」と記録されます)"
            << false;
    }
    void changesCountAsTheFileReadsBack() {
        QFETCH(QString, file);
        QFETCH(QString, format);
        QFETCH(int, storedOffset);
        QFETCH(QString, line);
        QFETCH(bool, done);
        files({file});
        const QString path = m_root + file;
        const auto before = m_realFs.fileTime(path, FileTimeKind::LastWrite);
        const qint32 attributesBefore = m_realFs.attributes(path);
        // Past its last year, as ext4 keeps 9999-12-31.
        if (storedOffset < 0) {
            m_fs->storedTime = [](qint64 secs) {
                const qint64 last = QDateTime(QDate(2446, 5, 10), QTime(7, 38, 55)).toSecsSinceEpoch();
                return std::min(secs, last);
            };
        } else if (storedOffset > 0)
            m_fs->storedTime = [storedOffset](qint64 secs) {
                return secs - storedOffset;
            };
        const CommandOutcome outcome = command(RunMode::Run, format);
        QCOMPARE(outcome.failedSteps, done ? 0 : 1);
        const RenameEntry& entry = m_state->plan->entry(1);
        QCOMPARE(entry.doneSteps != 0, done);
        if (done) {
            QVERIFY2(lastLog().contains(QStringLiteral(" から 2000/01/02 3:04:04\r\n")), qPrintable(lastLog()));
            QCOMPARE(shown(0, FileColumn::LastWriteTime), QStringLiteral("2000/01/02 3:04:04"));
            return;
        }
        QVERIFY2(lastLog().contains(line + QStringLiteral("\r\n")), qPrintable(lastLog()));
        QCOMPARE(m_realFs.fileTime(path, FileTimeKind::LastWrite), before);
        QCOMPARE(m_realFs.attributes(path), attributesBefore);
    }

    // A file of the same name in the target folder is in use, although the names are equal; the file's own
    // place spelled otherwise is not, and copying onto it is copying onto itself.
    void placesNotSpellingsDecideTheChecks_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("question");
        QTest::newRow("a namesake in the target folder")
            << "target" << false << "すでに使用されている名前に変換されるファイルがあります。";
        QTest::newRow("the own folder through a link") << "link" << false << "";
        QTest::newRow("the own folder with a dot") << "." << false << "";
        QTest::newRow("copy onto itself through a link")
            << "link/" << true << "コピーする際送り側と受け側のファイルが同じになるものがあります。";
    }
    void placesNotSpellingsDecideTheChecks() {
        QFETCH(QString, target);
        QFETCH(bool, copy);
        QFETCH(QString, question);
        files({QStringLiteral("a")});
        QVERIFY(QFile::link(m_root, m_root + QStringLiteral("link")));
        TestFiles::write(m_root + QStringLiteral("target/a"), "namesake");
        m_options.moveToFolder = true;
        m_options.targetFolder = m_root + target;
        m_options.copy = copy;
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("name"));
        if (question.isEmpty()) {
            QCOMPARE(m_prompt.texts(), QStringList());
            QCOMPARE(outcome.failedSteps, 0);
            // Nothing moves: the file is where it is to go.
            QVERIFY2(!lastLog().contains(QStringLiteral("移動")), qPrintable(lastLog()));
        } else {
            QCOMPARE(m_prompt.texts(), QStringList({question + QStringLiteral("\r\n作業を続行しますか？"),
                                                    QStringLiteral("作業を中止します。")}));
        }
        QCOMPARE(content(QStringLiteral("a")), QByteArray("a"));
        QCOMPARE(content(QStringLiteral("target/a")), QByteArray("namesake"));
    }

    // Files moved into a folder spelled through a link go back where they were.
    void undoThroughALink() {
        files({QStringLiteral("a"), QStringLiteral("b")});
        QVERIFY(QDir(m_root).mkdir(QStringLiteral("dest")));
        QVERIFY(QFile::link(m_root + QStringLiteral("dest"), m_root + QStringLiteral("link")));
        m_options.moveToFolder = true;
        m_options.targetFolder = m_root + QStringLiteral("link/.");
        QCOMPARE(command(RunMode::Run, QStringLiteral("\"x\" & name")).failedSteps, 0);
        QCOMPARE(content(QStringLiteral("dest/xa")), QByteArray("a"));
        QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
        QCOMPARE(content(QStringLiteral("a")), QByteArray("a"));
        QCOMPARE(content(QStringLiteral("b")), QByteArray("b"));
        QVERIFY(QDir(m_root + QStringLiteral("dest")).isEmpty());
    }

    void destinationThatAppearsAfterTheCheckIsNotOverwritten() {
        files({QStringLiteral("a.txt")});
        RunState& state = *m_state;
        state.plan.emplace(std::vector<NameChange>{{QStringLiteral("b.txt"), 0, 0, 0, 0}}, 0);
        QVERIFY(completePaths(*state.plan, m_list->rows(), m_options, *m_fs, m_prompt));
        QCOMPARE(checkPlan(*state.plan, m_list->rows(), m_options, *m_fs, m_prompt), CheckVerdict::GoOn);
        TestFiles::write(m_root + QStringLiteral("b.txt"), "newcomer");
        m_prompt.queueAnswer(PromptAnswer::No);
        PlanExecutor executor(state, *m_list, *m_fs, *m_files, m_clock);
        state.mode = PlanMode::Run;
        QCOMPARE(executor.executePlanSteps(m_options, m_frontEnd->host).failedSteps, 1);
        QCOMPARE(content(QStringLiteral("b.txt")), QByteArray("newcomer"));
        QCOMPARE(content(QStringLiteral("a.txt")), QByteArray("a.txt"));
    }

    void copyModeShowsTheCopy() {
        files({QStringLiteral("a.txt")});
        QDir(m_root).mkdir(QStringLiteral("target"));
        m_options.copy = true;
        m_options.moveToFolder = true;
        m_options.targetFolder = m_root + QStringLiteral("target");
        command(RunMode::Run, QStringLiteral("name"));
        QCOMPARE(content(QStringLiteral("target/a.txt")), QByteArray("a.txt"));
        QCOMPARE(content(QStringLiteral("a.txt")), QByteArray("a.txt"));
        QCOMPARE(m_list->row(0).path, m_root + QStringLiteral("target/"));
        QVERIFY(lastLog().contains(QStringLiteral("コピー：") + m_root + QStringLiteral("target/a.txt")));
        // Undo deletes the copy and its row.
        command(RunMode::Undo, QString());
        QVERIFY(!exists(QStringLiteral("target/a.txt")));
        QVERIFY(exists(QStringLiteral("a.txt")));
        QCOMPARE(m_list->size(), 0);
        QVERIFY(lastLog().contains(QStringLiteral("削除：完了。")));
    }

    void bulkMode() {
        files({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
        m_options.multidestFiles = true;
        command(RunMode::Run, QStringLiteral("\"x\" & name"));
        QVERIFY(m_frontEnd->progressShown.isEmpty());
        QCOMPARE(content(QStringLiteral("xa.txt")), QByteArray("a.txt"));
        QCOMPARE(names(), QStringList({QStringLiteral("xa.txt"), QStringLiteral("xb.txt")}));
        QVERIFY(lastLog().contains(QStringLiteral("--- 一括リネーム開始 ---\r\n\r\n* ") + m_root +
                                   QStringLiteral("a.txt\r\n移動:") + m_root + QStringLiteral("xa.txt\r\n")));
        QVERIFY(lastLog().contains(QStringLiteral("\r\n\r\n--- 一括リネーム終了 ---\r\n")));
    }

    // a -> c, then b -> a once a is free: undoing in plan order would move c back onto a while b's file
    // is still there. Undo goes from the last entry back, so every move finds its old name free again.
    void undoOfAChainPutsEveryFileBack() {
        files({QStringLiteral("a"), QStringLiteral("b")});
        m_options.recycled = false;
        for (int i = 0; i < 6; ++i)
            m_prompt.queueAnswer(PromptAnswer::Yes);
        const CommandOutcome run =
            command(RunMode::Run, QStringLiteral("replace(replace(name,\"a\",\"c\"),\"b\",\"a\")"));
        QCOMPARE(run.failedSteps, 0);
        QCOMPARE(content(QStringLiteral("c")), QByteArray("a"));
        QCOMPARE(content(QStringLiteral("a")), QByteArray("b"));
        const CommandOutcome undo = command(RunMode::Undo, QString());
        QCOMPARE(undo.failedSteps, 0);
        QCOMPARE(content(QStringLiteral("a")), QByteArray("a"));
        QCOMPARE(content(QStringLiteral("b")), QByteArray("b"));
        QVERIFY(!exists(QStringLiteral("c")));
        QCOMPARE(names(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(lastLog(), kNow + QStringLiteral(" 元に戻す作業を開始します。\r\n\r\n\r\n* ") + m_root +
                                QStringLiteral("a\r\n名前を元に戻す：") + m_root + QStringLiteral("b\r\n\r\n* ") +
                                m_root + QStringLiteral("c\r\n名前を元に戻す：") + m_root + QStringLiteral("a\r\n") +
                                kNow + QStringLiteral(" 元に戻す作業は正常に完了しました。"));
    }

    void undoAfterARename() {
        files({QStringLiteral("a.txt")});
        QVERIFY(m_realFs.setAttributes(m_root + QStringLiteral("a.txt"), 32));
        command(RunMode::Run, QStringLiteral("\"b.txt\" & setattr(\"+h\")"));
        m_frontEnd->logs.clear();
        command(RunMode::Undo, QString());
        QCOMPARE(m_frontEnd->progressShown.constLast(), ProgressWork::Undo);
        QCOMPARE(content(QStringLiteral("a.txt")), QByteArray("a.txt"));
        QVERIFY(!exists(QStringLiteral("b.txt")));
        QCOMPARE(m_realFs.attributes(m_root + QStringLiteral("a.txt")), 32);
        QCOMPARE(names(), QStringList({QStringLiteral("a.txt")}));
        QCOMPARE(shown(0, FileColumn::Attribute), QStringLiteral("A"));
        QCOMPARE(m_frontEnd->logs[0].caption, QStringLiteral("Tokrenu－元に戻す"));
        QCOMPARE(lastLog(), kNow + QStringLiteral(" 元に戻す作業を開始します。\r\n\r\n\r\n* ") + m_root +
                                QStringLiteral("b.txt\r\n属性を元に戻す：A\r\n名前を元に戻す：") + m_root +
                                QStringLiteral("a.txt\r\n") + kNow +
                                QStringLiteral(" 元に戻す作業は正常に完了しました。"));
        // A second undo has nothing to do.
        command(RunMode::Undo, QString());
        QCOMPARE(m_prompt.texts().constLast(), QStringLiteral("元に戻せません。"));
        QCOMPARE(m_prompt.shown().constLast().icon, PromptIcon::Critical);
    }

    void undoIsRefusedAfterATest() {
        files({QStringLiteral("a.txt")});
        command(RunMode::Run, QStringLiteral("\"b.txt\""));
        command(RunMode::Test, QStringLiteral("\"c.txt\""));
        command(RunMode::Undo, QString());
        QCOMPARE(m_prompt.texts(), QStringList({QStringLiteral("元に戻せません。")}));
        QVERIFY(exists(QStringLiteral("b.txt")));
    }

    void stoppedUndoResumes() {
        files({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        command(RunMode::Run, QStringLiteral("\"x\" & name"));
        m_frontEnd->host.stopAtFile = 1;
        command(RunMode::Undo, QString());
        QCOMPARE(m_state->undoState, UndoState::UndoInterrupted);
        QVERIFY(lastLog().endsWith(QStringLiteral(" 元に戻す作業は中止されました。")));
        // Undo goes from the last file back.
        QVERIFY(exists(QStringLiteral("c")));
        QVERIFY(exists(QStringLiteral("xb")));
        // Cancel at the question leaves everything as it is.
        m_frontEnd->host.stopAtFile = 0;
        m_prompt.queueAnswer(PromptAnswer::Cancel);
        command(RunMode::Undo, QString());
        QCOMPARE(m_prompt.shown().constLast().text,
                 QStringLiteral("前回中断された元に戻す作業の続きを行います。\r\nよろしいですか？"));
        QCOMPARE(m_prompt.shown().constLast().defaultAnswer, PromptAnswer::Cancel);
        QCOMPARE(m_state->undoState, UndoState::UndoInterrupted);
        QVERIFY(exists(QStringLiteral("xb")));
        // OK finishes the rest; entries already undone are not logged again.
        m_prompt.queueAnswer(PromptAnswer::Ok);
        command(RunMode::Undo, QString());
        QVERIFY(exists(QStringLiteral("a")) && exists(QStringLiteral("b")));
        QVERIFY(!lastLog().contains(m_root + QStringLiteral("xc")));
        QCOMPARE(names(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    }

    void undoAfterAFailedBulkRunAsks() {
        files({QStringLiteral("a")});
        m_state->plan.emplace(std::vector<NameChange>{{QStringLiteral("b"), 0, 0, 0, 0}}, 0);
        m_state->undoState = UndoState::BulkRunFailed;
        m_prompt.queueAnswer(PromptAnswer::Cancel);
        command(RunMode::Undo, QString());
        QCOMPARE(m_prompt.texts(),
                 QStringList({QStringLiteral("正しく元に戻せないかもしれません。\r\nそれでも続けますか？")}));
    }

    // A bulk run that did not complete still records which files it did, so its undo only touches those:
    // here the copy onto a file outside the plan was declined, and undo must not delete that file.
    void undoAfterAFailedBulkRunTouchesOnlyWhatWasDone() {
        files({QStringLiteral("a"), QStringLiteral("b")});
        QVERIFY(TestFiles::write(m_root + QStringLiteral("xb"), "outside"));
        m_options.multidestFiles = true;
        m_options.copy = true;
        m_prompt.queueAnswer(PromptAnswer::Yes); // go on although a name is in use
        m_prompt.queueAnswer(PromptAnswer::No);  // but do not replace it
        const CommandOutcome run = command(RunMode::Run, QStringLiteral("\"x\" & name"));
        QVERIFY(run.failedSteps > 0);
        QCOMPARE(m_state->undoState, UndoState::BulkRunFailed);
        QCOMPARE(m_state->plan->entry(1).doneSteps, DoneStep::kCopied);
        QCOMPARE(m_state->plan->entry(2).doneSteps, 0);
        m_prompt.reset();
        m_prompt.queueAnswer(PromptAnswer::Ok);
        const CommandOutcome undo = command(RunMode::Undo, QString());
        QCOMPARE(undo.failedSteps, 0);
        QVERIFY(!exists(QStringLiteral("xa")));
        QCOMPARE(content(QStringLiteral("xb")), QByteArray("outside"));
        QCOMPARE(content(QStringLiteral("a")), QByteArray("a"));
        QCOMPARE(content(QStringLiteral("b")), QByteArray("b"));
    }

    // A bulk run that did not complete leaves the rows at the old paths; its undo must not take the row of
    // one file for another's (after 1 -> 0 and 2 -> 1, the row still named 1 is not the file now at 1).
    void undoAfterAFailedBulkRunKeepsTheRows() {
        files({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("x")});
        QVERIFY(TestFiles::write(m_root + QStringLiteral("y"), "outside"));
        m_options.multidestFiles = true;
        m_prompt.queueAnswer(PromptAnswer::Yes); // go on although names are in use
        m_prompt.queueAnswer(PromptAnswer::No);  // but do not replace y
        command(RunMode::Run, QStringLiteral("replace(replace(replace(name,\"1\",\"0\"),\"2\",\"1\"),\"x\",\"y\")"));
        QCOMPARE(m_state->undoState, UndoState::BulkRunFailed);
        QCOMPARE(names(), QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("x")}));
        m_prompt.reset();
        m_prompt.queueAnswer(PromptAnswer::Ok);
        QCOMPARE(command(RunMode::Undo, QString()).failedSteps, 0);
        QCOMPARE(content(QStringLiteral("1")), QByteArray("1"));
        QCOMPARE(content(QStringLiteral("2")), QByteArray("2"));
        QCOMPARE(content(QStringLiteral("y")), QByteArray("outside"));
        QCOMPARE(names(), QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("x")}));
    }

    // After a bulk call that did not complete, no attribute is set at a new name, which may hold another
    // file: here a -> b was refused, b keeps its name, and b must not become hidden in a's stead.
    void failedBulkRunChangesNoAttributes() {
        files({QStringLiteral("a"), QStringLiteral("b")});
        m_options.multidestFiles = true;
        m_prompt.queueAnswer(PromptAnswer::Yes); // go on although two files get one name
        m_prompt.queueAnswer(PromptAnswer::Yes);
        command(RunMode::Run, QStringLiteral("replace(name,\"a\",\"b\") & setattr(\"+h\")"));
        QCOMPARE(m_state->undoState, UndoState::BulkRunFailed);
        QCOMPARE(m_realFs.attributes(m_root + QStringLiteral("b")) & AttributeBits::kHidden, 0);
        QCOMPARE(m_realFs.attributes(m_root + QStringLiteral("a")) & AttributeBits::kHidden, 0);
        QCOMPARE(content(QStringLiteral("a")), QByteArray("a"));
        QCOMPARE(content(QStringLiteral("b")), QByteArray("b"));
    }

    void planChecks_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("question");
        QTest::newRow("no collision asks nothing") << QStringList{"a", "b"} << "\"x\"&name" << false << "";
        QTest::newRow("two files get one name") << QStringList{"a", "b"} << "\"x\"" << false
                                                << "同一の名前に変換されるファイルがあります。\r\n作業を続行しますか？";
        QTest::newRow("names differing in case are no duplicates")
            << QStringList{"a", "b"} << "replace(name,\"a\",\"B\")" << false << "";
        QTest::newRow("duplicates are asked about before names in use")
            << QStringList{"a", "b"} << "\"b\"&setattr(\"+a\")" << false
            << "同一の名前に変換されるファイルがあります。\r\n作業を続行しますか？";
        QTest::newRow("a name equal to the old one is not in use") << QStringList{"a"} << "name" << false << "";
        QTest::newRow("copy onto itself") << QStringList{"a"} << "name" << true
                                          << "コピーする際送り側と受け側のファイルが同じになるものがあります。\r\n"
                                             "作業を続行しますか？";
    }
    void planChecks() {
        QFETCH(QStringList, files);
        QFETCH(QString, format);
        QFETCH(bool, copy);
        QFETCH(QString, question);
        this->files(files);
        m_options.copy = copy;
        const CommandOutcome outcome = command(RunMode::Test, format);
        if (question.isEmpty()) {
            QCOMPARE(m_prompt.texts(), QStringList());
            QVERIFY(!outcome.refused);
            return;
        }
        QCOMPARE(m_prompt.texts(), QStringList({question, QStringLiteral("作業を中止します。")}));
        QCOMPARE(m_prompt.shown()[0].buttons, PromptButtons::YesNo);
        QCOMPARE(m_prompt.shown()[0].defaultAnswer, PromptAnswer::No);
        QCOMPARE(m_prompt.shown()[0].icon, PromptIcon::Exclamation);
        QCOMPARE(m_prompt.shown()[1].icon, PromptIcon::None);
        QVERIFY(outcome.refused);
    }

    void nameInUseOnDisk() {
        files({QStringLiteral("a")});
        TestFiles::write(m_root + QStringLiteral("other"), "other");
        command(RunMode::Test, QStringLiteral("\"other\""));
        QCOMPARE(m_prompt.texts(),
                 QStringList({QStringLiteral("すでに使用されている名前に変換されるファイルがあります。\r\n"
                                             "作業を続行しますか？"),
                              QStringLiteral("作業を中止します。")}));
    }

    void renumbering_data() {
        QTest::addColumn<QStringList>("newNames");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("three equal names")
            << QStringList{"a.txt", "a.txt", "a.txt"} << QStringList{"a_1.txt", "a_2.txt", "a_3.txt"};
        QTest::newRow("without an extension") << QStringList{"readme", "readme"} << QStringList{"readme_1", "readme_2"};
        QTest::newRow("an own name equal to a renumbered one stays")
            << QStringList{"x.jpg", "x.jpg", "x_1.jpg"} << QStringList{"x_1.jpg", "x_2.jpg", "x_1.jpg"};
        QTest::newRow("renumbered names meet later entries")
            << QStringList{"x.jpg", "x_2.jpg", "x.jpg"} << QStringList{"x_1.jpg", "x_2_1.jpg", "x_2_2.jpg"};
    }
    void renumbering() {
        QFETCH(QStringList, newNames);
        QFETCH(QStringList, expected);
        std::vector<NameChange> built;
        std::vector<FileRow> rows;
        for (int i = 0; i < newNames.size(); ++i) {
            built.push_back({newNames[i], 0, 0, 0, 0});
            rows.push_back({QStringLiteral("src%1").arg(i), QStringLiteral("/nowhere/"), {}});
        }
        RenamePlan plan(std::move(built), 0);
        m_options.renumberOnCollision = true;
        QVERIFY(completePaths(plan, rows, m_options, *m_fs, m_prompt));
        QCOMPARE(checkPlan(plan, rows, m_options, *m_fs, m_prompt), CheckVerdict::GoOn);
        QStringList result;
        for (const RenameEntry& entry : plan.entries())
            result.append(entry.destPath.mid(9));
        QCOMPARE(result, expected);
        QVERIFY(m_prompt.shown().isEmpty());
    }

    // A long plan is completed and checked whole, in both halves of the work: every entry gets its paths, and two
    // entries going to one place are found wherever the second stands.
    void longPlansAreCompletedAndCheckedWhole_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("sameAsFirst"); // the entry given the first one's new name, or -1
        QTest::newRow("short") << 10 << 9;
        QTest::newRow("long, nothing in common") << 9001 << -1;
        QTest::newRow("long, the last one") << 9001 << 9000;
        QTest::newRow("long, in the first half") << 9001 << 4499;
    }
    void longPlansAreCompletedAndCheckedWhole() {
        QFETCH(int, count);
        QFETCH(int, sameAsFirst);
        std::vector<NameChange> built;
        std::vector<FileRow> rows;
        for (int i = 0; i < count; ++i) {
            built.push_back({QStringLiteral("n%1").arg(i == sameAsFirst ? 0 : i), 0, 0, 0, 0});
            rows.push_back({QStringLiteral("src%1").arg(i), QStringLiteral("/nowhere/"), {}});
        }
        RenamePlan plan(std::move(built), 0);
        QVERIFY(completePaths(plan, rows, m_options, *m_fs, m_prompt));
        for (int i = 0; i < count; ++i) {
            const RenameEntry& entry = plan.entry(i + 1);
            QCOMPARE(entry.sourcePath, QStringLiteral("/nowhere/src%1").arg(i));
            QCOMPARE(entry.destPath, QStringLiteral("/nowhere/n%1").arg(i == sameAsFirst ? 0 : i));
        }
        QCOMPARE(checkPlan(plan, rows, m_options, *m_fs, m_prompt),
                 sameAsFirst < 0 ? CheckVerdict::GoOn : CheckVerdict::Abort);
        QCOMPARE(m_prompt.shown().size(), sameAsFirst < 0 ? 0 : 1);
    }

    void targetFolderMustBeChosen() {
        files({QStringLiteral("a")});
        m_options.moveToFolder = true;
        m_options.targetFolder = QStringLiteral("（なし）");
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("name"));
        QVERIFY(outcome.refused);
        QCOMPARE(m_prompt.texts(),
                 QStringList({QStringLiteral(
                     "移動先のフォルダが選ばれていません。\r\nフォルダを選んでから、もう一度実行してください。")}));
        QVERIFY(exists(QStringLiteral("a")));
    }

    void commandsWithoutRowsDoNothing() {
        command(RunMode::Undo, QString());
        command(RunMode::Run, QStringLiteral("name"));
        QVERIFY(m_prompt.shown().isEmpty());
        QVERIFY(m_frontEnd->logs.isEmpty());
    }

    void logAndClearOptions() {
        files({QStringLiteral("a")});
        m_options.showLog = false;
        m_options.clearAfterRename = true;
        command(RunMode::Run, QStringLiteral("\"b\""));
        QVERIFY(m_frontEnd->logs.isEmpty());
        QCOMPARE(m_list->size(), 0);
        // Nothing is listed, so undo does nothing.
        command(RunMode::Undo, QString());
        QVERIFY(exists(QStringLiteral("b")));
        QVERIFY(m_prompt.shown().isEmpty());
    }

    void failedBuildDiscardsTheUndoRecord() {
        files({QStringLiteral("a")});
        command(RunMode::Run, QStringLiteral("\"b\""));
        const CommandOutcome outcome = command(RunMode::Test, QStringLiteral("mid(fn)"));
        QVERIFY(outcome.buildFailed);
        command(RunMode::Undo, QString());
        QCOMPARE(m_prompt.texts().constLast(), QStringLiteral("元に戻せません。"));
    }
};

QTEST_GUILESS_MAIN(TestExecution)
#include "tst_execution.moc"
