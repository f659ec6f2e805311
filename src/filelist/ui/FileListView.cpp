#include "filelist/ui/FileListView.h"

#include "filelist/FileListModel.h"

#include <QHeaderView>

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

void FileListView::setDefaultColumnWidths() {
    for (int column = 0; column < kFileColumnCount; ++column)
        header()->resizeSection(column, kDefaultWidths[column]);
}
