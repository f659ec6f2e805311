#include "filelist/ListCommands.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

namespace {

// "..X.X" reads as five rows, the third and fifth selected.
std::vector<bool> flags(const char* rows) {
    std::vector<bool> selected;
    for (const char* c = rows; *c != '\0'; ++c)
        selected.push_back(*c == 'X');
    return selected;
}

QString shown(const RowMove& move) {
    QString text;
    for (std::size_t i = 0; i < move.order.size(); ++i)
        text += QString::number(move.order[i] + 1) + (move.selected[i] ? u'*' : u' ');
    return text.trimmed();
}

// The reordering drop step by step as the list control did it: a copy of each selected row inserted at the
// target, the row itself removed, on 1-based positions. Returns the rows as they end, with marks.
QString dropOneByOne(const std::vector<bool>& selected, qsizetype target) {
    struct Row {
        qsizetype content;
        bool selected;
    };
    std::vector<Row> rows;
    for (std::size_t i = 0; i < selected.size(); ++i)
        rows.push_back({static_cast<qsizetype>(i), selected[i]});
    auto at = [&rows](qsizetype position) -> Row& {
        return rows[static_cast<std::size_t>(position - 1)];
    };
    auto n = static_cast<qsizetype>(rows.size());
    qsizetype t = target + 1;
    qsizetype moved = 0;
    bool after = false;
    for (qsizetype i = 1; i <= n; ++i) {
        if (!at(i).selected)
            continue;
        const qsizetype content = at(i).content;
        if (i < t) {
            if (!after) {
                after = true;
                ++t;
            }
            rows.insert(rows.begin() + (t + moved - 1), Row{content, false});
            rows.erase(rows.begin() + (i - 1));
            --t;
            --i;
        } else {
            rows.insert(rows.begin() + (t + moved - 1), Row{content, false});
            rows.erase(rows.begin() + i);
        }
        ++moved;
    }
    QString text;
    for (qsizetype p = 1; p <= n; ++p)
        text += QString::number(at(p).content + 1) + (p >= t && p < t + moved ? u'*' : u' ');
    return text.trimmed();
}

} // namespace

// Moving selected rows one place: which row lands where, and which are selected afterwards (marked *).
class TestListCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void moves_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("result");
        QTest::newRow("up with only the first row changes nothing") << "X...." << true << "1*2 3 4 5";
        QTest::newRow("down with only the last row changes nothing") << "....X" << false << "1 2 3 4 5*";
        QTest::newRow("a block of two moves up as a block") << "..XX." << true << "1 3*4*2 5";
        QTest::newRow("a block of two moves down as a block") << ".XX.." << false << "1 4 2*3*5";
        QTest::newRow("up with the first two selected swaps them, the first losing its mark")
            << "XX..." << true << "2*1 3 4 5";
        QTest::newRow("down with the last two selected is its mirror") << "...XX" << false << "1 2 3 5 4*";
        QTest::newRow("rows apart move on their own") << ".X.X." << true << "2*1 4*3 5";
        QTest::newRow("nothing selected changes nothing") << "....." << true << "1 2 3 4 5";
        QTest::newRow("every row selected stays, the first losing its mark") << "XXX" << true << "2*3*1";
        QTest::newRow("an empty list") << "" << false << "";
    }
    void moves() {
        QFETCH(QString, selected);
        QFETCH(bool, up);
        QFETCH(QString, result);
        const std::vector<bool> rows = flags(selected.toLatin1().constData());
        const RowMove move = up ? moveSelectedUp(rows) : moveSelectedDown(rows);
        QCOMPARE(shown(move), result);
    }

    // Selected rows dragged onto a row (target counted from 1).
    void drops_data() {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("moved");
        QTest::newRow("one row from above lands after the target") << ".X..." << 4 << "1 3 4 2*5" << true;
        QTest::newRow("one row from below lands before the target") << "...X." << 2 << "1 4*2 3 5" << true;
        QTest::newRow("rows from both sides land after the target in their order")
            << "X...X" << 3 << "2 3 1*5*4" << true;
        QTest::newRow("rows from below land before the first row") << "...XX" << 1 << "4*5*1 2 3" << true;
        QTest::newRow("rows from below land before the target") << "..X.X" << 2 << "1 3*5*2 4" << true;
        QTest::newRow("a row onto its lower neighbour swaps them") << "X...." << 2 << "2 1*3 4 5" << true;
        QTest::newRow("rows onto the last row end the list") << "XX..." << 5 << "3 4 5 1*2*" << true;
        QTest::newRow("a drop on a selected row changes nothing") << ".XX.." << 3 << "1 2*3*4 5" << false;
        QTest::newRow("a drop on no row changes nothing") << ".X..." << 0 << "1 2*3 4 5" << false;
        QTest::newRow("a drop past the last row changes nothing") << ".X..." << 6 << "1 2*3 4 5" << false;
        QTest::newRow("nothing selected changes nothing") << "....." << 3 << "1 2 3 4 5" << false;
    }
    void drops() {
        QFETCH(QString, selected);
        QFETCH(int, target);
        QFETCH(QString, result);
        QFETCH(bool, moved);
        const RowMove move = dropSelectedOnto(flags(selected.toLatin1().constData()), target - 1);
        QCOMPARE(shown(move), result);
        QCOMPARE(move.moved, moved);
    }

    // Any selection dropped on any row that is not selected ends as the list control's own steps left it.
    void dropsEndAsTheStepByStepMove() {
        QRandomGenerator random(7);
        for (int round = 0; round < 3000; ++round) {
            std::vector<bool> selected(static_cast<std::size_t>(random.bounded(1, 12)));
            for (auto&& flag : selected)
                flag = random.bounded(3) == 0;
            const auto target = static_cast<qsizetype>(random.bounded(static_cast<int>(selected.size())));
            if (selected[static_cast<std::size_t>(target)] ||
                std::none_of(selected.begin(), selected.end(), [](bool b) { return b; }))
                continue;
            QCOMPARE(shown(dropSelectedOnto(selected, target)), dropOneByOne(selected, target));
        }
    }
};

QTEST_GUILESS_MAIN(TestListCommands)
#include "tst_listcommands.moc"
