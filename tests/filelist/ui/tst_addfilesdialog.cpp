#include "fakes/TestFiles.h"
#include "filelist/ui/AddFilesDialog.h"

#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

class TestAddFilesDialog : public QObject {
    Q_OBJECT

private:
    static QStringList shownNames(QFileDialog& dialog) {
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QStringList names;
        for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i)
            names.append(view->model()->index(i, 0, view->rootIndex()).data().toString());
        names.sort();
        return names;
    }

private Q_SLOTS:
    void filters() {
        QCOMPARE(addDialogNameFilters(QStringLiteral("*.*")), QStringList({"すべてのファイル(*.*)"}));
        QCOMPARE(addDialogNameFilters(QStringLiteral("*.jpg")),
                 QStringList({"ユーザー指定(*.jpg)", "すべてのファイル(*.*)"}));
    }

    void allFilesShowsNamesWithoutADot() {
        QTemporaryDir dir;
        TestFiles::write(dir.filePath(QStringLiteral("README")));
        TestFiles::write(dir.filePath(QStringLiteral("a.txt")));
        TestFiles::write(dir.filePath(QStringLiteral("b.jpg")));
        QFileDialog dialog;
        configureAddDialog(dialog, QStringLiteral("*.txt"), dir.path());
        dialog.show();
        QTRY_COMPARE(shownNames(dialog), QStringList({"a.txt"}));
        dialog.selectNameFilter(QStringLiteral("すべてのファイル(*.*)"));
        Q_EMIT dialog.filterSelected(dialog.selectedNameFilter());
        QTRY_COMPARE(shownNames(dialog), QStringList({"README", "a.txt", "b.jpg"}));

        QFileDialog plain;
        configureAddDialog(plain, QStringLiteral("*.*"), dir.path());
        plain.show();
        QTRY_COMPARE(shownNames(plain), QStringList({"README", "a.txt", "b.jpg"}));
        QCOMPARE(plain.fileMode(), QFileDialog::ExistingFiles);
    }
};

QTEST_MAIN(TestAddFilesDialog)
#include "tst_addfilesdialog.moc"
