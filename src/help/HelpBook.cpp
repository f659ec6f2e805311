#include "help/HelpBook.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QUrlQuery>
#include <QXmlStreamReader>

#include <algorithm>
#include <utility>

namespace {

// The pages in the order of the book's contents.
constexpr const char* kPageFiles[] = {"index.html",         "filelist.html",  "formats.html", "formatstyle.html",
                                      "functionstyle.html", "functions.html", "run.html",     "options.html",
                                      "saved.html",         "cli.html",       "keys.html"};

constexpr qsizetype kExcerptBefore = 30;
constexpr qsizetype kExcerptAfter = 60;

QString readPage(const QString& file) {
    QFile page(QStringLiteral(":/help/") + file);
    if (!page.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(page.readAll());
}

bool isBlock(QStringView name) {
    static const QStringList blocks = {QStringLiteral("p"),   QStringLiteral("li"),   QStringLiteral("tr"),
                                       QStringLiteral("h1"),  QStringLiteral("h2"),   QStringLiteral("h3"),
                                       QStringLiteral("pre"), QStringLiteral("br"),   QStringLiteral("ul"),
                                       QStringLiteral("ol"),  QStringLiteral("table")};
    return blocks.contains(name);
}

bool isCell(QStringView name) {
    return name == QLatin1String("td") || name == QLatin1String("th");
}

void endLine(QString& text) {
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
}

// Text folded for searching, with the position in the source text of every folded character.
struct FoldedText {
    QString text;
    std::vector<qsizetype> origin; // one more entry than text: the end of the source
};

// Folds letter case and character width. A character keeps its combining and half-width sound marks, so
// that ｶﾞ folds to the same text as ガ.
FoldedText fold(const QString& source) {
    FoldedText folded;
    qsizetype at = 0;
    while (at < source.size()) {
        qsizetype length = source.at(at).isHighSurrogate() && at + 1 < source.size() ? 2 : 1;
        while (at + length < source.size()) {
            const QChar next = source.at(at + length);
            if (!next.isMark() && next != QChar(0xFF9E) && next != QChar(0xFF9F))
                break;
            ++length;
        }
        const QString unit = source.mid(at, length).normalized(QString::NormalizationForm_KC).toCaseFolded();
        for (const QChar c : unit) {
            folded.text += c;
            folded.origin.push_back(at);
        }
        at += length;
    }
    folded.origin.push_back(source.size());
    return folded;
}

QStringList queryWords(const QString& query) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return fold(query).text.split(blanks, Qt::SkipEmptyParts);
}

QString oneLine(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

HelpBook::HelpBook() {
    for (const char* file : kPageFiles) {
        const QString name = QString::fromLatin1(file);
        const QString xhtml = readPage(name);
        m_pages.push_back({name, titleOf(xhtml), plainText(xhtml)});
    }
}

QUrl HelpBook::pageUrl(const QString& file) {
    return {QStringLiteral("qrc:/help/") + file};
}

QUrl HelpBook::topicUrl(HelpTopic topic) {
    switch (topic) {
    case HelpTopic::FunctionsAndVariables:
        return pageUrl(QStringLiteral("functions.html"));
    case HelpTopic::Contents:
        break;
    }
    return pageUrl(QStringLiteral("index.html"));
}

QUrl HelpBook::searchUrl(const QString& query) {
    QUrl url(QStringLiteral("qrc:/help/search"));
    QUrlQuery words;
    words.addQueryItem(QStringLiteral("q"), query);
    url.setQuery(words);
    return url;
}

bool HelpBook::isSearchUrl(const QUrl& url) {
    return url.scheme() == QLatin1String("qrc") && url.path() == QLatin1String("/help/search");
}

QString HelpBook::searchQuery(const QUrl& url) {
    return QUrlQuery(url).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded);
}

std::vector<HelpHit> HelpBook::search(const QString& query) const {
    const QStringList words = queryWords(query);
    std::vector<HelpHit> hits;
    if (words.isEmpty())
        return hits;
    for (const HelpPage& page : m_pages) {
        const QString source = page.title + QLatin1Char('\n') + page.text;
        const FoldedText folded = fold(source);
        const bool all = std::all_of(words.begin(), words.end(),
                                     [&folded](const QString& word) { return folded.text.contains(word); });
        if (!all)
            continue;
        // The excerpt shows the first word where the body has it, else the title.
        qsizetype found = folded.text.indexOf(words.first(), fold(page.title + QLatin1Char('\n')).text.size());
        if (found < 0)
            found = folded.text.indexOf(words.first());
        const qsizetype start = folded.origin[static_cast<std::size_t>(found)];
        const qsizetype end = folded.origin[static_cast<std::size_t>(found + words.first().size())];
        const qsizetype from = std::max<qsizetype>(0, start - kExcerptBefore);
        const qsizetype to = std::min<qsizetype>(source.size(), end + kExcerptAfter);
        QString excerpt = oneLine(source.mid(from, to - from)).trimmed();
        if (from > 0)
            excerpt.prepend(QStringLiteral("…"));
        if (to < source.size())
            excerpt.append(QStringLiteral("…"));
        hits.push_back({pageUrl(page.file), page.title, excerpt});
    }
    return hits;
}

QString HelpBook::searchPage(const QString& query) const {
    const std::vector<HelpHit> hits = search(query);
    const QString heading = QCoreApplication::translate("HelpBook", "「%1」の検索結果").arg(query.trimmed());
    QString html = QStringLiteral("<html><head><title>") + heading.toHtmlEscaped() +
                   QStringLiteral("</title><link rel=\"stylesheet\" type=\"text/css\" href=\"help.css\"/></head><body>"
                                  "<p class=\"nav\"><a href=\"index.html\">") +
                   QCoreApplication::translate("HelpBook", "目次").toHtmlEscaped() + QStringLiteral("</a></p><h1>") +
                   heading.toHtmlEscaped() + QStringLiteral("</h1>");
    if (hits.empty()) {
        html +=
            QStringLiteral("<p>") +
            QCoreApplication::translate("HelpBook", "この言葉を含むページは見つかりませんでした。").toHtmlEscaped() +
            QStringLiteral("</p>");
    } else {
        html += QStringLiteral("<p>") +
                QCoreApplication::translate("HelpBook", "%1 ページ見つかりました。").arg(hits.size()).toHtmlEscaped() +
                QStringLiteral("</p><ul>");
        for (const HelpHit& hit : hits) {
            html += QStringLiteral("<li><a href=\"") + hit.url.toString().toHtmlEscaped() + QStringLiteral("\">") +
                    hit.title.toHtmlEscaped() + QStringLiteral("</a><br/>") + hit.excerpt.toHtmlEscaped() +
                    QStringLiteral("</li>");
        }
        html += QStringLiteral("</ul>");
    }
    return html + QStringLiteral("</body></html>");
}

QString HelpBook::titleOf(const QString& xhtml) {
    QXmlStreamReader xml(xhtml);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("title"))
            return xml.readElementText().simplified();
    }
    return {};
}

QString HelpBook::plainText(const QString& xhtml) {
    QXmlStreamReader xml(xhtml);
    QString text;
    bool inBody = false;
    int skipped = 0; // depth inside the navigation line
    int preformatted = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == QLatin1String("body"))
                inBody = true;
            if (skipped > 0 || xml.attributes().value(QLatin1String("class")) == QLatin1String("nav"))
                ++skipped;
            if (xml.name() == QLatin1String("pre"))
                ++preformatted;
            if (inBody && skipped == 0 && isBlock(xml.name()))
                endLine(text);
            break;
        case QXmlStreamReader::EndElement:
            if (skipped > 0) {
                --skipped;
                break;
            }
            if (xml.name() == QLatin1String("pre"))
                --preformatted;
            if (inBody && isBlock(xml.name()))
                endLine(text);
            else if (inBody && isCell(xml.name()) && !text.endsWith(QLatin1Char('\n')))
                text += QLatin1Char(' ');
            break;
        case QXmlStreamReader::Characters:
            if (inBody && skipped == 0) {
                const QString chunk = xml.text().toString();
                if (preformatted > 0) {
                    text += chunk;
                } else {
                    QString plain = chunk.simplified();
                    if (!plain.isEmpty() && chunk.front().isSpace() && !text.isEmpty() &&
                        !text.endsWith(QLatin1Char('\n')) && !text.endsWith(QLatin1Char(' ')))
                        plain.prepend(QLatin1Char(' '));
                    if (!plain.isEmpty() && chunk.back().isSpace())
                        plain.append(QLatin1Char(' '));
                    text += plain;
                }
            }
            break;
        default:
            break;
        }
    }
    endLine(text);
    return text;
}
