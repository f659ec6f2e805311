#include "fakes/ListedRows.h"
#include "filelist/FileListModel.h"
#include "filelist/RowOrder.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QAbstractItemModelTester>
#include <QCollator>
#include <QItemSelectionModel>
#include <QRandomGenerator>
#include <QTest>

#include <memory>

namespace {

// "name|path|size|date|attribute" per row; a row with a size has its details read, and missing fields are empty.
FileRow rowOf(const QString& text) {
    const QStringList parts = text.split(u'|');
    const QString folder = parts.value(1, QStringLiteral("/f/"));
    if (parts.size() < 3)
        return {parts.value(0), folder, {}};
    return readRow(parts.value(0), folder, parts.value(2).remove(u',').toLongLong(), parts.value(3), parts.value(4));
}

QString names(const FileListModel& model) {
    QStringList all;
    for (const FileRow& row : model.rows())
        all.append(row.name);
    return all.join(u' ');
}

QString selectedNames(const FileListModel& model, const QItemSelectionModel& selection) {
    QStringList all;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (selection.isRowSelected(row))
            all.append(model.row(row).name);
    }
    return all.join(u' ');
}

} // namespace

// The list's own edits: sorts by a column header and the removal of many rows, with views' marks on them.
class TestListModel : public QObject {
    Q_OBJECT

private:
    LinuxFileSystem m_fs;
    std::unique_ptr<FileListModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<QItemSelectionModel> m_selection;

    void fill(const QStringList& texts) {
        for (const QString& text : texts)
            QVERIFY(m_model->appendRow(rowOf(text)));
    }
    void select(std::initializer_list<int> rows) {
        for (const int row : rows)
            m_selection->select(m_model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

private Q_SLOTS:
    void init() {
        m_model = std::make_unique<FileListModel>(m_fs);
        m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_selection = std::make_unique<QItemSelectionModel>(m_model.get());
    }
    void cleanup() {
        m_selection.reset();
        m_tester.reset();
        m_model.reset();
    }

    // A header click turns the direction round first; the rows end ordered by the column in the new direction.
    void headerSorts_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QString>("result");
        QTest::newRow("digits in names count by their value")
            << QStringList{"file10", "file2", "File1"} << 0 << true << "File1 file2 file10";
        QTest::newRow("names in reverse")
            << QStringList{"file10", "file2", "File1"} << 0 << false << "file10 file2 File1";
        QTest::newRow("letter case and width are read alike, then told apart by character")
            << QStringList{"b", "Ａ", "a", "ｶ", "キ", "カ"} << 0 << true << "a Ａ b カ ｶ キ";
        QTest::newRow("folders in the order a reader expects")
            << QStringList{"x|/b/", "y|/a10/", "z|/a9/", "w|/a9/"} << 1 << true << "z w y x";
        QTest::newRow("sizes by their numbers")
            << QStringList{"k|/f/|1,000", "n|/f/|9", "t|/f/|10"} << 2 << true << "n t k";
        QTest::newRow("sizes by their numbers in reverse")
            << QStringList{"k|/f/|1,000", "n|/f/|9", "t|/f/|10"} << 2 << false << "k t n";
        QTest::newRow("sizes beyond 2 GiB")
            << QStringList{"big|/f/|3,221,225,472", "max|/f/|2,147,483,647", "small|/f/|5"} << 2 << true
            << "small max big";
        QTest::newRow("equal sizes keep their order either way")
            << QStringList{"a|/f/|10", "b|/f/|5", "c|/f/|10", "d|/f/|5"} << 2 << false << "a c b d";
        QTest::newRow("dates by their time, a time before ten included")
            << QStringList{"ten|/f/|0|2024/01/31 10:00:00", "nine|/f/|0|2024/01/31 9:05:00",
                           "midnight|/f/|0|2024/01/31", "eve|/f/|0|2024/01/30 23:59:59"}
            << 3 << true << "eve midnight nine ten";
        QTest::newRow("attributes by their letters")
            << QStringList{"ra|/f/|0||RA", "none|/f/|0||", "a|/f/|0||A"} << 4 << true << "none a ra";
    }
    void headerSorts() {
        QFETCH(QStringList, rows);
        QFETCH(int, column);
        QFETCH(bool, ascending);
        QFETCH(QString, result);
        fill(rows);
        m_model->setSortOrder(ascending ? Qt::DescendingOrder : Qt::AscendingOrder);
        m_model->sortByHeader(static_cast<FileColumn>(column));
        QCOMPARE(m_model->sortOrder(), ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        QCOMPARE(names(*m_model), result);
        // Sorted rows stay as they are when sorted again in the same direction.
        const std::vector<qsizetype> again =
            sortedRowOrder(m_model->rows(), static_cast<FileColumn>(column), m_model->sortOrder());
        for (std::size_t i = 0; i < again.size(); ++i)
            QCOMPARE(again[i], static_cast<qsizetype>(i));
    }

    // Names of plain ASCII are read without the collator; they must end in the collator's own order, as any
    // other names do, whatever characters and digits they hold.
    void namesEndInTheCollatorsOrder_data() {
        QTest::addColumn<bool>("ascii");
        QTest::newRow("printable ASCII") << true;
        QTest::newRow("with a name of other characters") << false;
    }
    void namesEndInTheCollatorsOrder() {
        QFETCH(bool, ascii);
        QRandomGenerator random(11);
        QStringList names;
        for (int i = 0; i < 3000; ++i) {
            QString name;
            const int length = random.bounded(1, 8);
            for (int c = 0; c < length; ++c) {
                // Digits and a few letters often, so that numbers and letter case meet.
                const int pick = random.bounded(4);
                name += pick == 0   ? QChar(u'0' + random.bounded(10))
                        : pick == 1 ? QChar(u"aAbB"[random.bounded(4)])
                                    : QChar(char16_t(0x20 + random.bounded(0x5F)));
            }
            names.append(name);
        }
        if (!ascii)
            names.append(QStringLiteral("ﾃｽﾄ"));
        std::vector<FileRow> rows;
        for (const QString& name : names)
            rows.push_back({name, QStringLiteral("/f/"), {}});
        const std::vector<qsizetype> order = sortedRowOrder(rows, FileColumn::FileName, Qt::AscendingOrder);
        QCollator collator{QLocale(QLocale::Japanese)};
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        for (std::size_t i = 1; i < order.size(); ++i) {
            const QString& before = rows[static_cast<std::size_t>(order[i - 1])].name;
            const QString& after = rows[static_cast<std::size_t>(order[i])].name;
            const int reading = collator.compare(before, after);
            QVERIFY2(reading < 0 || (reading == 0 && before <= after), qPrintable(before + u'|' + after));
        }
    }

    void everyHeaderClickTurnsTheDirection() {
        fill({"b|/2/", "a|/3/", "c|/1/"});
        QCOMPARE(m_model->sortOrder(), Qt::AscendingOrder);
        m_model->sortByHeader(FileColumn::FileName);
        QCOMPARE(names(*m_model), QStringLiteral("c b a"));
        m_model->sortByHeader(FileColumn::FileName);
        QCOMPARE(names(*m_model), QStringLiteral("a b c"));
        // Another column goes on from the direction the last click left.
        m_model->sortByHeader(FileColumn::Path);
        QCOMPARE(names(*m_model), QStringLiteral("a b c"));
        m_model->sortByHeader(FileColumn::FileName);
        QCOMPARE(names(*m_model), QStringLiteral("a b c"));
        // A sort by name after an add sets the direction the next click turns round.
        m_model->sortByName(false);
        QCOMPARE(names(*m_model), QStringLiteral("c b a"));
        m_model->sortByHeader(FileColumn::Path);
        QCOMPARE(names(*m_model), QStringLiteral("c b a"));
    }

    // After a size sort the marks stay where they were; after a text sort they go with the rows.
    void selectionAfterSorts_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("current");
        QTest::newRow("size sort leaves the marks in place") << 2 << "a"
                                                             << "a";
        QTest::newRow("name sort moves them with the rows") << 0 << "c"
                                                            << "c";
    }
    void selectionAfterSorts() {
        QFETCH(int, column);
        QFETCH(QString, selected);
        QFETCH(QString, current);
        // Sizes and names put the rows in the same order.
        fill({"c|/f/|3", "a|/f/|1", "b|/f/|2"});
        m_model->setSortOrder(Qt::DescendingOrder);
        select({0});
        m_selection->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
        m_model->sortByHeader(static_cast<FileColumn>(column));
        QCOMPARE(names(*m_model), QStringLiteral("a b c"));
        QCOMPARE(selectedNames(*m_model, *m_selection), selected);
        QCOMPARE(m_model->row(m_selection->currentIndex().row()).name, current);
    }

    void sortingNothingChangesNothing() {
        m_model->sortByHeader(FileColumn::Size);
        fill({"only|/f/|5"});
        m_model->sortByHeader(FileColumn::FileName);
        QCOMPARE(names(*m_model), QStringLiteral("only"));
        QCOMPARE(m_model->sortOrder(), Qt::AscendingOrder);
    }

    // Removed rows take their marks with them; the rows that stay keep theirs, however many runs go.
    void removals_data() {
        QTest::addColumn<QList<qsizetype>>("removed");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("current");
        QTest::newRow("one run") << QList<qsizetype>{1, 2} << "a d e f"
                                 << "a d f"
                                 << "f";
        QTest::newRow("several runs") << QList<qsizetype>{1, 2, 4} << "a d f"
                                      << "a d f"
                                      << "f";
        QTest::newRow("every other row") << QList<qsizetype>{1, 3, 5} << "a c e"
                                         << "a"
                                         << "";
        QTest::newRow("the same row twice") << QList<qsizetype>{4, 4} << "a b c d f"
                                            << "a d f"
                                            << "f";
    }
    void removals() {
        QFETCH(QList<qsizetype>, removed);
        QFETCH(QString, rows);
        QFETCH(QString, selected);
        QFETCH(QString, current);
        fill({"a", "b", "c", "d", "e", "f"});
        select({0, 3, 5});
        m_selection->setCurrentIndex(m_model->index(5, 0), QItemSelectionModel::NoUpdate);
        const QPersistentModelIndex fifth(m_model->index(4, 2));
        m_model->removeRowsAt(std::vector<qsizetype>(removed.begin(), removed.end()));
        QCOMPARE(names(*m_model), rows);
        QCOMPARE(selectedNames(*m_model, *m_selection), selected);
        const QModelIndex now = m_selection->currentIndex();
        QCOMPARE(now.isValid() ? m_model->row(now.row()).name : QString(), current);
        QCOMPARE(fifth.isValid(), !removed.contains(4));
        // The look-ups follow.
        for (const FileRow& row : m_model->rows())
            QCOMPARE(m_model->findRow(row.fullPath()), std::optional<qsizetype>(&row - m_model->rows().data()));
        for (const qsizetype gone : removed)
            QVERIFY(!m_model->contains(QStringLiteral("/f/"), QString(QLatin1Char(char('a' + gone)))));
    }

    // The new names stay beside their rows through every edit of the list; rows added later show none.
    void previewGoesWithItsRows_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("rows");
        QTest::newRow("remove one") << "remove one"
                                    << "a b d";
        QTest::newRow("remove runs") << "remove runs"
                                     << "b d";
        QTest::newRow("sort by name") << "sort by name"
                                      << "d c b a";
        // The first header click sorts downwards.
        QTest::newRow("sort by new name") << "sort by new name"
                                          << "b d a c";
        QTest::newRow("swap") << "swap"
                              << "d b c a";
        QTest::newRow("append") << "append"
                                << "a b c d e";
        QTest::newRow("rename a file") << "rename"
                                       << "a b c d";
    }
    void previewGoesWithItsRows() {
        QFETCH(QString, edit);
        QFETCH(QString, rows);
        fill({"a", "b", "c", "d"});
        // New names that sort differently from the old ones.
        const QHash<QString, QString> newName{{"a", "2"}, {"b", "4"}, {"c", "1"}, {"d", "3"}};
        std::vector<NamePreview> preview;
        for (const FileRow& row : m_model->rows())
            preview.push_back({newName.value(row.name), PreviewState::Renamed, {}});
        m_model->showPreview(0, 3, preview);
        if (edit == QLatin1String("remove one"))
            m_model->removeRowAt(2);
        else if (edit == QLatin1String("remove runs"))
            m_model->removeRowsAt({0, 2});
        else if (edit == QLatin1String("sort by name"))
            m_model->sortByName(false);
        else if (edit == QLatin1String("sort by new name"))
            m_model->sortByHeader(FileColumn::NewName);
        else if (edit == QLatin1String("swap"))
            m_model->swapRows(0, 3);
        else if (edit == QLatin1String("append"))
            fill({"e"});
        else
            m_model->moveRowFile(1, QStringLiteral("/f/"), QStringLiteral("b"));
        QCOMPARE(names(*m_model), rows);
        const int column = static_cast<int>(FileColumn::NewName);
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const QString name = m_model->row(row).name;
            const bool stale = name == QLatin1String("e") || (edit == QLatin1String("rename") && row == 1);
            QCOMPARE(m_model->index(row, column).data().toString(), stale ? QString() : newName.value(name));
        }
        m_model->clearPreview();
        QVERIFY(!m_model->index(0, column).data().isValid());
    }
};

QTEST_GUILESS_MAIN(TestListModel)
#include "tst_listmodel.moc"
