#include "execution/PlanPreview.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FixedClock.h"
#include "fakes/TestFiles.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

QString state(PreviewState s) {
    switch (s) {
    case PreviewState::Pending:
        return QStringLiteral("pending");
    case PreviewState::Unchanged:
        return QStringLiteral("unchanged");
    case PreviewState::Renamed:
        return QStringLiteral("renamed");
    case PreviewState::CharactersRemoved:
        return QStringLiteral("removed");
    case PreviewState::InUse:
        return QStringLiteral("in use");
    case PreviewState::Duplicate:
        return QStringLiteral("duplicate");
    case PreviewState::Error:
        return QStringLiteral("error");
    }
    return {};
}

} // namespace

// The preview of the new names: what each row will be called and whether that will work.
class TestPlanPreview : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root;
    LinuxFileSystem m_fs;
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};

    std::vector<FileRow> rows(const QStringList& names) const {
        std::vector<FileRow> list;
        for (const QString& name : names)
            list.push_back({name, m_root, {}});
        return list;
    }

private Q_SLOTS:
    void initTestCase() {
        m_root = m_dir.path() + u'/';
        for (const char* name : {"a", "b", "c", "abc", "2024-01-31", "other"})
            TestFiles::write(m_root + QLatin1String(name));
    }

    void states_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("expected"); // "name state" per row
        QTest::newRow("unchanged") << QStringList{"a"} << "name" << QStringList{"a unchanged"};
        QTest::newRow("renamed") << QStringList{"a"} << "\"x\" & name" << QStringList{"xa renamed"};
        QTest::newRow("an error for one row") << QStringList{"2024-01-31", "abc"} << "format(cdate(fn),\"yyyymmdd\")"
                                              << QStringList{"20240131 renamed", " error"};
        QTest::newRow("the same name as another row")
            << QStringList{"a", "b"} << "\"x\"" << QStringList{"x duplicate", "x duplicate"};
        QTest::newRow("a name held by a row that keeps it")
            << QStringList{"a", "b"} << "\"b\"" << QStringList{"b duplicate", "b duplicate"};
        QTest::newRow("a name a file outside the list holds")
            << QStringList{"a"} << "\"other\"" << QStringList{"other in use"};
        QTest::newRow("a chain frees each name")
            << QStringList{"a", "b"} << "replace(replace(name,\"b\",\"d\"),\"a\",\"b\")"
            << QStringList{"b renamed", "d renamed"};
        QTest::newRow("characters removed") << QStringList{"a"} << "\"x:\" & name" << QStringList{"xa removed"};
        QTest::newRow("a name too long for any folder")
            << QStringList{"a"} << "string(300,\"x\")" << QStringList{" error"};
        QTest::newRow("numbering follows the rows")
            << QStringList{"c", "a"} << "|n,1,n+1:00|" << QStringList{"01 renamed", "02 renamed"};
    }
    void states() {
        QFETCH(QStringList, files);
        QFETCH(QString, format);
        QFETCH(QStringList, expected);
        PlanPreview preview(m_fs, m_clock);
        RunOptions options;
        options.build.alwaysFunction = !format.startsWith(u'|');
        QString message;
        QVERIFY(preview.start(format, rows(files), options, message));
        QVERIFY(preview.work(std::chrono::seconds(10)));
        QStringList shown;
        for (const NamePreview& row : preview.rows())
            shown.append(row.name + u' ' + state(row.state));
        QCOMPARE(shown, expected);
        for (const NamePreview& row : preview.rows()) {
            if (row.state == PreviewState::Error || row.state == PreviewState::Duplicate ||
                row.state == PreviewState::InUse)
                QVERIFY(!row.reason.isEmpty());
        }
    }

    // A reading of the folders that has not come when the check begins leaves it to look at each place; the next
    // preview starts without waiting for that reading.
    void foldersReadLate() {
        FaultyFileSystem fs(m_fs);
        QSemaphore held;
        fs.beforeListing = [&held](const QString&) {
            held.acquire();
        };
        std::atomic<bool> startsDone = false;
        std::atomic<bool> freedByWatchdog = false;
        std::thread watchdog([&] {
            for (int i = 0; i < 300 && !startsDone; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (!startsDone) {
                freedByWatchdog = true;
                held.release(100);
            }
        });
        // Runs after the preview, whose end waits for the readings, is gone.
        const auto joined = qScopeGuard([&] { watchdog.join(); });
        {
            PlanPreview preview(fs, m_clock);
            QString message;
            QVERIFY(preview.start(QStringLiteral("\"other\""), rows({"a"}), RunOptions(), message));
            QVERIFY(preview.work(std::chrono::seconds(10)));
            QCOMPARE(state(preview.rows().front().state), QStringLiteral("in use"));
            QVERIFY(preview.start(QStringLiteral("\"x\" & name"), rows({"a"}), RunOptions(), message));
            QVERIFY(preview.work(std::chrono::seconds(10)));
            QCOMPARE(preview.rows().front().name, QStringLiteral("xa"));
            QCOMPARE(state(preview.rows().front().state), QStringLiteral("renamed"));
            startsDone = true;
            QVERIFY(!freedByWatchdog);
            held.release(2);
        }
    }

    // A format that does not build names nothing and says why in one line; a blank one says nothing.
    void formatsThatDoNotBuild() {
        PlanPreview preview(m_fs, m_clock);
        QString message;
        QVERIFY(!preview.start(QStringLiteral("mid(fn)"), rows({"a"}), RunOptions(), message));
        QCOMPARE(message, QStringLiteral("mid 省略できない引数が指定されていません。"));
        QVERIFY(preview.finished());
        QVERIFY(preview.rows().empty());
        QVERIFY(preview.start(QStringLiteral("  "), rows({"a"}), RunOptions(), message));
        QCOMPARE(message, QString());
        QVERIFY(preview.rows().empty());
    }

    // Rows on screen are named first when no name waits for the rows before it; counters keep the order.
    void rowsOnScreenFirst_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("screenFirst");
        QTest::newRow("names of their own") << "\"x\" & index" << true;
        QTest::newRow("a counter") << "number(\"n\",1,\"n+1\")" << false;
    }
    void rowsOnScreenFirst() {
        QFETCH(QString, format);
        QFETCH(bool, screenFirst);
        QStringList names;
        for (int i = 0; i < 5000; ++i)
            names.append(QStringLiteral("f%1").arg(i));
        PlanPreview preview(m_fs, m_clock);
        QString message;
        QVERIFY(preview.start(format, rows(names), RunOptions(), message));
        preview.prefer(4000, 4010);
        preview.work(std::chrono::microseconds(0));
        QCOMPARE(preview.rows()[4005].state != PreviewState::Pending, screenFirst);
        while (!preview.work(std::chrono::milliseconds(5))) {
        }
        QCOMPARE(preview.rows()[4005].name, screenFirst ? QStringLiteral("x4006") : QStringLiteral("4006"));
        QCOMPARE(preview.summary().changed, 5000);
    }
};

QTEST_GUILESS_MAIN(TestPlanPreview)
#include "tst_planpreview.moc"
