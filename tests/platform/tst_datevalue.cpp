#include "fakes/TestFiles.h"
#include "platform/AttributeBits.h"
#include "platform/DateValue.h"
#include "platform/FileTimes.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QTemporaryDir>
#include <QTest>

using DateValue::Civil;

class TestDateValue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TestFiles::useTimeZone("Asia/Tokyo"); }

    void civilConversions_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("day zero is midnight alone") << 0.0 << QStringLiteral("0:00:00");
        QTest::newRow("noon on day zero is a time alone") << 0.5 << QStringLiteral("12:00:00");
        QTest::newRow("midnight leaves the time out") << 36526.0 << QStringLiteral("2000/01/01");
        QTest::newRow("hour without leading zero")
            << 36526.0 + (9 * 3600 + 5 * 60 + 7) / 86400.0 << QStringLiteral("2000/01/01 9:05:07");
        QTest::newRow("negative value counts its fraction forward") << -1.25 << QStringLiteral("1899/12/29 6:00:00");
        QTest::newRow("negative whole day") << -2.0 << QStringLiteral("1899/12/28");
        QTest::newRow("fraction a hair below a day rounds up") << 36526.0 + 0.999999999 << QStringLiteral("2000/01/02");
        QTest::newRow("year 100 padded to four digits") << -657434.0 << QStringLiteral("0100/01/01");
        QTest::newRow("last second of year 9999")
            << 2958465.0 + 86399.0 / 86400.0 << QStringLiteral("9999/12/31 23:59:59");
    }
    void civilConversions() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(DateValue::generalDateText(value), text);
        const auto civil = DateValue::toCivil(value);
        QVERIFY(civil.has_value());
        // Back to a value: the same value to the second.
        QVERIFY(std::fabs(DateValue::fromCivil(*civil) - value) < 0.5 / 86400.0);
    }

    void outOfRangeValuesHaveNoDate() {
        QVERIFY(!DateValue::toCivil(1e300).has_value());
        QVERIFY(!DateValue::toCivil(std::nan("")).has_value());
        QVERIFY(!DateValue::toCivil(-700000.0).has_value());
        QCOMPARE(DateValue::generalDateText(1e300), QString());
    }

    void shortDateDropsTheTime() { QCOMPARE(DateValue::shortDateText(36526.75), QStringLiteral("2000/01/01")); }

    void epochSecondsFollowTheLocalZone() {
        // 2000-01-01 00:00 in Tokyo is 1999-12-31 15:00 UTC.
        const qint64 secs = QDateTime(QDate(1999, 12, 31), QTime(15, 0), Qt::UTC).toSecsSinceEpoch();
        QCOMPARE(DateValue::fromSecsSinceEpoch(secs), 36526.0);
        QCOMPARE(DateValue::toSecsSinceEpoch(36526.0), std::optional<qint64>(secs));
    }

    void attributeLetters_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("letters");
        QTest::newRow("archive and read-only") << 33 << QStringLiteral("RA");
        QTest::newRow("all four") << 39 << QStringLiteral("RHSA");
        QTest::newRow("folder only") << 16 << QString();
        QTest::newRow("all bits") << -1 << QStringLiteral("RHSA");
        QTest::newRow("none") << 0 << QString();
    }
    void attributeLetters() {
        QFETCH(int, bits);
        QFETCH(QString, letters);
        QCOMPARE(::attributeLetters(bits), letters);
    }

    void fileTimesRoundTripToTheSecond() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(TestFiles::write(path, "x"));
        LinuxFileSystem fs;
        // 2000-01-01 12:34:56.789: the milliseconds are dropped.
        const double written = 36526.0 + (12 * 3600 + 34 * 60 + 56.789) / 86400.0;
        QVERIFY(setFileTimeFromDate(fs, path, written, FileTimeKind::LastWrite));
        const double read = getFileTimeAsDate(fs, path, FileTimeKind::LastWrite);
        QCOMPARE(DateValue::generalDateText(read), QStringLiteral("2000/01/01 12:34:56"));
        QCOMPARE(read, 36526.0 + (12 * 3600 + 34 * 60 + 56) / 86400.0);

        // The access time is written alone; the last-write time stays.
        QVERIFY(setFileTimeFromDate(fs, path, 40000.5, FileTimeKind::LastAccess));
        QCOMPARE(getFileTimeAsDate(fs, path, FileTimeKind::LastAccess), 40000.5);
        QCOMPARE(DateValue::generalDateText(getFileTimeAsDate(fs, path, FileTimeKind::LastWrite)),
                 QStringLiteral("2000/01/01 12:34:56"));
    }

    void failuresAreReportedNotFaked() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(TestFiles::write(path));
        LinuxFileSystem fs;
        QVERIFY(!setFileTimeFromDate(fs, path, 36526.0, FileTimeKind::Creation));
        QVERIFY(!setFileTimeFromDate(fs, dir.filePath(QStringLiteral("missing")), 36526.0, FileTimeKind::LastWrite));
        QVERIFY(!setFileTimeFromDate(fs, path, 1e300, FileTimeKind::LastWrite));
        QCOMPARE(getFileTimeAsDate(fs, dir.filePath(QStringLiteral("missing")), FileTimeKind::LastWrite), 0.0);
        QCOMPARE(attributeLettersOfFile(fs, dir.filePath(QStringLiteral("missing"))), QString());
    }

    void fileTimeKindFallsBackToLastWrite() {
        QCOMPARE(fileTimeKindFromInt(0), FileTimeKind::Creation);
        QCOMPARE(fileTimeKindFromInt(1), FileTimeKind::LastAccess);
        QCOMPARE(fileTimeKindFromInt(7), FileTimeKind::LastWrite);
    }
};

QTEST_GUILESS_MAIN(TestDateValue)
#include "tst_datevalue.moc"
