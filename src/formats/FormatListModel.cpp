#include "formats/FormatListModel.h"

FormatListModel::FormatListModel(QList<SavedFormat> formats, QObject* parent)
    : QAbstractTableModel(parent)
    , m_formats(std::move(formats)) {}

FormatListModel::~FormatListModel() = default;

int FormatListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_formats.size());
}

int FormatListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant FormatListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const SavedFormat& saved = m_formats.at(index.row());
    return index.column() == NameColumn ? saved.name : saved.format;
}

QVariant FormatListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == NameColumn)
        return tr("名前");
    if (section == FormatColumn)
        return tr("書式");
    return {};
}

Qt::ItemFlags FormatListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == NameColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool FormatListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || index.column() != NameColumn || role != Qt::EditRole)
        return false;
    const QString name = value.toString();
    if (!renameProblem(index.row(), name).isEmpty())
        return false;
    m_formats[index.row()].name = name;
    m_changed = true;
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

bool FormatListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    m_formats.remove(row, count);
    endRemoveRows();
    m_changed = true;
    return true;
}

QString FormatListModel::renameProblem(int row, const QString& name) const {
    if (name.isEmpty())
        return tr("名前を指定してください。");
    for (qsizetype other = 0; other < m_formats.size(); ++other) {
        if (other != row && m_formats.at(other).name == name)
            return tr("その名前はすでに使われています。");
    }
    return {};
}

bool FormatListModel::moveFormat(int row, int target) {
    if (row == target || row < 0 || target < 0 || row >= rowCount() || target >= rowCount())
        return false;
    // Qt names the row before which the moved one lands, counted before the move.
    beginMoveRows(QModelIndex(), row, row, QModelIndex(), row < target ? target + 1 : target);
    m_formats.move(row, target);
    endMoveRows();
    m_changed = true;
    return true;
}
