#include "execution/ui/ProgressDialog.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>

namespace {

// How often the screen follows the work.
constexpr qint64 kPaintIntervalMs = 30;

} // namespace

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent)
    , m_bar(new QProgressBar(this))
    , m_label(new QLabel(this))
    , m_cancel(new QPushButton(tr("中止(&S)"), this)) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(designCaption());
    setModal(true);
    m_bar->setObjectName(QStringLiteral("ProgressBar1"));
    m_bar->setMinimum(0);
    m_bar->setTextVisible(false);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setMinimumHeight(m_label->fontMetrics().lineSpacing() * 2);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setMinimumWidth(360);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_stopRequested = true; });
}

QString ProgressDialog::designCaption() {
    return tr("Tokrenu - 進行状況");
}

QString ProgressDialog::undoCaption() {
    return tr("Tokrenu - 元に戻す 進行状況");
}

void ProgressDialog::run(ProgressWork work, qsizetype maximum, const std::function<void(WorkHost&)>& steps) {
    setWindowTitle(work == ProgressWork::Undo ? undoCaption() : designCaption());
    m_bar->setMaximum(static_cast<int>(std::min<qsizetype>(maximum, INT_MAX)));
    m_bar->setValue(0);
    m_label->clear();
    m_steps = steps;
    m_started = false;
    m_stopRequested = false;
    adjustSize();
    placeOverParent();
    exec();
    m_steps = nullptr;
    setWindowTitle(designCaption());
}

void ProgressDialog::placeOverParent() {
    const QWidget* owner = parentWidget();
    if (owner == nullptr)
        return;
    const QRect frame = owner->frameGeometry();
    move(frame.left() + (frame.width() - width()) / 2, frame.top() + (frame.height() - height()) / 2);
}

void ProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_started || !m_steps)
        return;
    m_started = true;
    // The work starts once the dialog is on screen, and the dialog closes when it returns.
    QTimer::singleShot(0, this, [this] {
        m_sinceShown.start();
        m_steps(*this);
        flush();
        accept();
    });
}

void ProgressDialog::reject() {
    // Closing the window while the work runs asks it to stop, like Cancel.
    if (m_steps) {
        m_stopRequested = true;
        return;
    }
    QDialog::reject();
}

bool ProgressDialog::showsProgress() const {
    return !m_sinceShown.isValid() || m_sinceShown.elapsed() >= kPaintIntervalMs;
}

void ProgressDialog::setProgressLabel(const QString& text) {
    m_pendingLabel = text;
    m_dirty = true;
}

void ProgressDialog::setProgressValue(qsizetype value) {
    m_pendingValue = value;
    m_dirty = true;
    if (showsProgress())
        flush();
}

void ProgressDialog::flush() {
    if (!m_dirty)
        return;
    m_label->setText(m_pendingLabel);
    m_bar->setValue(static_cast<int>(std::min<qsizetype>(m_pendingValue, m_bar->maximum())));
    m_dirty = false;
    m_sinceShown.restart();
}

bool ProgressDialog::stopRequested() const {
    return m_stopRequested;
}

void ProgressDialog::processEvents() {
    QCoreApplication::processEvents();
}

void ProgressDialog::setStatusText(const QString& text) {
    if (m_mainHost != nullptr)
        m_mainHost->setStatusText(text);
}

void ProgressDialog::setListVisible(bool visible) {
    if (m_mainHost != nullptr)
        m_mainHost->setListVisible(visible);
}

void ProgressDialog::setBusy(bool busy) {
    if (m_mainHost != nullptr)
        m_mainHost->setBusy(busy);
}
