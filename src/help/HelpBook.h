#pragma once

#include <QString>
#include <QUrl>

#include <cstdint>
#include <vector>

// The places the help menu opens. The functions-and-variables page keeps its historical topic number.
enum class HelpTopic : std::uint8_t {
    Contents = 0,
    FunctionsAndVariables = 5,
};

struct HelpPage {
    QString file;  // the page's file name inside the book, such as "functions.html"
    QString title; // the text of its <title>
    QString text;  // what a reader sees of its body, as plain text
};

struct HelpHit {
    QUrl url;
    QString title;
    QString excerpt; // the text around the first place a word was found
};

// The help book compiled into the program: Japanese XHTML pages under qrc:/help/, in the order of their
// contents.
class HelpBook final {
public:
    HelpBook();

    [[nodiscard]] static QUrl topicUrl(HelpTopic topic);
    [[nodiscard]] static QUrl pageUrl(const QString& file);
    // The page that lists what a search found; HelpBook::search makes its content.
    [[nodiscard]] static QUrl searchUrl(const QString& query);
    [[nodiscard]] static bool isSearchUrl(const QUrl& url);
    [[nodiscard]] static QString searchQuery(const QUrl& url);

    [[nodiscard]] const std::vector<HelpPage>& pages() const { return m_pages; }

    // The pages holding every word of the query, in book order. Letter case and the width of characters
    // (ﾌｧｲﾙ and ファイル, Ａ and A) do not count.
    [[nodiscard]] std::vector<HelpHit> search(const QString& query) const;
    // The page that shows those hits, with links to them.
    [[nodiscard]] QString searchPage(const QString& query) const;

    // What a reader sees of an XHTML page's body: block elements end lines, the navigation line is left out.
    [[nodiscard]] static QString plainText(const QString& xhtml);
    [[nodiscard]] static QString titleOf(const QString& xhtml);

private:
    std::vector<HelpPage> m_pages;
};
