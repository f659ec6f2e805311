#include "filelist/FileListModel.h"

#include <algorithm>

namespace {

RowKey keyOf(const FileRow& row) {
    return {row.path, row.name};
}

} // namespace

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent) {}

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
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return columnText(m_rows[static_cast<std::size_t>(index.row())], column);
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
    }
    return {};
}

bool FileListModel::contains(const QString& folder, const QString& name) const {
    return m_positions.contains(RowKey{folder, name});
}

std::optional<qsizetype> FileListModel::findRow(const QString& fullPath) const {
    const qsizetype slash = fullPath.lastIndexOf(QLatin1Char('/'));
    const auto it = m_positions.constFind(RowKey{fullPath.left(slash + 1), fullPath.mid(slash + 1)});
    if (it == m_positions.constEnd())
        return std::nullopt;
    return *it;
}

void FileListModel::reindexFrom(qsizetype first) {
    for (auto i = static_cast<std::size_t>(first); i < m_rows.size(); ++i)
        m_positions.insert(keyOf(m_rows[i]), static_cast<qsizetype>(i));
}

FileListModel::Appender::Appender(FileListModel& model)
    : m_model(model) {}

FileListModel::Appender::~Appender() {
    commit();
}

bool FileListModel::Appender::contains(const QString& folder, const QString& name) const {
    return m_model.contains(folder, name);
}

bool FileListModel::Appender::add(FileRow row) {
    const RowKey key = keyOf(row);
    if (m_model.m_positions.contains(key))
        return false;
    m_model.m_positions.insert(key, m_model.size() + static_cast<qsizetype>(m_pending.size()));
    m_pending.push_back(std::move(row));
    return true;
}

void FileListModel::Appender::commit() {
    if (m_pending.empty())
        return;
    const int first = m_model.rowCount();
    m_model.beginInsertRows(QModelIndex(), first, first + static_cast<int>(m_pending.size()) - 1);
    m_model.m_rows.insert(m_model.m_rows.end(), std::make_move_iterator(m_pending.begin()),
                          std::make_move_iterator(m_pending.end()));
    m_model.endInsertRows();
    m_pending.clear();
}

bool FileListModel::appendRow(FileRow row) {
    Appender appender(*this);
    return appender.add(std::move(row));
}

void FileListModel::replaceRow(qsizetype index, FileRow row) {
    FileRow& current = m_rows.at(static_cast<std::size_t>(index));
    const RowKey oldKey = keyOf(current);
    if (!(oldKey == keyOf(row))) {
        if (m_positions.value(oldKey, -1) == index)
            m_positions.remove(oldKey);
        m_positions.insert(keyOf(row), index);
    }
    current = std::move(row);
    const int r = static_cast<int>(index);
    Q_EMIT dataChanged(this->index(r, 0), this->index(r, kFileColumnCount - 1));
}

void FileListModel::moveRowFile(qsizetype index, const QString& folder, const QString& name) {
    FileRow& current = m_rows.at(static_cast<std::size_t>(index));
    RowKey key{folder, name};
    if (m_positions.value(keyOf(current), -1) == index)
        m_positions.remove(keyOf(current));
    m_positions.insert(key, index);
    current.path = folder;
    current.name = name;
    const int r = static_cast<int>(index);
    Q_EMIT dataChanged(this->index(r, 0), this->index(r, static_cast<int>(FileColumn::Path)));
}

void FileListModel::removeRowAt(qsizetype index) {
    const int r = static_cast<int>(index);
    beginRemoveRows(QModelIndex(), r, r);
    const RowKey key = keyOf(m_rows.at(static_cast<std::size_t>(index)));
    if (m_positions.value(key, -1) == index)
        m_positions.remove(key);
    m_rows.erase(m_rows.begin() + index);
    reindexFrom(index);
    endRemoveRows();
}

void FileListModel::removeRows(std::vector<qsizetype> indexes) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    if (indexes.empty())
        return;
    // Contiguous runs are removed together, from the last so that positions stay valid.
    std::size_t end = indexes.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && indexes[start - 1] + 1 == indexes[start])
            --start;
        const auto first = static_cast<int>(indexes[start]);
        const auto last = static_cast<int>(indexes[end - 1]);
        beginRemoveRows(QModelIndex(), first, last);
        for (int r = first; r <= last; ++r) {
            const RowKey key = keyOf(m_rows[static_cast<std::size_t>(r)]);
            if (m_positions.value(key, -1) == r)
                m_positions.remove(key);
        }
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
        end = start;
    }
    reindexFrom(indexes.front());
}

void FileListModel::clear() {
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_positions.clear();
    endResetModel();
}

void FileListModel::swapRows(qsizetype a, qsizetype b) {
    if (a == b)
        return;
    std::swap(m_rows.at(static_cast<std::size_t>(a)), m_rows.at(static_cast<std::size_t>(b)));
    m_positions.insert(keyOf(m_rows[static_cast<std::size_t>(a)]), a);
    m_positions.insert(keyOf(m_rows[static_cast<std::size_t>(b)]), b);
    for (const qsizetype r : {a, b})
        Q_EMIT dataChanged(index(static_cast<int>(r), 0), index(static_cast<int>(r), kFileColumnCount - 1));
}

void FileListModel::sortByName(bool ascending) {
    if (m_rows.size() < 2)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> order(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this, ascending](std::size_t a, std::size_t b) {
        const QString& left = m_rows[ascending ? a : b].name;
        const QString& right = m_rows[ascending ? b : a].name;
        int c = left.compare(right, Qt::CaseInsensitive);
        if (c == 0)
            c = left.compare(right, Qt::CaseSensitive);
        return c < 0;
    });
    std::vector<FileRow> sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newPosition(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newPosition[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[order[i]]));
    }
    m_rows = std::move(sorted);
    reindexFrom(0);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newPosition[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
