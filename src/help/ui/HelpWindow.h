#pragma once

#include "help/HelpBook.h"

#include <QTextBrowser>
#include <QWidget>

class QLineEdit;
class QToolButton;

// Shows the pages of the help book and the search results, which it makes itself. Links to web pages and
// mail addresses go to the desktop.
class HelpBrowser final : public QTextBrowser {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpBrowser)

public:
    HelpBrowser(const HelpBook& book, QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void followLink(const QUrl& link);

    const HelpBook& m_book;
};

// frmHelp: the help window, with the contents, back and forward, and a search box over the book.
class HelpWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpWindow)

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void showTopic(HelpTopic topic);
    void search(const QString& query);

    [[nodiscard]] HelpBrowser* browser() const { return m_browser; }

private:
    void showPageTitle();

    HelpBook m_book;
    HelpBrowser* m_browser;
    QLineEdit* m_search;
    QToolButton* m_back;
    QToolButton* m_forward;
};
