#pragma once

#include <QTreeView>

class FileListModel;

// lvwFiles: the report view over the file list, several rows selectable at once.
class FileListView final : public QTreeView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListView)

public:
    explicit FileListView(QWidget* parent = nullptr);

    void setFileListModel(FileListModel* model);
    // Widths in pixels in creation order: file name, path, size, date modified, attributes.
    void setDefaultColumnWidths();
};
