#include "fakes/FaultySyscalls.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// The published values of the operations and flags, as the tables of this test write them.
namespace Op {
constexpr int Move = 1;
constexpr int Copy = 2;
constexpr int Delete = 3;
constexpr int Rename = 4;
} // namespace Op

namespace Flag {
constexpr int MultiDestFiles = 1;
constexpr int Silent = 4;
constexpr int RenameOnCollision = 8;
constexpr int NoConfirmation = 16;
constexpr int AllowUndo = 64;
constexpr int NoConfirmMkdir = 512;
constexpr int NoErrorUi = 1024;
constexpr int NeverReplace = 0x10000; // the program's own
} // namespace Flag

namespace {

struct stat statOf(const QString& path) {
    struct stat status {};
    lstat(path.toUtf8().constData(), &status);
    return status;
}

QByteArray userAttribute(const QString& path) {
    char buffer[64];
    const ssize_t length = lgetxattr(path.toUtf8().constData(), "user.DOSATTRIB", buffer, sizeof buffer);
    return length < 0 ? QByteArray() : QByteArray(buffer, length);
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

} // namespace

class TestShellFileOperation : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dataHome;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<FaultySyscalls> m_sys;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString file(const QString& name, const QByteArray& content) const {
        QString full = path(name);
        TestFiles::write(full, content);
        return full;
    }
    QByteArray trashed(const QString& name) const {
        return TestFiles::read(m_dataHome.filePath("Trash/files/" + name));
    }
    FileOperationResult run(int operation, const QStringList& sources, const QStringList& destinations, int flags) {
        LinuxShellFileOperation shell(*m_prompt, m_sys.get());
        return shell.run(FileOperation(operation), sources, destinations, FileOperationFlags::fromInt(flags));
    }
    void injectExdevFor(const QString& source) {
        const QByteArray native = source.toUtf8();
        m_sys->fault = [native](const QString& call, const QByteArray& path) {
            return call == "renameat2" && path == native ? EXDEV : 0;
        };
    }

private Q_SLOTS:
    void initTestCase() {
        // The home trash goes where the test can look, on the same disk as the test files.
        qputenv("XDG_DATA_HOME", m_dataHome.path().toUtf8());
    }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_sys = std::make_unique<FaultySyscalls>();
        QDir(m_dataHome.filePath("Trash")).removeRecursively();
    }

    void movesWithOneSystemCall_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("destination");
        QTest::newRow("move renames in place") << Op::Move << "b.txt";
        QTest::newRow("rename renames in place") << Op::Rename << "名前 変更.txt";
        QTest::newRow("move goes into another folder") << Op::Move << "sub/a.txt";
    }
    void movesWithOneSystemCall() {
        QFETCH(int, operation);
        QFETCH(QString, destination);
        QDir(m_dir->path()).mkdir("sub");
        const QString source = file("a.txt", "content");

        const FileOperationResult result = run(operation, {source}, {path(destination)}, Flag::Silent);

        QCOMPARE(result.result, 0);
        QVERIFY(!result.aborted);
        QCOMPARE(TestFiles::read(path(destination)), QByteArray("content"));
        QVERIFY(!QFileInfo::exists(source));
        QCOMPARE(m_sys->calls, QStringList{"renameat2"});
        QVERIFY(m_prompt->shown().isEmpty());
    }

    void movesFolderWithItsFiles() {
        file("d/inner.txt", "inside");
        QCOMPARE(run(Op::Move, {path("d")}, {path("e")}, 0).result, 0);
        QCOMPARE(TestFiles::read(path("e/inner.txt")), QByteArray("inside"));
        QVERIFY(!QFileInfo::exists(path("d")));
    }

    void existingDestination_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("crossDevice");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<QByteArray>("destination");
        QTest::addColumn<QByteArray>("inTrash");
        const auto yes = PromptAnswer::Yes;
        const auto no = PromptAnswer::No;
        QTest::newRow("No keeps both files")
            << Op::Move << 0 << false << true << no << QByteArray("old") << QByteArray();
        QTest::newRow("Yes with undo puts the old file in the trash")
            << Op::Move << Flag::AllowUndo << false << true << yes << QByteArray("new") << QByteArray("old");
        QTest::newRow("Yes without undo replaces it")
            << Op::Move << 0 << false << true << yes << QByteArray("new") << QByteArray();
        QTest::newRow("no confirmation replaces without asking")
            << Op::Move << Flag::NoConfirmation << false << false << no << QByteArray("new") << QByteArray();
        QTest::newRow("no confirmation with undo still keeps the old file in the trash")
            << Op::Move << (Flag::NoConfirmation | Flag::AllowUndo) << false << false << no << QByteArray("new")
            << QByteArray("old");
        QTest::newRow("across devices No keeps both files")
            << Op::Move << 0 << true << true << no << QByteArray("old") << QByteArray();
        QTest::newRow("across devices Yes with undo trashes the old file")
            << Op::Move << Flag::AllowUndo << true << true << yes << QByteArray("new") << QByteArray("old");
        QTest::newRow("copy No keeps the old file")
            << Op::Copy << 0 << false << true << no << QByteArray("old") << QByteArray();
        QTest::newRow("copy Yes replaces it")
            << Op::Copy << 0 << false << true << yes << QByteArray("new") << QByteArray();
    }
    void existingDestination() {
        QFETCH(int, operation);
        QFETCH(int, flags);
        QFETCH(bool, crossDevice);
        QFETCH(bool, asked);
        QFETCH(PromptAnswer, answer);
        QFETCH(QByteArray, destination);
        QFETCH(QByteArray, inTrash);
        const QString source = file("a.txt", "new");
        const QString target = file("b.txt", "old");
        if (crossDevice)
            injectExdevFor(source);
        m_prompt->queueAnswer(answer);

        const FileOperationResult result = run(operation, {source}, {target}, flags);

        const bool declined = asked && answer == PromptAnswer::No;
        QCOMPARE(result.result == 0, !declined);
        QCOMPARE(result.aborted, declined);
        QCOMPARE(TestFiles::read(target), destination);
        QCOMPARE(trashed("b.txt"), inTrash);
        const bool sourceKept = declined || operation == Op::Copy;
        QCOMPARE(TestFiles::read(source), sourceKept ? QByteArray("new") : QByteArray());
        QCOMPARE(QFileInfo::exists(source), sourceKept);
        QCOMPARE(entries(m_dir->path()), sourceKept ? QStringList({"a.txt", "b.txt"}) : QStringList{"b.txt"});
        if (!asked) {
            QVERIFY(m_prompt->shown().isEmpty());
            return;
        }
        QCOMPARE(m_prompt->shown().size(), 1);
        const ScriptedPrompt::Shown& question = m_prompt->shown().first();
        QCOMPARE(question.text, "「" + target + "」は既に存在します。\r\n置き換えますか？");
        QCOMPARE(question.title, "Tokrenu");
        QCOMPARE(question.icon, PromptIcon::Exclamation);
        QCOMPARE(question.buttons, PromptButtons::YesNo);
        QCOMPARE(question.defaultAnswer, PromptAnswer::No);
    }

    // What undo moves with: a file in the way makes that file fail, unasked, whatever else the flags say.
    void neverReplaceFailsUnasked_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("crossDevice");
        QTest::newRow("a move") << Op::Move << 0 << false;
        QTest::newRow("a move that would not ask either")
            << Op::Move << (Flag::NoConfirmation | Flag::AllowUndo) << false;
        QTest::newRow("a move across devices") << Op::Move << Flag::NoConfirmation << true;
        QTest::newRow("a copy") << Op::Copy << Flag::NoConfirmation << false;
    }
    void neverReplaceFailsUnasked() {
        QFETCH(int, operation);
        QFETCH(int, flags);
        QFETCH(bool, crossDevice);
        const QString source = file("a.txt", "new");
        const QString target = file("b.txt", "old");
        if (crossDevice)
            injectExdevFor(source);

        const FileOperationResult result =
            run(operation, {source}, {target}, flags | Flag::NeverReplace | Flag::NoErrorUi);

        QCOMPARE(result.result, EEXIST);
        QVERIFY(!result.aborted);
        QVERIFY(m_prompt->shown().isEmpty());
        QCOMPARE(TestFiles::read(target), QByteArray("old"));
        QCOMPARE(TestFiles::read(source), QByteArray("new"));
        QCOMPARE(entries(m_dir->path()), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(trashed("b.txt"), QByteArray());
    }

    // Without a home there is no trash: a replacement that asks for the trash fails and says why, and nothing
    // lands in the current folder or anywhere else.
    void noHomeMeansNoTrash() {
        const QString source = file("a.txt", "new");
        const QString target = file("b.txt", "old");
        const QByteArray home = qgetenv("HOME");
        const QString folder = QDir::currentPath();
        qunsetenv("HOME");
        qunsetenv("XDG_DATA_HOME");
        QDir::setCurrent(m_dir->path());

        const FileOperationResult result = run(Op::Move, {source}, {target}, Flag::NoConfirmation | Flag::AllowUndo);

        QDir::setCurrent(folder);
        qputenv("HOME", home);
        qputenv("XDG_DATA_HOME", m_dataHome.path().toUtf8());
        QVERIFY(result.result != 0);
        QCOMPARE(TestFiles::read(source), QByteArray("new"));
        QCOMPARE(TestFiles::read(target), QByteArray("old"));
        QCOMPARE(entries(m_dir->path()), QStringList({"a.txt", "b.txt"}));
        QCOMPARE(m_prompt->texts(), QStringList{"「" + source + "」を「" + target + "」へ移動できませんでした。\r\n" +
                                                "ごみ箱が使えません（ホームフォルダがありません）。"});
    }

    // What goes to the trash can be put back: its info file names where it was, and a second file of the
    // same name does not replace the first.
    void trashKeepsWhereEachFileWas() {
        for (const char* content : {"first", "second"}) {
            const QString source = file("a.txt", "new");
            const QString target = file("b.txt", content);
            QCOMPARE(run(Op::Move, {source}, {target}, Flag::NoConfirmation | Flag::AllowUndo).result, 0);
        }
        QCOMPARE(trashed("b.txt"), QByteArray("first"));
        QCOMPARE(trashed("b.txt.2"), QByteArray("second"));
        const QByteArray info = TestFiles::read(m_dataHome.filePath("Trash/info/b.txt.2.trashinfo"));
        QVERIFY(info.startsWith(
            QByteArray("[Trash Info]\nPath=" + QUrl::toPercentEncoding(path("b.txt"), "/") + "\nDeletionDate=")));
    }

    void trashThatRefusesKeepsBothFiles() {
        const QString source = file("a.txt", "new");
        const QString target = file("b.txt", "old");
        m_sys->fault = [](const QString& call, const QByteArray&) {
            return call == "moveToTrash" ? EIO : 0;
        };

        const FileOperationResult result = run(Op::Move, {source}, {target}, Flag::NoConfirmation | Flag::AllowUndo);

        QVERIFY(result.result != 0);
        QCOMPARE(TestFiles::read(source), QByteArray("new"));
        QCOMPARE(TestFiles::read(target), QByteArray("old"));
        QCOMPARE(m_prompt->texts(), QStringList{"「" + source + "」を「" + target + "」へ移動できませんでした。\r\n" +
                                                qt_error_string(EIO)});
    }

    void renameOnCollision_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number goes before the extension") << Op::Move << QStringList{"b.txt"} << "b (2).txt";
        QTest::newRow("next free number") << Op::Move << QStringList{"b.txt", "b (2).txt"} << "b (3).txt";
        QTest::newRow("name without extension") << Op::Move << QStringList{"b"} << "b (2)";
        QTest::newRow("leading dot is no extension") << Op::Move << QStringList{".b"} << ".b (2)";
        QTest::newRow("copy gets a free name too") << Op::Copy << QStringList{"b.txt"} << "b (2).txt";
    }
    void renameOnCollision() {
        QFETCH(int, operation);
        QFETCH(QStringList, taken);
        QFETCH(QString, expected);
        for (const QString& name : taken)
            file(name, "old");
        const QString source = file("a", "new");

        const FileOperationResult result = run(operation, {source}, {path(taken.first())}, Flag::RenameOnCollision);

        QCOMPARE(result.result, 0);
        QVERIFY(m_prompt->shown().isEmpty());
        QCOMPARE(TestFiles::read(path(expected)), QByteArray("new"));
        for (const QString& name : taken)
            QCOMPARE(TestFiles::read(path(name)), QByteArray("old"));
        QCOMPARE(QFileInfo::exists(source), operation == Op::Copy);
    }

    void missingFolder_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<PromptAnswer>("answer");
        QTest::newRow("asked and made on Yes") << Op::Move << 0 << true << PromptAnswer::Yes;
        QTest::newRow("No leaves everything as it was") << Op::Move << 0 << true << PromptAnswer::No;
        QTest::newRow("made without asking with 512") << Op::Move << Flag::NoConfirmMkdir << false << PromptAnswer::No;
        QTest::newRow("made without asking with no confirmation")
            << Op::Move << Flag::NoConfirmation << false << PromptAnswer::No;
        QTest::newRow("copy asks as well") << Op::Copy << 0 << true << PromptAnswer::Yes;
    }
    void missingFolder() {
        QFETCH(int, operation);
        QFETCH(int, flags);
        QFETCH(bool, asked);
        QFETCH(PromptAnswer, answer);
        const QString source = file("a.txt", "content");
        const QString target = path("new/deeper/b.txt");
        m_prompt->queueAnswer(answer);

        const FileOperationResult result = run(operation, {source}, {target}, flags);

        const bool declined = asked && answer == PromptAnswer::No;
        QCOMPARE(result.result == 0, !declined);
        QCOMPARE(result.aborted, declined);
        QCOMPARE(TestFiles::read(target), declined ? QByteArray() : QByteArray("content"));
        QCOMPARE(QFileInfo::exists(path("new")), !declined);
        QCOMPARE(TestFiles::read(source), declined || operation == Op::Copy ? QByteArray("content") : QByteArray());
        QCOMPARE(m_prompt->shown().size(), asked ? 1 : 0);
        if (asked) {
            const ScriptedPrompt::Shown& question = m_prompt->shown().first();
            QCOMPARE(question.text, "フォルダ「" + path("new/deeper") + "」は存在しません。\r\n作成しますか？");
            QCOMPARE(question.title, "Tokrenu");
            QCOMPARE(question.icon, PromptIcon::Question);
            QCOMPARE(question.buttons, PromptButtons::YesNo);
        }
    }

    void crossDevice_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<bool>("fromTmpfs");
        QTest::newRow("move from tmpfs to disk") << Op::Move << true;
        QTest::newRow("move on a rename refused with EXDEV") << Op::Move << false;
        QTest::newRow("copy from tmpfs to disk") << Op::Copy << true;
        QTest::newRow("copy on one disk") << Op::Copy << false;
    }
    void crossDevice() {
        QFETCH(int, operation);
        QFETCH(bool, fromTmpfs);
        QTemporaryDir shm(QStringLiteral("/dev/shm/tst_shellfileoperation-XXXXXX"));
        if (fromTmpfs && !shm.isValid())
            QSKIP("no tmpfs at /dev/shm");
        const QByteArray content = randomBytes(300 * 1024 + 3);
        const QString source = fromTmpfs ? shm.filePath("a.bin") : file("a.bin", {});
        TestFiles::write(source, content);
        const QByteArray native = source.toUtf8();
        chmod(native.constData(), 0640);
        QCOMPARE(lsetxattr(native.constData(), "user.DOSATTRIB", "0x22", 4, 0), 0);
        const struct timespec times[2] = {{1200000000, 5}, {1234567890, 123456789}};
        utimensat(AT_FDCWD, native.constData(), times, 0);
        if (!fromTmpfs && operation == Op::Move)
            injectExdevFor(source);
        const QString target = path("out/b.bin");
        QDir(m_dir->path()).mkdir("out");

        const FileOperationResult result = run(operation, {source}, {target}, 0);

        QCOMPARE(result.result, 0);
        const struct stat copied = statOf(target);
        QCOMPARE(copied.st_mode & 07777, 0640u);
        QCOMPARE(copied.st_mtim.tv_sec, time_t(1234567890));
        QCOMPARE(copied.st_mtim.tv_nsec, 123456789L);
        QCOMPARE(copied.st_atim.tv_sec, time_t(1200000000));
        QCOMPARE(userAttribute(target), QByteArray("0x22"));
        QCOMPARE(TestFiles::read(target), content);
        QCOMPARE(entries(path("out")), QStringList{"b.bin"});
        QCOMPARE(QFileInfo::exists(source), operation == Op::Copy);
        if (operation == Op::Copy)
            QCOMPARE(TestFiles::read(source), content);
        QVERIFY(m_prompt->shown().isEmpty());
    }

    void folderDoesNotMoveAcrossDevices() {
        QTemporaryDir shm(QStringLiteral("/dev/shm/tst_shellfileoperation-XXXXXX"));
        if (!shm.isValid())
            QSKIP("no tmpfs at /dev/shm");
        TestFiles::write(shm.filePath("d/inner.txt"), "inside");

        const FileOperationResult result = run(Op::Move, {shm.filePath("d")}, {path("d")}, Flag::NoErrorUi);

        QCOMPARE(result.result, EXDEV);
        QCOMPARE(TestFiles::read(shm.filePath("d/inner.txt")), QByteArray("inside"));
        QVERIFY(entries(m_dir->path()).isEmpty());
    }

    void failedCopyKeepsTheSource_data() {
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("nth");
        QTest::addColumn<int>("error");
        QTest::addColumn<qint64>("writeLimit");
        QTest::newRow("write fails halfway") << "" << 0 << ENOSPC << qint64(512 * 1024);
        QTest::newRow("kernel copy fails before the end") << "copyFileRange" << 2 << EIO << qint64(-1);
        QTest::newRow("temporary file cannot be made") << "open" << 2 << EACCES << qint64(-1);
        QTest::newRow("extended attributes refused") << "fsetxattr" << 1 << EOPNOTSUPP << qint64(-1);
        QTest::newRow("mode refused") << "fchmod" << 1 << EPERM << qint64(-1);
        QTest::newRow("times refused") << "futimens" << 1 << EPERM << qint64(-1);
        QTest::newRow("fsync of the copy fails") << "fsync" << 1 << EIO << qint64(-1);
        QTest::newRow("copy cannot be renamed into place") << "renameat2" << 1 << EIO << qint64(-1);
        QTest::newRow("folder cannot be synced, the placed copy goes") << "fsync" << 2 << EIO << qint64(-1);
        QTest::newRow("source cannot be removed, the placed copy goes") << "unlink" << 1 << EROFS << qint64(-1);
    }
    void failedCopyKeepsTheSource() {
        QFETCH(QString, call);
        QFETCH(int, nth);
        QFETCH(int, error);
        QFETCH(qint64, writeLimit);
        const QByteArray content = randomBytes(qsizetype{1024} * 1024);
        const QString source = file("a.bin", content);
        const QString target = path("out/b.bin");
        QDir(m_dir->path()).mkdir("out");
        lsetxattr(source.toUtf8().constData(), "user.DOSATTRIB", "0x2", 3, 0);
        const QByteArray native = source.toUtf8();
        m_sys->kernelCopy = writeLimit < 0;
        m_sys->writeLimit = writeLimit;
        m_sys->fault = [native, call, nth, error, count = 0](const QString& name, const QByteArray& path) mutable {
            if (name == "renameat2" && path == native)
                return EXDEV;
            return name == call && ++count == nth ? error : 0;
        };

        const FileOperationResult result = run(Op::Move, {source}, {target}, 0);

        QCOMPARE(result.result, error);
        QCOMPARE(TestFiles::read(source), content);
        QVERIFY2(entries(path("out")).isEmpty(), qPrintable(entries(path("out")).join(", ")));
        QCOMPARE(m_prompt->texts(), QStringList{"「" + source + "」を「" + target + "」へ移動できませんでした。\r\n" +
                                                qt_error_string(error)});
        if (writeLimit > 0)
            QVERIFY(m_sys->calls.count("write") > 1);
    }

    void deletes_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("folder");
        QTest::newRow("with undo into the trash") << Flag::AllowUndo << false;
        QTest::newRow("without undo removed") << 0 << false;
        QTest::newRow("empty folder removed") << 0 << true;
    }
    void deletes() {
        QFETCH(int, flags);
        QFETCH(bool, folder);
        const QString target = folder ? path("d") : file("a.txt", "content");
        if (folder)
            QDir(m_dir->path()).mkdir("d");

        const FileOperationResult result = run(Op::Delete, {target}, {}, flags);

        QCOMPARE(result.result, 0);
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(trashed("a.txt"), flags & Flag::AllowUndo ? QByteArray("content") : QByteArray());
    }

    void errorMessages_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("message");
        const QString moveText = "「<from>」を「<to>」へ移動できませんでした。\r\n<reason>";
        QTest::newRow("move") << Op::Move << 0 << moveText;
        QTest::newRow("silent shows it all the same") << Op::Move << Flag::Silent << moveText;
        QTest::newRow("copy") << Op::Copy << 0 << "「<from>」を「<to>」へコピーできませんでした。\r\n<reason>";
        QTest::newRow("rename names the new name")
            << Op::Rename << 0 << "「<from>」の名前を「b.txt」に変更できませんでした。\r\n<reason>";
        QTest::newRow("delete") << Op::Delete << 0 << "「<from>」を削除できませんでした。\r\n<reason>";
        QTest::newRow("no error box with 1024") << Op::Move << Flag::NoErrorUi << QString();
    }
    void errorMessages() {
        QFETCH(int, operation);
        QFETCH(int, flags);
        QFETCH(QString, message);
        const QString missing = path("a.txt");

        const FileOperationResult result = run(operation, {missing}, {path("b.txt")}, flags);

        QCOMPARE(result.result, ENOENT);
        QVERIFY(!result.aborted);
        if (message.isEmpty()) {
            QVERIFY(m_prompt->shown().isEmpty());
            return;
        }
        message.replace("<from>", missing).replace("<to>", path("b.txt")).replace("<reason>", qt_error_string(ENOENT));
        QCOMPARE(m_prompt->texts(), QStringList{message});
        QCOMPARE(m_prompt->shown().first().title, "Tokrenu");
        QCOMPARE(m_prompt->shown().first().icon, PromptIcon::Critical);
        QCOMPARE(m_prompt->shown().first().buttons, PromptButtons::Ok);
    }

    // A copy a killed process left half written goes; one a live process still writes, a file under a
    // temporary name (which may be the only name a file has), and every other name stay.
    void unfinishedCopiesAreRemoved() {
        const QString live = file(".tokrenu-1a2b.part", "being written");
        const int fd = ::open(live.toUtf8().constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0);
        file(".tokrenu-dead01.part", "left by a killed process");
        const QStringList kept{".tokrenu-1a2b.part", ".tokrenu-77.tmp", ".tokrenu-xyz.part", "a.part", "b"};
        for (const QString& name : kept.mid(1))
            file(name, "kept");

        LinuxShellFileOperation shell(*m_prompt, m_sys.get());
        QCOMPARE(shell.removeUnfinishedCopies(m_dir->path()), 1);
        ::close(fd);
        QCOMPARE(entries(m_dir->path()), kept);
        QCOMPARE(shell.removeUnfinishedCopies(path(QStringLiteral("missing"))), 0);
    }

    // Copying a file reads it without changing its access time, so that a copy given up half way leaves its
    // source exactly as it was.
    void aCopyLeavesTheSourceAccessTimeAlone() {
        const QString source = file("a.txt", randomBytes(64 * 1024));
        const struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, source.toUtf8().constData(), times, 0), 0);
        QCOMPARE(run(Op::Copy, {source}, {path("b.txt")}, Flag::NoConfirmation).result, 0);
        QCOMPARE(statOf(source).st_atim.tv_sec, time_t(1000000000));
        QCOMPARE(statOf(path("b.txt")).st_atim.tv_sec, time_t(1000000000));
    }

    void hardLinksOfOneFileAreRefused_data() {
        QTest::addColumn<QString>("other");
        QTest::newRow("two names") << "b.txt";
        QTest::newRow("names that differ only in case") << "A.txt";
    }
    void hardLinksOfOneFileAreRefused() {
        QFETCH(QString, other);
        const QString source = file("a.txt", "content");
        QCOMPARE(link(source.toUtf8().constData(), path(other).toUtf8().constData()), 0);

        const FileOperationResult result = run(Op::Move, {source}, {path(other)}, Flag::NoConfirmation);

        QCOMPARE(result.result, EEXIST);
        QCOMPARE(TestFiles::read(source), QByteArray("content"));
        QCOMPARE(TestFiles::read(path(other)), QByteArray("content"));
        QCOMPARE(statOf(source).st_nlink, nlink_t(2));
        QCOMPARE(entries(m_dir->path()).size(), 2);
        QCOMPARE(m_prompt->shown().size(), 1);
        QCOMPARE(m_prompt->shown().first().icon, PromptIcon::Critical);
    }

    void caseChangeOnFileSystemIgnoringCase() {
        m_sys->caseInsensitive = true;
        const QString source = file("a.txt", "content");

        const FileOperationResult result = run(Op::Rename, {source}, {path("A.txt")}, 0);

        QCOMPARE(result.result, 0);
        QCOMPARE(entries(m_dir->path()), QStringList{"A.txt"});
        QCOMPARE(TestFiles::read(path("A.txt")), QByteArray("content"));
        QVERIFY(m_prompt->shown().isEmpty());
    }

    void withoutNoReplaceSupport_data() {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("fallback");
        QTest::newRow("file moves by link and unlink") << false << false << "link";
        QTest::newRow("folder moves after a look") << true << false << "rename";
        QTest::newRow("taken name is still not replaced by a file") << false << true << "link";
        QTest::newRow("taken name is still not replaced by a folder") << true << true << "lstat";
    }
    void withoutNoReplaceSupport() {
        QFETCH(bool, folder);
        QFETCH(bool, taken);
        QFETCH(QString, fallback);
        const QString source = folder ? QFileInfo(file("a/inner.txt", "content")).path() : file("a", "content");
        const QString target = path("b");
        if (taken)
            file("b", "old");
        const ino_t inode = statOf(source).st_ino;
        m_sys->fault = [](const QString& call, const QByteArray&) {
            return call == "renameat2" ? EINVAL : 0;
        };

        const FileOperationResult result = run(Op::Move, {source}, {target}, 0);

        QVERIFY(m_sys->calls.contains(fallback));
        if (taken) {
            QCOMPARE(result.result, ECANCELED);
            QCOMPARE(TestFiles::read(target), QByteArray("old"));
            QVERIFY(QFileInfo::exists(source));
            QVERIFY(!m_sys->calls.contains("rename"));
            return;
        }
        QCOMPARE(result.result, 0);
        QCOMPARE(statOf(target).st_ino, inode);
        QCOMPARE(TestFiles::read(folder ? target + "/inner.txt" : target), QByteArray("content"));
        QVERIFY(!QFileInfo::exists(source));
    }

    void multipleFilesPairedWithFlag1() {
        const QString a = file("a.txt", "a");
        const QString c = file("c.txt", "c");

        const FileOperationResult result = run(Op::Move, {a, path("missing.txt"), c},
                                               {path("x.txt"), path("y.txt"), path("z.txt")}, Flag::MultiDestFiles);

        QCOMPARE(result.result, ENOENT);
        QCOMPARE(TestFiles::read(path("x.txt")), QByteArray("a"));
        QCOMPARE(TestFiles::read(path("z.txt")), QByteArray("c"));
        QCOMPARE(entries(m_dir->path()), QStringList({"x.txt", "z.txt"}));
        QCOMPARE(m_prompt->shown().size(), 1);
        QVERIFY(m_prompt->shown().first().text.startsWith("「" + path("missing.txt") + "」"));
    }

    // Within one call, a pair never replaces a file that another pair still holds: a source that has not
    // moved away (after a copy, or when its own move failed) or what an earlier pair has put in place, even
    // with every question answered yes and no trash to catch it.
    void pairsOfOneCallNeverReplaceEachOther_data() {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QStringList>("pairs"); // source names and destination names, alternately
        QTest::addColumn<QString>("failingMove");
        QTest::addColumn<QStringList>("after"); // name=content of every file afterwards
        QTest::newRow("chain") << Op::Move << QStringList{"a", "b", "b", "c"} << QString() << QStringList{"a=a", "c=b"};
        QTest::newRow("same destination")
            << Op::Move << QStringList{"a", "x", "b", "x"} << QString() << QStringList{"b=b", "x=a"};
        QTest::newRow("source whose move failed")
            << Op::Move << QStringList{"b", "c", "a", "b"} << "b" << QStringList{"a=a", "b=b"};
        QTest::newRow("copy onto an earlier source")
            << Op::Copy << QStringList{"a", "c", "b", "a"} << QString() << QStringList{"a=a", "b=b", "c=a"};
    }
    void pairsOfOneCallNeverReplaceEachOther() {
        QFETCH(int, operation);
        QFETCH(QStringList, pairs);
        QFETCH(QString, failingMove);
        QFETCH(QStringList, after);
        QStringList sources;
        QStringList destinations;
        for (qsizetype i = 0; i < pairs.size(); i += 2) {
            if (!QFileInfo::exists(path(pairs[i])))
                file(pairs[i], pairs[i].toUtf8());
            sources.append(path(pairs[i]));
            destinations.append(path(pairs[i + 1]));
        }
        if (!failingMove.isEmpty()) {
            const QByteArray native = path(failingMove).toUtf8();
            m_sys->fault = [native](const QString& call, const QByteArray& from) {
                return call == "renameat2" && from == native ? EACCES : 0;
            };
        }

        const FileOperationResult result =
            run(operation, sources, destinations, Flag::MultiDestFiles | Flag::NoConfirmation | Flag::NoErrorUi);

        QVERIFY(result.result != 0);
        QStringList found;
        for (const QString& name : entries(m_dir->path()))
            found.append(name + "=" + TestFiles::read(path(name)));
        QCOMPARE(found, after);
    }

    // One object, moves between two folders and back: each goes only to a free name in a folder that exists, and
    // the folders held open are let go with the object.
    void movesAtOnceNeverReplaceAndLetTheirFoldersGo() {
        QDir(m_dir->path()).mkdir("sub");
        for (const char* name : {"a", "c", "d", "e"})
            file(QString::fromLatin1(name), name);
        const auto openFiles = [] {
            return QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
        };
        const qsizetype before = openFiles();
        {
            LinuxShellFileOperation shell(*m_prompt, m_sys.get());
            const std::unique_ptr<MovesAtOnce> moves = shell.movesAtOnce();
            QVERIFY(moves->move(path("a"), path("名前")));
            QVERIFY(moves->move(path("名前"), path("sub/a")));
            QVERIFY(!moves->move(path("c"), path("d")));
            QVERIFY(!moves->move(path("e"), path("missing/e")));
            QVERIFY(moves->move(path("sub/a"), path("a2")));
        }
        QCOMPARE(openFiles(), before);
        QCOMPARE(entries(m_dir->path()), QStringList({"a2", "c", "d", "e", "sub"}));
        QCOMPARE(TestFiles::read(path("a2")), QByteArray("a"));
        QCOMPARE(TestFiles::read(path("d")), QByteArray("d"));
        QVERIFY(entries(path("sub")).isEmpty());
        QVERIFY(m_prompt->shown().isEmpty());
    }

    void multipleFilesIntoOneFolder() {
        const QString a = file("a.txt", "a");
        const QString c = file("c.txt", "c");
        QDir(m_dir->path()).mkdir("out");

        const FileOperationResult result = run(Op::Copy, {a, c}, {path("out")}, 0);

        QCOMPARE(result.result, 0);
        QCOMPARE(TestFiles::read(path("out/a.txt")), QByteArray("a"));
        QCOMPARE(TestFiles::read(path("out/c.txt")), QByteArray("c"));
        QCOMPARE(TestFiles::read(a), QByteArray("a"));
    }
};

QTEST_GUILESS_MAIN(TestShellFileOperation)
#include "tst_shellfileoperation.moc"
