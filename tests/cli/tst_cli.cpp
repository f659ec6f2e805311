#include "cli/ConsolePrompt.h"
#include "fakes/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

class TestCli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    struct Run {
        int exitCode;
        QString out;
        QString err;
    };

    Run run(const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(TOKRENU_CLI_PATH), arguments);
        process.waitForFinished(30000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

private Q_SLOTS:
    void initTestCase() {
        for (const char* name : {"b.txt", "a.txt", "c.jpg"})
            TestFiles::write(m_dir.filePath(QString::fromLatin1(name)));
        TestFiles::write(m_dir.filePath(QStringLiteral("sub dir/z.txt")));
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

    void messagesGoToStandardError() {
        const Run result = run({QStringLiteral("mid(fn)"), QStringLiteral("a.txt")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QString());
        QCOMPARE(result.err, QStringLiteral("書式ｴﾗｰ: mid\n\n省略できない引数が指定されていません。\n"));
        const Run rejected =
            run({QStringLiteral("--reject-invalid-chars"), QStringLiteral("\"a:\"&fn"), QStringLiteral("a.txt")});
        QCOMPARE(rejected.exitCode, 1);
        QVERIFY(rejected.err.startsWith(QStringLiteral("Tokrenuｴﾗｰ: ファイル名に使えない文字が使われます。\n")));
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
