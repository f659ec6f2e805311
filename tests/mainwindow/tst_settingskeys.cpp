#include "fakes/MemorySettingsStore.h"
#include "mainwindow/Options.h"
#include "mainwindow/SettingsKeys.h"
#include "mainwindow/WindowSettings.h"

#include <QTest>

namespace {

// Every section, key and value of a store, in order, one line each.
QStringList dump(const SettingsTree& tree) {
    QStringList lines;
    for (const SettingsTree::Section& section : tree.sections()) {
        for (const SettingsEntry& entry : section.entries)
            lines.append(section.name + u'/' + entry.key + u'=' + entry.value);
    }
    return lines;
}

} // namespace

// The settings keys: what a first start writes, what a restart reads back, and values that do not parse.
class TestSettingsKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstStartWritesTheDefaults() {
        MemorySettingsStore store;
        Options options;
        WindowSettings window;
        SettingsKeys::load(store, options, window);
        QCOMPARE(window, WindowSettings());
        window.columns = {{"filename", 150}, {"path", 180}, {"size", 80}, {"lastwritetime", 100}, {"attribute", 70}};
        SettingsKeys::save(store, options, window);
        QVERIFY(store.save().ok);
        const QStringList lines = dump(store.stored);
        QCOMPARE(lines.mid(0, 12),
                 QStringList({"WindowSize/Top=0", "WindowSize/Left=0", "WindowSize/Height=5000",
                              "WindowSize/Width=7000", "WindowSize/HeightOfLog=5000", "WindowSize/WidthOfLog=5000",
                              "ListColumn/1=filename 150", "ListColumn/2=path 180", "ListColumn/3=size 80",
                              "ListColumn/4=lastwritetime 100", "ListColumn/5=attribute 70", "Settings/Sorted=False"}));
        for (const char* line :
             {"Settings/Ascending=True", "Settings/ToolTipText=True", "Settings/ShowLog=True", "Font/ListFontSize=9",
              "Font/LogFontName=ＭＳ Ｐゴシック", "Settings/WildCard=*.*", "Settings/FileAttributes=0",
              "Folder/Check=False", "Folder/TargetFolder=（なし）", "Settings/Recycled=True",
              "Settings/DelNoUseChr=True", "Settings/NoFormat=True", "Settings/FunctionStyle=True",
              "Settings/MaxFileSize=1024", "Settings/InitDir=", "Settings/ToolbarCaption=True",
              "Coolbar/1= True 0 True", "Coolbar/2= True 0 True", "Settings/ShowStatusBar=True"})
            QVERIFY2(lines.contains(QString::fromUtf8(line)), line);
        // Nothing of what starts unchecked at every start is kept.
        QVERIFY(!lines.join(u'\n').contains(QStringLiteral("Multidest")));
        QVERIFY(!lines.join(u'\n').contains(QStringLiteral("RENAMEONCOLLISION")));
    }

    void everyValueComesBack() {
        MemorySettingsStore store;
        Options options;
        options.wildCard = QStringLiteral("*.jpg;*.png");
        options.ignoredAttributes = 6;
        options.moveToFolder = true;
        options.targetFolder = QStringLiteral("/home/u/写真/");
        options.ascending = false;
        options.autoSort = true;
        options.maxFileSize = 32000;
        options.showStatusBar = false;
        options.deleteInvalidChars = false;
        options.initDir = QStringLiteral("/tmp/");
        options.multidestFiles = true;
        WindowSettings window;
        window.topTwips = 1234.5;
        window.leftTwips = -300;
        window.widthTwips = 9000;
        window.columns = {{"size", 120},          {"filename", 150}, {"newname", 200},
                          {"lastwritetime", 100}, {"path", 180},     {"attribute", 70}};
        options.preview = false;
        window.listFontName = QStringLiteral("IPAPGothic");
        window.listFontSize = 10.5;
        window.logFontSize = 12;
        window.bands = {BandSetting{"filename", true, 3000, true}, BandSetting{"toolbar", false, 4500, false}};
        SettingsKeys::save(store, options, window);
        QVERIFY(store.save().ok);

        MemorySettingsStore restarted;
        restarted.stored = store.stored;
        restarted.load();
        Options read;
        WindowSettings readWindow;
        SettingsKeys::load(restarted, read, readWindow);
        QCOMPARE(readWindow, window);
        options.multidestFiles = false; // never kept: every start has it off
        QCOMPARE(read.runOptions().targetFolder, options.targetFolder);
        QCOMPARE(read.wildCard, options.wildCard);
        QCOMPARE(read.ignoredAttributes, 6);
        QCOMPARE(read.ascending, false);
        QCOMPARE(read.autoSort, true);
        QCOMPARE(read.maxFileSize, 32000);
        QCOMPARE(read.showStatusBar, false);
        QCOMPARE(read.deleteInvalidChars, false);
        QCOMPARE(read.initDir, options.initDir);
        QCOMPARE(read.multidestFiles, false);
        QCOMPARE(read.preview, false);

        // Settings from before the new-name column: five columns, and that one stays where it starts.
        restarted.deleteStoreKey(QStringLiteral("ListColumn"));
        const char* const fiveColumns[] = {"size 120", "filename 150", "path 180", "lastwritetime 100", "attribute 70"};
        for (int i = 0; i < 5; ++i)
            restarted.writeSetting(QStringLiteral("ListColumn"), QString::number(i + 1),
                                   QString::fromLatin1(fiveColumns[i]));
        SettingsKeys::load(restarted, read, readWindow);
        QCOMPARE(readWindow.columns.size(), std::size_t{5});
        QCOMPARE(readWindow.columns[2].key, QStringLiteral("path"));
    }

    // A value that does not parse in its encoding falls back to its default, each on its own.
    void unreadableValuesFallBackOneByOne_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("a boolean that is none") << "Settings"
                                                << "Recycled"
                                                << "perhaps";
        QTest::newRow("a size out of range") << "Settings"
                                             << "MaxFileSize"
                                             << "32001";
        QTest::newRow("a size that is no number") << "Settings"
                                                  << "MaxFileSize"
                                                  << "many";
        QTest::newRow("a width that is no number") << "WindowSize"
                                                   << "Width"
                                                   << "wide";
        QTest::newRow("a column without a space") << "ListColumn"
                                                  << "1"
                                                  << "filename";
        QTest::newRow("a column of no kind") << "ListColumn"
                                             << "1"
                                             << "colour 40";
        QTest::newRow("a band of three fields") << "Coolbar"
                                                << "1"
                                                << "toolbar True 0";
        QTest::newRow("a font size below one") << "Font"
                                               << "LogFontSize"
                                               << "0";
    }
    void unreadableValuesFallBackOneByOne() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, text);
        MemorySettingsStore store;
        store.writeSetting(section, key, text);
        store.writeSetting(QStringLiteral("Settings"), QStringLiteral("WildCard"), QStringLiteral("*.txt"));
        Options options;
        WindowSettings window;
        SettingsKeys::load(store, options, window);
        Options expected;
        expected.wildCard = QStringLiteral("*.txt");
        QCOMPARE(options.runOptions().recycled, expected.recycled);
        QCOMPARE(options.maxFileSize, expected.maxFileSize);
        QCOMPARE(options.wildCard, expected.wildCard);
        QCOMPARE(window, WindowSettings());
    }

    void singlesKeepSevenDigits_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("a whole number") << 5000.0 << "5000";
        QTest::newRow("a half") << 1234.5 << "1234.5";
        QTest::newRow("more digits than a single holds") << 1234.56789 << "1234.568";
        QTest::newRow("large") << 123456789.0 << "1.234568e+08";
    }
    void singlesKeepSevenDigits() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(SettingsKeys::singleText(value), text);
    }
};

QTEST_GUILESS_MAIN(TestSettingsKeys)
#include "tst_settingskeys.moc"
