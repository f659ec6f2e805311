#pragma once

#include "formats/SavedFormats.h"

#include <QAbstractTableModel>

// The organizer's own copy of the registered formats: names in column 0, editable; formats in column 1.
class FormatListModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormatListModel)

public:
    enum Column : int { NameColumn = 0, FormatColumn = 1 };

    explicit FormatListModel(QList<SavedFormat> formats, QObject* parent = nullptr);
    ~FormatListModel() override;

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Takes a name only when renameProblem() has nothing against it.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    // The message that refuses name for row, or an empty text when row may take it (its own name included).
    [[nodiscard]] QString renameProblem(int row, const QString& name) const;
    // Moves row so that it ends where target was; the rows between shift by one.
    bool moveFormat(int row, int target);

    // Whether any row was deleted, renamed or moved.
    [[nodiscard]] bool organizerChanged() const { return m_changed; }
    [[nodiscard]] const QList<SavedFormat>& formats() const { return m_formats; }

private:
    QList<SavedFormat> m_formats;
    bool m_changed = false;
};
