#include "execution/RunCommands.h"
#include "execution/RunOptions.h"
#include "execution/RunState.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FixedClock.h"
#include "fakes/RecordingAddFeedback.h"
#include "fakes/RecordingFrontEnd.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"
#include "platform/linux/ShellFileSyscalls.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

namespace {

// Renames of the chosen sources fail as a folder without write permission makes them fail (the tests
// may run as root, who is never refused).
class RefusingSyscalls final : public ShellFileSyscalls {
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
    RunOptions m_options;

    void files(const QStringList& names) {
        for (const QString& name : names)
            QVERIFY(TestFiles::write(m_root + name, name.toUtf8()));
        RecordingAddFeedback feedback;
        FileAdder(*m_list, *m_fs, m_prompt).addPendingFiles({m_root, names}, {}, feedback);
    }

    CommandOutcome command(RunMode mode, const QString& format) {
        RunCommands commands(*m_state, *m_list, *m_fs, *m_files, m_prompt, m_clock, *m_frontEnd);
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
        m_list = std::make_unique<FileListModel>();
        m_state = std::make_unique<RunState>();
        m_frontEnd = std::make_unique<RecordingFrontEnd>(*m_state);
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
};

QTEST_GUILESS_MAIN(TestReliability)
#include "tst_reliability.moc"
