#include "fakes/FixedClock.h"
#include "fakes/TestFiles.h"
#include "platform/linux/JsonSettingsStore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Entries = QList<SettingsEntry>;

// Texts that a careless writer or reader would change.
const QStringList kAwkwardTexts = {
    QString(),
    QStringLiteral("plain"),
    QStringLiteral("left(fn,3) & \"_\" & \"\"\"quoted\"\"\""),
    QStringLiteral("back\\slash\\\\ and /slash"),
    QStringLiteral("line\r\nbreak\nand\rreturn\ttab"),
    QStringLiteral("ﾌｧｲﾙ名・ファイル名・ＭＳ Ｐゴシック"),
    QStringLiteral("emoji \U0001F600 and \u2028 separator"),
    QString(QChar(0)) + QStringLiteral("nul, bell ") + QChar(7) + QChar(0x1f) + QChar(0x7f),
    QStringLiteral("half a pair ") + QChar(0xD83D) + QStringLiteral(" and ") + QChar(0xDE00),
    QStringLiteral("{\"Tokrenu\": {}}"),
};

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    FixedClock m_clock{QDateTime(QDate(2026, 12, 8), QTime(7, 0))};

    JsonSettingsStore store() const { return {m_path, m_clock}; }

    QStringList filesBeside() const {
        return QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_path = m_dir->filePath(QStringLiteral("Tokrenu/settings.json"));
    }

    void everyTextAndTheOrderOfWritingSurviveASave() {
        JsonSettingsStore first = store();
        QCOMPARE(first.load().state, SettingsLoadState::NoFile);
        first.writeSetting(QStringLiteral("WindowSize"), QStringLiteral("Top"), QStringLiteral("0"));
        Entries form;
        for (qsizetype i = 0; i < kAwkwardTexts.size(); ++i) {
            // Keys in an order no sorting would give back.
            const QString key = QString::number((i * 7) % kAwkwardTexts.size()) + kAwkwardTexts.at(i);
            form.append({key, kAwkwardTexts.at(kAwkwardTexts.size() - 1 - i)});
            first.writeSetting(QStringLiteral("Form"), key, form.last().value);
        }
        first.writeSetting(QStringLiteral("Settings"), QStringLiteral("Key"), QStringLiteral("upper"));
        first.writeSetting(QStringLiteral("Settings"), QStringLiteral("key"), QStringLiteral("lower"));
        first.writeSetting(QString(), QString(), QStringLiteral("empty names"));
        // A rewrite keeps the first place.
        first.writeSetting(QStringLiteral("WindowSize"), QStringLiteral("Top"), QStringLiteral("15"));
        first.writeSetting(QStringLiteral("WindowSize"), QStringLiteral("Left"), QStringLiteral("30"));
        QVERIFY(first.save().ok);

        JsonSettingsStore second = store();
        QCOMPARE(second.load().state, SettingsLoadState::Loaded);
        QCOMPARE(second.readSection(QStringLiteral("Form")), form);
        QCOMPARE(second.readSection(QStringLiteral("WindowSize")), Entries({{"Top", "15"}, {"Left", "30"}}));
        QCOMPARE(second.readSetting(QStringLiteral("Settings"), QStringLiteral("key"), QStringLiteral("-")),
                 QStringLiteral("lower"));
        QCOMPARE(second.readSetting(QStringLiteral("Settings"), QStringLiteral("KEY"), QStringLiteral("-")),
                 QStringLiteral("-"));
        QCOMPARE(second.readSetting(QString(), QString(), QStringLiteral("-")), QStringLiteral("empty names"));
        QCOMPARE(second.readSetting(QStringLiteral("Form"), form.first().key, QStringLiteral("-")), form.first().value);
        QCOMPARE(second.readSetting(QStringLiteral("form"), form.first().key, QStringLiteral("-")),
                 QStringLiteral("-"));
        QVERIFY(second.readSection(QStringLiteral("Missing")).isEmpty());
    }

    void aDeletedSectionComesBackLastAndOnlyWithASave() {
        JsonSettingsStore first = store();
        for (const char* section : {"A", "Form", "B"})
            first.writeSetting(QLatin1String(section), QStringLiteral("k"), QLatin1String(section));
        QVERIFY(first.save().ok);
        first.deleteStoreKey(QStringLiteral("Form"));
        QVERIFY(first.readSection(QStringLiteral("Form")).isEmpty());
        QCOMPARE(store().load().state, SettingsLoadState::Loaded);
        JsonSettingsStore unsaved = store();
        (void)unsaved.load();
        QCOMPARE(unsaved.readSetting(QStringLiteral("Form"), QStringLiteral("k"), QString()), QStringLiteral("Form"));

        first.writeSetting(QStringLiteral("Form"), QStringLiteral("z"), QStringLiteral("new"));
        QVERIFY(first.save().ok);
        const QByteArray json = TestFiles::read(m_path);
        QVERIFY(json.indexOf("\"B\"") < json.indexOf("\"Form\""));
        QVERIFY(!json.contains("\"k\": \"Form\""));
    }

    void unusableFilesAreKeptAsideAndTheStoreStartsEmpty_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("truncated document")
            << QByteArray("{\n    \"Tokrenu\": {\n        \"Form\": {\n            \"a\": \"b");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("not an object") << QByteArray("[\"Tokrenu\"]");
        QTest::newRow("number for a value") << QByteArray("{\"Tokrenu\": {\"Settings\": {\"MaxFileSize\": 1024}}}");
        QTest::newRow("text for a section") << QByteArray("{\"Tokrenu\": {\"Settings\": \"x\"}}");
        QTest::newRow("object one level too deep") << QByteArray("{\"Tokrenu\": {\"A\": {\"k\": {\"v\": \"x\"}}}}");
        QTest::newRow("another application") << QByteArray("{\"Other\": {}}");
        QTest::newRow("text after the document") << QByteArray("{} {}");
        QTest::newRow("invalid UTF-8") << QByteArray("{\"Tokrenu\": {\"A\": {\"k\": \"\x83\x65\"}}}");
        QTest::newRow("unknown escape") << QByteArray("{\"Tokrenu\": {\"A\": {\"k\": \"\\x41\"}}}");
        QTest::newRow("short \\u escape") << QByteArray("{\"Tokrenu\": {\"A\": {\"k\": \"\\u41\"}}}");
        QTest::newRow("raw line break in a text") << QByteArray("{\"Tokrenu\": {\"A\": {\"k\": \"a\nb\"}}}");
        QTest::newRow("deep nesting") << QByteArray(100000, '[');
        QTest::newRow("binary noise") << QByteArray::fromHex("00ff7b22fe00");
    }
    void unusableFilesAreKeptAsideAndTheStoreStartsEmpty() {
        QFETCH(QByteArray, bytes);
        QVERIFY(TestFiles::write(m_path, bytes));
        JsonSettingsStore broken = store();
        const SettingsLoad loaded = broken.load();
        QCOMPARE(loaded.state, SettingsLoadState::SetAside);
        QCOMPARE(loaded.keptAs, m_path + QStringLiteral(".broken-20261208-070000"));
        QVERIFY(!loaded.reason.isEmpty());
        QCOMPARE(TestFiles::read(loaded.keptAs), bytes);
        QVERIFY(!QFileInfo::exists(m_path));
        QVERIFY(broken.readSection(QStringLiteral("A")).isEmpty());

        broken.writeSetting(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
        QVERIFY(broken.save().ok);
        QCOMPARE(store().load().state, SettingsLoadState::Loaded);
        QCOMPARE(TestFiles::read(loaded.keptAs), bytes);
    }

    void readableOddities_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("value");
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF{\"Tokrenu\": {\"A\": {\"k\": \"v\"}}}") << "v";
        QTest::newRow("escaped pair") << QByteArray("{\"Tokrenu\":{\"A\":{\"k\":\"\\ud83d\\ude00\\/\"}}}")
                                      << "\U0001F600/";
        QTest::newRow("key written twice keeps the last value")
            << QByteArray("{\"Tokrenu\": {\"A\": {\"k\": \"1\", \"j\": \"2\", \"k\": \"3\"}}}") << "3";
        QTest::newRow("empty application") << QByteArray(" {\r\n} ") << "-";
    }
    void readableOddities() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, value);
        QVERIFY(TestFiles::write(m_path, bytes));
        JsonSettingsStore odd = store();
        QCOMPARE(odd.load().state, SettingsLoadState::Loaded);
        QCOMPARE(odd.readSetting(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("-")), value);
        if (value == QLatin1String("3"))
            QCOMPARE(odd.readSection(QStringLiteral("A")).first(), SettingsEntry({"k", "3"}));
    }

    void aFolderInThePlaceOfTheFileIsMovedAsideToo() {
        QVERIFY(QDir().mkpath(m_path + QStringLiteral("/inside")));
        JsonSettingsStore odd = store();
        QCOMPARE(odd.load().state, SettingsLoadState::SetAside);
        QVERIFY(QFileInfo::exists(m_path + QStringLiteral(".broken-20261208-070000/inside")));
    }

    void twoFilesKeptAsideInOneSecondGetTheirOwnNames() {
        QVERIFY(TestFiles::write(m_path, "first"));
        QCOMPARE(store().load().state, SettingsLoadState::SetAside);
        QVERIFY(TestFiles::write(m_path, "second"));
        const SettingsLoad again = store().load();
        QCOMPARE(again.keptAs, m_path + QStringLiteral(".broken-20261208-070000-2"));
        QCOMPARE(TestFiles::read(m_path + QStringLiteral(".broken-20261208-070000")), QByteArray("first"));
        QCOMPARE(TestFiles::read(again.keptAs), QByteArray("second"));
    }

    // The name kept aside would be too long for the file system: the file stays, and no save replaces it.
    void aFileThatCannotBeMovedAsideIsNeverOverwritten() {
        m_path = m_dir->filePath(QString(240, QLatin1Char('s')));
        QVERIFY(TestFiles::write(m_path, "not json"));
        JsonSettingsStore stuck = store();
        QCOMPARE(stuck.load().state, SettingsLoadState::Unusable);
        stuck.writeSetting(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
        QVERIFY(!stuck.save().ok);
        QCOMPARE(TestFiles::read(m_path), QByteArray("not json"));
        QVERIFY(stuck.deleteStoreKey().ok);
        QVERIFY(!QFileInfo::exists(m_path));
    }

    void aSaveThatCannotWriteSaysWhyAndKeepsThePreviousFile() {
        JsonSettingsStore first = store();
        first.writeSetting(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("old"));
        QVERIFY(first.save().ok);
        const QByteArray before = TestFiles::read(m_path);

        // A file too big for the limit stands for a full disk.
        first.writeSetting(QStringLiteral("A"), QStringLiteral("k"), QString(20000, QLatin1Char('n')));
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 1000;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const SettingsResult result = first.save();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(TestFiles::read(m_path), before);
        QCOMPARE(filesBeside(), QStringList({"settings.json"}));
        QVERIFY(first.save().ok);
        JsonSettingsStore reread = store();
        (void)reread.load();
        QCOMPARE(reread.readSetting(QStringLiteral("A"), QStringLiteral("k"), QString()).size(), 20000);
    }

    void aSaveIntoAFolderThatCannotBeMadeFails() {
        QVERIFY(TestFiles::write(m_dir->filePath(QStringLiteral("file"))));
        JsonSettingsStore nowhere(m_dir->filePath(QStringLiteral("file/Tokrenu/settings.json")), m_clock);
        nowhere.writeSetting(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
        const SettingsResult result = nowhere.save();
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
    }

    void aCrashDuringASaveLeavesThePreviousFileWhole() {
        JsonSettingsStore first = store();
        first.writeSetting(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("old"));
        QVERIFY(first.save().ok);
        const QByteArray before = TestFiles::read(m_path);
        first.writeSetting(QStringLiteral("A"), QStringLiteral("k"), QString(100000, QLatin1Char('n')));

        const pid_t child = fork();
        if (child == 0) {
            // Writing past the limit kills the process in the middle of the save.
            rlimit small{1000, 1000};
            std::signal(SIGXFSZ, SIG_DFL);
            setrlimit(RLIMIT_FSIZE, &small);
            (void)first.save();
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGXFSZ);
        QCOMPARE(TestFiles::read(m_path), before);
        JsonSettingsStore reread = store();
        QCOMPARE(reread.load().state, SettingsLoadState::Loaded);
        QCOMPARE(reread.readSetting(QStringLiteral("A"), QStringLiteral("k"), QString()), QStringLiteral("old"));
    }

    void deletingTheWholeStoreRemovesTheFileAtOnce() {
        JsonSettingsStore first = store();
        first.writeSetting(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
        QVERIFY(first.save().ok);
        QVERIFY(first.deleteStoreKey().ok);
        QVERIFY(!QFileInfo::exists(m_path));
        QCOMPARE(first.readSetting(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("-")), QStringLiteral("-"));
        QCOMPARE(store().load().state, SettingsLoadState::NoFile);
        QVERIFY(first.deleteStoreKey().ok);
    }

    void theFileLivesUnderTheConfigurationHome_data() {
        QTest::addColumn<QByteArray>("configHome");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XDG_CONFIG_HOME") << QByteArray("/tmp/conf/") << "/tmp/conf/Tokrenu/settings.json";
        QTest::newRow("unset") << QByteArray() << QDir::homePath() + "/.config/Tokrenu/settings.json";
        QTest::newRow("relative is ignored")
            << QByteArray("conf") << QDir::homePath() + "/.config/Tokrenu/settings.json";
    }
    void theFileLivesUnderTheConfigurationHome() {
        QFETCH(QByteArray, configHome);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", configHome);
        const QString path = JsonSettingsStore::defaultFilePath();
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(path, expected);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
