#include "mainwindow/ui/FormatBox.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

FormatBox::FormatBox(QWidget* parent)
    : QWidget(parent)
    , m_combo(new QComboBox(this)) {
    setObjectName(QStringLiteral("picFileName"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(tr("書式"), this));
    m_combo->setObjectName(QStringLiteral("cmbFileName"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_edit = m_combo->lineEdit();
    m_edit->setObjectName(QStringLiteral("txtFileName"));
    m_edit->setToolTip(tr("書式を書いてください"));
    layout->addWidget(m_combo, 1);
}

QString FormatBox::text() const {
    return m_edit->text();
}
