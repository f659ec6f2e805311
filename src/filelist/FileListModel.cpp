#include "filelist/FileListModel.h"

#include "filelist/RowOrder.h"
#include "platform/FreedMemory.h"

#include <QMetaMethod>

#include <algorithm>

namespace {

// A slot without a position, and one whose row was removed: it stays taken, so that the probes past it still
// reach the slots beyond, until the table is rebuilt.
constexpr quint32 kNoPosition = 0xFFFFFFFF;
constexpr quint32 kRemovedRow = 0xFFFFFFFE;

bool hasKey(const FileRow& row, QStringView folder, QStringView name) {
    return row.name == name && row.path == folder;
}

bool isIdentity(const std::vector<qsizetype>& order) {
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] != static_cast<qsizetype>(i))
            return false;
    }
    return true;
}

} // namespace

FileListModel::FileListModel(const FileSystem& fs, QObject* parent)
    : QAbstractTableModel(parent)
    , m_fs(fs) {}

FileListModel::~FileListModel() = default;

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(m_rows.size(), INT_MAX));
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFileColumnCount;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto column = static_cast<FileColumn>(index.column());
    if (column == FileColumn::NewName) {
        if (m_preview.empty())
            return {};
        const NamePreview& preview = m_preview[static_cast<std::size_t>(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return preview.name;
        case Qt::ToolTipRole:
            return preview.reason.isEmpty() ? QVariant() : QVariant(preview.reason);
        case kPreviewStateRole:
            return static_cast<int>(preview.state);
        default:
            return {};
        }
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const FileRow& row = m_rows[static_cast<std::size_t>(index.row())];
        if (column != FileColumn::FileName && column != FileColumn::Path && !row.details.isRead())
            readDetailsAround(index.row());
        return columnText(row, column);
    }
    case Qt::TextAlignmentRole:
        if (column == FileColumn::Size || column == FileColumn::Attribute)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kFileColumnCount)
        return {};
    const auto column = static_cast<FileColumn>(section);
    if (role == Qt::TextAlignmentRole) {
        if (column == FileColumn::Size || column == FileColumn::Attribute)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case FileColumn::FileName:
        return tr("ﾌｧｲﾙ名");
    case FileColumn::Path:
        return tr("ﾊﾟｽ");
    case FileColumn::Size:
        return tr("ｻｲｽﾞ(ﾊﾞｲﾄ)");
    case FileColumn::LastWriteTime:
        return tr("更新日時");
    case FileColumn::Attribute:
        return tr("属性");
    case FileColumn::NewName:
        return tr("新しい名前");
    }
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == static_cast<int>(FileColumn::FileName))
        flags |= Qt::ItemIsEditable;
    return flags;
}

void FileListModel::readAllDetails() const {
    readRowDetails(m_fs, m_rows);
}

void FileListModel::readDetailsAround(qsizetype index) const {
    // About a screen's rows, most of them below: views ask from the top down.
    constexpr qsizetype kAbove = 16;
    constexpr qsizetype kBelow = 112;
    const qsizetype first = std::max<qsizetype>(0, index - kAbove);
    const qsizetype end = std::min(size(), index + kBelow);
    readRowDetails(m_fs, std::span<const FileRow>(m_rows).subspan(static_cast<std::size_t>(first),
                                                                  static_cast<std::size_t>(end - first)));
}

bool FileListModel::contains(const QString& folder, const QString& name) const {
    return positionOf(folder, name).has_value();
}

std::optional<qsizetype> FileListModel::findRow(const QString& fullPath) const {
    const qsizetype slash = fullPath.lastIndexOf(QLatin1Char('/'));
    return positionOf(QStringView(fullPath).first(slash + 1), QStringView(fullPath).sliced(slash + 1));
}

void FileListModel::indexMovedRows() const {
    if (m_unindexed.empty())
        return;
    for (const qsizetype index : m_unindexed)
        indexPosition(index);
    m_unindexed.clear();
    // Stale slots may take up as much room as the live ones before they are swept out.
    if (m_usedSlots > 2 * size() + 1024)
        rebuildIndex();
}

std::size_t FileListModel::keySlot(QStringView folder, QStringView name) const {
    return hashText(name, hashText(folder)) & (m_slots.size() - 1);
}

const FileRow* FileListModel::rowAtPosition(qsizetype position) const {
    if (position < size())
        return &m_rows[static_cast<std::size_t>(position)];
    const auto pending = static_cast<std::size_t>(position - size());
    return m_pendingRows != nullptr && pending < m_pendingRows->size() ? &(*m_pendingRows)[pending] : nullptr;
}

std::optional<qsizetype> FileListModel::positionOf(QStringView folder, QStringView name) const {
    indexMovedRows();
    if (m_slots.empty())
        return std::nullopt;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t slot = keySlot(folder, name); m_slots[slot] != kNoPosition; slot = (slot + 1) & mask) {
        const FileRow* row = rowAtPosition(m_slots[slot]);
        if (row != nullptr && hasKey(*row, folder, name))
            return m_slots[slot];
    }
    return std::nullopt;
}

void FileListModel::indexPosition(qsizetype position) const {
    // At most half the slots are taken, so that probes stay short.
    if (2 * (m_usedSlots + 1) > static_cast<qsizetype>(m_slots.size())) {
        rebuildIndex(1);
        return;
    }
    const FileRow& row = *rowAtPosition(position);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = keySlot(row.path, row.name);
    for (; m_slots[slot] != kNoPosition; slot = (slot + 1) & mask) {
        const FileRow* there = rowAtPosition(m_slots[slot]);
        // A row that took over the key of another (a swap) takes its slot too.
        if (static_cast<qsizetype>(m_slots[slot]) == position ||
            (there != nullptr && hasKey(*there, row.path, row.name))) {
            m_slots[slot] = static_cast<quint32>(position);
            return;
        }
    }
    m_slots[slot] = static_cast<quint32>(position);
    ++m_usedSlots;
}

template <typename NewPosition> void FileListModel::followMovedRows(qsizetype oldCount, NewPosition newPosition) const {
    for (quint32& slot : m_slots) {
        if (slot == kNoPosition)
            continue;
        const qsizetype moved =
            static_cast<qsizetype>(slot) < oldCount ? newPosition(static_cast<qsizetype>(slot)) : -1;
        slot = moved < 0 ? kRemovedRow : static_cast<quint32>(moved);
    }
    if (m_usedSlots > 2 * size() + 1024)
        rebuildIndex();
}

void FileListModel::rebuildIndex(qsizetype room) const {
    const qsizetype count = size() + (m_pendingRows != nullptr ? static_cast<qsizetype>(m_pendingRows->size()) : 0);
    std::size_t capacity = 64;
    while (capacity < 2 * static_cast<std::size_t>(count + room))
        capacity *= 2;
    m_slots.assign(capacity, kNoPosition);
    m_usedSlots = 0;
    m_unindexed.clear();
    for (qsizetype position = 0; position < count; ++position)
        indexPosition(position);
}

FileListModel::Appender::Appender(FileListModel& model)
    : m_model(model) {
    m_model.m_pendingRows = &m_pending;
}

FileListModel::Appender::~Appender() {
    commit();
    m_model.m_pendingRows = nullptr;
}

bool FileListModel::Appender::contains(const QString& folder, const QString& name) const {
    return m_model.contains(folder, name);
}

void FileListModel::Appender::reserve(qsizetype count) {
    m_model.indexMovedRows();
    if (2 * (m_model.m_usedSlots + count) > static_cast<qsizetype>(m_model.m_slots.size()))
        m_model.rebuildIndex(count);
    // Grown by at least half again, so that many small folders do not move the pending rows once each.
    const std::size_t needed = m_pending.size() + static_cast<std::size_t>(count);
    if (needed > m_pending.capacity())
        m_pending.reserve(std::max(needed, m_pending.capacity() + m_pending.capacity() / 2));
}

bool FileListModel::Appender::add(FileRow row) {
    if (m_model.positionOf(row.path, row.name))
        return false;
    m_pending.push_back(std::move(row));
    m_model.indexPosition(m_model.size() + pendingCount() - 1);
    return true;
}

void FileListModel::Appender::commit() {
    if (m_pending.empty())
        return;
    const int first = m_model.rowCount();
    m_model.beginInsertRows(QModelIndex(), first, first + static_cast<int>(m_pending.size()) - 1);
    // The rows of an add into an empty list are taken over whole, without a second copy of a large list.
    if (m_model.m_rows.empty())
        std::swap(m_model.m_rows, m_pending);
    else
        m_model.m_rows.insert(m_model.m_rows.end(), std::make_move_iterator(m_pending.begin()),
                              std::make_move_iterator(m_pending.end()));
    if (!m_model.m_preview.empty())
        m_model.m_preview.resize(m_model.m_rows.size());
    m_model.endInsertRows();
    m_pending.clear();
}

bool FileListModel::appendRow(FileRow row) {
    Appender appender(*this);
    return appender.add(std::move(row));
}

void FileListModel::replaceRow(qsizetype index, FileRow row) {
    FileRow& current = m_rows.at(static_cast<std::size_t>(index));
    if (!hasKey(current, row.path, row.name))
        m_unindexed.push_back(index);
    current = std::move(row);
    if (!m_preview.empty())
        m_preview[static_cast<std::size_t>(index)] = {};
    const int r = static_cast<int>(index);
    Q_EMIT dataChanged(this->index(r, 0), this->index(r, kFileColumnCount - 1));
}

void FileListModel::moveRowFile(qsizetype index, const QString& folder, const QString& name) {
    FileRow& current = m_rows.at(static_cast<std::size_t>(index));
    m_unindexed.push_back(index);
    current.path = folder;
    current.name = name;
    if (!m_preview.empty())
        m_preview[static_cast<std::size_t>(index)] = {};
    // A run moves every row: without a view there is nobody to tell.
    static const QMetaMethod changed = QMetaMethod::fromSignal(&QAbstractItemModel::dataChanged);
    if (!isSignalConnected(changed))
        return;
    const int r = static_cast<int>(index);
    Q_EMIT dataChanged(this->index(r, 0), this->index(r, static_cast<int>(FileColumn::Path)));
}

void FileListModel::removeRowAt(qsizetype index) {
    const int r = static_cast<int>(index);
    beginRemoveRows(QModelIndex(), r, r);
    indexMovedRows();
    m_rows.erase(m_rows.begin() + index);
    if (!m_preview.empty())
        m_preview.erase(m_preview.begin() + index);
    followMovedRows(size() + 1, [index](qsizetype old) { return old < index ? old : (old == index ? -1 : old - 1); });
    endRemoveRows();
}

void FileListModel::removeRowsAt(std::vector<qsizetype> indexes) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    if (indexes.empty())
        return;
    Q_ASSERT(indexes.front() >= 0 && indexes.back() < size());
    const auto count = static_cast<qsizetype>(indexes.size());
    if (indexes.back() - indexes.front() + 1 == count) {
        const auto first = static_cast<int>(indexes.front());
        beginRemoveRows(QModelIndex(), first, static_cast<int>(indexes.back()));
        indexMovedRows();
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + first + count);
        if (!m_preview.empty())
            m_preview.erase(m_preview.begin() + first, m_preview.begin() + first + count);
        followMovedRows(size() + count, [first, count](qsizetype old) {
            return old < first ? old : (old < first + count ? -1 : old - count);
        });
        endRemoveRows();
    } else {
        removeRunsAsLayoutChange(indexes);
    }
}

void FileListModel::removeRunsAsLayoutChange(const std::vector<qsizetype>& sortedIndexes) {
    Q_EMIT rowsAboutToBeRearranged();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    indexMovedRows();
    std::vector<int> newPosition(m_rows.size());
    std::size_t next = 0;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (next < sortedIndexes.size() && static_cast<std::size_t>(sortedIndexes[next]) == i) {
            newPosition[i] = -1;
            ++next;
            continue;
        }
        newPosition[i] = static_cast<int>(kept);
        if (kept != i) {
            m_rows[kept] = std::move(m_rows[i]);
            if (!m_preview.empty())
                m_preview[kept] = std::move(m_preview[i]);
        }
        ++kept;
    }
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(kept), m_rows.end());
    if (!m_preview.empty())
        m_preview.erase(m_preview.begin() + static_cast<std::ptrdiff_t>(kept), m_preview.end());
    followMovedRows(static_cast<qsizetype>(newPosition.size()),
                    [&newPosition](qsizetype old) { return newPosition[static_cast<std::size_t>(old)]; });
    movePersistentIndexes(newPosition);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT rowsRearranged(newPosition);
}

void FileListModel::movePersistentIndexes(const std::vector<int>& newPosition) {
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        const int row = newPosition[static_cast<std::size_t>(old.row())];
        after.append(row < 0 ? QModelIndex() : index(row, old.column()));
    }
    changePersistentIndexList(before, after);
}

void FileListModel::clear() {
    if (m_rows.empty())
        return;
    beginResetModel();
    // Given back whole: a cleared list of a million rows would otherwise keep their room.
    std::vector<FileRow>().swap(m_rows);
    std::vector<NamePreview>().swap(m_preview);
    std::vector<quint32>().swap(m_slots);
    m_usedSlots = 0;
    m_unindexed.clear();
    endResetModel();
    returnFreedMemory();
}

void FileListModel::swapRows(qsizetype a, qsizetype b) {
    if (a == b)
        return;
    indexMovedRows();
    std::swap(m_rows.at(static_cast<std::size_t>(a)), m_rows.at(static_cast<std::size_t>(b)));
    if (!m_preview.empty())
        std::swap(m_preview[static_cast<std::size_t>(a)], m_preview[static_cast<std::size_t>(b)]);
    indexPosition(a);
    indexPosition(b);
    for (const qsizetype r : {a, b})
        Q_EMIT dataChanged(index(static_cast<int>(r), 0), index(static_cast<int>(r), kFileColumnCount - 1));
}

void FileListModel::sortByName(bool ascending) {
    m_sortOrder = ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
    if (m_rows.size() < 2)
        return;
    permuteRows(sortedRowOrder(m_rows, FileColumn::FileName, m_sortOrder), QAbstractItemModel::VerticalSortHint);
}

void FileListModel::sortByHeader(FileColumn column) {
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (m_rows.size() < 2)
        return;
    std::vector<qsizetype> order;
    if (column == FileColumn::NewName) {
        std::vector<QString> names(m_rows.size());
        for (std::size_t i = 0; i < m_preview.size(); ++i)
            names[i] = m_preview[i].name;
        order = sortedTextOrder(names, m_sortOrder);
    } else {
        if (column != FileColumn::FileName && column != FileColumn::Path)
            readAllDetails();
        order = sortedRowOrder(m_rows, column, m_sortOrder);
    }
    if (column == FileColumn::Size)
        permuteContents(order);
    else
        permuteRows(order, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::permuteRows(const std::vector<qsizetype>& order, LayoutChangeHint hint) {
    Q_ASSERT(order.size() == m_rows.size());
    if (isIdentity(order))
        return;
    Q_EMIT rowsAboutToBeRearranged();
    Q_EMIT layoutAboutToBeChanged({}, hint);
    indexMovedRows();
    std::vector<int> newPosition(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        newPosition[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    arrange(order);
    movePersistentIndexes(newPosition);
    Q_EMIT layoutChanged({}, hint);
    Q_EMIT rowsRearranged(newPosition);
}

void FileListModel::permuteContents(const std::vector<qsizetype>& order) {
    Q_ASSERT(order.size() == m_rows.size());
    if (isIdentity(order))
        return;
    indexMovedRows();
    arrange(order);
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, kFileColumnCount - 1));
}

void FileListModel::arrange(const std::vector<qsizetype>& order) {
    std::vector<FileRow> arranged;
    arranged.reserve(m_rows.size());
    for (const qsizetype from : order)
        arranged.push_back(std::move(m_rows[static_cast<std::size_t>(from)]));
    m_rows = std::move(arranged);
    arrangePreview(order);
    // The keys went with their rows, so every slot stays where it is and takes the row's new position.
    std::vector<qsizetype> newPosition(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        newPosition[static_cast<std::size_t>(order[i])] = static_cast<qsizetype>(i);
    followMovedRows(size(), [&newPosition](qsizetype old) { return newPosition[static_cast<std::size_t>(old)]; });
}

void FileListModel::arrangePreview(const std::vector<qsizetype>& order) {
    if (m_preview.empty())
        return;
    std::vector<NamePreview> arranged;
    arranged.reserve(m_preview.size());
    for (const qsizetype from : order)
        arranged.push_back(std::move(m_preview[static_cast<std::size_t>(from)]));
    m_preview = std::move(arranged);
}

void FileListModel::showPreview(qsizetype first, qsizetype last, const std::vector<NamePreview>& preview) {
    if (preview.size() != m_rows.size() || first > last)
        return;
    if (m_preview.empty()) {
        m_preview.resize(m_rows.size());
        first = 0;
        last = size() - 1;
    }
    std::copy(preview.begin() + first, preview.begin() + last + 1, m_preview.begin() + first);
    emitPreviewChanged(first, last);
}

void FileListModel::showPreview(qsizetype first, qsizetype last, std::vector<NamePreview>&& preview) {
    if (preview.size() != m_rows.size())
        return;
    if (m_preview.empty()) {
        first = 0;
        last = size() - 1;
    }
    m_preview = std::move(preview);
    emitPreviewChanged(first, last);
}

void FileListModel::clearPreview() {
    if (m_preview.empty())
        return;
    // A million rows' entries are given back, not kept for the next preview.
    std::vector<NamePreview>().swap(m_preview);
    emitPreviewChanged(0, size() - 1);
}

void FileListModel::emitPreviewChanged(qsizetype first, qsizetype last) {
    if (first > last)
        return;
    const int column = static_cast<int>(FileColumn::NewName);
    Q_EMIT dataChanged(index(static_cast<int>(first), column), index(static_cast<int>(last), column));
}
