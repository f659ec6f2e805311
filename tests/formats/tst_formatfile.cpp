#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "formats/FormatFile.h"
#include "formats/SavedFormats.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(SavedFormat)

namespace {

// Names and formats that a careless writer or reader would change.
const QList<SavedFormat> kAwkward = {
    {"plain", "|f:|_|n,1,n+1:000|.|e:|"},
    {"a name, with a comma", "fn & ex"},
    {"quoted pattern", "fn & \"_\" & format(wt,\"yyyymmdd\")"},
    {"empty literal", "fn & \"\" & ex"},
    {"three quotes", "\"\"\"x\"\"\""},
    {"\"name in quotes\"", "\"format in quotes\""},
    {"ends in a quote\"", "\"starts with one"},
    {"comma after quote\",", ",\",\""},
    {"carriage return", "left(fn,1)\rright(fn,1)"},
    {"line break", "a\r\nb\nc\r\rd"},
    {"ﾌｧｲﾙ名と全角のファイル", "ＭＳ Ｐゴシック"},
    {"emoji \U0001F600", "\U0001F600 & fn"},
};

QString message(int added) {
    return QString::number(added) + QStringLiteral("個のアイテムを追加しました。");
}

} // namespace

class TestFormatFile : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    MemorySettingsStore m_store;
    ScriptedPrompt m_prompt;
    std::unique_ptr<SavedFormats> m_formats;

    QString path(const QString& name = QStringLiteral("formats.txt")) const { return m_dir->filePath(name); }

    ImportResult importBytes(const QByteArray& bytes) {
        TestFiles::write(path(), bytes);
        return importFormats(*m_formats, m_store, path(), m_prompt);
    }

    QList<SavedFormat> roundTrip(const QList<SavedFormat>& formats) {
        SavedFormats source;
        source.append(formats);
        if (!exportFormats(source, path(), m_prompt))
            return {};
        (void)importFormats(*m_formats, m_store, path(), m_prompt);
        return m_formats->formats();
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = MemorySettingsStore();
        m_prompt.reset();
        m_formats = std::make_unique<SavedFormats>();
    }

    void exportWritesOneQuotedLinePerFormat() {
        QCOMPARE(formatFileBytes({}), QByteArray());
        QCOMPARE(formatFileBytes({{"名前", "fn & \"_\""}, {"b,c", "x"}}),
                 QByteArray("\"名前\",\"fn & \"\"_\"\"\"\r\n\"b,c\",\"x\"\r\n"));
        m_formats->append({{"a", "b"}});
        QVERIFY(exportFormats(*m_formats, path(), m_prompt));
        QCOMPARE(TestFiles::read(path()), QByteArray("\"a\",\"b\"\r\n"));
        QCOMPARE(m_prompt.shown().size(), 1);
        QCOMPARE(m_prompt.shown().first().text, QStringLiteral("エクスポート完了！"));
        QCOMPARE(m_prompt.shown().first().title, QStringLiteral("Tokrenu"));
        QCOMPARE(m_prompt.shown().first().icon, PromptIcon::None);
    }

    void everyNameAndFormatSurvivesExportAndImport() {
        QCOMPARE(roundTrip(kAwkward), kAwkward);
        QCOMPARE(m_prompt.texts(), QStringList({"エクスポート完了！", message(int(kAwkward.size()))}));
        QCOMPARE(m_store.saves, 1);
        QCOMPARE(m_store.stored.entries(formatsSection()).size(), kAwkward.size());
        QCOMPARE(m_store.stored.entries(formatsSection()).at(3), SettingsEntry({"empty literal", "fn & \"\" & ex"}));
        QVERIFY(m_formats->formatsChanged());
    }

    void randomTextsSurviveExportAndImport() {
        const QString alphabet = QStringLiteral("a,\"\r\n ｱ");
        QRandomGenerator random(20261208);
        QList<SavedFormat> formats;
        for (int i = 0; i < 300; ++i) {
            SavedFormat saved{QString::number(i), QString()};
            for (int length = random.bounded(1, 12); length > 0; --length) {
                saved.name += alphabet.at(random.bounded(alphabet.size()));
                saved.format += alphabet.at(random.bounded(alphabet.size()));
            }
            saved.format += QString::number(i);
            formats.append(saved);
        }
        QCOMPARE(roundTrip(formats), formats);
    }

    void cuttingALine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("format");
        QTest::newRow("well formed") << "\"n\",\"f\""
                                     << "n"
                                     << "f";
        QTest::newRow("a comma in the name") << "\"a,b\",\"f\""
                                             << "a,b"
                                             << "f";
        QTest::newRow("quotes of a format written unescaped") << "\"n\",\"fn & \"_\"\""
                                                              << "n"
                                                              << "fn & \"_\"";
        QTest::newRow("two quotes in a row read as one") << "\"n\",\"a\"\"b\""
                                                         << "n"
                                                         << "a\"b";
        QTest::newRow("doubled quote and comma in the name") << "\"a\"\",b\",\"f\""
                                                             << "a\",b"
                                                             << "f";
        QTest::newRow("commas in the format") << "\"n\",\",,\""
                                              << "n"
                                              << ",,";
        QTest::newRow("empty line") << ""
                                    << ""
                                    << "";
        QTest::newRow("no comma") << "\"n\"\"f\""
                                  << ""
                                  << "";
        QTest::newRow("empty name") << "\"\",\"f\""
                                    << ""
                                    << "";
        QTest::newRow("empty format") << "\"n\",\"\""
                                      << ""
                                      << "";
        QTest::newRow("too short to cut") << "\",\""
                                          << ""
                                          << "";
        QTest::newRow("no quotes") << "abc,def"
                                   << ""
                                   << "";
        QTest::newRow("an opening quote alone") << "\"abc,def"
                                                << ""
                                                << "";
        QTest::newRow("a blank after the comma") << "\"n\", \"f\""
                                                 << ""
                                                 << "";
        QTest::newRow("text after the closing quote") << "\"n\",\"f\"x"
                                                      << ""
                                                      << "";
    }
    void cuttingALine() {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QFETCH(QString, format);
        const std::optional<SavedFormat> cut = cutFormatLine(line);
        QCOMPARE(cut.has_value(), !name.isEmpty());
        if (cut)
            QCOMPARE(*cut, SavedFormat({name, format}));
    }

    void splittingLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF ends a line once") << "a\r\nb\r\n" << QStringList({"a", "b"});
        QTest::newRow("a lone CR ends a line") << "a\rb" << QStringList({"a", "b"});
        QTest::newRow("a lone LF stays in the line") << "a\nb\r\n" << QStringList({"a\nb"});
        QTest::newRow("empty lines count") << "\r\n\r\na" << QStringList({"", "", "a"});
        QTest::newRow("a CR between quotes stays") << "\"a\r\nb\",\"c\"\r\nd" << QStringList({"\"a\r\nb\",\"c\"", "d"});
        QTest::newRow("doubled quotes do not open a field")
            << "\"a\"\"\",\"b\"\r\nc" << QStringList({"\"a\"\"\",\"b\"", "c"});
    }
    void splittingLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(formatFileLines(text), lines);
    }

    void decodingTheFile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("isText");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("\"ﾌｧｲﾙ\"") << true << "\"ﾌｧｲﾙ\"";
        QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBF\"a\"") << true << "\"a\"";
        QTest::newRow("Shift_JIS") << QByteArray("\"\x83\x65\x83\x58\x83\x67\",\"\xB1\xB2\x5C\"") << true
                                   << "\"テスト\",\"ｱｲ\\\"";
        QTest::newRow("code page 932 extensions") << QByteArray("\x87\x40\x81\x60") << true << "①～";
        QTest::newRow("a NUL byte") << QByteArray("\"a\"\0\"b\"", 7) << false << "";
        QTest::newRow("neither UTF-8 nor Shift_JIS") << QByteArray("\x81\x20\xFF") << false << "";
        QTest::newRow("a byte-order mark before other bytes") << QByteArray("\xEF\xBB\xBF\x83\x65") << false << "";
    }
    void decodingTheFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, isText);
        QFETCH(QString, text);
        const std::optional<QString> decoded = decodeFormatFile(bytes);
        QCOMPARE(decoded.has_value(), isText);
        if (decoded)
            QCOMPARE(*decoded, text);
    }

    void aShiftJisFileIsImported() {
        const ImportResult result = importBytes("\"\x83\x65\x83\x58\x83\x67\",\"\xCC\xA7\xB2\xD9 & fn\"\r\n");
        QCOMPARE(result.added, 1);
        QCOMPARE(m_formats->at(1), SavedFormat({"テスト", "ﾌｧｲﾙ & fn"}));
    }

    void importSkipsWhatIsTakenAlready_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("the same formats again add nothing") << QByteArray("\"old\",\"fn\"\r\n") << QStringList({"old"});
        QTest::newRow("a new name with a registered format")
            << QByteArray("\"new\",\"fn\"\r\n") << QStringList({"old"});
        QTest::newRow("a registered name with a new format")
            << QByteArray("\"old\",\"ex\"\r\n") << QStringList({"old"});
        QTest::newRow("the first of two lines with one new name")
            << QByteArray("\"new\",\"a\"\r\n\"new\",\"b\"\r\n") << QStringList({"old", "new"});
        QTest::newRow("the first of two lines with one new format")
            << QByteArray("\"one\",\"a\"\r\n\"two\",\"a\"\r\n") << QStringList({"old", "one"});
        QTest::newRow("names differing in case") << QByteArray("\"OLD\",\"FN\"\r\n") << QStringList({"old", "OLD"});
        QTest::newRow("lines that are not formats")
            << QByteArray("\r\nnothing\r\n\"\",\"x\"\r\n\"n\",\"\"\r\n") << QStringList({"old"});
    }
    void importSkipsWhatIsTakenAlready() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, names);
        m_formats->append({{"old", "fn"}});
        const ImportResult result = importBytes(file);
        QStringList imported;
        for (const SavedFormat& saved : m_formats->formats())
            imported.append(saved.name);
        QCOMPARE(imported, names);
        QCOMPARE(result.added, names.size() - 1);
        QCOMPARE(m_prompt.texts(), QStringList({message(result.added)}));
        QCOMPARE(m_prompt.shown().first().title, QStringLiteral("Tokrenu"));
        QCOMPARE(m_store.saves, result.added > 0 ? 1 : 0);
        QCOMPARE(m_store.stored.entries(formatsSection()).size(), result.added);
    }

    void importIntoUnchangedFormatsLeavesThemUnchanged() {
        m_store.writeSetting(formatsSection(), QStringLiteral("old"), QStringLiteral("fn"));
        m_formats->load(m_store);
        (void)importBytes("\"old\",\"fn\"\r\n");
        QVERIFY(!m_formats->formatsChanged());
        QCOMPARE(m_prompt.texts(), QStringList({"0個のアイテムを追加しました。"}));
    }

    void anImportTheStoreCannotKeepIsStillAdded() {
        m_store.failSaves = QStringLiteral("No space left on device");
        const ImportResult result = importBytes("\"n\",\"f\"\r\n");
        QCOMPARE(result.added, 1);
        QVERIFY(!result.stored.ok);
        QCOMPARE(result.stored.error, QStringLiteral("No space left on device"));
        QVERIFY(m_formats->formatsChanged());
    }

    void filesThatAreRefusedAddNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("larger than 8 MB") << "big.txt"
                                          << "8 MB を超えるファイルはインポートできません。";
        QTest::newRow("not text") << "binary.txt"
                                  << "テキストファイルではないため、インポートできません。";
        QTest::newRow("a folder") << "folder"
                                  << "テキストファイルではないため、インポートできません。";
        QTest::newRow("missing") << "missing.txt"
                                 << "インポートできませんでした。\r\nNo such file or directory";
    }
    void filesThatAreRefusedAddNothing() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QByteArray big(kMaxImportBytes + 1, 'x');
        big.replace(0, 9, "\"n\",\"f\"\r\n");
        TestFiles::write(path(QStringLiteral("big.txt")), big);
        TestFiles::write(path(QStringLiteral("binary.txt")), QByteArray("\"n\",\"f\"\r\n\0", 10));
        QDir().mkpath(path(QStringLiteral("folder")));

        const ImportResult result = importFormats(*m_formats, m_store, path(name), m_prompt);
        QVERIFY(!result.read);
        QCOMPARE(m_formats->count(), 0);
        QCOMPARE(m_prompt.texts(), QStringList({path(name) + "\r\n\r\n" + expected}));
        QCOMPARE(m_prompt.shown().first().icon, PromptIcon::Critical);
        QCOMPARE(m_store.saves, 0);
    }

    void aFileOfExactlyTheLimitIsRead() {
        QByteArray limit(kMaxImportBytes, 'x');
        limit.replace(0, 9, "\"n\",\"f\"\r\n");
        QCOMPARE(importBytes(limit).added, 1);
    }

    void anExportThatCannotBeWrittenSaysSoAndKeepsTheOldFile() {
        m_formats->append({{"n", QString(100000, QLatin1Char('f'))}});
        QVERIFY(!exportFormats(*m_formats, path(QStringLiteral("missing/formats.txt")), m_prompt));
        QCOMPARE(m_prompt.shown().size(), 1);
        QVERIFY(m_prompt.shown().first().text.startsWith(path(QStringLiteral("missing/formats.txt")) +
                                                         "\r\n\r\nエクスポートできませんでした。\r\n"));
        QVERIFY(m_prompt.shown().first().text.size() >
                path(QStringLiteral("missing/formats.txt")).size() +
                    QStringLiteral("\r\n\r\nエクスポートできませんでした。\r\n").size());
        QCOMPARE(m_prompt.shown().first().icon, PromptIcon::Critical);

        // A file too big for the limit stands for a full disk.
        TestFiles::write(path(), "\"old\",\"file\"\r\n");
        m_prompt.reset();
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 1000;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const bool exported = exportFormats(*m_formats, path(), m_prompt);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!exported);
        QVERIFY(!m_prompt.texts().contains(QStringLiteral("エクスポート完了！")));
        QCOMPARE(TestFiles::read(path()), QByteArray("\"old\",\"file\"\r\n"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"formats.txt"}));
    }
};

QTEST_GUILESS_MAIN(TestFormatFile)
#include "tst_formatfile.moc"
