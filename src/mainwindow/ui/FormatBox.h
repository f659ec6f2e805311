#pragma once

#include <QWidget>

class QComboBox;
class QLineEdit;

// picFileName: the format box, the history combo cmbFileName with txtFileName as its edit, whose text is
// the format every command reads.
class FormatBox final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormatBox)

public:
    explicit FormatBox(QWidget* parent = nullptr);

    [[nodiscard]] QString text() const;
    [[nodiscard]] QLineEdit* edit() const { return m_edit; }
    [[nodiscard]] QComboBox* combo() const { return m_combo; }

private:
    QComboBox* m_combo;
    QLineEdit* m_edit;
};
