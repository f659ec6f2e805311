#include "expression/FormatFrontEnd.h"
#include "expression/FormatStyleBuilder.h"
#include "expression/FormatValue.h"
#include "fakes/FixedClock.h"
#include "fakes/ListedRows.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/FileRow.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kInvalidLine = QStringLiteral("（\\、/、:、*、?、\"、<、>、|）");

FileRow row(const QString& name) {
    return readRow(name, QStringLiteral("/d/"), 0, QStringLiteral("2024/01/31 9:05:07"));
}

} // namespace

class TestFormatStyle : public QObject {
    Q_OBJECT

private:
    LinuxFileSystem m_fs;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(13, 45, 10))};
    ScriptedPrompt m_prompt;

    BuildResult build(const QString& format, const std::vector<FileRow>& rows, BuildOptions options = {}) {
        m_prompt.clear();
        options.alwaysFunction = false;
        return buildPlanFormatStyle(format, {rows, options, m_prompt, m_clock, m_fs});
    }

    static QStringList names(const BuildResult& result) {
        QStringList all;
        for (const NameChange& change : result.rows)
            all.append(change.destName);
        return all;
    }

private Q_SLOTS:
    void styleChoice() {
        QCOMPARE(chooseStyle(QStringLiteral("|f:|"), false), FormatStyle::Format);
        QCOMPARE(chooseStyle(QStringLiteral("|f:|"), true), FormatStyle::Function);
        QCOMPARE(chooseStyle(QStringLiteral("a\"b"), false), FormatStyle::Function);
        QVERIFY(isBlankFormat(QStringLiteral("   ")));
    }

    void finishName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("deleteInvalid");
        QTest::addColumn<QString>("finished");
        QTest::newRow("trailing full stops and blanks go") << "a.txt. . " << true << "a.txt";
        QTest::newRow("abc. . becomes abc") << "abc. ." << false << "abc";
        QTest::newRow("invalid characters are deleted") << "a:b" << true << "ab";
        QTest::newRow("runs of them too") << "a::b" << true << "ab";
        QTest::newRow("deleting can leave a trailing full stop") << "a.:" << true << "a.";
        QTest::newRow("every one of the nine") << "a\\/:*?\"<>|b" << true << "ab";
        QTest::newRow("an empty name stays empty") << "" << false << "";
        QTest::newRow("control characters are deleted like them")
            << QStringLiteral("a\nb\x1b[31mc\x7f\td") << true << "ab[31mcd";
    }
    void finishName() {
        QFETCH(QString, name);
        QFETCH(bool, deleteInvalid);
        QFETCH(QString, finished);
        ScriptedPrompt prompt;
        QCOMPARE(::finishName(name, FormatStyle::Format, deleteInvalid, prompt), std::optional<QString>(finished));
        QVERIFY(prompt.shown().isEmpty());
    }

    void refusedNamesSayWhyByStyle() {
        ScriptedPrompt prompt;
        QCOMPARE(::finishName(QStringLiteral("a:b. "), FormatStyle::Format, false, prompt), std::nullopt);
        QCOMPARE(::finishName(QStringLiteral("a:b"), FormatStyle::Function, false, prompt), std::nullopt);
        QCOMPARE(prompt.texts(),
                 QStringList({"a:b\r\nファイル名に使えない文字が使われます。\r\n" + kInvalidLine,
                              "ファイル名に使えない文字が使われます。\r\n" + kInvalidLine + "\r\n\r\na:b"}));
        QCOMPARE(prompt.shown().at(0).title, QStringLiteral("Tokrenuｴﾗｰ"));
        QCOMPARE(prompt.shown().at(0).icon, PromptIcon::Critical);

        // A control character is refused too, and the message shows it as its picture, never as it is.
        prompt.clear();
        QCOMPARE(::finishName(QStringLiteral("a\nb\x1b"), FormatStyle::Format, false, prompt), std::nullopt);
        QCOMPARE(prompt.texts(),
                 QStringList({QStringLiteral("a\u240ab\u241b\r\nファイル名に使えない文字が使われます。\r\n"
                                             "（\\、/、:、*、?、\"、<、>、|、制御文字）")}));
    }

    // A name longer than a folder entry may be (255 bytes of UTF-8) is marked, and only its start is kept.
    void namesTooLongForAFolder_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tooLong");
        QTest::newRow("255 ASCII bytes fit") << QString(255, u'a') << false;
        QTest::newRow("256 do not") << QString(256, u'a') << true;
        QTest::newRow("85 three-byte letters fit") << QString(85, u'あ') << false;
        QTest::newRow("86 do not") << QString(86, u'あ') << true;
        QTest::newRow("63 four-byte letters fit") << QString::fromUtf16(u"😀").repeated(63) << false;
        QTest::newRow("64 do not") << QString::fromUtf16(u"😀").repeated(64) << true;
        QTest::newRow("a hundred thousand letters") << QString(100000, u'a') << true;
    }
    void namesTooLongForAFolder() {
        QFETCH(QString, name);
        QFETCH(bool, tooLong);
        const BuildResult result = build(QStringLiteral("|f:|"), {row(name + QStringLiteral(".txt"))});
        QCOMPARE(result.status, BuildStatus::Built);
        const NameChange& change = result.rows.front();
        QCOMPARE(change.nameTooLong, tooLong);
        if (!tooLong) {
            QCOMPARE(change.destName, name);
            return;
        }
        QVERIFY(change.destName.size() <= 65);
        QVERIFY(name.startsWith(change.destName.chopped(1)));
        QVERIFY(change.destName.endsWith(u'\u2026'));
        // Only the start is held, not the memory of the whole name.
        QVERIFY(change.destName.capacity() < 256);
        QVERIFY(!change.destName.chopped(1).back().isHighSurrogate());
    }

    void functionTextPreparation_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("literals");
        QTest::newRow("doubled quotes inside a literal") << "\"a\"\"b\" & fn"
                                                         << "\r00001&fn" << QStringList{"a\"b"};
        QTest::newRow("a literal of one quote mark") << "\"\"\"a\"\"\""
                                                     << "\r00001" << QStringList{"\"a\""};
        QTest::newRow("literals keep blanks and case, names do not") << "\"A B\"&FN"
                                                                     << "\r00001&fn" << QStringList{"A B"};
        QTest::newRow("blanks go outside literals") << " left ( fn , 3 ) "
                                                    << "left(fn,3)" << QStringList{};
        QTest::newRow("bar segment of a name part") << "|f:yyyy|"
                                                    << "format(filename,\r00001)" << QStringList{"yyyy"};
        QTest::newRow("every property prefix")
            << "|e:|&|S:#|&|m:d|&|n:|"
            << "format(extention,\r00001)&format(size,\r00002)&format(lastwritetime,\r00003)&format(now,\r00004)"
            << QStringList{"", "#", "d", ""};
        QTest::newRow("sequence segment keeps its expression")
            << "|\"a\",1,\"a+1\":000|"
            << "format(number(\r00001,1,\r00002),\r00003)" << QStringList{"a", "a+1", "000"};
        QTest::newRow("a bar inside a literal is plain text") << "\"|\"&fn"
                                                              << "\r00001&fn" << QStringList{"|"};
        QTest::newRow("a quoted pattern in a bar means its text")
            << "|f:\"YYYY\"|"
            << "format(filename,\r00002)" << QStringList{"YYYY", "YYYY"};
        QTest::newRow("the pattern is lower-cased") << "|f:YYYY MM|"
                                                    << "format(filename,\r00001)" << QStringList{"yyyymm"};
    }
    void functionTextPreparation() {
        QFETCH(QString, format);
        QFETCH(QString, text);
        QFETCH(QStringList, literals);
        ScriptedPrompt prompt;
        const auto prepared = prepareFunctionText(format, prompt);
        QVERIFY(prepared.has_value());
        QCOMPARE(prepared->text, text);
        QCOMPARE(prepared->literals, literals);
    }

    void functionTextRefusals_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("message");
        QTest::newRow("unclosed literal") << "\"x"
                                          << "ダブルコーテーション(\")の数が合いません。";
        QTest::newRow("one bar") << "fn & |f:0"
                                 << "バー(|)の数が合いません。";
        QTest::newRow("segment without a colon") << "|n,1,n+1|"
                                                 << "n,1,n+1\r\n書式が間違っています。";
        QTest::newRow("too long once prepared") << QString(40000, QLatin1Char('a')) << "書式が長すぎます。";
        QTest::newRow("too many literals") << QStringLiteral("\"\"&").repeated(32767) << "書式が長すぎます。";
    }
    void functionTextRefusals() {
        QFETCH(QString, format);
        QFETCH(QString, message);
        ScriptedPrompt prompt;
        QCOMPARE(prepareFunctionText(format, prompt), std::nullopt);
        QCOMPARE(prompt.texts(), QStringList({message}));
        QCOMPARE(prompt.shown().at(0).title, QStringLiteral("書式ｴﾗｰ"));
    }

    void formatValueAdditions_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QString>("result");
        QTest::newRow("? keeps the last characters") << "abcdef"
                                                     << "?@@@" << true << "def";
        QTest::newRow("?! keeps the first characters") << "abcdef"
                                                       << "?!@@@" << true << "abc";
        QTest::newRow("* deletes the facing character from the end") << "abcde"
                                                                     << "&&*&&" << true << "abde";
        QTest::newRow("!* deletes from the start") << "abcd"
                                                   << "!&*&" << true << "acd";
        QTest::newRow("empty pattern keeps the text") << "0012"
                                                      << "" << true << "0012";
        QTest::newRow("without keeping, numbers lose zeros") << "0012"
                                                             << "" << false << "12";
    }
    void formatValueAdditions() {
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        QFETCH(bool, keep);
        QFETCH(QString, result);
        QCOMPARE(formatValue(FormatArgument::fromText(value), pattern, keep), result);
    }

    void formatValueOnNumbers() {
        QCOMPARE(formatValue(FormatArgument::fromNumber(12345), QStringLiteral("?!000"), true), QStringLiteral("345"));
        QCOMPARE(formatValue(FormatArgument::fromNumber(12), QStringLiteral("?!000"), true), QStringLiteral("012"));
        QCOMPARE(formatValue(FormatArgument::fromNumber(7), QStringLiteral("000"), true), QStringLiteral("007"));
    }

    void builds_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("a lone bar is dropped") << "|f:|_|" << QStringList{"photo.jpg"} << QStringList{"photo_"};
        QTest::newRow("prefixes ignore case") << "|F:|.|E:|" << QStringList{"a.b.txt"} << QStringList{"a.b.txt"};
        QTest::newRow("name without extension") << "|f:|.txt" << QStringList{"readme"} << QStringList{"readme.txt"};
        QTest::newRow("leading full stop") << "|f:|.txt" << QStringList{".profile"} << QStringList{".txt"};
        QTest::newRow("counter with a pattern")
            << "|n,1,n+1:000|" << QStringList{"a", "b", "c"} << QStringList{"001", "002", "003"};
        QTest::newRow("counting down without a pattern")
            << "|n,10,n-2:|" << QStringList{"a", "b", "c"} << QStringList{"10", "8", "6"};
        QTest::newRow("two segments share one counter")
            << "|n,1,n+1:|-|N,1,n+1:|" << QStringList{"a", "b"} << QStringList{"1-2", "3-4"};
        QTest::newRow("hexadecimal") << "|hex:n,255,n+1|" << QStringList{"a", "b"} << QStringList{"FF", "100"};
        QTest::newRow("octal with a pattern") << "|OCT:n,8,n+1:!@@@@|" << QStringList{"a"} << QStringList{"10"};
        QTest::newRow("negative hex is two's complement")
            << "|hex:n,-1,n-1|" << QStringList{"a", "b"} << QStringList{"FFFFFFFF", "FFFFFFFE"};
        QTest::newRow("blanks around decimal parameters")
            << "| n , 5 , n+5 :|" << QStringList{"a", "b"} << QStringList{"5", "10"};
        QTest::newRow("name part truncated") << "|f:?@@@|" << QStringList{"abcdef.txt"} << QStringList{"def"};
        QTest::newRow("name part from the left") << "|f:?!@@@|" << QStringList{"abcdef.txt"} << QStringList{"abc"};
        QTest::newRow("kept as typed") << "|f:|" << QStringList{"0012.txt"} << QStringList{"0012"};
        QTest::newRow("invalid characters deleted") << "a:|f:|" << QStringList{"x.txt"} << QStringList{"ax"};
        QTest::newRow("now") << "|n:yyyymmdd|" << QStringList{"a"} << QStringList{"20240131"};
        QTest::newRow("empty result stays empty") << "." << QStringList{"a"} << QStringList{""};
    }
    void builds() {
        QFETCH(QString, format);
        QFETCH(QStringList, files);
        QFETCH(QStringList, expected);
        std::vector<FileRow> rows;
        for (const QString& file : files)
            rows.push_back(row(file));
        const BuildResult result = build(format, rows);
        QCOMPARE(m_prompt.texts(), QStringList());
        QCOMPARE(result.status, BuildStatus::Built);
        QCOMPARE(names(result), expected);
        QCOMPARE(result.changeMask, 0);
    }

    void unformattedOptionOff() {
        BuildOptions options;
        options.keepUnformatted = false;
        QCOMPARE(names(build(QStringLiteral("|f:|"), {row(QStringLiteral("0012.txt"))}, options)),
                 QStringList({QStringLiteral("12")}));
    }

    void failures_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::newRow("sequence without a colon")
            << "|n,1,n+1|"
            << "n,1,n+1\r\n書式が間違っています。\r\n" + kInvalidLine << "Tokrenuｴﾗｰ";
        QTest::newRow("empty segment") << "||"
                                       << "\r\n書式が間違っています。\r\n" + kInvalidLine << "Tokrenuｴﾗｰ";
        QTest::newRow("two parameters") << "|n,1:000|"
                                        << "n,1\r\n連番の書式が間違っています。\r\n" + kInvalidLine << "Tokrenuｴﾗｰ";
        QTest::newRow("hex with two parameters")
            << "|hex:n,1|"
            << "n,1\r\n連番の書式が間違っています。\r\n" + kInvalidLine << "Tokrenuｴﾗｰ";
        QTest::newRow("start is no number") << "|n,x,n+1:|"
                                            << "x\r\n\r\nError No. 13\r\n型が一致しません。"
                                            << "Tokrenuｴﾗｰ-Tokrenu";
        QTest::newRow("step fails on the second row") << "|n,1,n/0:|"
                                                      << "1/0\r\n\r\nError No. 11\r\n0 で除算しました。"
                                                      << "Tokrenuｴﾗｰ-Tokrenu";
        QTest::newRow("hex beyond 32 bits") << "|hex:n,5000000000,n+1|"
                                            << "5000000000\r\n\r\nError No. 6\r\nオーバーフローしました。"
                                            << "Tokrenuｴﾗｰ-Tokrenu";
    }
    void failures() {
        QFETCH(QString, format);
        QFETCH(QString, message);
        QFETCH(QString, title);
        const BuildResult result = build(format, {row(QStringLiteral("a.txt")), row(QStringLiteral("b.txt"))});
        QCOMPARE(result.status, BuildStatus::Failed);
        QCOMPARE(m_prompt.texts(), QStringList({message}));
        QCOMPARE(m_prompt.shown().at(0).title, title);
    }

    void refusedInvalidCharacters() {
        BuildOptions options;
        options.deleteInvalidChars = false;
        const BuildResult result = build(QStringLiteral("a:|f:|"), {row(QStringLiteral("x.txt"))}, options);
        QCOMPARE(result.status, BuildStatus::Failed);
        QCOMPARE(m_prompt.texts(), QStringList({"a:x\r\nファイル名に使えない文字が使われます。\r\n" + kInvalidLine}));
    }

    void blankFormatBuildsNothing() {
        const BuildResult result = build(QStringLiteral("   "), {row(QStringLiteral("a"))});
        QCOMPARE(result.status, BuildStatus::Blank);
        QVERIFY(m_prompt.shown().isEmpty());
    }

    void realFilesByTheirColumns() {
        TestFiles::useTimeZone("Asia/Tokyo");
        QTemporaryDir dir;
        TestFiles::write(dir.filePath(QStringLiteral("big.dat")), QByteArray(1234567, 'x'));
        QFile file(dir.filePath(QStringLiteral("big.dat")));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2024, 1, 31), QTime(9, 5, 7)), QFileDevice::FileModificationTime));
        file.close();
        FileListModel model(m_fs);
        ScriptedPrompt prompt;
        FileAdder adder(model, m_fs, prompt);
        QVERIFY(adder.addFileRow(dir.path() + QLatin1Char('/'), QStringLiteral("big.dat")));
        const BuildResult result = build(QStringLiteral("|s:#,##0|_|m:yyyymmdd hhnnss|"), model.rows());
        QCOMPARE(m_prompt.texts(), QStringList());
        QCOMPARE(names(result), QStringList({QStringLiteral("1,234,567_20240131 090507")}));
    }
};

QTEST_GUILESS_MAIN(TestFormatStyle)
#include "tst_formatstyle.moc"
