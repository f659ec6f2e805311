#include "../../fuzz/FuzzBuildHarness.h"
#include "fakes/ScriptedPrompt.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QString kTooLong = QStringLiteral("書式が長すぎます。");
const QString kOutOfMemory = QStringLiteral("Error 7\r\nメモリが不足しています。");
const QString kOverflow = QStringLiteral("Error 6\r\nオーバーフローしました。");

// '6' lets a format without quotes take the segment style, '7' forces the function style; both
// delete invalid characters and keep unformatted values.
QByteArray segmentStyle(const QString& format) {
    return QByteArray("6") + format.toUtf8();
}

QByteArray functionStyle(const QString& format) {
    return QByteArray("7") + format.toUtf8();
}

} // namespace

class TestFuzzRegressions : public QObject {
    Q_OBJECT

private:
    FuzzBuildHarness m_harness;
    ScriptedPrompt m_prompt;

    BuildResult build(const QByteArray& input) {
        m_prompt.clear();
        return m_harness.run(reinterpret_cast<const std::uint8_t*>(input.constData()),
                             static_cast<std::size_t>(input.size()), m_prompt);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_harness.ready()); }

    void storedInputs_data() {
        QTest::addColumn<QString>("path");
        const QDir folder(QStringLiteral(TOKRENU_FUZZ_REGRESSIONS));
        const QStringList files = folder.entryList(QDir::Files, QDir::Name);
        QVERIFY2(!files.isEmpty(), "no stored inputs");
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << folder.filePath(file);
    }
    // Whatever a stored input holds, the build ends: built, blank, or stopped after saying why.
    void storedInputs() {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray input = file.readAll();
        const BuildResult result = build(input);
        QVERIFY(m_harness.keepsPromises(result));
        switch (result.status) {
        case BuildStatus::Built:
            QVERIFY(m_prompt.texts().isEmpty());
            break;
        case BuildStatus::Blank:
            QVERIFY(FuzzBuildHarness::formatFromBytes(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                                      static_cast<std::size_t>(input.size()))
                        .trimmed()
                        .isEmpty());
            break;
        case BuildStatus::Failed:
            QVERIFY(!m_prompt.texts().isEmpty());
            QVERIFY(!m_prompt.texts().contains(QString()));
            break;
        }
    }

    void hostileFormats_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message"); // empty: built without a word
        QTest::addColumn<QString>("firstName");

        QTest::newRow("10,000 nested parentheses")
            << functionStyle(QString(10000, u'(') + "1" + QString(10000, u')')) << QString() << "1";
        QTest::newRow("3,000 nested calls")
            << functionStyle("left(" + QString("left(").repeated(2999) + "fn" + QString(",9)").repeated(3000))
            << QString() << "photo";
        QTest::newRow("nesting past the longest working text")
            << functionStyle(QString(20000, u'(') + QString(20000, u')')) << kTooLong << QString();
        QTest::newRow("30,000 open parentheses")
            << functionStyle(QString(30000, u'(')) << "かっこがあいません。" << QString();
        QTest::newRow("30,000-character literal")
            << functionStyle("\"" + QString(30000, u'a') + "\"") << QString() << QString(30000, u'a');
        QTest::newRow("10,000 variables") << functionStyle(QString("fn&").repeated(10000) + "ex") << QString()
                                          << QString("photo").repeated(10000) + "jpg";
        QTest::newRow("4,000 literals") << functionStyle(QString("\"a\"&").repeated(4000) + "fn") << QString()
                                        << QString(4000, u'a') + "photo";
        QTest::newRow("8,000 literals make the working text too long")
            << functionStyle(QString("\"a\"&").repeated(8000)) << kTooLong << QString();
        QTest::newRow("more literals than records")
            << functionStyle(QString("\"\"&").repeated(33000)) << kTooLong << QString();
        QTest::newRow("30,000-letter segment picture")
            << segmentStyle("|m:" + QString(30000, u'y') + "|") << QString() << QString("2024").repeated(7500);
        QTest::newRow("carriage returns go like blanks") << functionStyle("fn\r&\rex") << QString() << "photojpg";

        QTest::newRow("segment counter past the range of a double")
            << segmentStyle("|n,1E+300,n*1E+300:0|") << "1E+300*1e+300\r\n\r\nError No. 6\r\nオーバーフローしました。"
            << QString();
        QTest::newRow("hex counter past 32 bits")
            << segmentStyle("|hex:n,2147483647,n+1|") << "2147483648\r\n\r\nError No. 6\r\nオーバーフローしました。"
            << QString();
        QTest::newRow("number() past the range of a double")
            << functionStyle("number(\"n\",\"1E+308\",\"n*10\")")
            << "1E+308*10\r\n\r\nError No. 6\r\nオーバーフローしました。" << QString();

        QTest::newRow("string() of two billion")
            << functionStyle("string(2000000000,\"a\")") << kOutOfMemory << QString();
        QTest::newRow("name past a million characters")
            << functionStyle("string(1048576,\"a\")&string(1048576,\"a\")") << kOutOfMemory << QString();
        QTest::newRow("1,500 strings of a million held at once")
            << functionStyle(QString("string(1e6,\"a\")&").repeated(1500) + "fn") << kOutOfMemory << QString();
        QTest::newRow("mid() from the last position keeps the name")
            << functionStyle("mid(fn,2147483647,2147483647)") << QString() << "photo.jpg";
        QTest::newRow("mid() length past 32 bits") << functionStyle("mid(fn,1,99999999999)") << kOverflow << QString();
        QTest::newRow("date picture of a million letters")
            << functionStyle("len(format(now,string(1e6,\"y\")))") << QString() << "1000000";
        QTest::newRow("a million general dates")
            << functionStyle("format(1,string(1e6,\"c\"))") << kOutOfMemory << QString();
        QTest::newRow("needle that almost matches a million letters")
            << functionStyle("instr(1,string(999999,\"a\"),string(99999,\"a\")&\"b\",1)") << QString() << "0";
    }
    void hostileFormats() {
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        QFETCH(QString, firstName);
        const BuildResult result = build(input);
        if (message.isEmpty()) {
            QCOMPARE(m_prompt.texts(), QStringList());
            QCOMPARE(result.status, BuildStatus::Built);
            // A name no folder can hold is kept only as far as a message shows it.
            const bool tooLong = firstName.size() > 255;
            QCOMPARE(result.rows.front().nameTooLong, tooLong);
            QCOMPARE(result.rows.front().destName, tooLong ? firstName.left(64) + u'\u2026' : firstName);
        } else {
            QCOMPARE(m_prompt.texts(), QStringList{message});
            QCOMPARE(result.status, BuildStatus::Failed);
        }
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzzregressions.moc"
