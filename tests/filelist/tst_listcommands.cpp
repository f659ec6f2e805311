#include "filelist/ListCommands.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestListCommands)
#include "tst_listcommands.moc"
