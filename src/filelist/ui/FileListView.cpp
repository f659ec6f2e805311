#include "filelist/ui/FileListView.h"

#include "filelist/FileListModel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelection>

#include <algorithm>

namespace {

constexpr int kDefaultWidths[kFileColumnCount] = {150, 180, 80, 100, 70};

} // namespace

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
    header()->setSectionsMovable(true);
    header()->setStretchLastSection(false);
}

void FileListView::setFileListModel(FileListModel* model) {
    setModel(model);
    setDefaultColumnWidths();
}

// The first-start widths, each widened where its header or its longest usual text would be cut.
void FileListView::setDefaultColumnWidths() {
    const QString samples[kFileColumnCount] = {QString(), QString(), QStringLiteral("999,999,999"),
                                               QStringLiteral("2000/12/31 23:59:59"), QStringLiteral("RHSA")};
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
