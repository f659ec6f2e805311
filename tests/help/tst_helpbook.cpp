#include "expression/InsertionWords.h"
#include "expression/PlanBuilder.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FixedClock.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/FileRow.h"
#include "help/HelpBook.h"
#include "platform/AttributeBits.h"
#include "platform/DateValue.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

// One example row of the book: a format, the files it is applied to in list order, what the book says
// about them and what it says comes out. A condition cell holds one value per file, or one for all.
struct BookExample {
    QString format;
    QStringList files;
    QStringList results;
    bool isError = false;
    QHash<QString, QStringList> conditions; // "size", "mtime", "ctime", "atime", "attr"
    QStringList options;                    // the table's data-options, named as tokrenu-cli's switches
    QString now;                            // the table's data-now: when the example runs
};

QString readPage(const QString& file) {
    QFile page(QStringLiteral(":/help/") + file);
    return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
}

// The examples are the rows of tables of class "example"; a cell's class names what it holds, and <br/>
// separates the values for several files.
std::vector<BookExample> examplesOf(const QString& xhtml) {
    std::vector<BookExample> examples;
    QXmlStreamReader xml(xhtml);
    bool inTable = false;
    bool inCell = false;
    QStringList tableOptions;
    QString tableNow;
    QHash<QString, QStringList> row;
    bool rowIsError = false;
    QStringList cellClasses;
    QStringList cellLines;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement()) {
            const QStringList classes =
                xml.attributes().value(QLatin1String("class")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (name == QLatin1String("table") && classes.contains(QLatin1String("example"))) {
                inTable = true;
                tableOptions = xml.attributes()
                                   .value(QLatin1String("data-options"))
                                   .toString()
                                   .split(QLatin1Char(' '), Qt::SkipEmptyParts);
                tableNow = xml.attributes().value(QLatin1String("data-now")).toString();
            } else if (inTable && name == QLatin1String("tr")) {
                row.clear();
                rowIsError = false;
            } else if (inTable && name == QLatin1String("td")) {
                inCell = true;
                cellClasses = classes;
                cellLines = QStringList{QString()};
            } else if (inCell && name == QLatin1String("br")) {
                cellLines.append(QString());
            }
        } else if (xml.isEndElement()) {
            if (name == QLatin1String("table")) {
                inTable = false;
            } else if (inCell && name == QLatin1String("td")) {
                inCell = false;
                if (!cellClasses.isEmpty())
                    row.insert(cellClasses.first(), cellLines);
                rowIsError = rowIsError || cellClasses.contains(QLatin1String("error"));
            } else if (inTable && name == QLatin1String("tr") && row.contains(QStringLiteral("format"))) {
                BookExample example;
                example.format = row.take(QStringLiteral("format")).join(QString());
                example.files = row.take(QStringLiteral("file"));
                example.results = row.take(QStringLiteral("result"));
                example.isError = rowIsError;
                example.conditions = row;
                example.options = tableOptions;
                example.now = tableNow;
                examples.push_back(example);
            }
        } else if (xml.isCharacters() && inCell) {
            cellLines.last() += xml.text();
        }
    }
    return examples;
}

QString conditionFor(const BookExample& example, const QString& key, qsizetype file) {
    const QStringList values = example.conditions.value(key);
    if (values.isEmpty())
        return {};
    return values.size() == 1 ? values.first() : values.value(file);
}

// A time as the book writes it, "2024/01/31 9:05:07", in seconds since the epoch.
qint64 bookTime(const QString& text) {
    const QDateTime time = QDateTime::fromString(text, QStringLiteral("yyyy/MM/dd H:mm:ss"));
    return time.isValid() ? time.toSecsSinceEpoch() : -1;
}

qint32 attributeBits(const QString& letters) {
    qint32 bits = 0;
    for (const QChar letter : letters) {
        if (letter == QLatin1Char('R'))
            bits |= AttributeBits::kReadOnly;
        else if (letter == QLatin1Char('H'))
            bits |= AttributeBits::kHidden;
        else if (letter == QLatin1Char('S'))
            bits |= AttributeBits::kSystem;
        else if (letter == QLatin1Char('A'))
            bits |= AttributeBits::kArchive;
    }
    return bits;
}

} // namespace

Q_DECLARE_METATYPE(BookExample)

class TestHelpBook : public QObject {
    Q_OBJECT

private:
    HelpBook m_book;

    QStringList pageFiles() const {
        QStringList files;
        for (const HelpPage& page : m_book.pages())
            files.append(page.file);
        return files;
    }

    static QString hitFiles(const std::vector<HelpHit>& hits) {
        QStringList files;
        for (const HelpHit& hit : hits)
            files.append(hit.url.fileName());
        return files.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void initTestCase() { TestFiles::useTimeZone("Asia/Tokyo"); }

    void everyPageIsWellFormedAndTitled() {
        QCOMPARE(m_book.pages().size(), std::size_t{11});
        for (const HelpPage& page : m_book.pages()) {
            QXmlStreamReader xml(readPage(page.file));
            while (!xml.atEnd())
                xml.readNext();
            QVERIFY2(!xml.hasError(), qPrintable(page.file + QStringLiteral(": ") + xml.errorString()));
            QVERIFY2(!page.title.isEmpty(), qPrintable(page.file));
            QVERIFY2(page.text.size() > 200, qPrintable(page.file));
        }
    }

    void topicsOpenTheirPages() {
        QCOMPARE(HelpBook::topicUrl(HelpTopic::Contents), QUrl(QStringLiteral("qrc:/help/index.html")));
        QCOMPARE(HelpBook::topicUrl(HelpTopic::FunctionsAndVariables),
                 QUrl(QStringLiteral("qrc:/help/functions.html")));
        QCOMPARE(m_book.pages().front().title, QStringLiteral("Tokrenuのヘルプ"));
    }

    void everyLinkReachesAPageAndPlace() {
        QHash<QString, QSet<QString>> ids;
        QHash<QString, QStringList> links;
        for (const QString& file : pageFiles()) {
            QXmlStreamReader xml(readPage(file));
            while (!xml.atEnd()) {
                if (xml.readNext() != QXmlStreamReader::StartElement)
                    continue;
                const QString id = xml.attributes().value(QLatin1String("id")).toString();
                if (!id.isEmpty())
                    ids[file].insert(id);
                if (xml.name() == QLatin1String("a"))
                    links[file].append(xml.attributes().value(QLatin1String("href")).toString());
            }
        }
        QStringList broken;
        for (auto it = links.cbegin(); it != links.cend(); ++it) {
            for (const QString& href : it.value()) {
                const QUrl target = HelpBook::pageUrl(it.key()).resolved(QUrl(href));
                const QString file = target.fileName();
                const bool reached = target.scheme() == QLatin1String("qrc") && ids.contains(file) &&
                                     (!target.hasFragment() || ids[file].contains(target.fragment()));
                if (!reached)
                    broken.append(it.key() + QStringLiteral(" → ") + href);
            }
        }
        QCOMPARE(broken, QStringList());
        QVERIFY(links.value(QStringLiteral("index.html")).size() > 20);
    }

    void everyFunctionAndVariableHasASectionWithAnExample() {
        const QString page = readPage(QStringLiteral("functions.html"));
        QStringList formats;
        for (const BookExample& example : examplesOf(page))
            formats.append(example.format);
        const QString allFormats = formats.join(QLatin1Char('\n'));
        const QHash<QString, QString> shortForms = {
            {QStringLiteral("filename"), QStringLiteral("fn")},
            {QStringLiteral("extention"), QStringLiteral("ex")},
            {QStringLiteral("lastwritetime"), QStringLiteral("wt")},
            {QStringLiteral("creationtime"), QStringLiteral("ct")},
            {QStringLiteral("lastaccesstime"), QStringLiteral("at")},
            {QStringLiteral("shortname"), QStringLiteral("sn")},
        };
        QStringList words = functionMenuWords() + variableMenuWords();
        words.append(QStringLiteral("setlastaccesstime"));
        QStringList missing;
        for (const QString& word : words) {
            const QString lower = word.toLower();
            const QString pattern = QStringLiteral("\\b(%1|%2)\\b").arg(lower, shortForms.value(lower, lower));
            const QRegularExpression used(pattern, QRegularExpression::CaseInsensitiveOption);
            if (!page.contains(QStringLiteral("id=\"") + lower + QLatin1Char('"')) || !allFormats.contains(used))
                missing.append(word);
        }
        QCOMPARE(missing, QStringList());
    }

    void examplesOfTheBook_data() {
        QTest::addColumn<BookExample>("example");
        int count = 0;
        for (const QString& file : pageFiles()) {
            for (const BookExample& example : examplesOf(readPage(file))) {
                const QString name = file + QStringLiteral(": ") + example.format + QStringLiteral(" on ") +
                                     example.files.join(QStringLiteral(", "));
                QTest::newRow(qPrintable(name)) << example;
                ++count;
            }
        }
        QVERIFY(count > 120);
    }

    // Every example the book shows builds the names it states, through the same builder as a run.
    void examplesOfTheBook() {
        QFETCH(BookExample, example);
        QVERIFY(!example.files.isEmpty());
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        LinuxFileSystem real;
        FaultyFileSystem fs(real);
        std::vector<FileRow> rows;
        for (qsizetype i = 0; i < example.files.size(); ++i) {
            const QString path = folder + example.files.at(i);
            const QString size = conditionFor(example, QStringLiteral("size"), i);
            QVERIFY(TestFiles::write(path, QByteArray(size.isEmpty() ? 0 : size.toInt(), 'x')));
            const QString written = conditionFor(example, QStringLiteral("mtime"), i);
            if (!written.isEmpty())
                QVERIFY(fs.setFileTime(path, FileTimeKind::LastWrite, bookTime(written)));
            const QString accessed = conditionFor(example, QStringLiteral("atime"), i);
            if (!accessed.isEmpty())
                QVERIFY(fs.setFileTime(path, FileTimeKind::LastAccess, bookTime(accessed)));
            const QString created = conditionFor(example, QStringLiteral("ctime"), i);
            if (!created.isEmpty())
                fs.creationTimes.insert(path, bookTime(created));
            const QString letters = conditionFor(example, QStringLiteral("attr"), i);
            if (!letters.isEmpty())
                QVERIFY(fs.setAttributes(path, attributeBits(letters)));
            // Details are read by the build, as for the rows of an add.
            rows.push_back({example.files.at(i), folder, {}});
        }

        BuildOptions options;
        for (const QString& option : example.options) {
            if (option == QLatin1String("no-always-function"))
                options.alwaysFunction = false;
            else if (option == QLatin1String("convert-unformatted"))
                options.keepUnformatted = false;
            else if (option == QLatin1String("reject-invalid-chars"))
                options.deleteInvalidChars = false;
            else
                QFAIL(qPrintable(QStringLiteral("unknown option in the book: ") + option));
        }
        const QDateTime now = example.now.isEmpty() ? QDateTime(QDate(2024, 1, 31), QTime(12, 0))
                                                    : QDateTime::fromString(example.now, Qt::ISODate);
        QVERIFY(now.isValid());
        FixedClock clock(now);
        ScriptedPrompt prompt;
        const BuildResult built = buildPlan(example.format, {rows, options, prompt, clock, fs});

        if (example.isError) {
            QCOMPARE(built.status, BuildStatus::Failed);
            QCOMPARE(prompt.shown().size(), 1);
            QVERIFY2(prompt.shown().first().text.contains(example.results.join(QString())),
                     qPrintable(prompt.shown().first().text));
            return;
        }
        QVERIFY2(prompt.shown().isEmpty(), qPrintable(prompt.texts().join(QLatin1Char('\n'))));
        QCOMPARE(built.status, BuildStatus::Built);
        QStringList names;
        for (const NameChange& change : built.rows)
            names.append(change.destName);
        QCOMPARE(names, example.results);
    }

    void searchFindsPagesHoldingEveryWord_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("pages");
        QTest::newRow("a word of two pages") << "ワイルドカード"
                                             << "filelist.html options.html";
        QTest::newRow("half-width katakana finds full-width text") << "ﾜｲﾙﾄﾞｶｰﾄﾞ"
                                                                   << "filelist.html options.html";
        QTest::newRow("full-width text finds half-width captions") << "ツールヒントを表示"
                                                                   << "options.html";
        QTest::newRow("letter case does not count") << "INSTRREV"
                                                    << "functions.html";
        QTest::newRow("full-width letters find half-width ones") << "ｉｎｓｔｒｒｅｖ"
                                                                 << "functions.html";
        QTest::newRow("every word must be on the page") << "ワイルドカード フォルダの選択"
                                                        << "filelist.html";
        QTest::newRow("a word in a title") << "キー操作の一覧"
                                           << "index.html keys.html";
        QTest::newRow("a word nowhere finds nothing") << "xyzzy"
                                                      << "";
        QTest::newRow("blanks alone find nothing") << "　 "
                                                   << "";
    }

    void searchFindsPagesHoldingEveryWord() {
        QFETCH(QString, query);
        QFETCH(QString, pages);
        QCOMPARE(hitFiles(m_book.search(query)), pages);
    }

    void searchShowsTheWordInItsPlace() {
        const std::vector<HelpHit> hits = m_book.search(QStringLiteral("ﾜｲﾙﾄﾞｶｰﾄﾞ"));
        QVERIFY(!hits.empty());
        QCOMPARE(hits.front().title, QStringLiteral("ファイルリスト"));
        QVERIFY2(hits.front().excerpt.contains(QStringLiteral("ワイルドカード")), qPrintable(hits.front().excerpt));
        QVERIFY(hits.front().excerpt.size() < 120);
        QVERIFY(!hits.front().excerpt.contains(QLatin1Char('\n')));

        const QString page = m_book.searchPage(QStringLiteral("ﾜｲﾙﾄﾞｶｰﾄﾞ"));
        QVERIFY(page.contains(QStringLiteral("href=\"qrc:/help/filelist.html\"")));
        QVERIFY(page.contains(QStringLiteral("「ﾜｲﾙﾄﾞｶｰﾄﾞ」の検索結果")));
        QVERIFY(m_book.searchPage(QStringLiteral("<b>")).contains(QStringLiteral("「&lt;b&gt;」")));
    }

    void searchUrlsCarryTheQuery() {
        const QUrl url = HelpBook::searchUrl(QStringLiteral("a&b c#d"));
        QVERIFY(HelpBook::isSearchUrl(url));
        QCOMPARE(HelpBook::searchQuery(url), QStringLiteral("a&b c#d"));
        QVERIFY(!HelpBook::isSearchUrl(HelpBook::topicUrl(HelpTopic::Contents)));
    }

    void plainTextLeavesOutMarkupAndTheNavigationLine() {
        const QString text = HelpBook::plainText(QStringLiteral(
            "<html><head><title>T</title></head><body><p class=\"nav\"><a href=\"x\">目次</a></p>"
            "<h1>見出し</h1><p>一つ目の\n   段落 <b>太字</b>。</p><table><tr><td>a</td><td>b</td></tr></table>"
            "<pre>x  y\nz</pre></body></html>"));
        QCOMPARE(text, QStringLiteral("見出し\n一つ目の 段落 太字。\na b\nx  y\nz\n"));
    }
};

QTEST_GUILESS_MAIN(TestHelpBook)
#include "tst_helpbook.moc"
