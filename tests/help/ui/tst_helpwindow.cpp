#include "help/ui/HelpWindow.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(HelpTopic)

// Stands for the desktop: records what it was asked to open.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

class TestHelpWindow : public QObject {
    Q_OBJECT

private:
    static QUrl page(const char* file) { return QUrl(QStringLiteral("qrc:/help/") + QLatin1String(file)); }

private Q_SLOTS:
    void opensTopicsAtTheirPages_data() {
        QTest::addColumn<HelpTopic>("topic");
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("title");
        QTest::newRow("contents") << HelpTopic::Contents << page("index.html") << "Tokrenuのヘルプ";
        QTest::newRow("functions and variables")
            << HelpTopic::FunctionsAndVariables << page("functions.html") << "関数、変数の説明 - Tokrenuのヘルプ";
    }

    void opensTopicsAtTheirPages() {
        QFETCH(HelpTopic, topic);
        QFETCH(QUrl, url);
        QFETCH(QString, title);
        HelpWindow window;
        window.showTopic(topic);
        QVERIFY(window.isVisible());
        QCOMPARE(window.objectName(), QStringLiteral("frmHelp"));
        QCOMPARE(window.browser()->source(), url);
        QCOMPARE(window.windowTitle(), title);
        QVERIFY(window.browser()->toPlainText().size() > 500);
    }

    void linksLeadToOtherPagesAndPlaces_data() {
        QTest::addColumn<QUrl>("from");
        QTest::addColumn<QString>("href");
        QTest::addColumn<QUrl>("reached");
        QTest::newRow("another page") << page("functionstyle.html") << "functions.html" << page("functions.html");
        QTest::newRow("a place on another page")
            << page("index.html") << "functions.html#mid" << page("functions.html#mid");
        QTest::newRow("a place on the same page")
            << page("functions.html") << "#getattr" << page("functions.html#getattr");
    }

    void linksLeadToOtherPagesAndPlaces() {
        QFETCH(QUrl, from);
        QFETCH(QString, href);
        QFETCH(QUrl, reached);
        HelpWindow window;
        window.showTopic(HelpTopic::Contents);
        window.browser()->setSource(from);
        Q_EMIT window.browser()->anchorClicked(QUrl(href));
        QCOMPARE(window.browser()->source(), reached);
        QVERIFY(window.findChild<QToolButton*>(QStringLiteral("cmdHelpBack"))->isEnabled());
    }

    void backAndForwardRetraceThePagesSeen() {
        HelpWindow window;
        window.showTopic(HelpTopic::Contents);
        Q_EMIT window.browser()->anchorClicked(QUrl(QStringLiteral("run.html")));
        auto* back = window.findChild<QToolButton*>(QStringLiteral("cmdHelpBack"));
        auto* forward = window.findChild<QToolButton*>(QStringLiteral("cmdHelpForward"));
        QVERIFY(!forward->isEnabled());
        back->click();
        QCOMPARE(window.browser()->source(), page("index.html"));
        QVERIFY(forward->isEnabled());
        forward->click();
        QCOMPARE(window.browser()->source(), page("run.html"));
        window.findChild<QToolButton*>(QStringLiteral("cmdHelpContents"))->click();
        QCOMPARE(window.browser()->source(), page("index.html"));
    }

    void searchBoxListsPagesAndMarksTheWordOnTheOneFollowed() {
        HelpWindow window;
        window.showTopic(HelpTopic::Contents);
        auto* box = window.findChild<QLineEdit*>(QStringLiteral("txtHelpSearch"));
        box->setText(QStringLiteral("ワイルドカード"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(HelpBook::isSearchUrl(window.browser()->source()));
        QVERIFY(window.browser()->toPlainText().contains(QStringLiteral("ファイルリスト")));
        QCOMPARE(window.windowTitle(), QStringLiteral("「ワイルドカード」の検索結果 - Tokrenuのヘルプ"));

        Q_EMIT window.browser()->anchorClicked(QUrl(QStringLiteral("qrc:/help/filelist.html")));
        QCOMPARE(window.browser()->source(), page("filelist.html"));
        QCOMPARE(window.browser()->textCursor().selectedText(), QStringLiteral("ワイルドカード"));

        // Back returns to the list of what was found.
        window.findChild<QToolButton*>(QStringLiteral("cmdHelpBack"))->click();
        QVERIFY(window.browser()->toPlainText().contains(QStringLiteral("「ワイルドカード」の検索結果")));
    }

    void blankSearchKeepsThePage() {
        HelpWindow window;
        window.showTopic(HelpTopic::FunctionsAndVariables);
        window.findChild<QLineEdit*>(QStringLiteral("txtHelpSearch"))->setText(QStringLiteral("　 "));
        window.findChild<QToolButton*>(QStringLiteral("cmdHelpSearch"))->click();
        QCOMPARE(window.browser()->source(), page("functions.html"));
    }

    void addressesOutsideTheBookGoToTheDesktop() {
        OpenedUrls desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &desktop, "open");
        HelpWindow window;
        window.showTopic(HelpTopic::Contents);
        Q_EMIT window.browser()->anchorClicked(QUrl(QStringLiteral("mailto:someone@example.org")));
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QCOMPARE(desktop.urls, QList<QUrl>{QUrl(QStringLiteral("mailto:someone@example.org"))});
        QCOMPARE(window.browser()->source(), page("index.html"));
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_helpwindow.moc"
