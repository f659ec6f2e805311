#include "fakes/FixedClock.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TemporaryJournal.h"
#include "help/ProjectAddresses.h"
#include "help/ui/HelpWindow.h"
#include "mainwindow/Options.h"
#include "mainwindow/ui/MainWindow.h"
#include "mainwindow/ui/ToolbarIcons.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Stands for the desktop: records what it was asked to open.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls.append(url); }
};

class TestHelpAndPictures : public QObject {
    Q_OBJECT

private:
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    LinuxShellFileOperation m_files{m_prompt};
    FixedClock m_clock{QDateTime(QDate(2024, 1, 31), QTime(12, 0))};
    TemporaryJournal m_journal;
    MemorySettingsStore m_settings;
    Options m_options;
    std::unique_ptr<MainWindow> m_window;

    MainWindow& start() {
        m_window =
            std::make_unique<MainWindow>(m_options, m_settings, m_fs, m_files, m_journal.store, m_prompt, m_clock);
        m_window->startUp({}, QDir::tempPath());
        m_window->show();
        return *m_window;
    }

    void trigger(const char* name) {
        auto* action = m_window->findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY2(action != nullptr, name);
        action->trigger();
    }

    static int visiblePixels(const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
        return count;
    }

private Q_SLOTS:
    void cleanup() {
        m_window.reset();
        m_prompt.reset();
    }

    void helpIsTheLastMenuOfTheBarWithItsItemsInOrder() {
        MainWindow& window = start();
        QList<QMenu*> shown;
        for (QAction* item : window.menuBar()->actions()) {
            if (item->isVisible() && item->menu() != nullptr)
                shown.append(item->menu());
        }
        QMenu* help = shown.last();
        QCOMPARE(help->objectName(), QStringLiteral("mnuMHelp"));
        QCOMPARE(help->title(), QStringLiteral("ﾍﾙﾌﾟ(&H)"));
        QStringList items;
        for (const QAction* item : help->actions())
            items.append(item->isSeparator() ? QStringLiteral("-")
                                             : item->objectName() + QLatin1Char(' ') + item->text());
        QCOMPARE(items,
                 QStringList({"mnuHelp Tokrenuのﾍﾙﾌﾟ(&M)", "mnuExpFmt 関数、変数の説明(&F)", "-",
                              "mnuMail ﾒｰﾙを送る(&E)", "mnuURL ﾎｰﾑﾍﾟｰｼﾞを表示(&W)", "-", "mnuVer ﾊﾞｰｼﾞｮﾝ情報(&A)"}));
    }

    void helpItemsOpenOneHelpWindowAtTheirPage_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QUrl>("page");
        QTest::newRow("help opens the contents") << "mnuHelp" << QUrl(QStringLiteral("qrc:/help/index.html"));
        QTest::newRow("functions and variables open topic 5")
            << "mnuExpFmt" << QUrl(QStringLiteral("qrc:/help/functions.html"));
    }

    void helpItemsOpenOneHelpWindowAtTheirPage() {
        QFETCH(QString, item);
        QFETCH(QUrl, page);
        MainWindow& window = start();
        trigger("mnuHelp");
        trigger("mnuExpFmt");
        trigger(qPrintable(item));
        const QList<HelpWindow*> opened = window.findChildren<HelpWindow*>(QStringLiteral("frmHelp"));
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened.first()->isVisible());
        QCOMPARE(opened.first()->browser()->source(), page);
        QVERIFY(m_prompt.shown().isEmpty());
    }

    void versionBoxShowsTheProductAndTheVersionOfTheBuild() {
        start();
        trigger("mnuVer");
        QCOMPARE(m_prompt.shown().size(), 1);
        const ScriptedPrompt::Shown& box = m_prompt.shown().first();
        QCOMPARE(box.title, QStringLiteral("Tokrenuのバージョン情報"));
        QCOMPARE(box.text, QStringLiteral("製品名：Tokrenu\r\n\r\nバージョン：%1\r\n\r\n").arg(TOKRENU_VERSION));
        QCOMPARE(box.buttons, PromptButtons::Ok);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(TOKRENU_VERSION).hasMatch());
    }

    void mailAndWebPageGoToTheDesktop() {
        OpenedUrls desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &desktop, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &desktop, "open");
        start();
        trigger("mnuMail");
        trigger("mnuURL");
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(desktop.urls, QList<QUrl>({projectMailUrl(), projectWebPageUrl()}));
        QCOMPARE(projectMailUrl().scheme(), QStringLiteral("mailto"));
        QVERIFY(projectWebPageUrl().isValid());
        QVERIFY(m_prompt.shown().isEmpty());
    }

    void toolbarButtonsHaveSharpPicturesAtEveryScale_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<qreal>("scale");
        const QStringList keys = {"add", "remove", "clear", "up", "down", "exit", "test", "start"};
        for (const QString& key : keys) {
            for (const qreal scale : {1.0, 1.5, 2.0})
                QTest::newRow(qPrintable(key + QStringLiteral(" at ") + QString::number(scale))) << key << scale;
        }
    }

    // The program's own pictures are drawn afresh for each scale, not enlarged from a small bitmap.
    void toolbarButtonsHaveSharpPicturesAtEveryScale() {
        QFETCH(QString, key);
        QFETCH(qreal, scale);
        QVERIFY(!toolbarIcon(key).isNull());
        const QIcon own(QStringLiteral(":/toolbar/") + key + QStringLiteral(".svg"));
        QImage scaled = own.pixmap(QSize(24, 24), scale).toImage();
        scaled.setDevicePixelRatio(1.0);
        QCOMPARE(scaled.size(), QSize(qRound(24 * scale), qRound(24 * scale)));
        const QImage drawn = own.pixmap(QSize(qRound(24 * scale), qRound(24 * scale)), 1.0).toImage();
        QCOMPARE(scaled.convertToFormat(QImage::Format_ARGB32), drawn.convertToFormat(QImage::Format_ARGB32));
        QVERIFY(visiblePixels(drawn) > drawn.width() * drawn.height() / 5);
    }

    void toolbarPicturesComeFromTheIconThemeWhenItHasThem() {
        QTemporaryDir themes;
        const QString theme = themes.path() + QStringLiteral("/fake");
        QDir().mkpath(theme + QStringLiteral("/scalable/actions"));
        QFile index(theme + QStringLiteral("/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=fake\nDirectories=scalable/actions\n\n"
                    "[scalable/actions]\nSize=24\nType=Scalable\nMinSize=8\nMaxSize=256\n");
        index.close();
        QVERIFY(QFile::copy(QStringLiteral(":/toolbar/start.svg"),
                            theme + QStringLiteral("/scalable/actions/list-add.svg")));
        const QStringList paths = QIcon::themeSearchPaths();
        const QString name = QIcon::themeName();
        const auto restore = qScopeGuard([&paths, &name] {
            QIcon::setThemeName(name);
            QIcon::setThemeSearchPaths(paths);
        });
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(QStringLiteral("fake"));
        // Theme icons follow the theme in force, so they are looked at while the fake one is.
        QCOMPARE(toolbarIcon(QStringLiteral("add")).name(), QStringLiteral("list-add"));
        const QIcon remove = toolbarIcon(QStringLiteral("remove"));
        QVERIFY(remove.name().isEmpty());
        QVERIFY(!remove.isNull());
    }

    void keysWithoutAPictureGetNone() { QVERIFY(toolbarIcon(QStringLiteral("select")).isNull()); }
};

QTEST_MAIN(TestHelpAndPictures)
#include "tst_helpandpictures.moc"
