#include "filelist/ui/FileListView.h"

#include "filelist/FileListModel.h"

#include <QApplication>
#include <QDropEvent>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelection>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>

namespace {

constexpr int kDefaultWidths[kFileColumnCount] = {150, 180, 80, 100, 70, 180};

// Hands an edited name to the view instead of writing it into the model: only a rename of the file may
// change the row.
class NameDelegate final : public QStyledItemDelegate {
public:
    using Committed = std::function<void(const QModelIndex&, const QString&)>;

    NameDelegate(QObject* parent, Committed committed)
        : QStyledItemDelegate(parent)
        , m_committed(std::move(committed)) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            m_committed(index, line->text());
    }

private:
    Committed m_committed;
};

// A small round mark in the state's colour, drawn once per colour.
QIcon stateMark(const QColor& colour) {
    // Drawn at twice the size shown, so that a screen scaled to 200 % shows it sharp.
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(colour.alpha() == 0 ? QPen(Qt::NoPen) : QPen(colour.darker(140), 2));
    painter.setBrush(colour);
    painter.drawEllipse(QRectF(7, 7, 18, 18));
    return {picture};
}

// The new name with a mark in the colour of its state: an empty one and grey text for no change, green for a
// rename, amber when characters were removed, red, and red text, when the name is taken or cannot be made.
class PreviewDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant state = index.data(FileListModel::kPreviewStateRole);
        if (!state.isValid())
            return;
        QColor mark;
        bool tintText = false;
        switch (static_cast<PreviewState>(state.toInt())) {
        case PreviewState::Pending:
            return;
        case PreviewState::Unchanged:
            // An empty mark keeps the names of every row in line.
            option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Disabled, QPalette::Text));
            mark = QColor(Qt::transparent);
            break;
        case PreviewState::Renamed:
            mark = QColor(0x1e, 0x8a, 0x3c);
            break;
        case PreviewState::CharactersRemoved:
            mark = QColor(0xc0, 0x7a, 0x00);
            break;
        case PreviewState::InUse:
        case PreviewState::Duplicate:
        case PreviewState::Error:
            mark = QColor(0xc6, 0x28, 0x28);
            tintText = true;
            break;
        }
        static QHash<QRgb, QIcon> marks;
        auto icon = marks.constFind(mark.rgb());
        if (icon == marks.constEnd())
            icon = marks.insert(mark.rgb(), stateMark(mark));
        option->icon = *icon;
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
        if (tintText)
            option->palette.setColor(QPalette::Text, mark);
    }
};

// What a drop from the shell may do: never a move, so that the source never removes the files it offered.
std::optional<Qt::DropAction> harmlessAction(Qt::DropActions possible) {
    if (possible & Qt::CopyAction)
        return Qt::CopyAction;
    if (possible & Qt::LinkAction)
        return Qt::LinkAction;
    return std::nullopt;
}

} // namespace

bool acceptShellDrop(QDropEvent* event) {
    const auto action = harmlessAction(event->possibleActions());
    if (!action || droppedLocalPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return false;
    }
    event->setDropAction(*action);
    event->accept();
    return true;
}

QStringList droppedLocalPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.append(url.toLocalFile());
    }
    return paths;
}

FileListView::FileListView(QWidget* parent)
    : QTreeView(parent) {
    setObjectName(QStringLiteral("lvwFiles"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    header()->setSectionsMovable(true);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    setItemDelegateForColumn(
        static_cast<int>(FileColumn::FileName),
        new NameDelegate(this, [this](const QModelIndex& index, const QString& text) { nameCommitted(index, text); }));
    setItemDelegateForColumn(static_cast<int>(FileColumn::NewName), new PreviewDelegate(this));
    // Rows scrolled under a resting pointer become the drop target.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_draggingRows)
            updateDropHighlight(viewport()->mapFromGlobal(QCursor::pos()));
    });
}

void FileListView::setFileListModel(FileListModel* model) {
    setModel(model);
    setDefaultColumnWidths();
    // Qt carries a selection through a change of layout as one persistent index per selected row, and its
    // table of them slows down out of proportion as they grow: the selection goes through as row numbers.
    connect(model, &FileListModel::rowsAboutToBeRearranged, this, &FileListView::takeSelectionAside);
    connect(model, &FileListModel::rowsRearranged, this, &FileListView::putSelectionBack);
}

void FileListView::takeSelectionAside() {
    m_selectionAside.clear();
    if (!selectionModel()->hasSelection())
        return;
    m_selectionAside = selectedRowFlags();
    selectionModel()->clearSelection();
}

void FileListView::putSelectionBack(const std::vector<int>& newPosition) {
    if (m_selectionAside.empty())
        return;
    std::vector<bool> selected(static_cast<std::size_t>(model()->rowCount()), false);
    for (std::size_t old = 0; old < m_selectionAside.size() && old < newPosition.size(); ++old) {
        if (m_selectionAside[old] && newPosition[old] >= 0)
            selected[static_cast<std::size_t>(newPosition[old])] = true;
    }
    m_selectionAside.clear();
    selectOnly(selected);
}

// The first-start widths, each widened where its header or its longest usual text would be cut.
void FileListView::setDefaultColumnWidths() {
    const QString samples[kFileColumnCount] = {QString(),
                                               QString(),
                                               QStringLiteral("999,999,999"),
                                               QStringLiteral("2000/12/31 23:59:59"),
                                               QStringLiteral("RHSA"),
                                               QString()};
    const QFontMetrics metrics(font());
    constexpr int kPadding = 16;
    for (int column = 0; column < kFileColumnCount; ++column) {
        const QString headerText =
            model() != nullptr ? model()->headerData(column, Qt::Horizontal).toString() : QString();
        const int needed = std::max(metrics.horizontalAdvance(samples[column]),
                                    header()->fontMetrics().horizontalAdvance(headerText)) +
                           kPadding;
        header()->resizeSection(column, std::max(kDefaultWidths[column], needed));
    }
}

std::vector<bool> FileListView::selectedRowFlags() const {
    std::vector<bool> flags(model() == nullptr ? 0 : static_cast<std::size_t>(model()->rowCount()), false);
    // Ranges, not indexes: a selection of many rows is a few ranges.
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            flags[static_cast<std::size_t>(row)] = true;
    }
    return flags;
}

std::vector<qsizetype> FileListView::selectedRowNumbers() const {
    const std::vector<bool> flags = selectedRowFlags();
    std::vector<qsizetype> rows;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (flags[i])
            rows.push_back(static_cast<qsizetype>(i));
    }
    return rows;
}

void FileListView::selectOnly(const std::vector<bool>& selected) {
    QItemSelection selection;
    const int columns = model()->columnCount() - 1;
    for (std::size_t first = 0; first < selected.size();) {
        if (!selected[first]) {
            ++first;
            continue;
        }
        std::size_t last = first;
        while (last + 1 < selected.size() && selected[last + 1])
            ++last;
        selection.select(model()->index(static_cast<int>(first), 0), model()->index(static_cast<int>(last), columns));
        first = last + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void FileListView::setFocusRow(qsizetype row) {
    const int count = model() == nullptr ? 0 : model()->rowCount();
    if (count == 0 || row < 0)
        return;
    const QModelIndex index = model()->index(static_cast<int>(std::min<qsizetype>(row, count - 1)), 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

bool FileListView::editCurrentName() {
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return false;
    const QModelIndex name = current.siblingAtColumn(static_cast<int>(FileColumn::FileName));
    scrollTo(name);
    return edit(name, QAbstractItemView::AllEditTriggers, nullptr);
}

void FileListView::nameCommitted(const QModelIndex& index, const QString& text) {
    // Told once the editor has closed: a message box shown while it is still open would take its focus
    // away, which ends the edit a second time.
    QMetaObject::invokeMethod(
        this,
        [this, row = QPersistentModelIndex(index), text] {
            if (row.isValid())
                Q_EMIT nameEdited(row.row(), text);
        },
        Qt::QueuedConnection);
}

void FileListView::mousePressEvent(QMouseEvent* event) {
    if (m_draggingRows)
        return;
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
        m_dragArmed = true;
        m_pressPosition = event->position().toPoint();
    }
    QTreeView::mousePressEvent(event);
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (m_draggingRows) {
        updateDropHighlight(position);
        // The view scrolls while the pointer rests near its top or bottom edge.
        if (position.y() < autoScrollMargin() || position.y() > viewport()->height() - autoScrollMargin())
            startAutoScroll();
        return;
    }
    if (m_dragArmed && (event->buttons() & Qt::LeftButton)) {
        // A hand that shakes a little still clicks.
        if ((position - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
            return;
        m_dragArmed = false;
        m_draggingRows = true;
        viewport()->setCursor(Qt::DragMoveCursor);
        updateDropHighlight(position);
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void FileListView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_draggingRows) {
        if (event->button() == Qt::LeftButton) {
            const int target = dropHighlightRow();
            endRowDrag();
            if (target >= 0)
                Q_EMIT rowsDropped(target);
        }
        return;
    }
    const bool wasArmed = m_dragArmed;
    m_dragArmed = false;
    QTreeView::mouseReleaseEvent(event);
    if (!wasArmed && event->button() == Qt::RightButton)
        Q_EMIT popupRequested(event->globalPosition().toPoint());
}

void FileListView::keyPressEvent(QKeyEvent* event) {
    if (m_draggingRows && event->key() == Qt::Key_Escape) {
        endRowDrag();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void FileListView::endRowDrag() {
    m_draggingRows = false;
    stopAutoScroll();
    viewport()->unsetCursor();
    setDropHighlight(QModelIndex());
}

void FileListView::updateDropHighlight(const QPoint& position) {
    const QModelIndex under = indexAt(position);
    setDropHighlight(under.isValid() ? under.siblingAtColumn(0) : QModelIndex());
}

void FileListView::setDropHighlight(const QModelIndex& index) {
    if (QModelIndex(m_dropHighlight) == index)
        return;
    m_dropHighlight = index;
    if (index.isValid())
        scrollTo(index);
    viewport()->update();
}

void FileListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    if (!m_dropHighlight.isValid() || index.row() != m_dropHighlight.row())
        return;
    painter->save();
    painter->setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
    painter->restore();
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    acceptShellDrop(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    acceptShellDrop(event);
}

void FileListView::dropEvent(QDropEvent* event) {
    if (acceptShellDrop(event))
        Q_EMIT pathsDropped(droppedLocalPaths(event->mimeData()));
}
