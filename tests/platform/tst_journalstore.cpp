#include "fakes/TestFiles.h"
#include "platform/linux/LinuxJournalStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

// The journal files on disk: where they go, who may read them, how they are numbered, read and appended to.
class TestJournalStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;

    std::unique_ptr<JournalFile> create(LinuxJournalStore& store, qint64& run, const QByteArray& bytes) {
        QString error;
        auto file = store.create(run, error);
        if (file)
            file->append(bytes);
        return file;
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_folder = m_dir->path() + QStringLiteral("/state/Tokrenu/journal");
    }

    void defaultFolder_data() {
        QTest::addColumn<QByteArray>("stateHome");
        QTest::addColumn<QString>("folder");
        QTest::newRow("XDG_STATE_HOME") << QByteArray("/x/state") << "/x/state/Tokrenu/journal";
        QTest::newRow("a relative XDG_STATE_HOME is ignored")
            << QByteArray("rel/state") << QDir::homePath() + "/.local/state/Tokrenu/journal";
        QTest::newRow("none") << QByteArray() << QDir::homePath() + "/.local/state/Tokrenu/journal";
    }
    void defaultFolder() {
        QFETCH(QByteArray, stateHome);
        QFETCH(QString, folder);
        const QByteArray saved = qgetenv("XDG_STATE_HOME");
        if (stateHome.isEmpty())
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME", stateHome);
        QCOMPARE(LinuxJournalStore::defaultFolder(), folder);
        qputenv("XDG_STATE_HOME", saved);
    }

    // The folders it makes and every journal are for the owner alone; its folder made wider by hand is narrowed
    // again. A folder above that was there already is left as it is.
    void onlyTheOwnerReads() {
        QDir().mkpath(m_dir->path() + QStringLiteral("/state"));
        LinuxJournalStore store(m_folder);
        qint64 run = 0;
        QVERIFY(create(store, run, "x\n"));
        QCOMPARE(modeOf(m_dir->path() + QStringLiteral("/state/Tokrenu")), mode_t(0700));
        QCOMPARE(modeOf(m_folder), mode_t(0700));
        QCOMPARE(modeOf(store.pathOf(run)), mode_t(0600));
        QVERIFY(::chmod(QFile::encodeName(m_folder).constData(), 0755) == 0);
        QVERIFY(create(store, run, "y\n"));
        QCOMPARE(modeOf(m_folder), mode_t(0700));
    }

    // Numbers only grow, also past journals that were removed, and other files in the folder are no runs.
    void runsAreNumberedAndListedInOrder() {
        LinuxJournalStore store(m_folder);
        QVERIFY(store.runs().empty());
        qint64 run = 0;
        for (int i = 0; i < 3; ++i)
            QVERIFY(create(store, run, "x\n"));
        QCOMPARE(run, 3);
        QVERIFY(store.remove(1));
        TestFiles::write(m_folder + QStringLiteral("/run-x.journal"));
        TestFiles::write(m_folder + QStringLiteral("/notes.txt"));
        QCOMPARE(store.runs(), std::vector<qint64>({2, 3}));
        QVERIFY(store.remove(3));
        QVERIFY(create(store, run, "x\n"));
        QCOMPARE(run, 3);
        QVERIFY(store.pathOf(3).endsWith(QStringLiteral("/run-00000003.journal")));
    }

    // A journal being written is in use for everyone else until it is closed; what was flushed can be read
    // meanwhile, and another writer is refused.
    void aJournalBeingWrittenIsInUse() {
        LinuxJournalStore store(m_folder);
        qint64 run = 0;
        auto file = create(store, run, "first\n");
        QVERIFY(file && file->flush());
        const JournalBytes whileOpen = store.read(run);
        QVERIFY(whileOpen.inUse);
        QCOMPARE(whileOpen.bytes, QByteArray("first\n"));
        QString error;
        QVERIFY(!store.openToAppend(run, 6, error));
        QVERIFY(!error.isEmpty());
        file.reset();
        QVERIFY(!store.read(run).inUse);
    }

    // Appending cuts a journal back to its whole records first, so that a record whose end was lost never sits
    // between whole ones.
    void appendingCutsOffWhatFollowsTheWholeRecords() {
        LinuxJournalStore store(m_folder);
        qint64 run = 0;
        create(store, run, "whole\ncut o").reset();
        QString error;
        auto file = store.openToAppend(run, 6, error);
        QVERIFY2(file, qPrintable(error));
        QVERIFY(file->append("next\n") && file->sync());
        file.reset();
        QCOMPARE(store.read(run).bytes, QByteArray("whole\nnext\n"));
        // A journal shorter than it was read is not appended to.
        QVERIFY(!store.openToAppend(run, 100, error));
    }

    void whatCannotBeReadSaysWhy_data() {
        QTest::addColumn<QString>("setUp");
        QTest::newRow("no such journal") << "";
        QTest::newRow("a link in its place") << "link";
        QTest::newRow("a folder in its place") << "folder";
    }
    void whatCannotBeReadSaysWhy() {
        QFETCH(QString, setUp);
        LinuxJournalStore store(m_folder);
        QDir().mkpath(m_folder);
        TestFiles::write(m_dir->path() + QStringLiteral("/elsewhere"), "not a journal\n");
        if (setUp == QLatin1String("link"))
            QVERIFY(QFile::link(m_dir->path() + QStringLiteral("/elsewhere"), store.pathOf(1)));
        if (setUp == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(store.pathOf(1)));
        const JournalBytes read = store.read(1);
        QVERIFY(!read.error.isEmpty());
        QVERIFY(read.bytes.isEmpty());
    }

    // A folder that cannot be made stops the journal before anything is written.
    void aFolderThatCannotBeMadeIsTold() {
        TestFiles::write(m_dir->path() + QStringLiteral("/state"), "a file where a folder should be");
        LinuxJournalStore store(m_folder);
        qint64 run = 0;
        QString error;
        QVERIFY(!store.create(run, error));
        QCOMPARE(error, qt_error_string(ENOTDIR));
    }
};

QTEST_GUILESS_MAIN(TestJournalStore)
#include "tst_journalstore.moc"
