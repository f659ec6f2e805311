#include "expression/ExprParser.h"
#include "expression/FunctionLibrary.h"
#include "expression/FunctionStyleBuilder.h"
#include "expression/PlanBuilder.h"
#include "expression/RowNamer.h"
#include "expression/TextConversion.h"
#include "fakes/FixedClock.h"
#include "fakes/ListedRows.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/FileRow.h"
#include "platform/AttributeBits.h"
#include "platform/DateValue.h"
#include "platform/WorkHost.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

FileRow row(const QString& name, const QString& folder = QStringLiteral("/nowhere/")) {
    return readRow(name, folder, 100, QStringLiteral("2024/01/31 9:05:07"));
}

} // namespace

class TestFunctionStyle : public QObject {
    Q_OBJECT

private:
    LinuxFileSystem m_fs;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    ScriptedPrompt m_prompt;

    BuildResult build(const QString& format, const std::vector<FileRow>& rows, bool deleteInvalid = true) {
        m_prompt.clear();
        BuildOptions options;
        options.deleteInvalidChars = deleteInvalid;
        return buildPlanFunctionStyle(format, {rows, options, m_prompt, m_clock, m_fs});
    }

    static QStringList names(const BuildResult& result) {
        QStringList all;
        for (const NameChange& change : result.rows)
            all.append(change.destName);
        return all;
    }

private Q_SLOTS:
    void initTestCase() { TestFiles::useTimeZone("Asia/Tokyo"); }

    void parseTable() {
        ScriptedPrompt prompt;
        const auto prepared = prepareFunctionText(QStringLiteral("left(fn,2)&(size+1) & 2"), prompt);
        const auto table = parseFunctionText(*prepared, prompt);
        QVERIFY(table.has_value());
        QStringList kinds;
        for (const ExprRecord& record : table->records)
            kinds.append(record.kind + QLatin1Char(':') + record.arguments.join(QLatin1Char('|')));
        QCOMPARE(kinds, QStringList({"variable:fn", "left:\r00001|2", "variable:size", "eval:\r00003+1"}));
        // The bare number at the top level contributes nothing.
        QCOMPARE(table->topLevel, std::vector<int>({2, 4}));
    }

    void argumentsThatAreExpressionsBecomeEvalRecords() {
        ScriptedPrompt prompt;
        const auto prepared = prepareFunctionText(QStringLiteral("left(fn,1+1)"), prompt);
        const auto table = parseFunctionText(*prepared, prompt);
        QStringList kinds;
        for (const ExprRecord& record : table->records)
            kinds.append(record.kind + QLatin1Char(':') + record.arguments.join(QLatin1Char('|')));
        QCOMPARE(kinds, QStringList({"variable:fn", "eval:1+1", "left:\r00001|\r00002"}));
    }

    void builds_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("name parts joined") << "fn & \"_\" & ex" << QStringList{"a.b.txt"} << QStringList{"a.b_txt"};
        QTest::newRow("parenthesised arithmetic")
            << "left(fn,2)&(size+1)" << QStringList{"photo.jpg"} << QStringList{"ph101"};
        QTest::newRow("doubled quotes") << "\"a\"\"b\" & fn" << QStringList{"x.txt"} << QStringList{"abx"};
        QTest::newRow("literal keeps blanks and case") << "\"A B\"&FN" << QStringList{"x.txt"} << QStringList{"A Bx"};
        QTest::newRow("bare number at the top level is dropped") << "\"a\" & 5" << QStringList{"x"} << QStringList{"a"};
        QTest::newRow("fn & 2 is the base name alone") << "fn & 2" << QStringList{"x.txt"} << QStringList{"x"};
        QTest::newRow("bar shortcut inside a function format")
            << "|f:|&\"-\"&|e:|" << QStringList{"a.txt"} << QStringList{"a-txt"};
        QTest::newRow("counter before its variable")
            << "number(\"n\",1,\"n+1\") & \"-\" & n" << QStringList{"a", "b", "c"} << QStringList{"1-1", "2-2", "3-3"};
        QTest::newRow("sequence through a bar")
            << "|\"a\",1,\"a+1\":000|" << QStringList{"a", "b"} << QStringList{"001", "002"};
        QTest::newRow("index and count") << "index & \"of\" & count" << QStringList{"a", "b"}
                                         << QStringList{"1of2", "2of2"};
        QTest::newRow("blank result keeps the name") << "\" \"" << QStringList{"keep.txt"} << QStringList{"keep.txt"};
        QTest::newRow("change function alone keeps the name")
            << "setattr(\"+r\")" << QStringList{"k.txt"} << QStringList{"k.txt"};
        QTest::newRow("name, fn and ex of a double extension")
            << "name&\"|\"&fn&\"|\"&ex" << QStringList{"archive.tar.gz"} << QStringList{"archive.tar.gzarchive.targz"};
        QTest::newRow("no extension") << "fn&\"[\"&ex&\"]\"" << QStringList{"README"} << QStringList{"README[]"};
        QTest::newRow("dot file") << "\"[\"&fn&\"]\"&ex" << QStringList{".profile"} << QStringList{"[]profile"};
        QTest::newRow("short name is empty") << "\"x\"&sn" << QStringList{"a.txt"} << QStringList{"x"};
        QTest::newRow("size keeps its separators") << "size" << QStringList{"a"} << QStringList{"100"};
        QTest::newRow("function names ignore case") << "MID(FN,2,3)" << QStringList{"abcdef.x"} << QStringList{"bcd"};
        QTest::newRow("now") << "format(now,\"yyyymmdd\")" << QStringList{"a"} << QStringList{"20240131"};
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
    }

    // A long list is named as one row after another would name it, in two halves at once where the names do not
    // depend on the order: the same names, and the same messages, up to the first row that cannot be named.
    void longListsAreNamedAsInOrder_data() {
        QTest::addColumn<QString>("format");
        QTest::newRow("every row") << "\"x\" & index & \"_\" & left(name, 5)";
        QTest::newRow("bar segments") << "|f:|_x.|e:|";
        QTest::newRow("a row of the second half cannot be named") << "left(name, 4500 - index)";
        QTest::newRow("a row of the first half cannot be named") << "left(name, index - 2)";
        QTest::newRow("numbered in order") << "number(\"n\",1,\"n+1\") & \"-\" & n";
    }
    void longListsAreNamedAsInOrder() {
        QFETCH(QString, format);
        std::vector<FileRow> rows;
        for (int i = 0; i < 5000; ++i)
            rows.push_back(row(QStringLiteral("file%1.txt").arg(i)));
        ScriptedPrompt inOrderPrompt;
        BuildStatus status = BuildStatus::Blank;
        QStringList expected;
        const BuildContext inOrder{rows, {}, inOrderPrompt, m_clock, m_fs};
        if (const auto namer = prepareNamer(format, inOrder, status)) {
            for (std::size_t i = 0; i < rows.size() && status == BuildStatus::Built; ++i) {
                NameChange change;
                if (namer->nameRow(i, change))
                    expected.append(change.destName);
                else
                    status = BuildStatus::Failed;
            }
        }
        m_prompt.clear();
        const BuildResult result = buildPlan(format, {rows, {}, m_prompt, m_clock, m_fs});
        QCOMPARE(result.status, status);
        QCOMPARE(m_prompt.texts(), inOrderPrompt.texts());
        QCOMPARE(names(result).first(expected.size()), expected);
    }

    void functions_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("result");
        QTest::newRow("format with a pattern") << "format(1234567,\"#,##0\")"
                                               << "1,234,567";
        QTest::newRow("format without a pattern") << "format(\"0012\")"
                                                  << "12";
        QTest::newRow("empty format call") << "\"x\"&format()"
                                           << "x";
        QTest::newRow("mid to the end") << "mid(\"abcdef\",3)"
                                        << "cdef";
        QTest::newRow("mid with a length") << "mid(\"abcdef\",3,2)"
                                           << "cd";
        QTest::newRow("mid past the end") << "\"x\"&mid(\"abc\",9)"
                                          << "x";
        QTest::newRow("left") << "left(\"abc\",2)"
                              << "ab";
        QTest::newRow("right") << "right(\"abc\",2)"
                               << "bc";
        QTest::newRow("left longer than the text") << "left(\"abc\",10)"
                                                   << "abc";
        QTest::newRow("string repeats the first character") << "string(3,\"ab\")"
                                                            << "aaa";
        QTest::newRow("len") << "len(\"abcd\")"
                             << "4";
        QTest::newRow("val stops at the first non-number") << "val(\"12abc\")"
                                                           << "12";
        QTest::newRow("val ignores blanks") << "val(\" 1 2 \")"
                                            << "12";
        QTest::newRow("val of no number") << "val(\"abc\")"
                                          << "0";
        QTest::newRow("val of hex") << "val(\"&HFF\")"
                                    << "255";
        QTest::newRow("str of a positive number") << "\"[\"&str(5)&\"]\""
                                                  << "[ 5]";
        QTest::newRow("str of a negative number") << "str(-5)"
                                                  << "-5";
        QTest::newRow("int of a negative") << "int(-2.5)"
                                           << "-3";
        QTest::newRow("int of a positive") << "int(2.7)"
                                           << "2";
        QTest::newRow("hex") << "hex(255)"
                             << "FF";
        QTest::newRow("hex of a negative") << "hex(-1)"
                                           << "FFFFFFFF";
        QTest::newRow("oct") << "oct(8)"
                             << "10";
        QTest::newRow("oct of a negative") << "oct(-1)"
                                           << "37777777777";
        QTest::newRow("hex rounds halves to even") << "hex(2.5)"
                                                   << "2";
        QTest::newRow("eval") << "eval(\"12+3*4\")"
                              << "24";
        QTest::newRow("cdate") << "cdate(\"2000/01/31 12:00:00\")"
                               << "36556.5";
        QTest::newRow("instr") << "instr(\"banana\",\"n\")"
                               << "3";
        QTest::newRow("instr with a start") << "instr(4,\"banana\",\"n\")"
                                            << "5";
        QTest::newRow("instr ignoring case") << "instr(1,\"ABC\",\"b\",1)"
                                             << "2";
        QTest::newRow("instr exact") << "instr(1,\"ABC\",\"b\",0)"
                                     << "0";
        QTest::newRow("instrrev") << "instrrev(\"banana\",\"n\")"
                                  << "5";
        QTest::newRow("instrrev from a start") << "instrrev(\"banana\",\"n\",4)"
                                               << "3";
        QTest::newRow("instrrev ignoring case") << "instrrev(\"banana\",\"N\",-1,1)"
                                                << "5";
        QTest::newRow("replace all") << "replace(\"abcabc\",\"b\",\"x\")"
                                     << "axcaxc";
        QTest::newRow("replace from a start") << "replace(\"abcabc\",\"b\",\"x\",3)"
                                              << "caxc";
        QTest::newRow("replace a count") << "replace(\"abcabc\",\"b\",\"x\",1,1)"
                                         << "axcabc";
        QTest::newRow("replace ignoring case") << "replace(\"aBcabc\",\"b\",\"x\",1,-1,1)"
                                               << "axcaxc";
        QTest::newRow("replace with empty defaults") << "replace(\"abcabc\",\"b\",\"x\",,,)"
                                                     << "axcaxc";
        QTest::newRow("strconv upper") << "strconv(\"abc\",1)"
                                       << "ABC";
        QTest::newRow("strconv proper case") << "strconv(\"hello wORLD\",3)"
                                             << "Hello World";
        QTest::newRow("strconv wide") << "strconv(\"ab1\",4)"
                                      << "ａｂ１";
        QTest::newRow("strconv narrow katakana") << "strconv(\"ガギ\",8)"
                                                 << "ｶﾞｷﾞ";
        QTest::newRow("strconv hiragana to katakana") << "strconv(\"ひらがな\",16)"
                                                      << "ヒラガナ";
        QTest::newRow("strconv katakana to hiragana") << "strconv(\"カタカナ\",32)"
                                                      << "かたかな";
        QTest::newRow("strconv hiragana to narrow katakana") << "strconv(\"がき\",24)"
                                                             << "ｶﾞｷ";
        QTest::newRow("strconv code page codes change nothing") << "strconv(\"abc\",64)"
                                                                << "abc";
        QTest::newRow("number as an argument expression") << "left(\"abcdef\",1+2)"
                                                          << "abc";
    }
    void functions() {
        QFETCH(QString, format);
        QFETCH(QString, result);
        const BuildResult built = build(format, {row(QStringLiteral("x"))});
        QCOMPARE(m_prompt.texts(), QStringList());
        QCOMPARE(names(built), QStringList({result}));
    }

    void checkFailures_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing argument") << "mid(fn)"
                                          << "mid\r\n\r\n省略できない引数が指定されていません。";
        QTest::newRow("too many arguments") << "left(fn,1,2)"
                                            << "left\r\n\r\n引数が多すぎます。";
        QTest::newRow("format takes four at most") << "format(\"x\",\"@\",1,1,1)"
                                                   << "format\r\n\r\n引数が多すぎます。";
        QTest::newRow("unknown function") << "foo(fn)"
                                          << "foo\r\n\r\n理解不能な関数が使われています。";
        QTest::newRow("variable used as a function") << "fn(x)"
                                                     << "fn\r\n\r\n理解不能な関数が使われています。";
        QTest::newRow("unbalanced open") << "left(fn,(2)"
                                         << "かっこがあいません。";
        QTest::newRow("unbalanced close") << "left(fn,2))"
                                          << "かっこがあいません。";
        QTest::newRow("empty call of a one-argument function") << "len()"
                                                               << "len\r\n\r\n省略できない引数が指定されていません。";
        QTest::newRow("empty parentheses") << "fn&()"
                                           << "eval\r\n\r\n省略できない引数が指定されていません。";
        QTest::newRow("literal glued to a function name") << "\"x\"left(fn,1)"
                                                          << "\"x\"left\r\n\r\n理解不能な関数が使われています。";
        QTest::newRow("unknown variable") << "extension"
                                          << "extension\r\n\r\n理解不能な変数が使用されています。";
        QTest::newRow("counter used before it exists") << "n & number(\"n\",1,\"n+1\")"
                                                       << "n\r\n\r\n理解不能な変数が使用されています。";
    }
    void checkFailures() {
        QFETCH(QString, format);
        QFETCH(QString, message);
        const BuildResult result = build(format, {row(QStringLiteral("a.txt"))});
        QCOMPARE(result.status, BuildStatus::Failed);
        QCOMPARE(m_prompt.texts(), QStringList({message}));
        QCOMPARE(m_prompt.shown().at(0).title, QStringLiteral("書式ｴﾗｰ"));
    }

    void evaluationErrors_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("message");
        QTest::newRow("start position 0") << "mid(fn,0)"
                                          << "Error 5\r\nプロシージャの呼び出し、または引数が不正です。";
        QTest::newRow("negative length") << "left(fn,-1)"
                                         << "Error 5\r\nプロシージャの呼び出し、または引数が不正です。";
        QTest::newRow("text where a number is needed") << "left(fn,\"x\")"
                                                       << "Error 13\r\n型が一致しません。";
        QTest::newRow("no date") << "cdate(\"never\")"
                                 << "Error 13\r\n型が一致しません。";
        QTest::newRow("huge string") << "string(2000000000,\"a\")"
                                     << "Error 7\r\nメモリが不足しています。";
        QTest::newRow("hex beyond 32 bits") << "hex(5000000000)"
                                            << "Error 6\r\nオーバーフローしました。";
        QTest::newRow("invalid strconv") << "strconv(\"a\",12)"
                                         << "Error 5\r\nプロシージャの呼び出し、または引数が不正です。";
        QTest::newRow("eval reports itself") << "eval(\"1/0\")"
                                             << "1/0\r\n\r\nError No. 11\r\n0 で除算しました。";
    }
    void evaluationErrors() {
        QFETCH(QString, format);
        QFETCH(QString, message);
        const BuildResult result = build(format, {row(QStringLiteral("a.txt"))});
        QCOMPARE(result.status, BuildStatus::Failed);
        QCOMPARE(m_prompt.texts(), QStringList({message}));
        if (message.startsWith(QLatin1String("Error ")))
            QCOMPARE(m_prompt.shown().at(0).title, QStringLiteral("Error-Tokrenu"));
    }

    void hugeTextsStayBounded() {
        const BuildResult result =
            build(QStringLiteral("mid(fn,2,2000000000)&left(fn,2000000000)"), {row(QStringLiteral("abc"))});
        QCOMPARE(names(result), QStringList({QStringLiteral("bcabc")}));
        const BuildResult doubled =
            build(QStringLiteral("replace(string(1000000,\"a\"),\"a\",\"aa\")"), {row(QStringLiteral("x"))});
        QCOMPARE(doubled.status, BuildStatus::Failed);
        QCOMPARE(m_prompt.texts(), QStringList({"Error 7\r\nメモリが不足しています。"}));
    }

    void deepNestingIsNoProblem() {
        const QString format =
            QStringLiteral("(").repeated(5000) + QStringLiteral("1+1") + QStringLiteral(")").repeated(5000);
        const BuildResult result = build(QStringLiteral("\"x\"&") + format, {row(QStringLiteral("a"))});
        QCOMPARE(m_prompt.texts(), QStringList());
        QCOMPARE(names(result), QStringList({QStringLiteral("x2")}));
    }

    void changeFunctions() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        TestFiles::write(folder + QStringLiteral("h.txt"));
        QVERIFY(m_fs.setAttributes(folder + QStringLiteral("h.txt"), 2));
        const BuildResult result = build(
            QStringLiteral("setattr(\"+r\") & setlastwritetime(\"2000/01/01\") & setlastwritetime(\"2000/01/02\")"),
            {row(QStringLiteral("h.txt"), folder), row(QStringLiteral("gone.txt"), folder)});
        QCOMPARE(m_prompt.texts(), QStringList());
        QCOMPARE(result.changeMask, 2 | 16);
        QCOMPARE(result.rows[0].attributes, 3);
        QCOMPARE(result.rows[1].attributes, -1);
        QCOMPARE(result.rows[0].lastWriteTime, 36527.0); // the later call wins
        QCOMPARE(names(result), QStringList({QStringLiteral("h.txt"), QStringLiteral("gone.txt")}));
        QCOMPARE(build(QStringLiteral("setattr(\"33\")"), {row(QStringLiteral("h.txt"), folder)}).rows[0].attributes,
                 33);
        const BuildResult times = build(QStringLiteral("setcreationtime(\"2000/01/31 12:00:00\")&setlastaccesstime(1)"),
                                        {row(QStringLiteral("h.txt"), folder)});
        QCOMPARE(times.changeMask, 4 | 8);
        QCOMPARE(times.rows[0].creationTime, 36556.5);
        QCOMPARE(times.rows[0].lastAccessTime, 1.0);
    }

    void attributeArgument_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("bits");
        QTest::newRow("add read-only, remove hidden") << "+r-h" << (1 | 32);
        QTest::newRow("remove all four") << "-rhsa" << 0;
        QTest::newRow("letters without a mode change nothing") << "rh" << (2 | 32);
        QTest::newRow("unknown letters are passed over") << "+rx" << (1 | 2 | 32);
        QTest::newRow("a number is taken outright") << "1" << 1;
    }
    void attributeArgument() {
        QFETCH(QString, argument);
        QFETCH(int, bits);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        TestFiles::write(path);
        QVERIFY(m_fs.setAttributes(path, 2 | 32));
        QCOMPARE(applyAttributeArgument(m_fs, path, argument), bits);
    }

    void variablesFromTheDisk() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        TestFiles::write(folder + QStringLiteral("t.txt"));
        QFile file(folder + QStringLiteral("t.txt"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime));
        file.close();
        const BuildResult result = build(QStringLiteral("format(wt,\"yyyy-mm-dd hh.nn.ss\") & \"_\" & getattr"),
                                         {row(QStringLiteral("t.txt"), folder)});
        QCOMPARE(m_prompt.texts(), QStringList());
        QCOMPARE(names(result), QStringList({QStringLiteral("2001-02-03 04.05.06_0")}));
        // A file that is gone gives 0 as its time and -1 as its attributes.
        const BuildResult gone = build(QStringLiteral("wt & \"_\" & getattr"), {row(QStringLiteral("none"), folder)});
        QCOMPARE(names(gone), QStringList({QStringLiteral("0_-1")}));
    }

    // A format sees the file as it is at the build: details the list has not read yet are read then, while
    // the size and time a row shows already stay as shown; attributes and times read by name come from the disk.
    void formatsSeeTheFileAtTheBuild_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("shownBeforeTheChange");
        QTest::addColumn<QString>("name");
        QTest::newRow("function style, never shown")
            << "size & \"_\" & getattr & \"_\" & format(wt,\"yyyymmdd\")" << false << "8_33_20250304";
        QTest::newRow("function style, shown before the change")
            << "size & \"_\" & getattr & \"_\" & format(wt,\"yyyymmdd\")" << true << "5_33_20250304";
        QTest::newRow("segment style, never shown") << "|s:|_|m:yyyymmdd|" << false << "8_20250304";
        QTest::newRow("segment style, shown before the change") << "|s:|_|m:yyyymmdd|" << true << "5_20240131";
    }
    void formatsSeeTheFileAtTheBuild() {
        QFETCH(QString, format);
        QFETCH(bool, shownBeforeTheChange);
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        QVERIFY(TestFiles::write(path, "hello"));
        QVERIFY(m_fs.setFileTime(path, FileTimeKind::LastWrite,
                                 QDateTime(QDate(2024, 1, 31), QTime(9, 5, 7)).toSecsSinceEpoch()));
        FileListModel list(m_fs);
        NullWorkHost quiet;
        FileAdder(list, m_fs, m_prompt).addPendingFiles({dir.path() + QLatin1Char('/'), {QString()}}, {}, quiet);
        if (shownBeforeTheChange)
            QCOMPARE(list.index(0, static_cast<int>(FileColumn::Size)).data().toString(), QStringLiteral("5"));
        QVERIFY(TestFiles::write(path, "changed!"));
        QVERIFY(m_fs.setFileTime(path, FileTimeKind::LastWrite,
                                 QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7)).toSecsSinceEpoch()));
        QVERIFY(m_fs.setAttributes(path, AttributeBits::kReadOnly | AttributeBits::kArchive));
        BuildOptions options;
        options.alwaysFunction = false;
        const BuildResult result = buildPlan(format, {list.rows(), options, m_prompt, m_clock, m_fs});
        QCOMPARE(m_prompt.texts(), QStringList());
        QCOMPARE(names(result), QStringList({name}));
    }

    void invalidCharactersRefusedInFunctionLayout() {
        const BuildResult result = build(QStringLiteral("\"a:b\""), {row(QStringLiteral("x"))}, false);
        QCOMPARE(result.status, BuildStatus::Failed);
        QCOMPARE(m_prompt.texts(),
                 QStringList({"ファイル名に使えない文字が使われます。\r\n（\\、/、:、*、?、\"、<、>、|）"
                              "\r\n\r\na:b"}));
    }
};

QTEST_GUILESS_MAIN(TestFunctionStyle)
#include "tst_functionstyle.moc"
