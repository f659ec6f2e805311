#pragma once

#include <QCursor>
#include <QTreeView>

// lvwForm: the organizer's list. A left press on a row arms a drag, the first move starts it, and the
// release over a row drops the dragged row there; the row under the pointer shows as the drop target.
class FormatListView final : public QTreeView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormatListView)

public:
    explicit FormatListView(QWidget* parent = nullptr);
    ~FormatListView() override;

    void setDragCursor(const QCursor& cursor) { m_dragCursor = cursor; }
    // The row shown as the drop target, or −1.
    [[nodiscard]] int dropHighlightRow() const { return m_dropRow; }
    [[nodiscard]] bool isDragging() const { return m_dragging; }
    [[nodiscard]] bool isEditing() const { return state() == EditingState; }

Q_SIGNALS:
    // The pointer was released over a row (target), or over no row (−1), while dragging.
    void dropped(int target);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void highlight(int row);
    void endDrag();

    QCursor m_dragCursor{Qt::DragMoveCursor};
    bool m_dragArmed = false;
    bool m_dragging = false;
    int m_dropRow = -1;
};
