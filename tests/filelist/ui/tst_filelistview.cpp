#include "fakes/ListedRows.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/FileListModel.h"
#include "filelist/ui/FileListView.h"
#include "filelist/ui/FolderDialog.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

// The list view's own handling of the mouse, of drops from the shell and of name edits, and the folder dialog.
class TestFileListView : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root;
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    std::unique_ptr<FileListModel> m_model;
    std::unique_ptr<FileListView> m_view;

    QPoint rowPoint(int row) const { return m_view->visualRect(m_model->index(row, 1)).center(); }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, m_view->viewport()->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(m_view->viewport(), &event);
    }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        mouse(QEvent::MouseButtonPress, at, button, button);
    }
    void moveHolding(QPoint at) { mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    QList<int> selectedRows() const {
        QList<int> rows;
        for (const qsizetype row : m_view->selectedRowNumbers())
            rows.append(static_cast<int>(row));
        return rows;
    }

private Q_SLOTS:
    void initTestCase() {
        m_root = m_dir.path() + QLatin1Char('/');
        TestFiles::write(m_root + QStringLiteral("file.txt"));
        QDir().mkpath(m_root + QStringLiteral("folder"));
        QFile::link(m_root + QStringLiteral("folder"), m_root + QStringLiteral("link"));
    }

    void init() {
        m_model = std::make_unique<FileListModel>(m_fs);
        for (const char* name : {"a", "b", "c", "d", "e"})
            m_model->appendRow(readRow(QString::fromLatin1(name), QStringLiteral("/f/")));
        m_view = std::make_unique<FileListView>();
        m_view->setFileListModel(m_model.get());
        m_view->resize(500, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_prompt.reset();
    }

    void cleanup() {
        m_view.reset();
        m_model.reset();
    }

    // Press on a row, move, release on another: the selected rows are dropped on the row under the pointer.
    void rowDragDropsOnTheRowUnderThePointer() {
        QSignalSpy dropped(m_view.get(), &FileListView::rowsDropped);
        press(rowPoint(1));
        QVERIFY(m_view->isDragArmed());
        QCOMPARE(selectedRows(), QList<int>({1}));
        moveHolding(rowPoint(2));
        QVERIFY(m_view->isDraggingRows());
        QVERIFY(!m_view->isDragArmed());
        QCOMPARE(m_view->dropHighlightRow(), 2);
        moveHolding(rowPoint(3));
        QCOMPARE(m_view->dropHighlightRow(), 3);
        release(rowPoint(3));
        QCOMPARE(dropped.size(), 1);
        QCOMPARE(dropped.at(0).at(0).toInt(), 3);
        QVERIFY(!m_view->isDraggingRows());
        QCOMPARE(m_view->dropHighlightRow(), -1);
        // The drag leaves the selection as it was; the listener moves the rows.
        QCOMPARE(selectedRows(), QList<int>({1}));
    }

    void pressOnASelectedRowDragsTheWholeSelection() {
        m_view->selectOnly({true, false, true, false, false});
        QSignalSpy dropped(m_view.get(), &FileListView::rowsDropped);
        press(rowPoint(2));
        moveHolding(rowPoint(4));
        release(rowPoint(4));
        QCOMPARE(dropped.size(), 1);
        QCOMPARE(selectedRows(), QList<int>({0, 2}));
    }

    // The model's own rearrangements take the selection along, whatever the rows' number.
    void selectionFollowsTheModelsRearrangements() {
        m_view->selectOnly({false, true, false, true, true});
        m_view->setCurrentIndex(m_model->index(4, 0));
        m_view->selectOnly({false, true, false, true, true});
        m_model->removeRowsAt({0, 2});
        QCOMPARE(selectedRows(), QList<int>({0, 1, 2}));
        m_model->sortByName(false);
        QCOMPARE(m_model->row(0).name, QStringLiteral("e"));
        QCOMPARE(selectedRows(), QList<int>({0, 1, 2}));
        m_view->selectOnly({true, false, false});
        m_model->sortByName(true);
        QCOMPARE(selectedRows(), QList<int>({2}));
        QCOMPARE(m_view->currentIndex().row(), 2);
    }

    // What ends a press without a drop: a click, a shake of the hand, Esc, a release over no row.
    void noDrop_data() {
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("belowTheRows");
        QTest::newRow("a click without moving") << QPoint(0, 0) << false << false;
        QTest::newRow("a shake smaller than the drag distance") << QPoint(1, 1) << false << false;
        QTest::newRow("Esc while dragging") << QPoint(0, 60) << true << false;
        QTest::newRow("a release over empty space") << QPoint(0, 0) << false << true;
    }
    void noDrop() {
        QFETCH(QPoint, offset);
        QFETCH(bool, escape);
        QFETCH(bool, belowTheRows);
        QSignalSpy dropped(m_view.get(), &FileListView::rowsDropped);
        QSignalSpy popup(m_view.get(), &FileListView::popupRequested);
        const QPoint start = rowPoint(1);
        press(start);
        const QPoint end = belowTheRows ? QPoint(start.x(), m_view->viewport()->height() - 5) : start + offset;
        moveHolding(end);
        if (escape)
            QTest::keyClick(m_view.get(), Qt::Key_Escape);
        release(end);
        QCOMPARE(dropped.size(), 0);
        QVERIFY(!m_view->isDraggingRows());
        QCOMPARE(m_view->dropHighlightRow(), -1);
        QCOMPARE(popup.size(), 0);
    }

    // The pop-up opens on the right button's release, unless a left press is still armed for a drag.
    void popupAfterAClick() {
        QSignalSpy popup(m_view.get(), &FileListView::popupRequested);
        m_view->selectOnly({true, true, false, false, false});
        press(rowPoint(1));
        release(rowPoint(1));
        // A click on a selected row selects it alone.
        QCOMPARE(selectedRows(), QList<int>({1}));
        press(rowPoint(2), Qt::RightButton);
        release(rowPoint(2), Qt::RightButton);
        QCOMPARE(popup.size(), 1);
        QCOMPARE(popup.at(0).at(0).toPoint(), m_view->viewport()->mapToGlobal(rowPoint(2)));

        press(rowPoint(0));
        mouse(QEvent::MouseButtonRelease, rowPoint(0), Qt::RightButton, Qt::LeftButton);
        QCOMPARE(popup.size(), 1);
        QVERIFY(!m_view->isDragArmed());
    }

    // Drops from the shell offer text/uri-list; only local files count, and the drop never moves them.
    void shellDrops_data() {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<Qt::DropActions>("offered");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("paths");
        const QUrl a = QUrl::fromLocalFile(QStringLiteral("/x/a b.txt"));
        const QUrl b = QUrl::fromLocalFile(QStringLiteral("/y/b.txt"));
        QTest::newRow("files of two folders, in the order given")
            << QList<QUrl>{b, a} << Qt::DropActions(Qt::CopyAction | Qt::MoveAction) << true
            << QStringList{"/y/b.txt", "/x/a b.txt"};
        QTest::newRow("a source that offers a link only")
            << QList<QUrl>{a} << Qt::DropActions(Qt::LinkAction) << true << QStringList{"/x/a b.txt"};
        QTest::newRow("a source that would only move is refused")
            << QList<QUrl>{a} << Qt::DropActions(Qt::MoveAction) << false << QStringList();
        QTest::newRow("addresses that are no local files are left out")
            << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.txt")), a} << Qt::DropActions(Qt::CopyAction)
            << true << QStringList{"/x/a b.txt"};
        QTest::newRow("a drop without files is ignored")
            << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.txt"))} << Qt::DropActions(Qt::CopyAction)
            << false << QStringList();
    }
    void shellDrops() {
        QFETCH(QList<QUrl>, urls);
        QFETCH(Qt::DropActions, offered);
        QFETCH(bool, accepted);
        QFETCH(QStringList, paths);
        QSignalSpy dropped(m_view.get(), &FileListView::pathsDropped);
        QMimeData data;
        data.setUrls(urls);
        data.setText(QStringLiteral("not a path"));
        const QPoint at = rowPoint(2);
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_view->viewport(), &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_view->viewport(), &drop);
        QCOMPARE(drop.isAccepted(), accepted);
        if (accepted)
            QVERIFY(drop.dropAction() != Qt::MoveAction);
        QCOMPARE(dropped.size(), accepted ? 1 : 0);
        if (accepted)
            QCOMPARE(dropped.at(0).at(0).toStringList(), paths);
        QCOMPARE(m_model->size(), 5);
    }

    // The edited name is handed on once the editor has closed; the row keeps its name until then.
    void nameEdits_data() {
        QTest::addColumn<Qt::Key>("endKey");
        QTest::addColumn<int>("signals");
        QTest::newRow("Enter hands the name on") << Qt::Key_Return << 1;
        QTest::newRow("Esc drops the edit") << Qt::Key_Escape << 0;
    }
    void nameEdits() {
        QFETCH(Qt::Key, endKey);
        QFETCH(int, signals);
        QSignalSpy edited(m_view.get(), &FileListView::nameEdited);
        m_view->setCurrentIndex(m_model->index(3, 2));
        QVERIFY(m_view->editCurrentName());
        auto* editor = m_view->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        QCOMPARE(editor->text(), QStringLiteral("d"));
        editor->setText(QStringLiteral("new name"));
        QTest::keyClick(editor, endKey);
        QCOMPARE(edited.size(), 0);
        QTRY_COMPARE(edited.size(), signals);
        if (signals > 0) {
            QCOMPARE(edited.at(0).at(0).toInt(), 3);
            QCOMPARE(edited.at(0).at(1).toString(), QStringLiteral("new name"));
        }
        QCOMPARE(m_model->row(3).name, QStringLiteral("d"));
    }

    void noCurrentRowNoEdit() {
        m_model->clear();
        QVERIFY(!m_view->editCurrentName());
    }

    // frmFolder: every control with its name and caption.
    void folderDialogControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("frame") << "Frame1"
                               << "フォルダ名(&F)";
        QTest::newRow("browse") << "cmdFolder"
                                << "...";
        QTest::newRow("subfolders") << "chkSubfolder"
                                    << "すべてのサブフォルダを検索する(&S)";
        QTest::newRow("file names") << "cmdWildCard"
                                    << "ﾌｧｲﾙ名(&F)";
        QTest::newRow("OK") << "cmdOk"
                            << "OK";
        QTest::newRow("cancel") << "cmdCancel"
                                << "ｷｬﾝｾﾙ";
    }
    void folderDialogControls() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        FolderDialog dialog(FolderDialogMode::Add, m_fs, m_prompt);
        QCOMPARE(dialog.objectName(), QStringLiteral("frmFolder"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("フォルダの選択"));
        auto* control = dialog.findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        const QString text = qobject_cast<QGroupBox*>(control) != nullptr ? qobject_cast<QGroupBox*>(control)->title()
                                                                          : control->property("text").toString();
        QCOMPARE(text, caption);
        QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("txtFolder"))->text().isEmpty());
        QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"))->isDefault());
    }

    void folderDialogModes_data() {
        QTest::addColumn<FolderDialogMode>("mode");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("add") << FolderDialogMode::Add << true;
        QTest::newRow("target") << FolderDialogMode::Target << false;
    }
    void folderDialogModes() {
        QFETCH(FolderDialogMode, mode);
        QFETCH(bool, enabled);
        FolderDialog dialog(mode, m_fs, m_prompt);
        QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("cmdWildCard"))->isEnabled(), enabled);
        auto* subfolders = dialog.findChild<QCheckBox*>(QStringLiteral("chkSubfolder"));
        QCOMPARE(subfolders->isEnabled(), enabled);
        QVERIFY(!subfolders->isChecked());
    }

    // OK: in add mode the box must name a folder; in target mode any text is taken.
    void folderDialogOk_data() {
        QTest::addColumn<FolderDialogMode>("mode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("folder");
        QTest::newRow("a folder is taken") << FolderDialogMode::Add << "folder"
                                           << "" << false << true << "folder/";
        QTest::newRow("a link to a folder is taken") << FolderDialogMode::Add << "link/"
                                                     << "" << false << true << "link/";
        QTest::newRow("a folder that does not exist is refused")
            << FolderDialogMode::Add << "missing"
            << "指定されたフォルダは存在しません。" << true << false << "";
        QTest::newRow("a file is refused") << FolderDialogMode::Add << "file.txt"
                                           << "指定されたファイルはフォルダではありません。" << true << false << "";
        QTest::newRow("an empty box closes and adds nothing") << FolderDialogMode::Add << ""
                                                              << "" << false << false << "";
        QTest::newRow("the target takes any text") << FolderDialogMode::Target << "missing"
                                                   << "" << false << true << "missing/";
        QTest::newRow("the target keeps the text that says none") << FolderDialogMode::Target << "（なし）"
                                                                  << "" << false << true << "（なし）/";
        QTest::newRow("an empty target is no choice") << FolderDialogMode::Target << ""
                                                      << "" << false << false << "";
    }
    void folderDialogOk() {
        QFETCH(FolderDialogMode, mode);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(bool, open);
        QFETCH(bool, accepted);
        QFETCH(QString, folder);
        FolderDialog dialog(mode, m_fs, m_prompt);
        const bool absolute = mode == FolderDialogMode::Add && !text.isEmpty();
        dialog.setFolderText(absolute ? m_root + text : text);
        dialog.show();
        dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        QCOMPARE(m_prompt.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!message.isEmpty()) {
            QCOMPARE(m_prompt.shown().at(0).title, QStringLiteral("Tokrenu"));
            QCOMPARE(m_prompt.shown().at(0).icon, PromptIcon::Critical);
        }
        QCOMPARE(dialog.isVisible(), open);
        QCOMPARE(dialog.folderAccepted(), accepted);
        if (accepted)
            QCOMPARE(dialog.folder(), absolute ? m_root + folder : folder);
    }

    void folderDialogTakesATypedRelativeFolderFromTheCurrentOne() {
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_root);
        FolderDialog dialog(FolderDialogMode::Add, m_fs, m_prompt);
        dialog.setFolderText(QStringLiteral("folder"));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
        QDir::setCurrent(previous);
        QVERIFY(dialog.folderAccepted());
        QCOMPARE(dialog.folder(), m_root + QStringLiteral("folder/"));
    }

    void folderDialogBrowsesAndRunsTheFilter() {
        FolderDialog dialog(FolderDialogMode::Add, m_fs, m_prompt);
        QStringList asked;
        QString answer = QStringLiteral("/chosen");
        dialog.setFolderChooser([&](QWidget*, const QString& title, const QString& start) {
            asked << title << start;
            return answer;
        });
        int filterRuns = 0;
        dialog.setWildCardCommand([&filterRuns] { ++filterRuns; });
        dialog.setFolderText(QStringLiteral("/start"));
        auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("txtFolder"));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdFolder"))->click();
        QCOMPARE(asked, QStringList({"ﾌｫﾙﾀﾞを選択してください", "/start"}));
        QCOMPARE(box->text(), QStringLiteral("/chosen"));
        // A cancelled browser leaves the box as it was.
        answer.clear();
        dialog.findChild<QPushButton*>(QStringLiteral("cmdFolder"))->click();
        QCOMPARE(box->text(), QStringLiteral("/chosen"));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdWildCard"))->click();
        QCOMPARE(filterRuns, 1);
        QVERIFY(!dialog.folderAccepted());
    }
};

QTEST_MAIN(TestFileListView)
#include "tst_filelistview.moc"
