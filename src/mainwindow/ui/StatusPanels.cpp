#include "mainwindow/ui/StatusPanels.h"

#include "filelist/FileAdder.h"

#include <QEvent>
#include <QLabel>
#include <QStatusBar>

#include <utility>

namespace {

QLabel* makePanel(QStatusBar* bar, const char* key, const QString& text, const QString& tag, int stretch) {
    auto* panel = new QLabel(text, bar);
    panel->setObjectName(QString::fromLatin1(key));
    panel->setToolTip(tag);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    bar->addWidget(panel, stretch);
    return panel;
}

} // namespace

StatusPanels::StatusPanels(QStatusBar* bar)
    : QObject(bar)
    , m_numberOfFiles(makePanel(bar, "NumberOfFiles", FileAdder::fileCountText(0), tr("ﾘｽﾄに登録されているﾌｧｲﾙ数"), 0))
    , m_wildCard(makePanel(bar, "WildCard", QStringLiteral("*.*"), tr("追加するﾌｧｲﾙ名"), 0))
    , m_status(makePanel(bar, "Status", QString(), tr("ﾒｯｾｰｼﾞ"), 1))
    , m_preview(makePanel(bar, "Preview", QString(), tr("新しい名前の内訳"), 0)) {
    m_preview->hide();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    m_wildCard->installEventFilter(this);
}

void StatusPanels::setFileCount(const QString& text) {
    if (m_holding)
        m_heldFileCount = text;
    else
        m_numberOfFiles->setText(text);
}

void StatusPanels::setWildCard(const QString& text) {
    m_wildCard->setText(text);
}

void StatusPanels::setStatus(const QString& text) {
    if (m_holding)
        m_heldStatus = text;
    else
        m_status->setText(text);
}

void StatusPanels::setPreview(const QString& text) {
    m_preview->setText(text);
    m_preview->setVisible(!text.isEmpty());
}

void StatusPanels::holdTexts() {
    m_holding = true;
    m_sinceShown.start();
}

void StatusPanels::showHeldTexts() {
    constexpr qint64 kShowEveryMs = 40;
    if (m_holding && m_sinceShown.elapsed() >= kShowEveryMs) {
        showHeld();
        m_sinceShown.restart();
    }
}

void StatusPanels::releaseTexts() {
    m_holding = false;
    showHeld();
}

void StatusPanels::showHeld() {
    if (m_heldFileCount)
        m_numberOfFiles->setText(*std::exchange(m_heldFileCount, std::nullopt));
    if (m_heldStatus)
        m_status->setText(*std::exchange(m_heldStatus, std::nullopt));
}

void StatusPanels::setTagsShown(bool shown) {
    m_numberOfFiles->setToolTip(shown ? tr("ﾘｽﾄに登録されているﾌｧｲﾙ数") : QString());
    m_wildCard->setToolTip(shown ? tr("追加するﾌｧｲﾙ名") : QString());
    m_status->setToolTip(shown ? tr("ﾒｯｾｰｼﾞ") : QString());
    m_preview->setToolTip(shown ? tr("新しい名前の内訳") : QString());
}

bool StatusPanels::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_wildCard && event->type() == QEvent::MouseButtonRelease) {
        Q_EMIT wildCardClicked();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
