#include "formats/ui/FormatOrganizer.h"

#include "formats/FormatListModel.h"
#include "formats/SavedFormats.h"
#include "formats/ui/FormatListView.h"
#include "platform/UserPrompt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>

#include <cmath>

namespace {

constexpr QSize kInitialSize(480, 300);

// Refuses an empty name, or one that another row holds, with a message; the old name then stays.
class NameDelegate final : public QStyledItemDelegate {
public:
    NameDelegate(const FormatListModel& model, UserPrompt& prompt, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_model(model)
        , m_prompt(prompt) {}

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr)
            return;
        const QString problem = m_model.renameProblem(index.row(), line->text());
        if (!problem.isEmpty()) {
            m_prompt.inform(problem, programTitle(), PromptIcon::Critical);
            return;
        }
        model->setData(index, line->text());
    }

private:
    const FormatListModel& m_model;
    UserPrompt& m_prompt;
};

} // namespace

FormatOrganizer::FormatOrganizer(
    SavedFormats& formats, const QFont& listFont, bool toolTips, UserPrompt& prompt, QWidget* parent)
    : QDialog(parent)
    , m_formats(formats)
    , m_model(new FormatListModel(formats.formats(), this))
    , m_list(new FormatListView(this))
    , m_buttonBar(new QWidget(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), m_buttonBar))
    , m_cancel(new QPushButton(tr("ｷｬﾝｾﾙ"), m_buttonBar)) {
    setObjectName(QStringLiteral("frmForm"));
    setWindowTitle(tr("書式の整理"));
    setModal(true);
    m_buttonBar->setObjectName(QStringLiteral("Picture1"));
    m_ok->setObjectName(QStringLiteral("cmdOK"));
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_ok->setDefault(true);
    auto* buttons = new QHBoxLayout(m_buttonBar);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    m_buttonBar->setFixedHeight(m_buttonBar->sizeHint().height());
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    QFont font = m_list->font();
    font.setFamily(listFont.family());
    if (listFont.pointSizeF() > 0)
        font.setPointSizeF(listFont.pointSizeF());
    m_list->setFont(font);
    if (toolTips)
        m_list->setToolTip(tr("ﾄﾞﾗｯｸﾞ&ﾄﾞﾛｯﾌﾟで位置替え/Deleteｷｰで削除"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(new NameDelegate(*m_model, prompt, m_list));
    connect(m_list, &FormatListView::dropped, this, &FormatOrganizer::dropSelectedOn);

    resize(kInitialSize);
    layoutList();
    // The inside of the list, so that the two columns fill it without a scroll bar.
    const double listWidth = m_list->width() - 2 * m_list->frameWidth();
    m_list->header()->resizeSection(FormatListModel::NameColumn, static_cast<int>(std::lround(listWidth)) / 4);
    m_list->header()->resizeSection(FormatListModel::FormatColumn, static_cast<int>(std::lround(listWidth * 3)) / 4);

    // The window sees key releases before its controls do.
    for (QWidget* watched :
         {static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_ok), static_cast<QWidget*>(m_cancel)})
        watched->installEventFilter(this);
}

FormatOrganizer::~FormatOrganizer() = default;

void FormatOrganizer::accept() {
    if (m_model->organizerChanged())
        m_formats.replaceAll(m_model->formats());
    QDialog::accept();
}

bool FormatOrganizer::eventFilter(QObject* watched, QEvent* event) {
    // Keys typed into the name being edited reach the list too; they are the editor's.
    if (event->type() == QEvent::KeyRelease && !m_list->isEditing()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int row = selectedRow();
        if (key == Qt::Key_Delete && row >= 0) {
            m_model->removeRow(row);
            return true;
        }
        if (key == Qt::Key_F2 && row >= 0) {
            m_list->edit(m_model->index(row, FormatListModel::NameColumn));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FormatOrganizer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layoutList();
}

void FormatOrganizer::layoutList() {
    const int barHeight = m_buttonBar->height();
    m_list->setGeometry(0, 0, width(), std::max(0, height() - barHeight));
    m_buttonBar->setGeometry(0, std::max(0, height() - barHeight), width(), barHeight);
}

int FormatOrganizer::selectedRow() const {
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FormatOrganizer::dropSelectedOn(int target) {
    const int dragged = selectedRow();
    if (target < 0 || dragged < 0 || !m_model->moveFormat(dragged, target))
        return;
    const QModelIndex moved = m_model->index(target, FormatListModel::NameColumn);
    m_list->selectionModel()->setCurrentIndex(moved, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
