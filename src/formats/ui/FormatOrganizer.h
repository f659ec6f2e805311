#pragma once

#include <QDialog>

class FormatListModel;
class FormatListView;
class QFont;
class QPushButton;
class SavedFormats;
class UserPrompt;

// frmForm: reorders, renames and deletes the registered formats on a copy; OK after an edit puts the copy
// in their place, Cancel forgets it.
class FormatOrganizer final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormatOrganizer)

public:
    // The list takes the family and size of listFont, and explains itself in a tooltip when toolTips is set.
    FormatOrganizer(
        SavedFormats& formats, const QFont& listFont, bool toolTips, UserPrompt& prompt, QWidget* parent = nullptr);
    ~FormatOrganizer() override;

    [[nodiscard]] const FormatListModel& model() const { return *m_model; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutList();
    [[nodiscard]] int selectedRow() const;
    void dropSelectedOn(int target);

    SavedFormats& m_formats;
    FormatListModel* m_model;
    FormatListView* m_list;
    QWidget* m_buttonBar;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
