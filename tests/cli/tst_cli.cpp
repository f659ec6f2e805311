#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "cli/ConsolePrompt.h"
#include "fakes/TestFiles.h"
#include "platform/linux/ProcessSignals.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>

class TestCli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    struct Run {
        int exitCode;
        QString out;
        QString err;
    };

    // The trash and the journals stay with the test; a test may keep journals of its own in `stateHome`.
    QProcessEnvironment environment(const QString& stateHome = QString()) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral(".trash-home")));
        environment.insert(QStringLiteral("XDG_STATE_HOME"),
                           stateHome.isEmpty() ? m_dir.filePath(QStringLiteral(".state")) : stateHome);
        return environment;
    }

    Run run(const QStringList& arguments, const QString& folder = QString(), const QString& stateHome = QString()) {
        QProcess process;
        process.setWorkingDirectory(folder.isEmpty() ? m_dir.path() : folder);
        process.setProcessEnvironment(environment(stateHome));
        process.start(QStringLiteral(TOKRENU_CLI_PATH), arguments);
        process.waitForFinished(30000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QStringList filesIn(const QString& folder) const {
        QStringList found;
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            found.append(name + QLatin1Char('=') +
                         QString::fromUtf8(TestFiles::read(folder + QLatin1Char('/') + name)));
        return found;
    }

    // Leaves the journal of a run as a process that died would: without its end.
    static void cutOffTheEnd(const QString& journal) {
        QFile file(journal);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray bytes = file.readAll();
        QVERIFY(file.resize(bytes.lastIndexOf("RUN-END")));
    }

    // A folder of its own for a test, empty.
    QString freshFolder(const QString& name) {
        const QString folder = m_dir.filePath(QStringLiteral("cases/") + name);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        return folder;
    }

private Q_SLOTS:
    void initTestCase() {
        for (const char* name : {"b.txt", "a.txt", "c.jpg"})
            TestFiles::write(m_dir.filePath(QString::fromLatin1(name)));
        TestFiles::write(m_dir.filePath(QStringLiteral("sub dir/z.txt")));
    }

    // Text for the terminal: a log's CR LF ends a line, and every other control character shows as its picture,
    // wherever it stands.
    void textForTheTerminal_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "名前.txt"
                               << "名前.txt";
        QTest::newRow("log lines") << "* a\r\n移動：b\r\n"
                                   << "* a\n移動：b\n";
        QTest::newRow("a lone line feed") << "a\nb"
                                          << "a\u240Ab";
        QTest::newRow("a lone carriage return at the end") << "a\r"
                                                           << "a\u240D";
        QTest::newRow("a tab and a delete") << "\ta\x7f"
                                            << "\u2409a\u2421";
        QTest::newRow("carriage returns before a line feed") << "a\r\r\n"
                                                             << "a\u240D\n";
        // Long enough that plain bytes are passed over eight at a time: a CR LF across two words, a tab and a
        // delete inside words, non-ASCII bytes beside them, and a control character as the last byte.
        QTest::newRow("long lines")
            << "0123456789abcde\r\nfghijklmno\tpqrs名前uvw\x7fxyz0123456789ABCDEFGHIJKLMNOPQRS\x1b"
            << "0123456789abcde\nfghijklmno\u2409pqrs名前uvw\u2421xyz0123456789ABCDEFGHIJKLMNOPQRS\u241B";
        QTest::newRow("long log lines")
            << "\r\n* /var/tmp/files/photo_00001.jpg\r\n移動：/var/tmp/files/img_00001.jpg\r\n"
            << "\n* /var/tmp/files/photo_00001.jpg\n移動：/var/tmp/files/img_00001.jpg\n";
        QTest::newRow("a lone surrogate before a line end")
            << QStringLiteral("é") + QChar(0xD800) + "\r\nb" << QStringLiteral("é") + QChar(0xD800) + "\nb";
    }
    void textForTheTerminal() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(consoleText(text), shown.toUtf8());
    }

    // Questions answered on the terminal: one line each, however long; an empty line takes the default, the
    // end of the input answers no.
    void terminalAnswers() {
        std::FILE* in = std::tmpfile();
        std::FILE* err = std::tmpfile();
        QVERIFY(in != nullptr && err != nullptr);
        const QByteArray typed = "y\n" + QByteArray(100, 'y') + "\nn\n\n";
        std::fwrite(typed.constData(), 1, static_cast<size_t>(typed.size()), in);
        std::rewind(in);
        ConsolePrompt prompt(err, in, false);
        auto ask = [&prompt](PromptAnswer preset) {
            return prompt.message("置き換えますか？", "Tokrenu", PromptIcon::Question, PromptButtons::YesNo, preset);
        };
        QCOMPARE(ask(PromptAnswer::No), PromptAnswer::Yes);
        QCOMPARE(ask(PromptAnswer::No), PromptAnswer::Yes);
        QCOMPARE(ask(PromptAnswer::Yes), PromptAnswer::No);
        QCOMPARE(ask(PromptAnswer::Yes), PromptAnswer::Yes);
        QCOMPARE(ask(PromptAnswer::Yes), PromptAnswer::No);
        std::fclose(in);
        std::fclose(err);
    }

    void namesInListOrder_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");
        QTest::newRow("function style by default")
            << QStringList{"fn & \"_\" & index & \".\" & ex", "."} << "a_1.txt\nb_2.txt\nc_3.jpg\n";
        QTest::newRow("segment style when asked")
            << QStringList{"--no-always-function", "|f:|_|n,1,n+1:000|.|e:|", "b.txt", "a.txt"}
            << "b_001.txt\na_002.txt\n";
        QTest::newRow("a path with a space") << QStringList{"name", "sub dir/z.txt"} << "z.txt\n";
        QTest::newRow("keep unformatted off")
            << QStringList{"--no-always-function", "--convert-unformatted", "|f:|", "a.txt"} << "a\n";
        QTest::newRow("blank format prints nothing") << QStringList{"  ", "a.txt"} << "";
        QTest::newRow("nor with its states") << QStringList{"--status", "  ", "a.txt"} << "";
        QTest::newRow("after -- a format may start with dashes") << QStringList{"--", "\"--\"&fn", "a.txt"} << "--a\n";
    }
    void namesInListOrder() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        const Run result = run(arguments);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out, out);
        QCOMPARE(result.exitCode, 0);
    }

    // Names are printed only when every row has one; otherwise the reason goes to standard error and nothing to
    // standard output, where a script would take a part for the whole.
    void messagesGoToStandardError_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("err");
        QTest::newRow("a format that does not build")
            << QStringList{"mid(fn)", "a.txt"} << "書式ｴﾗｰ: mid\n\n省略できない引数が指定されていません。\n";
        QTest::newRow("characters a name cannot hold") << QStringList{"--reject-invalid-chars", "\"a:\"&fn", "a.txt"}
                                                       << "Tokrenuｴﾗｰ: ファイル名に使えない文字が使われます。\n";
        QTest::newRow("a later row that cannot be named")
            << QStringList{"mid(fn, 2-index)", "a.txt", "b.txt"} << "Error-Tokrenu: Error 5\n";
        QTest::newRow("a name too long for any folder")
            << QStringList{"string(300 * (index - 1), \"x\") & fn", "a.txt", "b.txt"}
            << "Tokrenu: 新しい名前が長すぎるファイルがあります（名前は 255 バイトまでです）。\n2 行目：xxx";
    }
    void messagesGoToStandardError() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, err);
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.startsWith(err), qPrintable(result.err));
    }

    // Options come before the format; every argument after it is a path, so that files named like options
    // turn nothing into a run.
    void argumentsAfterTheFormatArePaths() {
        const QString folder = freshFolder(QStringLiteral("options"));
        for (const char* name : {"--run", "--yes", "--no-recycle", "report.txt"})
            TestFiles::write(folder + QLatin1Char('/') + QLatin1String(name), "new");
        TestFiles::write(folder + QStringLiteral("/archive/report.txt"), "old");
        const Run result =
            run({"--move-to", "archive", "name", "--no-recycle", "--run", "--yes", "report.txt"}, folder);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringLiteral("--no-recycle\n--run\n--yes\nreport.txt\n"));
        QCOMPARE(TestFiles::read(folder + QStringLiteral("/archive/report.txt")), QByteArray("old"));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/report.txt")));
        QVERIFY(cliUsage().contains(QStringLiteral("Every argument after FORMAT is a PATH")));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("two actions") << QStringList{"--run", "--test", "fn", "a.txt"}
                                     << "only one of --names, --test, --run, --undo, --history and --help may be given";
        QTest::newRow("an unknown option") << QStringList{"--bogus", "fn", "a.txt"} << "unknown option: --bogus";
        QTest::newRow("a folder without a name")
            << QStringList{"--move-to=", "fn", "a.txt"} << "--move-to needs a folder";
        QTest::newRow("no path") << QStringList{"fn"} << "missing PATH";
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run result = run(arguments);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err, "tokrenu-cli: " + message + "\nTry 'tokrenu-cli --help'.\n");
    }

    // A path that cannot be used stops everything before a file is touched, each one named with its reason.
    void unusablePathsStopEverything() {
        const QString folder = freshFolder(QStringLiteral("paths"));
        TestFiles::write(folder + QStringLiteral("/a.txt"), "a");
        QDir(folder).mkdir(QStringLiteral("locked"));
        QFile::setPermissions(folder + QStringLiteral("/locked"), QFileDevice::WriteOwner);
        const bool root = geteuid() == 0; // root reads every folder
        const Run result = run({"--run", "--yes", "\"x\"&name", "a.txt", "missing", "", "locked"}, folder);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QString expected = "tokrenu-cli: cannot use 'missing': No such file or directory\n"
                           "tokrenu-cli: cannot use '': No such file or directory\n";
        if (!root)
            expected += "tokrenu-cli: cannot use 'locked': Permission denied\n";
        QCOMPARE(result.err, expected);
        QCOMPARE(TestFiles::read(folder + QStringLiteral("/a.txt")), QByteArray("a"));

        // Bytes that are not UTF-8 cannot name a file of the list.
        QProcess shell;
        shell.setWorkingDirectory(folder);
        shell.start(QStringLiteral("/bin/sh"),
                    {"-c", "exec \"$0\" --run name \"$(printf 'a\\377.txt')\" a.txt", TOKRENU_CLI_PATH});
        QVERIFY(shell.waitForFinished(30000));
        QCOMPARE(shell.exitCode(), 2);
        QCOMPARE(QString::fromUtf8(shell.readAllStandardError()), "tokrenu-cli: not valid UTF-8: 'a\\xFF.txt'\n");
    }

    // Output that cannot be written is an error, told on standard error; the work done stays done.
    void outputThatCannotBeWritten() {
        QProcess full;
        full.setWorkingDirectory(m_dir.path());
        full.setStandardOutputFile(QStringLiteral("/dev/full"));
        full.start(QStringLiteral(TOKRENU_CLI_PATH), {"name", "a.txt"});
        QVERIFY(full.waitForFinished(30000));
        QCOMPARE(full.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(full.readAllStandardError()),
                 "tokrenu-cli: error writing standard output: " + qt_error_string(ENOSPC) + "\n");

        // A pipe whose reader has gone.
        ignoreBrokenPipe();
        int ends[2];
        QCOMPARE(pipe(ends), 0);
        close(ends[0]);
        std::FILE* out = fdopen(ends[1], "w");
        std::FILE* err = std::tmpfile();
        const int status = runCli({"name", "a.txt"}, m_dir.path(), out, err);
        std::fclose(out);
        QCOMPARE(status, 1);
        std::rewind(err);
        char line[200] = {};
        QVERIFY(std::fgets(line, sizeof line, err) != nullptr);
        QCOMPARE(QString::fromUtf8(line),
                 "tokrenu-cli: error writing standard output: " + qt_error_string(EPIPE) + "\n");
        std::fclose(err);
    }

    void namesAsTheRunMakesThem_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");
        QTest::newRow("after renumbering")
            << QStringList{"--renumber", "\"x.txt\"", "a.txt", "b.txt"} << "x_1.txt\nx_2.txt\n";
        QTest::newRow("the help's segment-style example")
            << QStringList{"--no-always-function", "|f:|_|n,1,n+1:000|.|e:|", "a.txt", "b.txt"}
            << "a_001.txt\nb_002.txt\n";
        QTest::newRow("the help's function-style example")
            << QStringList{"fn & \"_\" & format(index,\"000\") & \".\" & ex", "a.txt"} << "a_001.txt\n";
    }
    void namesAsTheRunMakesThem() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        const Run result = run(arguments);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out, out);
        QCOMPARE(result.exitCode, 0);
    }

    // --status prints the preview of the window: a state, a tab, the new name and, where it fails, the reason.
    void namesWithTheirStates() {
        const QString folder = freshFolder(QStringLiteral("status"));
        for (const char* name : {"a", "b", "outside"})
            TestFiles::write(folder + u'/' + QLatin1String(name));
        const Run fine = run({"--status", "replace(replace(name,\"b\",\"c\"),\"a\",\"b\")", "a", "b"}, folder);
        QCOMPARE(fine.out, QStringLiteral("renamed\tb\nrenamed\tc\n"));
        QCOMPARE(fine.exitCode, 0);
        const Run failing = run({"--status", "\"outside\"", "a", "b"}, folder);
        QCOMPARE(failing.out, QStringLiteral("duplicate\toutside\t2 行目と同じ名前になります。\n"
                                             "duplicate\toutside\t1 行目と同じ名前になります。\n"));
        QCOMPARE(failing.exitCode, 1);
        const Run unchanged = run({"--status", "name", "a"}, folder);
        QCOMPARE(unchanged.out, QStringLiteral("unchanged\ta\n"));
    }

    // Exit statuses tell the truth: 0 when every step went (or, for a test, can go) through, 1 when a step
    // failed (or will), 3 when the work was refused. Questions without a terminal get the safe No unless
    // --yes answers them.
    void exitStatusesOfTestsAndRuns_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("after"); // name=content of every file afterwards
        QTest::addColumn<QString>("err");       // a line standard error must hold
        const QStringList ab{"a", "b"};
        const QString chain = "replace(replace(name,\"b\",\"c\"),\"a\",\"b\")"; // a -> b, b -> c
        QTest::newRow("a test that can go through")
            << ab << QStringList{"--test", "\"x\"&name", "a", "b"} << 0 << QStringList{"a=a", "b=b"} << "";
        QTest::newRow("a test with a folder in the way")
            << QStringList{"a", "x/"} << QStringList{"--test", "--yes", "\"x\"", "a"} << 1 << QStringList{"a=a"} << "";
        QTest::newRow("a test with a creation time")
            << ab << QStringList{"--test", "name&setcreationtime(\"2000/1/1\")", "a"} << 1 << QStringList{"a=a", "b=b"}
            << "";
        QTest::newRow("a test of a chain")
            << ab << QStringList{"--test", chain, "a", "b"} << 0 << QStringList{"a=a", "b=b"} << "";
        QTest::newRow("a run") << ab << QStringList{"--run", "\"x\"&name", "a", "b"} << 0 << QStringList{"xa=a", "xb=b"}
                               << "";
        QTest::newRow("a name in use without --yes")
            << ab << QStringList{"--run", "\"b\"", "a"} << 3 << QStringList{"a=a", "b=b"} << "(answered no)";
        QTest::newRow("a name in use with --yes")
            << ab << QStringList{"--run", "--yes", "\"b\"", "a"} << 0 << QStringList{"b=a"} << "(answered yes)";
        QTest::newRow("a run of a chain, without a question")
            << ab << QStringList{"--run", chain, "a", "b"} << 0 << QStringList{"b=a", "c=b"} << "";
        QTest::newRow("a run of which a move fails")
            << QStringList{"a", "x/"} << QStringList{"--run", "--yes", "\"x\"", "a"} << 1 << QStringList{"a=a"} << "";
        QTest::newRow("a bulk run of which a move fails")
            << QStringList{"a", "b", "xa/"} << QStringList{"--run", "--yes", "--multidest", "\"x\" & name", "a", "b"}
            << 1 << QStringList{"a=a", "xb=b"} << "tokrenu-cli: not moved: %1/a";
    }
    void exitStatusesOfTestsAndRuns() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, after);
        QFETCH(QString, err);
        const QString folder = freshFolder(QString::fromLatin1(QTest::currentDataTag()));
        for (const QString& name : std::as_const(files)) {
            if (name.endsWith(QLatin1Char('/')))
                QDir(folder).mkpath(name);
            else
                TestFiles::write(folder + QLatin1Char('/') + name, name.toUtf8());
        }
        const Run result = run(arguments, folder);
        QVERIFY2(result.err.contains(err.arg(folder)), qPrintable(result.err));
        QCOMPARE(result.exitCode, exitCode);
        // A run that was refused has no log; every other prints one.
        QCOMPARE(result.out.startsWith(QStringLiteral("---")), exitCode != 3);
        QStringList found;
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            found.append(name + QLatin1Char('=') +
                         QString::fromUtf8(TestFiles::read(folder + QLatin1Char('/') + name)));
        QCOMPARE(found, after);
    }

    // A log longer than one piece of output comes out whole: every line once, in order, without a CR.
    void aLongLogIsPrintedWhole() {
        const QString folder = freshFolder(QStringLiteral("long log"));
        QStringList expected;
        for (int i = 0; i < 1500; ++i) {
            const QString name = QStringLiteral("a-file-with-a-long-name-%1.txt").arg(i, 4, 10, QLatin1Char('0'));
            TestFiles::write(folder + QLatin1Char('/') + name, QByteArray());
            expected.append(QStringLiteral("移動：") + folder + QStringLiteral("/x") + name);
        }
        const Run result = run({QStringLiteral("--run"), QStringLiteral("\"x\"&name"), folder});
        QCOMPARE(result.exitCode, 0);
        QStringList moved;
        for (const QString& line : result.out.split(QLatin1Char('\n'))) {
            if (line.startsWith(QStringLiteral("移動：")))
                moved.append(line);
        }
        QCOMPARE(moved, expected);
        QVERIFY(result.out.endsWith(QStringLiteral(" ---\n")));
        QVERIFY(!result.out.contains(QLatin1Char('\r')));
    }

    // SIGINT, SIGTERM and SIGHUP stop a run after the file in hand: its log is printed and it exits with 3. A
    // second signal ends it at once. Either way no half-written copy is left and every file is there once.
    void stopSignals_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("twice");
        QTest::addColumn<bool>("bulk");
        QTest::newRow("SIGINT") << SIGINT << false << false;
        QTest::newRow("SIGTERM") << SIGTERM << false << false;
        QTest::newRow("SIGHUP") << SIGHUP << false << false;
        QTest::newRow("a second SIGTERM") << SIGTERM << true << false;
        QTest::newRow("SIGINT in one call for all files") << SIGINT << false << true;
    }
    void stopSignals() {
        QFETCH(int, signal);
        QFETCH(bool, twice);
        QFETCH(bool, bulk);
        // Copies onto another file system take long enough to be caught in the middle.
        QTemporaryDir target(QStringLiteral("/dev/shm/tokrenu-cli-test-XXXXXX"));
        if (!target.isValid())
            QSKIP("no /dev/shm");
        const QString folder = freshFolder(QString::fromLatin1(QTest::currentDataTag()));
        QStringList arguments{"--run", "--move-to", target.path(), "name"};
        if (bulk)
            arguments.prepend(QStringLiteral("--multidest"));
        const QByteArray content(48 << 20, 'x');
        for (int i = 0; i < 6; ++i) {
            TestFiles::write(folder + QStringLiteral("/f%1").arg(i), content);
            arguments.append(QStringLiteral("f%1").arg(i));
        }
        QProcess process;
        process.setWorkingDirectory(folder);
        process.setProcessEnvironment(environment(folder + QStringLiteral("-state")));
        process.start(QStringLiteral(TOKRENU_CLI_PATH), arguments);
        QVERIFY(process.waitForStarted());
        // The moment a copy is being written.
        QElapsedTimer waited;
        waited.start();
        while (
            QDir(target.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".tokrenu-")).isEmpty() &&
            waited.elapsed() < 20000)
            QThread::usleep(200);
        kill(static_cast<pid_t>(process.processId()), signal);
        // Signals of one kind that arrive together count once: the second is sent until it has been taken.
        while (twice && !process.waitForFinished(2))
            kill(static_cast<pid_t>(process.processId()), signal);
        QVERIFY(process.state() == QProcess::NotRunning || process.waitForFinished(60000));
        if (twice) {
            QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        } else {
            QCOMPARE(process.exitCode(), 3);
            QVERIFY(QString::fromUtf8(process.readAllStandardOutput())
                        .endsWith(QStringLiteral(" 作業は中止されました。 ---\n")));
        }
        QStringList left = QDir(target.path()).entryList(QDir::Files | QDir::Hidden);
        int moved = static_cast<int>(left.size());
        QVERIFY2(left.filter(QStringLiteral(".tokrenu-")).isEmpty(), qPrintable(left.join(u' ')));
        QVERIFY(moved < 6);
        QCOMPARE(QDir(folder).entryList(QDir::Files).size() + moved, 6);
    }

    // Each command is a process of its own: undo reads the run from the journal, and the same run is not undone
    // twice.
    void undoInANewProcess() {
        const QString folder = freshFolder(QStringLiteral("undo"));
        const QString state = folder + QStringLiteral("-state");
        for (const char* name : {"a", "b"})
            TestFiles::write(folder + QLatin1Char('/') + QLatin1String(name), name);
        QCOMPARE(run({"--run", "\"x\" & name", "."}, folder, state).exitCode, 0);
        QCOMPARE(filesIn(folder), QStringList({"xa=a", "xb=b"}));
        const Run undo = run({"--undo"}, folder, state);
        QCOMPARE(undo.err, QString());
        QCOMPARE(undo.exitCode, 0);
        QVERIFY2(undo.out.contains(QStringLiteral("名前を元に戻す：") + folder + QStringLiteral("/a\n")),
                 qPrintable(undo.out));
        QVERIFY(undo.out.endsWith(QStringLiteral(" 元に戻す作業は正常に完了しました。\n")));
        QCOMPARE(filesIn(folder), QStringList({"a=a", "b=b"}));
        const Run again = run({"--undo", "1"}, folder, state);
        QCOMPARE(again.exitCode, 3);
        QCOMPARE(again.err, QStringLiteral("Tokrenu: 元に戻せません。\n"));
        QCOMPARE(run({"--undo"}, folder, state).exitCode, 3);
    }

    // --history lists every run kept; --undo RUN undoes the one named, the others stay as they are.
    void historyAndUndoOfOneRun() {
        const QString folder = freshFolder(QStringLiteral("history"));
        const QString state = folder + QStringLiteral("-state");
        for (const char* name : {"a", "b"})
            TestFiles::write(folder + QLatin1Char('/') + QLatin1String(name), name);
        QVERIFY(QDir(folder).mkdir(QStringLiteral("sub")));
        QCOMPARE(run({"--run", "\"x\" & name", "a"}, folder, state).exitCode, 0);
        QCOMPARE(run({"--run", "--move-to", "sub", "\"y\" & name", "b"}, folder, state).exitCode, 0);
        QCOMPARE(run({"--undo", "1"}, folder, state).exitCode, 0);
        QCOMPARE(filesIn(folder), QStringList({"a=a"}));
        QCOMPARE(filesIn(folder + QStringLiteral("/sub")), QStringList({"yb=b"}));
        const Run history = run({"--history"}, folder, state);
        QCOMPARE(history.exitCode, 0);
        const QStringList lines = history.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0],
                 QStringLiteral("RUN  STARTED              FILES  OPERATION  STATE          UNDO              WHERE"));
        const QRegularExpression row(QStringLiteral(
            "^  (\\d)  \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d      1  move       done           (.{16})  (.*)$"));
        const QRegularExpressionMatch first = row.match(lines[1]);
        const QRegularExpressionMatch second = row.match(lines[2]);
        QVERIFY2(first.hasMatch() && second.hasMatch(), qPrintable(history.out));
        QCOMPARE(first.captured(2).trimmed(), QStringLiteral("undone"));
        QCOMPARE(first.captured(3), folder + QLatin1Char('/'));
        QCOMPARE(second.captured(2).trimmed(), QStringLiteral("not undone"));
        QCOMPARE(second.captured(3), folder + QStringLiteral("/ -> ") + folder + QStringLiteral("/sub/"));
        QCOMPARE(run({"--history"}, folder, folder + QStringLiteral("-none")).out,
                 QStringLiteral("No runs are kept in ") + folder + QStringLiteral("-none/Tokrenu/journal.\n"));
    }

    void undoUsageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("err");
        QTest::newRow("a run that is no number") << QStringList{"--undo", "last"}
                                                 << "tokrenu-cli: RUN must be the number of a run, as --history shows "
                                                    "it: last\nTry 'tokrenu-cli --help'.\n";
        QTest::newRow("undo with a format")
            << QStringList{"--undo", "1", "fn"}
            << "tokrenu-cli: --undo takes no FORMAT or PATH\nTry 'tokrenu-cli --help'.\n";
        QTest::newRow("history with a path")
            << QStringList{"--history", "a"}
            << "tokrenu-cli: --history takes no FORMAT or PATH\nTry 'tokrenu-cli --help'.\n";
        QTest::newRow("undo and run")
            << QStringList{"--undo=2", "--run", "fn", "a"}
            << "tokrenu-cli: only one of --names, --test, --run, --undo, --history and --help "
               "may be given\nTry 'tokrenu-cli --help'.\n";
        QTest::newRow("a run that is not kept")
            << QStringList{"--undo", "99"} << "tokrenu-cli: no run 99 is kept in %1\n";
    }
    void undoUsageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, err);
        const QString state = freshFolder(QStringLiteral("usage-state"));
        const Run result = run(arguments, QString(), state);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err, err.arg(state + QStringLiteral("/Tokrenu/journal")));
    }

    // A run whose process died is found by the next --run (or --undo) and asked about once, on standard error
    // and answered as any question is; that run then works on the files as the answer left them.
    void anInterruptedRunIsAskedAboutOnce_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("answered yes") << true;
        QTest::newRow("answered no") << false;
    }
    void anInterruptedRunIsAskedAboutOnce() {
        QFETCH(bool, yes);
        const QString folder = freshFolder(QString::fromLatin1(QTest::currentDataTag()));
        const QString state = folder + QStringLiteral("-state");
        for (const char* name : {"a", "b", "c"})
            TestFiles::write(folder + QLatin1Char('/') + QLatin1String(name), name);
        QCOMPARE(run({"--run", "\"x\" & name", "a", "b"}, folder, state).exitCode, 0);
        cutOffTheEnd(state + QStringLiteral("/Tokrenu/journal/run-00000001.journal"));
        QStringList next{"--run", "\"y\" & name", folder};
        if (yes)
            next.prepend(QStringLiteral("--yes"));
        const Run asked = run(next, folder, state);
        QCOMPARE(asked.exitCode, 0);
        QVERIFY2(asked.err.startsWith(QStringLiteral("Tokrenu: 前回の作業（")), qPrintable(asked.err));
        QVERIFY(asked.err.contains(
            QStringLiteral("は、終わる前に中断されました。\n変更された 2 個のファイルを元に戻しますか？\n")));
        QVERIFY(asked.err.endsWith(yes ? QStringLiteral("(answered yes)\n") : QStringLiteral("(answered no)\n")));
        QCOMPARE(filesIn(folder),
                 yes ? QStringList({"ya=a", "yb=b", "yc=c"}) : QStringList({"yc=c", "yxa=a", "yxb=b"}));
        const Run later = run({"--run", "name", folder}, folder, state);
        QCOMPARE(later.err, QString());
        const Run history = run({"--history"}, folder, state);
        QVERIFY2(history.out.contains(yes ? QStringLiteral("interrupted    undone")
                                          : QStringLiteral("interrupted    kept as it is")),
                 qPrintable(history.out));
    }

    // Files that settling an interrupted run puts back in another folder are not among the next run's files.
    void filesPutBackElsewhereAreNotRenamed() {
        const QString folder = freshFolder(QStringLiteral("put-back-elsewhere"));
        const QString state = folder + QStringLiteral("-state");
        for (const char* name : {"src/a", "src/b", "dst/c"})
            TestFiles::write(folder + QLatin1Char('/') + QLatin1String(name), QByteArray(name).right(1));
        QCOMPARE(run({"--run", "--move-to", "dst", "name", "src/a", "src/b"}, folder, state).exitCode, 0);
        cutOffTheEnd(state + QStringLiteral("/Tokrenu/journal/run-00000001.journal"));

        QCOMPARE(run({"--yes", "--run", "\"y\" & name", "dst"}, folder, state).exitCode, 0);
        QCOMPARE(filesIn(folder + QStringLiteral("/src")), QStringList({"a=a", "b=b"}));
        QCOMPARE(filesIn(folder + QStringLiteral("/dst")), QStringList({"yc=c"}));
    }

    // A journal that does not check out is told of, and nothing moves.
    void aDamagedJournalMovesNothing() {
        const QString folder = freshFolder(QStringLiteral("damaged"));
        const QString state = folder + QStringLiteral("-state");
        TestFiles::write(folder + QStringLiteral("/a"), "a");
        QCOMPARE(run({"--run", "\"x\"", "a"}, folder, state).exitCode, 0);
        const QString journal = state + QStringLiteral("/Tokrenu/journal/run-00000001.journal");
        QByteArray bytes = TestFiles::read(journal);
        bytes.replace("\ta\tx\t", "\ta\ty\t");
        QVERIFY(TestFiles::write(journal, bytes));
        const Run undo = run({"--undo"}, folder, state);
        QCOMPARE(undo.exitCode, 1);
        QCOMPARE(undo.err, QStringLiteral("Tokrenu: 作業の記録が壊れているため、元に戻せません。\n") + journal +
                               QStringLiteral(": 3 行目が壊れています。\n"));
        QCOMPARE(filesIn(folder), QStringList({"x=a"}));
        QVERIFY(run({"--history"}, folder, state).out.contains(QStringLiteral("  damaged  ")));
    }

    void wrongUsage() {
        QCOMPARE(run({}).exitCode, 2);
        QCOMPARE(run({QStringLiteral("fn")}).exitCode, 2);
        const Run unknown = run({QStringLiteral("--bogus"), QStringLiteral("fn"), QStringLiteral("a.txt")});
        QCOMPARE(unknown.exitCode, 2);
        QVERIFY(unknown.err.contains(QStringLiteral("--bogus")));
        const Run help = run({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("Usage: tokrenu-cli")));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
