#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>

#include <vector>

class FileListModel;
class QDropEvent;
class QMimeData;

// lvwFiles: the report view over the file list, several rows selectable at once. Selected rows are dragged
// onto another row by hand, files dropped from the shell are passed on as paths, and the name of the current
// row can be edited; what any of these does to the list is decided by whoever listens.
class FileListView final : public QTreeView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListView)

public:
    explicit FileListView(QWidget* parent = nullptr);

    void setFileListModel(FileListModel* model);
    // Widths in pixels in creation order: file name, path, size, date modified, attributes, new name.
    void setDefaultColumnWidths();

    // The selected rows as numbers, in ascending order, and as one flag per row.
    [[nodiscard]] std::vector<qsizetype> selectedRowNumbers() const;
    [[nodiscard]] std::vector<bool> selectedRowFlags() const;
    // Selects exactly the flagged rows, in as few ranges as they make.
    void selectOnly(const std::vector<bool>& selected);
    // Gives the row the keyboard focus without changing the selection; a row past the end means the last.
    void setFocusRow(qsizetype row);

    // Starts editing the name of the current row; false when there is none.
    bool editCurrentName();

    // A left press on a row that has not moved yet, and a drag of rows in progress.
    [[nodiscard]] bool isDragArmed() const { return m_dragArmed; }
    [[nodiscard]] bool isDraggingRows() const { return m_draggingRows; }
    // The row under the pointer while rows are dragged, or -1.
    [[nodiscard]] int dropHighlightRow() const { return m_dropHighlight.isValid() ? m_dropHighlight.row() : -1; }

Q_SIGNALS:
    // The selected rows were dragged onto this row (never -1, never a selected row is left out: the
    // listener decides what that does).
    void rowsDropped(int targetRow);
    // Local files and folders dropped from the shell, as absolute paths in the order given.
    void pathsDropped(const QStringList& paths);
    // The right button was released over the list while no row drag was armed.
    void popupRequested(const QPoint& globalPosition);
    // The user ended the edit of a row's name with this text. The row shows its old name until the
    // listener renames it; the signal comes once the editor has closed.
    void nameEdited(int row, const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void takeSelectionAside();
    void putSelectionBack(const std::vector<int>& newPosition);
    void setDropHighlight(const QModelIndex& index);
    void updateDropHighlight(const QPoint& position);
    void endRowDrag();
    void nameCommitted(const QModelIndex& index, const QString& text);

    bool m_dragArmed = false;
    bool m_draggingRows = false;
    QPoint m_pressPosition;
    QPersistentModelIndex m_dropHighlight;
    // The selection while the model rearranges its rows, as one flag per old row.
    std::vector<bool> m_selectionAside;
};

// The local files a drop from the shell offers (text/uri-list), as absolute paths; empty when it offers none.
QStringList droppedLocalPaths(const QMimeData* data);
// Accepts a drag or drop from the shell that offers local files, as a copy or a link but never as a move,
// so that the source never removes the files it offered; false (and ignored) otherwise.
bool acceptShellDrop(QDropEvent* event);
