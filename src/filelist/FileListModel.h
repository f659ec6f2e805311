#pragma once

#include "filelist/FileRow.h"
#include "filelist/NamePreview.h"
#include "platform/TextKeys.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

class FileSystem;

// The file list: the only store of its rows. Rows are 0-based here; the row's full path is unique. A row's
// identity is its folder text and name, compared exactly, kept apart so that no full path has to be put
// together to look a row up.
class FileListModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListModel)

public:
    // The state of a row's new name (a PreviewState as int) in the new-name column.
    static constexpr int kPreviewStateRole = Qt::UserRole + 1;

    // The rows' details are read through fs when they are first shown or sorted by.
    explicit FileListModel(const FileSystem& fs, QObject* parent = nullptr);
    ~FileListModel() override;

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant
    headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Only the name can be edited, and only by the in-place rename, which renames the file first.
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    [[nodiscard]] qsizetype size() const { return static_cast<qsizetype>(m_rows.size()); }
    [[nodiscard]] const FileRow& row(qsizetype index) const { return m_rows.at(static_cast<std::size_t>(index)); }
    [[nodiscard]] const std::vector<FileRow>& rows() const { return m_rows; }
    // Reads the details of every row that has none yet.
    void readAllDetails() const;

    // Exact, case-sensitive comparison of the folder text and the name.
    [[nodiscard]] bool contains(const QString& folder, const QString& name) const;
    // The row that shows the file at the full path, compared exactly.
    [[nodiscard]] std::optional<qsizetype> findRow(const QString& fullPath) const;

    // Rows collected here are checked against the list and each other at once, and appear together
    // when the appender is committed or destroyed.
    class Appender {
    public:
        explicit Appender(FileListModel& model);
        ~Appender();
        Appender(const Appender&) = delete;
        Appender& operator=(const Appender&) = delete;
        Appender(Appender&&) = delete;
        Appender& operator=(Appender&&) = delete;

        [[nodiscard]] bool contains(const QString& folder, const QString& name) const;
        // Makes room for this many more rows, so that the table of keys is not grown step by step.
        void reserve(qsizetype count);
        // False when a row for the same folder and name is listed or pending already.
        bool add(FileRow row);
        [[nodiscard]] qsizetype pendingCount() const { return static_cast<qsizetype>(m_pending.size()); }
        void commit();

    private:
        FileListModel& m_model;
        std::vector<FileRow> m_pending;
    };

    bool appendRow(FileRow row);
    void replaceRow(qsizetype index, FileRow row);
    // The row's file now has this folder and name.
    void moveRowFile(qsizetype index, const QString& folder, const QString& name);
    void removeRowAt(qsizetype index);
    // Removes the rows at the given positions in one pass; the rows that stay keep their marks in the views.
    void removeRowsAt(std::vector<qsizetype> indexes);
    void clear();
    void swapRows(qsizetype a, qsizetype b);
    // Row i takes the row that is now at order[i]. Views keep their selection and current row with the rows.
    void permuteRows(const std::vector<qsizetype>& order, LayoutChangeHint hint = NoLayoutChangeHint);
    // Row i takes the content that is now at order[i], as if its texts were written anew: the views'
    // selection and current row stay at their positions.
    void permuteContents(const std::vector<qsizetype>& order);

    // The list's own sort direction. A sort by name sets it; every header sort turns it round first.
    [[nodiscard]] Qt::SortOrder sortOrder() const { return m_sortOrder; }
    void setSortOrder(Qt::SortOrder order) { m_sortOrder = order; }
    // Rows ordered by name as a reader orders them (see sortedRowOrder); the selection follows the rows.
    void sortByName(bool ascending);
    // The preview of the new names, one per row, which moves and goes with its rows; empty while none is
    // shown. A row added since the preview was made shows nothing until the next one.
    [[nodiscard]] const std::vector<NamePreview>& preview() const { return m_preview; }
    // Rows first to last take their entries of preview, which has one per row of the list.
    void showPreview(qsizetype first, qsizetype last, const std::vector<NamePreview>& preview);
    // The same, taking the whole preview over instead of copying it.
    void showPreview(qsizetype first, qsizetype last, std::vector<NamePreview>&& preview);
    void clearPreview();

    // A click on a column's header: the sort direction turns round, then the rows are sorted by the column.
    // Sizes are sorted by their numbers and, unlike the texts, leave the selection marks where they were.
    void sortByHeader(FileColumn column);

Q_SIGNALS:
    // Around a change of layout that moves or removes rows; newPosition[i] is where the old row i went, or -1
    // when it was removed. A view carries a large selection through it as row numbers far more cheaply than
    // as the persistent indexes the layout change would make of it, one per selected row.
    void rowsAboutToBeRearranged();
    void rowsRearranged(const std::vector<int>& newPosition);

private:
    // Reads the details of the rows near the row, which the view is about to show.
    void readDetailsAround(qsizetype index) const;
    // Puts the present keys of the rows that got new ones into the table.
    void indexMovedRows() const;
    // The position of the row, listed or pending, that has this folder and name.
    [[nodiscard]] std::optional<qsizetype> positionOf(QStringView folder, QStringView name) const;
    // The row at a position of the table: listed, pending, or none.
    [[nodiscard]] const FileRow* rowAtPosition(qsizetype position) const;
    // Enters the position under the key its row has now.
    void indexPosition(qsizetype position) const;
    // Rows moved or went: each slot of a row of the oldCount before takes newPosition(old), a slot of a
    // removed row (a negative position) or of any other stays as stale.
    template <typename NewPosition> void followMovedRows(qsizetype oldCount, NewPosition newPosition) const;
    // Makes the table anew from the rows and the pending rows, with room for this many more; stale slots go.
    void rebuildIndex(qsizetype room = 0) const;
    [[nodiscard]] std::size_t keySlot(QStringView folder, QStringView name) const;
    // Removes several runs of rows as one change of layout: one signal per run would make every view walk
    // its selection and persistent indexes once per run.
    void removeRunsAsLayoutChange(const std::vector<qsizetype>& sortedIndexes);
    // Old row i is now at newPosition[i], or gone when it is negative.
    void movePersistentIndexes(const std::vector<int>& newPosition);
    // Row i takes the row now at order[i]; the key table follows.
    void arrange(const std::vector<qsizetype>& order);

    // Row i takes the preview entry now at order[i], when there is a preview.
    void arrangePreview(const std::vector<qsizetype>& order);
    void emitPreviewChanged(qsizetype first, qsizetype last);

    const FileSystem& m_fs;
    std::vector<FileRow> m_rows;
    std::vector<NamePreview> m_preview;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // Key to row position, for the duplicate test and the look-up of a file's row: open addressing over
    // positions alone, each slot's key read from its row, so that a million rows cost a few megabytes. A row
    // that gets a new key leaves its old slot behind as stale (its row no longer matches), and its new key
    // goes in only when the table is next used, so that a run that renames every row pays nothing for a table
    // nobody reads. Positions past the last row belong to the rows of an append not yet committed.
    mutable std::vector<quint32> m_slots;
    mutable qsizetype m_usedSlots = 0;
    mutable std::vector<qsizetype> m_unindexed;
    // The rows of the append in hand, while there is one.
    const std::vector<FileRow>* m_pendingRows = nullptr;
};
