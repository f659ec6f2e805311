#include "fakes/GeneratedFileSystem.h"
#include "fakes/ScriptedPrompt.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/ui/FileListView.h"
#include "platform/WorkHost.h"

#include <QScrollBar>
#include <QTest>

// A list of a million files driven through its view as a user would: the add, a scroll to the end, a sort by
// size and the removal of half the rows. The files are generated, so that no disk is touched.
class TestLargeList : public QObject {
    Q_OBJECT

private:
    static constexpr int kCount = 1000000;
    const QString m_folder = QStringLiteral("/big/");
    GeneratedFileSystem m_fs{m_folder, kCount};
    ScriptedPrompt m_prompt;

    static QString shown(const FileListModel& model, qsizetype row, FileColumn column) {
        return model.index(static_cast<int>(row), static_cast<int>(column)).data().toString();
    }

    // The row shows the size, time and attributes of its own file.
    static void checkRow(const FileListModel& model, qsizetype row) {
        const QString& name = model.row(row).name;
        const FileStatus status = GeneratedFileSystem::statusOf(name.sliced(1, 7).toInt());
        QCOMPARE(shown(model, row, FileColumn::Size), formatByteCount(status.size));
        QCOMPARE(model.row(row).details.lastWriteSecs, status.lastWriteSecs);
        QCOMPARE(model.row(row).details.attributes, status.attributes);
    }

private Q_SLOTS:
    void millionRows() {
        FileListModel model(m_fs);
        FileListView view;
        view.setFileListModel(&model);
        view.resize(800, 600);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        NullWorkHost quiet;
        QCOMPARE(FileAdder(model, m_fs, m_prompt).addPendingFiles({m_folder, {QString()}}, {}, quiet), kCount);
        QCOMPARE(model.row(kCount - 1).name, GeneratedFileSystem::nameOf(kCount - 1));
        // Only the names came with the listing.
        QCOMPARE(m_fs.looks, 0);

        view.scrollToBottom();
        view.viewport()->repaint();
        // The rows on the screen were read for the painting, a few screens' worth at most.
        QVERIFY(model.row(kCount - 1).details.isRead());
        QVERIFY(!model.row(kCount / 2).details.isRead());
        QVERIFY2(m_fs.looks < 1000, qPrintable(QString::number(m_fs.looks)));
        checkRow(model, kCount - 1);

        model.setSortOrder(Qt::DescendingOrder);
        model.sortByHeader(FileColumn::Size);
        QCOMPARE(m_fs.looks, qint64{kCount});
        qint64 previous = -1;
        for (const FileRow& row : model.rows()) {
            QVERIFY(row.details.size >= previous);
            previous = row.details.size;
        }
        for (const qsizetype row : {qsizetype{0}, qsizetype{kCount / 2}, qsizetype{kCount - 1}})
            checkRow(model, row);

        std::vector<qsizetype> half;
        half.reserve(kCount / 2);
        for (qsizetype row = 0; row < kCount; row += 2)
            half.push_back(row);
        const QString removed = model.row(kCount - 2).name;
        const QString kept = model.row(kCount - 1).name;
        model.removeRowsAt(half);
        QCOMPARE(model.size(), kCount / 2);
        QVERIFY(!model.contains(m_folder, removed));
        QCOMPARE(model.findRow(m_folder + kept), std::optional<qsizetype>(kCount / 2 - 1));
        view.scrollToBottom();
        view.viewport()->repaint();
        checkRow(model, kCount / 2 - 1);
        // Nothing was read a second time.
        QCOMPARE(m_fs.looks, qint64{kCount});
    }
};

QTEST_MAIN(TestLargeList)
#include "tst_largelist.moc"
