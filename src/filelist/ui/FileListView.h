#pragma once

#include <QTreeView>

#include <vector>

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

    // The selected rows as numbers, in ascending order, and as one flag per row.
    [[nodiscard]] std::vector<qsizetype> selectedRowNumbers() const;
    [[nodiscard]] std::vector<bool> selectedRowFlags() const;
    // Selects exactly the flagged rows, in as few ranges as they make.
    void selectOnly(const std::vector<bool>& selected);
};
