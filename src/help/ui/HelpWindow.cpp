#include "help/ui/HelpWindow.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* makeButton(const char* objectName, const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    return button;
}

} // namespace

HelpBrowser::HelpBrowser(const HelpBook& book, QWidget* parent)
    : QTextBrowser(parent)
    , m_book(book) {
    setObjectName(QStringLiteral("txtHelp"));
    // Links are followed here, so that the book's own pages and the search page stay inside the window.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::followLink);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::HtmlResource && HelpBook::isSearchUrl(name))
        return m_book.searchPage(HelpBook::searchQuery(name));
    return QTextBrowser::loadResource(type, name);
}

void HelpBrowser::followLink(const QUrl& link) {
    const QUrl target = source().resolved(link);
    if (target.scheme() != QLatin1String("qrc")) {
        // A mail address or a web page; whether the desktop can open it is not reported.
        QDesktopServices::openUrl(target);
        return;
    }
    // A page reached from the search results shows the first place of the first word searched for.
    const QString mark =
        HelpBook::isSearchUrl(source())
            ? HelpBook::searchQuery(source()).section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty)
            : QString();
    setSource(target);
    if (!mark.isEmpty()) {
        moveCursor(QTextCursor::Start);
        find(mark);
    }
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new HelpBrowser(m_book, this))
    , m_search(new QLineEdit(this))
    , m_back(makeButton("cmdHelpBack", tr("戻る"), this))
    , m_forward(makeButton("cmdHelpForward", tr("進む"), this)) {
    setObjectName(QStringLiteral("frmHelp"));
    QToolButton* contents = makeButton("cmdHelpContents", tr("目次"), this);
    QToolButton* find = makeButton("cmdHelpSearch", tr("検索"), this);
    m_search->setObjectName(QStringLiteral("txtHelpSearch"));
    m_search->setPlaceholderText(tr("ヘルプを検索"));
    m_search->setClearButtonEnabled(true);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    auto* bar = new QHBoxLayout;
    bar->addWidget(contents);
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addStretch(1);
    bar->addWidget(m_search, 2);
    bar->addWidget(find);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser, 1);

    connect(contents, &QToolButton::clicked, this,
            [this] { m_browser->setSource(HelpBook::topicUrl(HelpTopic::Contents)); });
    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::showPageTitle);
    connect(find, &QToolButton::clicked, this, [this] { search(m_search->text()); });
    connect(m_search, &QLineEdit::returnPressed, this, [this] { search(m_search->text()); });

    auto* toSearch = new QShortcut(QKeySequence::Find, this);
    connect(toSearch, &QShortcut::activated, this, [this] {
        m_search->setFocus();
        m_search->selectAll();
    });
    connect(new QShortcut(QKeySequence::Back, this), &QShortcut::activated, m_browser, &QTextBrowser::backward);
    connect(new QShortcut(QKeySequence::Forward, this), &QShortcut::activated, m_browser, &QTextBrowser::forward);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

    // About eighty full-width characters a line and forty lines, whatever the font and scale.
    const int line = fontMetrics().lineSpacing();
    resize(line * 48, line * 40);
}

void HelpWindow::showTopic(HelpTopic topic) {
    m_browser->setSource(HelpBook::topicUrl(topic));
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void HelpWindow::search(const QString& query) {
    if (query.trimmed().isEmpty())
        return;
    m_search->setText(query);
    m_browser->setSource(HelpBook::searchUrl(query));
}

void HelpWindow::showPageTitle() {
    const QString book = tr("Tokrenuのヘルプ");
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty() || page == book ? book : page + QStringLiteral(" - ") + book);
}
