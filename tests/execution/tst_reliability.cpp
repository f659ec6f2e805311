#include "execution/RunCommands.h"
#include "execution/RunOptions.h"
#include "execution/RunState.h"
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
#include "platform/FileTimes.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"
#include "platform/linux/ShellFileSyscalls.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

namespace {

// Renames of the chosen sources fail as a folder without write permission makes them fail (the tests
// may run as root, who is never refused).
class RefusingSyscalls final : public PathRenameSyscalls {
public:
    QSet<QByteArray> refusedSources;
    int refusal = EACCES;

    int renameat2(const char* from, const char* to, unsigned int flags) override {
        if (refusedSources.contains(QByteArray(from))) {
            errno = refusal;
            return -1;
        }
        return ShellFileSyscalls::renameat2(from, to, flags);
    }
};

} // namespace

// What is on disk, in the log and in the undo records after partial failures.
class TestReliability : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    LinuxFileSystem m_realFs;
    std::unique_ptr<FaultyFileSystem> m_fs;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    ScriptedPrompt m_prompt;
    RefusingSyscalls m_syscalls;
    std::unique_ptr<LinuxShellFileOperation> m_files;
    std::unique_ptr<FileListModel> m_list;
    std::unique_ptr<RunState> m_state;
    std::unique_ptr<RecordingFrontEnd> m_frontEnd;
    std::unique_ptr<TemporaryJournal> m_journal;
    RunOptions m_options;

    void files(const QStringList& names) {
        for (const QString& name : names)
            QVERIFY(TestFiles::write(m_root + name, name.toUtf8()));
        RecordingHost feedback;
        FileAdder(*m_list, *m_fs, m_prompt).addPendingFiles({m_root, names}, {}, feedback);
    }

    CommandOutcome command(RunMode mode, const QString& format) {
        RunCommands commands(*m_state, *m_list, *m_fs, *m_files, m_prompt, m_clock, *m_frontEnd, m_journal->store);
        return commands.runCommand(mode, format, m_options);
    }

    QString lastLog() const { return m_frontEnd->logs.constLast().text; }
    QByteArray content(const QString& name) const { return TestFiles::read(m_root + name); }

private Q_SLOTS:
    void initTestCase() { TestFiles::useTimeZone("Asia/Tokyo"); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path() + QLatin1Char('/');
        QDir().mkpath(m_root + QStringLiteral(".trash-home"));
        qputenv("XDG_DATA_HOME", (m_root + QStringLiteral(".trash-home")).toUtf8());
        m_fs = std::make_unique<FaultyFileSystem>(m_realFs);
        m_syscalls.refusedSources.clear();
        m_files = std::make_unique<LinuxShellFileOperation>(m_prompt, &m_syscalls);
        m_list = std::make_unique<FileListModel>(*m_fs);
        m_state = std::make_unique<RunState>();
        m_frontEnd = std::make_unique<RecordingFrontEnd>();
        m_journal = std::make_unique<TemporaryJournal>();
        m_options = RunOptions();
        m_options.noErrorUi = true;
        m_prompt.reset();
    }

    void oneMoveOfTenRefused() {
        QStringList names;
        for (int i = 0; i < 10; ++i)
            names.append(QStringLiteral("f%1").arg(i));
        files(names);
        m_syscalls.refusedSources.insert((m_root + QStringLiteral("f4")).toUtf8());
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("\"n\" & name"));
        QCOMPARE(outcome.failedSteps, 1);
        for (int i = 0; i < 10; ++i) {
            const QString kept = (i == 4 ? QStringLiteral("f%1") : QStringLiteral("nf%1")).arg(i);
            QCOMPARE(content(kept), QStringLiteral("f%1").arg(i).toUtf8());
            QCOMPARE(m_list->row(i).name, kept);
        }
        QVERIFY(lastLog().contains(QStringLiteral("* ") + m_root + QStringLiteral("f4\r\n移動：失敗しました。\r\n")));
        QVERIFY(m_prompt.shown().isEmpty()); // no error boxes were asked for

        // Undo brings back the nine that moved and passes over the one that did not.
        m_frontEnd->logs.clear();
        command(RunMode::Undo, QString());
        for (int i = 0; i < 10; ++i)
            QCOMPARE(content(QStringLiteral("f%1").arg(i)), QStringLiteral("f%1").arg(i).toUtf8());
        QVERIFY(!lastLog().contains(m_root + QStringLiteral("nf4")));
        QVERIFY(!lastLog().contains(QStringLiteral("* ") + m_root + QStringLiteral("f4")));
    }

    void permissionDeniedShowsTheFailure() {
        files({QStringLiteral("a")});
        m_options.noErrorUi = false;
        m_syscalls.refusedSources.insert((m_root + QStringLiteral("a")).toUtf8());
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("\"b\""));
        QCOMPARE(outcome.failedSteps, 1);
        QCOMPARE(m_prompt.shown().size(), 1);
        QCOMPARE(m_prompt.shown()[0].icon, PromptIcon::Critical);
        QVERIFY(m_prompt.shown()[0].text.contains(QString::fromLocal8Bit(strerror(EACCES))));
        QCOMPARE(content(QStringLiteral("a")), QByteArray("a"));
        QCOMPARE(m_state->plan->entry(1).doneSteps, 0);
    }

    void timeChangeFailsAfterTheAttributesWereSet() {
        files({QStringLiteral("a")});
        m_fs->refuseTimes.insert(m_root + QStringLiteral("b"));
        const CommandOutcome outcome =
            command(RunMode::Run, QStringLiteral("\"b\" & setattr(\"+r\") & setlastwritetime(\"2000/01/01\")"));
        QCOMPARE(outcome.failedSteps, 1);
        QVERIFY(lastLog().contains(QStringLiteral("属性の変更： から R\r\n更新日時の変更：失敗しました。\r\n")));
        const RenameEntry& entry = m_state->plan->entry(1);
        QCOMPARE(entry.doneSteps, DoneStep::kMoved | DoneStep::kAttributes);
        QCOMPARE(entry.lastWriteTime, 36526.0); // still what was asked for
        QCOMPARE(m_realFs.attributes(m_root + QStringLiteral("b")), 1);

        // Undo gives the attributes back, leaves the time alone and moves the file back.
        m_frontEnd->logs.clear();
        command(RunMode::Undo, QString());
        QCOMPARE(m_realFs.attributes(m_root + QStringLiteral("a")), 0);
        QCOMPARE(content(QStringLiteral("a")), QByteArray("a"));
        QVERIFY(!lastLog().contains(QStringLiteral("更新日時を元に戻す")));
    }

    void undoThatFailsToMoveBackSaysWhere() {
        files({QStringLiteral("a")});
        command(RunMode::Run, QStringLiteral("\"b\""));
        m_syscalls.refusedSources.insert((m_root + QStringLiteral("b")).toUtf8());
        m_frontEnd->logs.clear();
        command(RunMode::Undo, QString());
        QVERIFY(lastLog().contains(QStringLiteral("名前を元に戻す：失敗しました。(") + m_root + QStringLiteral("a)")));
        QCOMPARE(content(QStringLiteral("b")), QByteArray("a"));
        QCOMPARE(m_state->plan->entry(1).doneSteps, DoneStep::kMoved); // kept for a later try
    }

    void crossDeviceMoveKeepsTheContent() {
        files({QStringLiteral("a")});
        m_syscalls.refusedSources.insert((m_root + QStringLiteral("a")).toUtf8());
        m_syscalls.refusal = EXDEV;
        const CommandOutcome outcome = command(RunMode::Run, QStringLiteral("\"b\""));
        m_syscalls.refusal = EACCES;
        QCOMPARE(outcome.failedSteps, 0);
        QCOMPARE(content(QStringLiteral("b")), QByteArray("a"));
        QVERIFY(!QFileInfo::exists(m_root + QStringLiteral("a")));
        QCOMPARE(QDir(m_root).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("b")}));
    }

    // Random small folders, formats, options and answers, with stops and refused moves. Whatever happens,
    // every file's content is still there and nothing of the plan went to the trash; and an undo that goes
    // through, also after it was stopped once and started again, brings back exactly the folder there was.
    void randomRunsLoseNothingAndUndoRestoresAll() {
        QRandomGenerator random(20261208);
        const QStringList pool = {"a.txt", "A.txt", "b.txt",    "a (2).txt", "a_1.txt", "1",         "2",     "3",
                                  "x",     "ä.txt", "c.tar.gz", ".dot",      "d e.txt", "sub/a.txt", "sub/1", "sub/x"};
        const QStringList formats = {"lcase(name)",
                                     "ucase(name)",
                                     "\"x\"",
                                     "\"a.txt\"",
                                     "fn & \".\" & ex",
                                     "replace(name,\"a\",\"b\")",
                                     "replace(replace(replace(name,\"3\",\"4\"),\"2\",\"3\"),\"1\",\"2\")",
                                     "replace(replace(name,\"2\",\"1\"),\"1\",\"2\")",
                                     "replace(replace(replace(name,\"1\",\"0\"),\"2\",\"1\"),\"3\",\"2\")",
                                     "left(name,1)",
                                     "\"n\" & name",
                                     "mid(name,2)",
                                     "name & setattr(\"+h\")",
                                     "strconv(name,1)",
                                     "name & setlastwritetime(\"2001/02/03 04:05:06\")",
                                     "\"r_\" & name & setattr(\"+r\")",
                                     "name & setattr(\"+r\") & setlastaccesstime(\"2002/03/04\")",
                                     "\"c_\" & name & setcreationtime(\"2003/01/01 00:00:00\")"};
        int undone = 0;
        for (int round = 0; round < 400; ++round) {
            init();
            QStringList names;
            for (const QString& name : pool) {
                if (random.bounded(3) == 0)
                    names.append(name);
            }
            if (names.isEmpty())
                names.append(pool.at(random.bounded(pool.size())));
            files(names);
            std::sort(names.begin(), names.end());
            // What undo must bring back besides the names: attributes and last-write times.
            QHash<QString, qint32> attributesBefore;
            QHash<QString, double> writtenBefore;
            for (const QString& name : std::as_const(names)) {
                attributesBefore.insert(name, m_realFs.attributes(m_root + name));
                writtenBefore.insert(name, getFileTimeAsDate(m_realFs, m_root + name, FileTimeKind::LastWrite));
            }
            const QString format = formats.at(random.bounded(formats.size()));
            m_options.recycled = random.bounded(2) == 0;
            m_options.multidestFiles = random.bounded(4) == 0;
            m_options.copy = random.bounded(5) == 0;
            m_options.renumberOnCollision = random.bounded(3) == 0;
            m_options.noConfirmation = random.bounded(4) == 0;
            for (int i = 0; i < 12; ++i)
                m_prompt.queueAnswer(random.bounded(3) == 0 ? PromptAnswer::No : PromptAnswer::Yes);
            if (random.bounded(4) == 0)
                m_syscalls.refusedSources.insert((m_root + names.at(random.bounded(names.size()))).toUtf8());
            m_frontEnd->host.stopAtFile = random.bounded(3) == 0 ? 1 + random.bounded(names.size()) : 0;
            // Into a folder of its own, on this disk (made by the run or not) or on another file system.
            std::unique_ptr<QTemporaryDir> otherDisk;
            m_options.moveToFolder = random.bounded(4) == 0;
            if (m_options.moveToFolder) {
                if (random.bounded(2) == 0 && QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
                    otherDisk = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/tokrenu-XXXXXX"));
                    m_options.targetFolder = otherDisk->path();
                } else {
                    // The subfolder may hold files of the plan itself.
                    const QString folder = random.bounded(3) == 0 ? QStringLiteral("sub") : QStringLiteral("target");
                    m_options.targetFolder = m_root + folder;
                    if (random.bounded(2) == 0)
                        QDir(m_root).mkdir(folder);
                }
            }
            auto filesNow = [this] {
                QStringList tops{m_root};
                if (m_options.moveToFolder && !m_options.targetFolder.startsWith(m_root))
                    tops.append(m_options.targetFolder);
                QStringList found;
                for (const QString& top : std::as_const(tops)) {
                    QDirIterator it(top, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
                    while (it.hasNext()) {
                        const QString path = it.next();
                        if (!path.contains(QStringLiteral("/.trash-home/")))
                            found.append(path);
                    }
                }
                return found;
            };
            const bool tested = random.bounded(5) == 0;
            const QString what =
                QStringLiteral("round %1: %2 on %3%4")
                    .arg(round)
                    .arg(format, names.join(u'|'),
                         m_options.moveToFolder ? QStringLiteral(" into ") + m_options.targetFolder : QString());

            // Tested first and then started from the log or not, or run at once; the list may be cleared after.
            m_frontEnd->pressStart = random.bounded(4) != 0;
            m_frontEnd->list = m_list.get();
            m_options.clearAfterRename = random.bounded(6) == 0;
            command(tested ? RunMode::Test : RunMode::Run, format);

            QByteArrayList contents;
            for (const QString& path : filesNow())
                contents.append(TestFiles::read(path));
            for (const QString& name : std::as_const(names))
                QVERIFY2(contents.contains(name.toUtf8()), qPrintable(what));
            QVERIFY2(QDir(m_root + QStringLiteral(".trash-home/Trash/files")).isEmpty(), qPrintable(what));

            // Each move or copy the log reports is on disk: the file at its destination is the one it names.
            if (!m_frontEnd->logs.isEmpty() &&
                m_frontEnd->logs.constLast().caption == QStringLiteral("Tokrenu－ログ")) {
                QString source;
                for (const QString& line : m_frontEnd->logs.constLast().text.split(QStringLiteral("\r\n"))) {
                    if (line.startsWith(QStringLiteral("* /"))) {
                        source = line.mid(2);
                        continue;
                    }
                    const qsizetype colon = line.indexOf(QRegularExpression(QStringLiteral("^(移動|コピー)[：:]")));
                    if (source.isEmpty() || colon != 0 || line.endsWith(QStringLiteral("失敗しました。")))
                        continue;
                    const QString dest = line.mid(line.indexOf(QLatin1Char('/')));
                    QVERIFY2(TestFiles::read(dest) == source.mid(m_root.size()).toUtf8(),
                             qPrintable(what + QStringLiteral(": ") + source + QStringLiteral(" -> ") + dest));
                    source.clear();
                }
            }

            // The rows show where the files are, unless a bulk run could not tell.
            if (m_state->undoState != UndoState::BulkRunFailed) {
                for (const FileRow& row : m_list->rows())
                    QVERIFY2(QFileInfo::exists(row.fullPath()),
                             qPrintable(what + QStringLiteral(": row ") + row.fullPath()));
            }

            m_syscalls.refusedSources.clear();
            // An undo needs the list; a list cleared after the run leaves nothing to undo.
            if (m_list->size() == 0)
                continue;
            if (m_state->undoState != UndoState::Nothing) {
                m_prompt.reset();
                // After a failed bulk run the undo first warns that it may not put everything back.
                if (m_state->undoState == UndoState::BulkRunFailed)
                    m_prompt.queueAnswer(PromptAnswer::Ok);
                for (int i = 0; i < 12; ++i)
                    m_prompt.queueAnswer(PromptAnswer::Yes);
                m_frontEnd->host.stopAtFile = random.bounded(3) == 0 ? 1 + random.bounded(names.size()) : 0;
                CommandOutcome outcome = command(RunMode::Undo, QString());
                if (outcome.stopped) {
                    // Going on with an interrupted undo is asked first.
                    m_prompt.reset();
                    m_prompt.queueAnswer(PromptAnswer::Ok);
                    m_frontEnd->host.stopAtFile = 0;
                    outcome = command(RunMode::Undo, QString());
                }
                QVERIFY2(!outcome.stopped && outcome.failedSteps == 0, qPrintable(what));
                ++undone;
            }
            QStringList after = filesNow();
            for (QString& path : after)
                path = path.mid(m_root.size());
            std::sort(after.begin(), after.end());
            QVERIFY2(after == names, qPrintable(what + QStringLiteral(" left ") + after.join(u'|')));
            for (const QString& name : std::as_const(names))
                QVERIFY2(content(name) == name.toUtf8(), qPrintable(what));
            for (const QString& name : std::as_const(names)) {
                QVERIFY2(m_realFs.attributes(m_root + name) == attributesBefore.value(name), qPrintable(what + name));
                QVERIFY2(getFileTimeAsDate(m_realFs, m_root + name, FileTimeKind::LastWrite) ==
                             writtenBefore.value(name),
                         qPrintable(what + name));
            }
            // Every row is back at its old name; the rows of deleted copies are gone.
            QStringList rows;
            for (const FileRow& row : m_list->rows())
                rows.append(row.fullPath().mid(m_root.size()));
            std::sort(rows.begin(), rows.end());
            if (!m_options.copy)
                QVERIFY2(rows == names, qPrintable(what + QStringLiteral(" rows ") + rows.join(u'|')));
            for (const QString& row : std::as_const(rows))
                QVERIFY2(names.contains(row), qPrintable(what + QStringLiteral(" row ") + row));
        }
        QVERIFY(undone > 150);
    }
};

QTEST_GUILESS_MAIN(TestReliability)
#include "tst_reliability.moc"
