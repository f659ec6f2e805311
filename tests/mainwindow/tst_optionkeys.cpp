#include "mainwindow/OptionKeys.h"

#include <QSet>
#include <QTest>

// The table of options: how values are written and read back, and that it names each key and item once.
class TestOptionKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void booleansReadBack_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // -1: does not parse
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("any letter case") << "tRUE" << 1;
        QTest::newRow("False") << "False" << 0;
        QTest::newRow("a number other than 0") << "-1" << 1;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("anything else") << "yes" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void booleansReadBack() {
        QFETCH(QString, text);
        QFETCH(int, value);
        const std::optional<bool> read = decodeBoolean(text);
        QCOMPARE(read.has_value(), value >= 0);
        if (read)
            QCOMPARE(*read, value == 1);
    }

    // Every value written at first start reads back as itself; a value that does not parse keeps the old one.
    void firstStartValuesRoundTrip() {
        const Options first;
        QSet<QString> keys;
        QSet<QString> actions;
        for (const OptionKey& option : optionKeys()) {
            Options read;
            read.recycled = false;
            read.wildCard.clear();
            read.maxFileSize = 0;
            QVERIFY(decodeOption(read, option, encodeOption(first, option)));
            QCOMPARE(encodeOption(read, option), encodeOption(first, option));
            if (option.section != nullptr) {
                const QString key = QLatin1String(option.section) + u'/' + QLatin1String(option.key);
                QVERIFY2(!keys.contains(key), qPrintable(key));
                keys.insert(key);
            }
            if (option.action != nullptr) {
                QVERIFY2(!actions.contains(QLatin1String(option.action)), option.action);
                actions.insert(QLatin1String(option.action));
                QCOMPARE(optionForAction(QString::fromLatin1(option.action)), &option);
            }
        }
        Options kept;
        const OptionKey* size = nullptr;
        for (const OptionKey& option : optionKeys()) {
            if (qstrcmp(option.key, "MaxFileSize") == 0)
                size = &option;
        }
        QVERIFY(size != nullptr);
        QVERIFY(!decodeOption(kept, *size, QStringLiteral("many")));
        QCOMPARE(kept.maxFileSize, 1024);
        QCOMPARE(encodeOption(first, *optionForAction(u"mnuRecycled")), QStringLiteral("True"));
    }
};

QTEST_GUILESS_MAIN(TestOptionKeys)
#include "tst_optionkeys.moc"
