#include "fakes/FaultyFileSystem.h"
#include "fakes/RecordingHost.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/PathNames.h"
#include "filelist/SubfolderWalk.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// Adding a folder with the folders below it, and adding what the shell drops.
class TestFolderAdd : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root; // the chosen folder, ending in '/'
    QString m_outside;
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;

    // Paths below the chosen folder, without it.
    QStringList relative(const QStringList& paths) const {
        QStringList result;
        for (const QString& path : paths)
            result.append(path.startsWith(m_root) ? path.mid(m_root.size()) : path);
        return result;
    }
    QStringList listed(const FileListModel& model) const {
        QStringList paths;
        for (const FileRow& row : model.rows())
            paths.append(row.fullPath());
        return relative(paths);
    }

private Q_SLOTS:
    void initTestCase() {
        m_root = m_dir.path() + QStringLiteral("/tree/");
        m_outside = m_dir.path() + QStringLiteral("/outside/");
        for (const char* file :
             {"top.txt", "B/b.txt", "B/deep/d.txt", "B/deep/deeper/e.txt", "a/x.txt", "a/y.txt", "locked/hidden.txt"})
            QVERIFY(TestFiles::write(m_root + QLatin1String(file)));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("empty")));
        QVERIFY(TestFiles::write(m_outside + QStringLiteral("o.txt")));
        QVERIFY(TestFiles::write(m_outside + QStringLiteral("inner/i.txt")));
        // A link back up the tree would never end a walk that followed it; a link out of it leaves the tree.
        QVERIFY(QFile::link(m_root, m_root + QStringLiteral("B/deep/loop")));
        QVERIFY(QFile::link(m_outside, m_root + QStringLiteral("a/outside")));
    }

    void walks_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("unreadable");
        QTest::addColumn<int>("stopAfter");
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("breadth first: the folder, its subfolders by name, then theirs level by level")
            << "" << QStringList() << 0
            << QStringList{"", "a/", "B/", "empty/", "locked/", "B/deep/", "B/deep/deeper/"};
        QTest::newRow("a folder without subfolders walks itself alone")
            << "B/deep/deeper" << QStringList() << 0 << QStringList{"B/deep/deeper/"};
        QTest::newRow("a link chosen itself is walked, its own links not")
            << "a/outside/" << QStringList() << 0 << QStringList{"a/outside/", "a/outside/inner/"};
        QTest::newRow("a folder that cannot be read has no subfolders and the walk goes on")
            << "" << QStringList{"B/"} << 0 << QStringList{"", "a/", "B/", "empty/", "locked/"};
        QTest::newRow("a stop request ends the walk with what it found")
            << "" << QStringList() << 2 << QStringList{"", "a/"};
    }
    void walks() {
        QFETCH(QString, start);
        QFETCH(QStringList, unreadable);
        QFETCH(int, stopAfter);
        QFETCH(QStringList, folders);
        FaultyFileSystem fs(m_fs);
        for (const QString& folder : unreadable)
            fs.unreadable.insert(m_root + folder);
        RecordingHost host;
        host.stopAtFile = stopAfter;
        const QStringList walked = SubfolderWalk::collectSubfolders(fs, m_root + start, host);
        QCOMPARE(relative(walked), folders);
        // The window is let in after every folder.
        QCOMPARE(host.eventRounds, static_cast<int>(folders.size()));
        QCOMPARE(host.statuses, QStringList({"サブフォルダを検索中", "サブフォルダの検索終了"}));
    }

    // Each folder is a batch of its own: the chosen folder's files first, then each subfolder's.
    void treeAddsFolderByFolder() {
        FileListModel model(m_fs);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        NullWorkHost quiet;
        FileAdder adder(model, m_fs, m_prompt);
        RecordingHost host;
        AddSettings settings;
        settings.hideList = true;
        const QStringList folders = SubfolderWalk::collectSubfolders(m_fs, m_root, quiet);
        QCOMPARE(adder.addFolders(folders, settings, host), 7);
        QCOMPARE(listed(model), QStringList({"top.txt", "a/x.txt", "a/y.txt", "B/b.txt", "locked/hidden.txt",
                                             "B/deep/d.txt", "B/deep/deeper/e.txt"}));
        // Status texts, events and the count once per folder; the list hidden and the cursor busy once.
        QCOMPARE(host.log.count(QStringLiteral("events")), folders.size());
        QCOMPARE(host.log.count(QStringLiteral("status:追加完了")), folders.size());
        QCOMPARE(host.log.mid(0, 6), QStringList({"busy", "hide", "status:リストに追加中", "events", "status:追加完了",
                                                  "count:1個のファイル"}));
        QCOMPARE(host.log.mid(host.log.size() - 4),
                 QStringList({"status:追加完了", "count:7個のファイル", "show", "idle"}));
        // Adding the tree again finds every file listed already.
        QCOMPARE(adder.addFolders(folders, {}, host), 0);
    }

    void treeSortedOnceEndsAsSortedAfterEveryFolder() {
        FileListModel once(m_fs);
        FileListModel everyTime(m_fs);
        NullWorkHost quiet;
        AddSettings settings;
        settings.autoSort = true;
        settings.ascending = false;
        const QStringList folders = SubfolderWalk::collectSubfolders(m_fs, m_root, quiet);
        FileAdder(once, m_fs, m_prompt).addFolders(folders, settings, quiet);
        FileAdder adder(everyTime, m_fs, m_prompt);
        for (const QString& folder : folders)
            adder.addPendingFiles({folder, {QString()}}, settings, quiet);
        QCOMPARE(listed(once), listed(everyTime));
        QCOMPARE(listed(once).constFirst(), QStringLiteral("a/y.txt"));
        QCOMPARE(once.sortOrder(), Qt::DescendingOrder);
    }

    void unreadableFolderAddsNothingAndTheOthersStill() {
        if (geteuid() == 0)
            QSKIP("root reads every folder; the fault-injecting walk above covers it");
        const QString locked = m_root + QStringLiteral("locked");
        QCOMPARE(chmod(locked.toUtf8().constData(), 0), 0);
        FileListModel model(m_fs);
        NullWorkHost quiet;
        const QStringList folders = SubfolderWalk::collectSubfolders(m_fs, m_root, quiet);
        FileAdder(model, m_fs, m_prompt).addFolders(folders, {}, quiet);
        chmod(locked.toUtf8().constData(), 0755);
        QVERIFY(folders.contains(locked + QLatin1Char('/')));
        QCOMPARE(model.size(), 6);
        QVERIFY(m_prompt.shown().isEmpty());
    }

    void stopRequestEndsTheAddAfterTheFolderInHand() {
        FileListModel model(m_fs);
        RecordingHost host;
        host.stopAtFile = 2;
        FileAdder(model, m_fs, m_prompt)
            .addFolders({m_root, m_root + QStringLiteral("a/"), m_root + QStringLiteral("B/")}, {}, host);
        QCOMPARE(listed(model), QStringList({"top.txt", "a/x.txt", "a/y.txt"}));
        QCOMPARE(host.log.constLast(), QStringLiteral("idle"));
    }

    // Dropped paths: every path keeps its own folder, whatever folder the last one is in.
    void drops_data() {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("files of two folders each from their own")
            << QStringList{"a/x.txt", "B/b.txt", "top.txt"} << "" << QStringList{"a/x.txt", "B/b.txt", "top.txt"};
        QTest::newRow("a dropped folder adds the files directly inside it")
            << QStringList{"B", "a/y.txt"} << "a/" << QStringList{"B/b.txt", "a/y.txt"};
        QTest::newRow("a path that is gone adds nothing")
            << QStringList{"gone.txt", "top.txt"} << "" << QStringList{"top.txt"};
    }
    void drops() {
        QFETCH(QStringList, paths);
        QFETCH(QString, base);
        QFETCH(QStringList, rows);
        QStringList absolute{QStringLiteral("relative/ignored.txt")};
        for (const QString& path : paths)
            absolute.append(m_root + path);
        const PendingBatch batch = prepareDroppedPaths(absolute);
        QCOMPARE(batch.baseFolder, m_root + base);
        FileListModel model(m_fs);
        NullWorkHost quiet;
        FileAdder(model, m_fs, m_prompt).addPendingFiles(batch, {}, quiet);
        QCOMPARE(listed(model), rows);
    }
};

QTEST_GUILESS_MAIN(TestFolderAdd)
#include "tst_folderadd.moc"
