#include "formats/ui/FormatListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

FormatListView::FormatListView(QWidget* parent)
    : QTreeView(parent) {
    setObjectName(QStringLiteral("lvwForm"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Renaming starts with F2 only, which the organizer handles.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

FormatListView::~FormatListView() {
    if (m_dragging)
        QApplication::restoreOverrideCursor();
}

void FormatListView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    m_dragArmed = event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
}

void FormatListView::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragArmed) {
        m_dragArmed = false;
        m_dragging = true;
        QApplication::setOverrideCursor(m_dragCursor);
    }
    if (!m_dragging) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    highlight(indexAt(event->position().toPoint()).row());
}

void FormatListView::mouseReleaseEvent(QMouseEvent* event) {
    m_dragArmed = false;
    if (!m_dragging || event->button() != Qt::LeftButton) {
        QTreeView::mouseReleaseEvent(event);
        return;
    }
    const int target = indexAt(event->position().toPoint()).isValid() ? m_dropRow : -1;
    endDrag();
    Q_EMIT dropped(target);
}

void FormatListView::keyPressEvent(QKeyEvent* event) {
    if (m_dragging && event->key() == Qt::Key_Escape) {
        endDrag();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FormatListView::focusOutEvent(QFocusEvent* event) {
    // A drag lives only as long as the list holds the mouse.
    if (m_dragging)
        endDrag();
    QTreeView::focusOutEvent(event);
}

void FormatListView::highlight(int row) {
    if (row == m_dropRow)
        return;
    const int previous = m_dropRow;
    m_dropRow = row;
    for (const int changed : {previous, row}) {
        if (changed >= 0)
            viewport()->update(visualRect(model()->index(changed, 0)).united(visualRect(model()->index(changed, 1))));
    }
    if (row >= 0)
        scrollTo(model()->index(row, 0));
}

void FormatListView::endDrag() {
    m_dragging = false;
    highlight(-1);
    QApplication::restoreOverrideCursor();
}

void FormatListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!m_dragging || index.row() != m_dropRow) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    QStyleOptionViewItem target = option;
    target.state |= QStyle::State_Selected;
    QTreeView::drawRow(painter, target, index);
}
