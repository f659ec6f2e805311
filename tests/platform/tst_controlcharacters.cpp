#include "platform/ControlCharacters.h"

#include <QTest>

// Control characters are found wherever they stand in a name, and only they are shown as their pictures.
class TestControlCharacters : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void foundAnywhere_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString plain = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
        auto with = [&plain](qsizetype at, char16_t c) {
            return QString(plain).replace(at, 1, QChar(c));
        };
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("none") << plain << plain;
        QTest::newRow("first") << with(0, u'\n') << with(0, u'\u240a');
        QTest::newRow("end of a block of sixteen") << with(15, u'\t') << with(15, u'\u2409');
        QTest::newRow("start of the next block") << with(16, u'\x01') << with(16, u'\u2401');
        QTest::newRow("delete") << with(31, u'\x7f') << with(31, u'\u2421');
        QTest::newRow("after the last whole block") << with(35, u'\x1f') << with(35, u'\u241f');
        QTest::newRow("not below U+0020 nor U+007F") << with(20, u'\u0080') << with(20, u'\u0080');
    }
    void foundAnywhere() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(hasControlCharacters(text), text != shown);
        QCOMPARE(withVisibleControls(text), shown);
    }
};

QTEST_GUILESS_MAIN(TestControlCharacters)
#include "tst_controlcharacters.moc"
