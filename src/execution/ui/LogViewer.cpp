#include "execution/ui/LogViewer.h"

#include "execution/LogPages.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cmath>

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kButtonSpacingTwips = 1320;
constexpr int kThreeButtonsTwips = 3735;
constexpr int kTwoButtonsTwips = 2415;
constexpr int kButtonWidthTwips = 1215;

int toPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

QString forDisplay(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

LogViewer::LogViewer(LogViewSettings& settings, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_text(new QPlainTextEdit(this))
    , m_buttonBar(new QWidget(this))
    , m_run(new QPushButton(QStringLiteral("&Start!"), m_buttonBar))
    , m_copy(new QPushButton(tr("コピー(&C)"), m_buttonBar))
    , m_close(new QPushButton(tr("閉じる"), m_buttonBar)) {
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(tr("Tokrenu－ログの表示"));
    setModal(true);
    m_text->setObjectName(QStringLiteral("txtLog"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_buttonBar->setObjectName(QStringLiteral("Picture1"));
    m_run->setObjectName(QStringLiteral("cmdRun"));
    m_copy->setObjectName(QStringLiteral("cmdCopy"));
    m_close->setObjectName(QStringLiteral("cmdClose"));
    const int buttonHeight = m_close->sizeHint().height();
    m_buttonBar->setFixedHeight(buttonHeight + 8);
    for (QPushButton* button : {m_run, m_copy, m_close}) {
        button->setAutoDefault(false);
        button->resize(toPixels(kButtonWidthTwips), buttonHeight);
    }
    connect(m_run, &QPushButton::clicked, this, [this] {
        m_startPressed = true;
        accept();
    });
    connect(m_copy, &QPushButton::clicked, this, [this] {
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->clear();
        clipboard->setText(m_text->toPlainText());
    });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    // The window sees key releases before its controls do.
    m_text->installEventFilter(this);
    for (QPushButton* button : {m_run, m_copy, m_close})
        button->installEventFilter(this);
}

LogViewer::~LogViewer() = default;

bool LogViewer::showLog(const QString& caption, const QString& log, bool withStart) {
    present(caption, log, withStart);
    exec();
    return m_startPressed;
}

void LogViewer::present(const QString& caption, const QString& log, bool withStart) {
    resize(toPixels(m_settings.widthTwips), toPixels(m_settings.heightTwips));
    QFont font(m_settings.fontName);
    font.setPointSize(std::max(1, m_settings.fontSize));
    m_text->setFont(font);
    m_startPressed = false;
    m_run->setVisible(withStart);
    m_caption = caption;
    m_log = log;
    m_pages = std::make_unique<LogPages>(m_log);
    showPage();
    layoutButtons();
}

void LogViewer::showPage() {
    m_text->setPlainText(forDisplay(m_pages->shownText()));
    setWindowTitle(m_caption + m_pages->captionSuffix());
}

bool LogViewer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease && m_pages && m_pages->currentPage() >= 1) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::ControlModifier) {
            if ((key->key() == Qt::Key_N && m_pages->nextPage()) ||
                (key->key() == Qt::Key_P && m_pages->previousPage()))
                showPage();
            if (key->key() == Qt::Key_N || key->key() == Qt::Key_P)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LogViewer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layoutButtons();
}

void LogViewer::layoutButtons() {
    const int barHeight = m_buttonBar->height();
    m_text->setGeometry(0, 0, width(), std::max(0, height() - barHeight));
    m_buttonBar->setGeometry(0, std::max(0, height() - barHeight), width(), barHeight);
    const int widthTwips = width() * kTwipsPerPixel;
    const int top = (barHeight - m_close->height()) / 2;
    int left = 0;
    if (m_run->isVisibleTo(this)) {
        left = std::max(0, (widthTwips - kThreeButtonsTwips) / 2);
        m_run->move(toPixels(left), top);
        left += kButtonSpacingTwips;
    } else {
        left = std::max(0, (widthTwips - kTwoButtonsTwips) / 2);
    }
    m_copy->move(toPixels(left), top);
    m_close->move(toPixels(left + kButtonSpacingTwips), top);
}

void LogViewer::done(int result) {
    m_settings.heightTwips = height() * kTwipsPerPixel;
    m_settings.widthTwips = width() * kTwipsPerPixel;
    QDialog::done(result);
}
