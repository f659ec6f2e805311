#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "formats/FormatListModel.h"
#include "formats/SavedFormats.h"
#include "formats/ui/FormatFileDialogs.h"
#include "formats/ui/FormatListView.h"
#include "formats/ui/FormatOrganizer.h"

#include <QAbstractItemModelTester>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QList<SavedFormat> kFiveFormats = {{"1", "one"}, {"2", "two"}, {"3", "three"}, {"4", "four"}, {"5", "five"}};

} // namespace

class TestFormatOrganizer : public QObject {
    Q_OBJECT

private:
    ScriptedPrompt m_prompt;
    std::unique_ptr<SavedFormats> m_formats;
    std::unique_ptr<FormatOrganizer> m_dialog;
    FormatListView* m_list = nullptr;

    void open(bool toolTips = true) {
        m_dialog = std::make_unique<FormatOrganizer>(*m_formats, QFont(QStringLiteral("Noto Sans CJK JP"), 11),
                                                     toolTips, m_prompt);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        m_list = m_dialog->findChild<FormatListView*>(QStringLiteral("lvwForm"));
        QVERIFY(m_list != nullptr);
    }

    QPoint centreOf(int row) const { return m_list->visualRect(m_list->model()->index(row, 1)).center(); }

    void click(int row) { QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, centreOf(row)); }

    QStringList listedNames() const {
        QStringList names;
        for (int row = 0; row < m_list->model()->rowCount(); ++row)
            names.append(m_list->model()->index(row, FormatListModel::NameColumn).data().toString());
        return names;
    }

    QStringList savedNames() const {
        QStringList names;
        for (const SavedFormat& saved : m_formats->formats())
            names.append(saved.name);
        return names;
    }

    void rename(int row, const QString& name) {
        click(row);
        QTest::keyClick(m_list, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Backspace);
        // Key clicks carry ASCII only; the rest arrives as an input method would give it.
        editor->insert(name);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!m_list->isEditing());
    }

private Q_SLOTS:
    void init() {
        m_prompt.reset();
        MemorySettingsStore store;
        for (const SavedFormat& saved : kFiveFormats)
            store.writeSetting(formatsSection(), saved.name, saved.format);
        m_formats = std::make_unique<SavedFormats>();
        m_formats->load(store);
    }

    void cleanup() { m_dialog.reset(); }

    void modelStaysConsistentThroughEveryEdit() {
        FormatListModel model(m_formats->formats());
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(model.moveFormat(0, 4));
        QVERIFY(model.moveFormat(4, 1));
        QVERIFY(!model.moveFormat(2, 2));
        QVERIFY(model.setData(model.index(0, FormatListModel::NameColumn), QStringLiteral("x")));
        QVERIFY(!model.setData(model.index(1, FormatListModel::NameColumn), QStringLiteral("x")));
        QVERIFY(!model.setData(model.index(1, FormatListModel::FormatColumn), QStringLiteral("y")));
        QVERIFY(model.removeRows(1, 2));
        QCOMPARE(model.rowCount(), 3);
    }

    void showsTheFormatsInTheListFontWithTheirHelp() {
        open();
        QCOMPARE(m_dialog->objectName(), QStringLiteral("frmForm"));
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("書式の整理"));
        QCOMPARE(m_list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("名前"));
        QCOMPARE(m_list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("書式"));
        QCOMPARE(listedNames(), QStringList({"1", "2", "3", "4", "5"}));
        QCOMPARE(m_list->model()->index(2, 1).data().toString(), QStringLiteral("three"));
        QCOMPARE(m_list->header()->sectionSize(0), m_list->viewport()->width() / 4);
        QCOMPARE(m_list->header()->sectionSize(1), m_list->viewport()->width() * 3 / 4);
        QCOMPARE(m_list->font().family(), QStringLiteral("Noto Sans CJK JP"));
        QCOMPARE(m_list->font().pointSizeF(), 11.0);
        QCOMPARE(m_list->toolTip(), QStringLiteral("ﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟで位置替え/Deleteｷｰで削除"));
        QCOMPARE(m_dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
        QCOMPARE(m_dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->text(), QStringLiteral("ｷｬﾝｾﾙ"));
        QVERIFY(m_dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->isDefault());

        m_dialog->resize(600, 400);
        const auto* bar = m_dialog->findChild<QWidget*>(QStringLiteral("Picture1"));
        QCOMPARE(m_list->geometry(), QRect(0, 0, 600, 400 - bar->height()));
        QCOMPARE(bar->geometry().bottom(), 399);

        m_dialog.reset();
        open(false);
        QVERIFY(m_list->toolTip().isEmpty());
    }

    void draggingARowPutsItWhereTheTargetWas_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("onto");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("first onto third") << 0 << 2 << QStringList({"2", "3", "1", "4", "5"});
        QTest::newRow("fifth onto second") << 4 << 1 << QStringList({"1", "5", "2", "3", "4"});
        QTest::newRow("onto its neighbour below") << 1 << 2 << QStringList({"1", "3", "2", "4", "5"});
        QTest::newRow("onto itself changes nothing") << 2 << 2 << QStringList({"1", "2", "3", "4", "5"});
        QTest::newRow("onto no row changes nothing") << 2 << -1 << QStringList({"1", "2", "3", "4", "5"});
    }
    void draggingARowPutsItWhereTheTargetWas() {
        QFETCH(int, from);
        QFETCH(int, onto);
        QFETCH(QStringList, order);
        open();
        QWidget* viewport = m_list->viewport();
        const QPoint target = onto >= 0 ? centreOf(onto) : QPoint(10, viewport->height() - 5);
        QTest::mousePress(viewport, Qt::LeftButton, {}, centreOf(from));
        QVERIFY(!m_list->isDragging());
        QTest::mouseMove(viewport, target);
        QVERIFY(m_list->isDragging());
        QCOMPARE(m_list->dropHighlightRow(), onto);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, target);
        QVERIFY(!m_list->isDragging());
        QCOMPARE(m_list->dropHighlightRow(), -1);

        QCOMPARE(listedNames(), order);
        const bool moved = onto >= 0 && onto != from;
        QCOMPARE(m_dialog->model().organizerChanged(), moved);
        if (moved)
            QCOMPARE(m_list->selectionModel()->selectedRows().first().row(), onto);
        m_dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QCOMPARE(savedNames(), order);
        QCOMPARE(m_formats->formatsChanged(), moved);
        QCOMPARE(m_formats->at(order.indexOf(QStringLiteral("3")) + 1).format, QStringLiteral("three"));
    }

    void aClickWithoutMovingStartsNoDrag() {
        open();
        click(3);
        QVERIFY(!m_list->isDragging());
        QTest::mouseMove(m_list->viewport(), centreOf(0));
        QVERIFY(!m_list->isDragging());
        QCOMPARE(m_list->selectionModel()->selectedRows().first().row(), 3);
    }

    void renaming_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a new name is taken") << "新しい名前" << QStringList({"1", "新しい名前", "3", "4", "5"}) << "";
        QTest::newRow("its own name is taken") << "2" << QStringList({"1", "2", "3", "4", "5"}) << "";
        QTest::newRow("an empty name is refused")
            << "" << QStringList({"1", "2", "3", "4", "5"}) << "名前を指定してください。";
        QTest::newRow("the name of another row is refused")
            << "4" << QStringList({"1", "2", "3", "4", "5"}) << "その名前はすでに使われています。";
    }
    void renaming() {
        QFETCH(QString, name);
        QFETCH(QStringList, names);
        QFETCH(QString, refusal);
        open();
        rename(1, name);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(listedNames(), names);
        QCOMPARE(m_dialog->model().organizerChanged(), refusal.isEmpty());
        if (refusal.isEmpty()) {
            QVERIFY(m_prompt.shown().isEmpty());
        } else {
            QCOMPARE(m_prompt.texts(), QStringList({refusal}));
            QCOMPARE(m_prompt.shown().first().title, QStringLiteral("Tokrenu"));
            QCOMPARE(m_prompt.shown().first().icon, PromptIcon::Critical);
        }
    }

    void deleteRemovesTheSelectedRowOnly() {
        open();
        m_list->clearSelection();
        QTest::keyClick(m_list, Qt::Key_Delete);
        QCOMPARE(listedNames().size(), 5);
        QVERIFY(!m_dialog->model().organizerChanged());
        click(1);
        QTest::keyClick(m_list, Qt::Key_Delete);
        QCOMPARE(listedNames(), QStringList({"1", "3", "4", "5"}));
        QVERIFY(m_dialog->model().organizerChanged());
    }

    void deletingEveryRowAndOkLeavesNoFormats() {
        open();
        while (m_list->model()->rowCount() > 0) {
            click(0);
            QTest::keyClick(m_list, Qt::Key_Delete);
        }
        QSignalSpy changed(m_formats.get(), &SavedFormats::listChanged);
        QTest::keyClick(m_list, Qt::Key_Return);
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QCOMPARE(m_formats->count(), 0);
        QVERIFY(m_formats->formatsChanged());
        QCOMPARE(changed.size(), 1);
    }

    void okWithoutAnEditChangesNothing() {
        open();
        QSignalSpy changed(m_formats.get(), &SavedFormats::listChanged);
        click(2);
        m_dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        QVERIFY(!m_formats->formatsChanged());
        QCOMPARE(changed.size(), 0);
    }

    void cancelAndEscapeForgetTheEdits_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }
    void cancelAndEscapeForgetTheEdits() {
        QFETCH(bool, escape);
        open();
        click(0);
        QTest::keyClick(m_list, Qt::Key_Delete);
        rename(0, QStringLiteral("x"));
        if (escape)
            QTest::keyClick(m_list, Qt::Key_Escape);
        else
            m_dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(savedNames(), QStringList({"1", "2", "3", "4", "5"}));
        QVERIFY(!m_formats->formatsChanged());
    }

    void fileDialogsAskForWhatEachCommandNeeds() {
        QTemporaryDir dir;
        TestFiles::write(dir.filePath(QStringLiteral("formats.txt")));
        TestFiles::write(dir.filePath(QStringLiteral("FORMATS")));
        QFileDialog exporting;
        configureExportDialog(exporting);
        QCOMPARE(exporting.windowTitle(), QStringLiteral("ｴｸｽﾎﾟｰﾄするﾌｧｲﾙを指定してください"));
        QCOMPARE(exporting.acceptMode(), QFileDialog::AcceptSave);
        QVERIFY(!exporting.testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(exporting.nameFilters(), QStringList({"テキストファイル(*.txt)", "すべてのファイル(*.*)"}));

        QFileDialog importing;
        configureImportDialog(importing);
        importing.setDirectory(dir.path());
        QCOMPARE(importing.windowTitle(), QStringLiteral("ｲﾝﾎﾟｰﾄするﾌｧｲﾙを選んでください"));
        QCOMPARE(importing.acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(importing.fileMode(), QFileDialog::ExistingFile);
        importing.show();
        auto* view = importing.findChild<QListView*>(QStringLiteral("listView"));
        const auto shown = [view] {
            return view->model()->rowCount(view->rootIndex());
        };
        QTRY_COMPARE(shown(), 1);
        importing.selectNameFilter(QStringLiteral("すべてのファイル(*.*)"));
        Q_EMIT importing.filterSelected(importing.selectedNameFilter());
        QTRY_COMPARE(shown(), 2);
    }
};

QTEST_MAIN(TestFormatOrganizer)
#include "tst_formatorganizer.moc"
