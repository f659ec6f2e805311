#include "execution/LogPages.h"

#include <QTest>

namespace {

// A log of about the given length in characters made of blocks that each end in a blank line.
QString blockLog(qsizetype length, qsizetype blockLength = 300) {
    QString log;
    int n = 0;
    while (log.size() < length) {
        const QString head = QStringLiteral("* /d/file%1.txt\r\n").arg(n++);
        log += head + QString(std::max<qsizetype>(0, blockLength - head.size() - 2), QLatin1Char('x')) +
               QStringLiteral("\r\n\r\n");
    }
    return log.left(length);
}

const QString kNext = QStringLiteral("--- 次のページを見るには<Ctrl+N>を押してください。 ---");
const QString kPrevious = QStringLiteral("--- 前のページを見るには<Ctrl+P>を押してください。 ---");

} // namespace

class TestLogPages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exactlySixtyThousandBytesIsOnePage() {
        const QString log = blockLog(30000);
        LogPages pages(log);
        QVERIFY(!pages.isPaged());
        QCOMPARE(pages.currentPage(), 0);
        QCOMPARE(pages.shownText(), log);
        QCOMPARE(pages.captionSuffix(), QStringLiteral(" 1/1"));
        QVERIFY(!pages.nextPage());
    }

    void hundredThousandCharactersMakeFourPages() {
        const QString log = blockLog(100000);
        LogPages pages(log);
        QCOMPARE(pages.pageCount(), 4);
        QCOMPARE(pages.captionSuffix(), QStringLiteral(" 1/4"));
        // Each page but the last ends right after the first blank line past each 30,000-character mark.
        qsizetype previous = 0;
        for (const qsizetype boundary : pages.boundaries()) {
            QVERIFY(log.mid(boundary - 4, 4) == QStringLiteral("\r\n\r\n"));
            QVERIFY(boundary - previous >= 30000 && boundary - previous < 30000 + 300 + 4);
            previous = boundary;
        }
        QString joined;
        for (int p = 1; p <= 4; ++p)
            joined += pages.page(p);
        QCOMPARE(joined, log);
        QCOMPARE(pages.shownText(), pages.page(1) + kNext);
    }

    void turningPages() {
        const QString log = blockLog(100000);
        LogPages pages(log);
        QVERIFY(!pages.previousPage()); // page 1 stays
        QVERIFY(pages.nextPage());
        QCOMPARE(pages.captionSuffix(), QStringLiteral(" 2/4"));
        QCOMPARE(pages.shownText(), kPrevious + QStringLiteral("\r\n\r\n") + pages.page(2) + kNext);
        QVERIFY(pages.nextPage());
        QVERIFY(pages.nextPage());
        QCOMPARE(pages.shownText(), kPrevious + QStringLiteral("\r\n\r\n") + pages.page(4));
        QVERIFY(!pages.nextPage()); // the last page stays
        QCOMPARE(pages.currentPage(), 4);
        QVERIFY(pages.previousPage());
        QCOMPARE(pages.shownText(),
                 kPrevious + QStringLiteral("\r\n\r\n") + pages.page(3) + kNext + QStringLiteral("\r\n\r\n"));
        QVERIFY(pages.previousPage());
        QVERIFY(pages.previousPage());
        QCOMPARE(pages.shownText(), pages.page(1) + kNext + QStringLiteral("\r\n\r\n"));
        QCOMPARE(pages.captionSuffix(), QStringLiteral(" 1/4"));
    }

    void pagesWithoutBlankLinesEndAtTheLimit() {
        const QString log(70000, QLatin1Char('y'));
        LogPages pages(log);
        QCOMPARE(pages.boundaries(), std::vector<qsizetype>({31900, 63800}));
        QCOMPARE(pages.pageCount(), 3);
    }

    // A name of characters outside the basic plane, cut at the limit, keeps each character whole.
    void pagesNeverSplitACharacter() {
        const QString log = QStringLiteral("y") +
                            QString(70000, QLatin1Char('x')).replace(QLatin1Char('x'), QStringLiteral("\U0001F600"));
        LogPages pages(log);
        QString joined;
        for (int number = 1; number <= pages.pageCount(); ++number) {
            const QString page = pages.page(number);
            QVERIFY(!page.front().isLowSurrogate());
            QVERIFY(!page.back().isHighSurrogate());
            joined += page;
        }
        QCOMPARE(joined, log);
    }
};

QTEST_GUILESS_MAIN(TestLogPages)
#include "tst_logpages.moc"
