#include "fakes/CountingFileSystem.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/ListedRows.h"
#include "fakes/RecordingHost.h"
#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/AddFilter.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/ListCommands.h"
#include "filelist/PathNames.h"
#include "platform/AttributeBits.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QStringList listedPaths(const FileListModel& model) {
    QStringList paths;
    for (const FileRow& row : model.rows())
        paths.append(row.fullPath());
    return paths;
}

} // namespace

class TestFileAdder : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_root; // ends in '/'
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    FileListModel* m_model = nullptr;
    QAbstractItemModelTester* m_tester = nullptr;
    RecordingHost m_feedback;

    // The name and the texts of the size, date and attribute columns as the list shows them.
    QStringList rowTexts(int row) const {
        QStringList texts{m_model->row(row).name};
        for (const FileColumn column : {FileColumn::Size, FileColumn::LastWriteTime, FileColumn::Attribute})
            texts.append(m_model->index(row, static_cast<int>(column)).data().toString());
        return texts;
    }

    qsizetype add(const QStringList& names, const AddSettings& settings = {}, const QString& base = QString()) {
        FileAdder adder(*m_model, m_fs, m_prompt);
        return adder.addPendingFiles({base.isEmpty() ? m_root : base, names}, settings, m_feedback);
    }

private Q_SLOTS:
    void initTestCase() {
        TestFiles::useTimeZone("Asia/Tokyo");
        m_root = m_dir.path() + QLatin1Char('/');
        TestFiles::write(m_root + QStringLiteral("a.txt"), "hello");
        TestFiles::write(m_root + QStringLiteral("B.TXT"));
        TestFiles::write(m_root + QStringLiteral("README"));
        TestFiles::write(m_root + QStringLiteral("photo.jpg"));
        TestFiles::write(m_root + QStringLiteral("sub/inner.txt"));
        TestFiles::write(m_root + QStringLiteral("sub/deeper/deep.txt"));
        TestFiles::write(m_root + QStringLiteral("with space/x y.txt"));
        TestFiles::write(m_root + QStringLiteral("other/z.txt"));
        chmod((m_root + QStringLiteral("B.TXT")).toUtf8().constData(), 0444);
        QVERIFY(QFile::link(m_root + QStringLiteral("sub"), m_root + QStringLiteral("linked")));
    }

    void init() {
        m_model = new FileListModel(m_fs, this);
        m_tester = new QAbstractItemModelTester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest, this);
        m_feedback.log.clear();
        m_prompt.clear();
    }

    void cleanup() {
        delete m_tester;
        delete m_model;
    }

    void rowTextsOfOneFile() {
        QFile file(m_root + QStringLiteral("a.txt"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime(QDate(2024, 1, 31), QTime(9, 5, 7)), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(add({QStringLiteral("a.txt")}), 1);
        const FileRow& row = m_model->row(0);
        QCOMPARE(row.name, QStringLiteral("a.txt"));
        QCOMPARE(row.path, m_root);
        QCOMPARE(rowTexts(0), QStringList({"a.txt", "5", "2024/01/31 9:05:07", ""}));
        QCOMPARE(m_model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("ｻｲｽﾞ(ﾊﾞｲﾄ)"));
    }

    // Rows of one folder that share a length or a time share its text; each still shows its own file.
    void rowsOfAFolderShowTheirOwnTexts() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const QDateTime morning(QDate(2024, 1, 31), QTime(9, 5, 7));
        const QDateTime midnight(QDate(2024, 2, 1), QTime(0, 0));
        const struct {
            const char* name;
            QByteArray content;
            QDateTime written;
        } files[] = {{"a", "hello", morning}, {"b", "hello", morning}, {"c", "", midnight}, {"d", "world", morning}};
        for (const auto& file : files) {
            QFile out(folder + QLatin1String(file.name));
            QVERIFY(out.open(QIODevice::WriteOnly));
            QCOMPARE(out.write(file.content), file.content.size());
            QVERIFY(out.flush());
            QVERIFY(out.setFileTime(file.written, QFileDevice::FileModificationTime));
        }
        chmod((folder + QStringLiteral("c")).toUtf8().constData(), 0444);
        QCOMPARE(add({QString()}, {}, folder), 4);
        const QStringList expected[] = {{"a", "5", "2024/01/31 9:05:07", ""},
                                        {"b", "5", "2024/01/31 9:05:07", ""},
                                        {"c", "0", "2024/02/01", "R"},
                                        {"d", "5", "2024/01/31 9:05:07", ""}};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(rowTexts(i), expected[i]);
    }

    // A row's details are read when it is first shown: its texts are those a look at the add would have given.
    // A file changed between the add and the display shows how it is when read; a row read at the add (the
    // ignored attributes are looked at then) keeps what it read.
    void detailsShowTheFileAsFirstRead_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("length");
        QTest::addColumn<QDateTime>("written");
        QTest::addColumn<int>("attributes");
        QTest::addColumn<bool>("readAtAdd");
        QTest::addColumn<bool>("changedAfterAdd");
        QTest::addColumn<QStringList>("texts");
        const QDateTime morning(QDate(2024, 1, 31), QTime(9, 5, 7));
        QTest::newRow("a plain file") << "a" << 5 << morning << 0 << false << false
                                      << QStringList{"a", "5", "2024/01/31 9:05:07", ""};
        QTest::newRow("read-only, written at midnight, its size in groups")
            << "b" << 1234567 << QDateTime(QDate(2024, 2, 1), QTime(0, 0)) << 1 << false << false
            << QStringList{"b", "1,234,567", "2024/02/01", "R"};
        QTest::newRow("hidden by its name")
            << ".c" << 0 << morning << 0 << false << false << QStringList{".c", "0", "2024/01/31 9:05:07", "H"};
        QTest::newRow("every attribute") << "d" << 1 << morning << (1 | 2 | 4 | 32) << false << false
                                         << QStringList{"d", "1", "2024/01/31 9:05:07", "RHSA"};
        QTest::newRow("changed between the add and the display")
            << "e" << 5 << morning << 0 << false << true << QStringList{"e", "8", "2025/03/04 5:06:07", "A"};
        QTest::newRow("read at the add, changed since")
            << "f" << 5 << morning << 0 << true << true << QStringList{"f", "5", "2024/01/31 9:05:07", ""};
    }
    void detailsShowTheFileAsFirstRead() {
        QFETCH(QString, name);
        QFETCH(int, length);
        QFETCH(QDateTime, written);
        QFETCH(int, attributes);
        QFETCH(bool, readAtAdd);
        QFETCH(bool, changedAfterAdd);
        QFETCH(QStringList, texts);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        auto write = [&](const QByteArray& content, const QDateTime& time, qint32 bits) {
            QVERIFY(m_fs.setAttributes(path, 0) || !QFile::exists(path));
            QVERIFY(TestFiles::write(path, content));
            QVERIFY(m_fs.setFileTime(path, FileTimeKind::LastWrite, time.toSecsSinceEpoch()));
            QVERIFY(m_fs.setAttributes(path, bits));
        };
        write(QByteArray(length, 'x'), written, attributes);
        AddSettings settings;
        settings.ignoredAttributes = readAtAdd ? AttributeBits::kSystem : 0;
        QCOMPARE(add({QString()}, settings, dir.path() + QLatin1Char('/')), 1);
        QCOMPARE(m_model->row(0).details.isRead(), readAtAdd);
        if (changedAfterAdd)
            write("changed!", QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7)), AttributeBits::kArchive);
        QCOMPARE(rowTexts(0), texts);
    }

    // The attributes to ignore are read at the add, and pass over exactly the files that have any of them;
    // folders and links to folders are never added.
    void ignoredAttributesSkipTheSameFiles_data() {
        QTest::addColumn<int>("ignored");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("nothing ignored") << 0 << QStringList{".dot",  "archive", "hidden",   "link",
                                                             "plain", "ra",      "readonly", "system"};
        QTest::newRow("read-only") << 1 << QStringList{".dot", "archive", "hidden", "link", "plain", "system"};
        QTest::newRow("hidden, by the attribute or the name")
            << 2 << QStringList{"archive", "link", "plain", "ra", "readonly", "system"};
        QTest::newRow("system") << 4 << QStringList{".dot", "archive", "hidden", "link", "plain", "ra", "readonly"};
        QTest::newRow("read-only or archive") << 33 << QStringList{".dot", "hidden", "link", "plain", "system"};
        QTest::newRow("the folder bit alone changes nothing")
            << 16 << QStringList{".dot", "archive", "hidden", "link", "plain", "ra", "readonly", "system"};
    }
    void ignoredAttributesSkipTheSameFiles() {
        QFETCH(int, ignored);
        QFETCH(QStringList, added);
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const std::pair<const char*, qint32> files[] = {{"plain", 0},    {"readonly", 1}, {"hidden", 2}, {"system", 4},
                                                        {"archive", 32}, {"ra", 33},      {".dot", 0}};
        for (const auto& [name, bits] : files) {
            QVERIFY(TestFiles::write(folder + QLatin1String(name)));
            QVERIFY(m_fs.setAttributes(folder + QLatin1String(name), bits));
        }
        QVERIFY(QDir(folder).mkdir(QStringLiteral("sub")));
        QVERIFY(QFile::link(folder + QStringLiteral("sub"), folder + QStringLiteral("to-sub")));
        QVERIFY(QFile::link(folder + QStringLiteral("plain"), folder + QStringLiteral("link")));
        AddSettings settings;
        settings.ignoredAttributes = ignored;
        add({QString()}, settings, folder);
        QStringList names;
        for (const FileRow& row : m_model->rows())
            names.append(row.name);
        QCOMPARE(names, added);
    }

    void statusTextsInOrder() {
        AddSettings settings;
        settings.hideList = true;
        add({QStringLiteral("a.txt"), QStringLiteral("README")}, settings);
        QCOMPARE(m_feedback.log,
                 QStringList({QStringLiteral("status:リストに追加中"), QStringLiteral("events"), QStringLiteral("busy"),
                              QStringLiteral("hide"), QStringLiteral("show"), QStringLiteral("idle"),
                              QStringLiteral("status:追加完了"), QStringLiteral("count:2個のファイル")}));
    }

    void emptyBatchDoesNothing() {
        FileAdder adder(*m_model, m_fs, m_prompt);
        QCOMPARE(adder.addPendingFiles({QString(), {QStringLiteral("a.txt")}}, {}, m_feedback), 0);
        QCOMPARE(adder.addPendingFiles({m_root, {}}, {}, m_feedback), 0);
        QVERIFY(m_feedback.log.isEmpty());
    }

    void duplicatesAreExactAndCaseSensitive() {
        add({QStringLiteral("a.txt")});
        QCOMPARE(add({QStringLiteral("a.txt"), QStringLiteral("a.txt")}), 0);
        QCOMPARE(m_model->size(), 1);
        // The same file through a folder text in other letters is another row.
        QDir().mkpath(m_root + QStringLiteral("Case"));
        TestFiles::write(m_root + QStringLiteral("Case/f.txt"));
        add({QStringLiteral("f.txt")}, {}, m_root + QStringLiteral("Case/"));
        FileAdder adder(*m_model, m_fs, m_prompt);
        QVERIFY(!adder.addFileRow(m_root + QStringLiteral("Case/"), QStringLiteral("f.txt")));
        QCOMPARE(m_model->size(), 2);
        // Folder adds meet the duplicate rule too, also within one batch.
        QCOMPARE(add({QString(), QString()}), 3);
        QCOMPARE(m_model->size(), 5);
    }

    void folderAddsItsOwnFilesOnly() {
        add({QStringLiteral("sub")});
        QCOMPARE(listedPaths(*m_model), QStringList({m_root + QStringLiteral("sub/inner.txt")}));
    }

    void fileAfterFolderIsLookedUpInTheBaseFolder() {
        add({QStringLiteral("sub"), QStringLiteral("a.txt"), QStringLiteral("inner.txt")});
        QCOMPARE(listedPaths(*m_model),
                 QStringList({m_root + QStringLiteral("sub/inner.txt"), m_root + QStringLiteral("a.txt")}));
    }

    void emptyNameAddsTheBaseFolder() {
        add({QString()});
        QCOMPARE(m_model->size(), 4);
        for (const FileRow& row : m_model->rows())
            QCOMPARE(row.path, m_root);
    }

    void wildCardFilters_data() {
        QTest::addColumn<QString>("wildCard");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<int>("added");
        QTest::newRow("*.txt refuses README, takes B.TXT") << "*.txt" << QStringList{"README", "B.TXT"} << 1;
        QTest::newRow("*.* takes every chosen file") << "*.*" << QStringList{"README", "B.TXT", "photo.jpg"} << 3;
        QTest::newRow("semicolon list refuses single files") << "*.txt;*.jpg" << QStringList{"photo.jpg"} << 0;
        QTest::newRow("folder search ignores case") << "*.TXT" << QStringList{""} << 2;
        QTest::newRow("semicolon list works in a folder") << "*.txt;*.jpg" << QStringList{""} << 3;
        QTest::newRow("empty filter means everything") << "" << QStringList{""} << 4;
    }
    void wildCardFilters() {
        QFETCH(QString, wildCard);
        QFETCH(QStringList, chosen);
        QFETCH(int, added);
        AddSettings settings;
        settings.wildCard = wildCard;
        QCOMPARE(add(chosen, settings), added);
    }

    void ignoredAttributesSkipFilesEverywhere() {
        AddSettings settings;
        settings.ignoredAttributes = 1;
        QCOMPARE(add({QStringLiteral("B.TXT")}, settings), 0);
        add({QString()}, settings);
        QVERIFY(!listedPaths(*m_model).contains(m_root + QStringLiteral("B.TXT")));
        QCOMPARE(m_model->size(), 3);
        settings.ignoredAttributes = 0;
        add({QStringLiteral("B.TXT")}, settings);
        QCOMPARE(rowTexts(3).last(), QStringLiteral("R"));
    }

    void missingNamesAndVanishedFilesAddNothing() {
        QCOMPARE(add({QStringLiteral("nothing.txt"), QStringLiteral("nothing/")}), 0);
        QVERIFY(m_prompt.shown().isEmpty());
        FaultyFileSystem faulty(m_fs);
        faulty.vanished.insert(m_root + QStringLiteral("a.txt"));
        FileAdder adder(*m_model, faulty, m_prompt);
        QCOMPARE(adder.addPendingFiles({m_root, {QStringLiteral("a.txt"), QStringLiteral("README")}}, {}, m_feedback),
                 1);
        QVERIFY(m_prompt.shown().isEmpty());
    }

    void autoSortSortsEveryRow() {
        add({QStringLiteral("photo.jpg"), QStringLiteral("README")});
        AddSettings settings;
        settings.autoSort = true;
        add({QStringLiteral("a.txt")}, settings);
        QStringList names;
        for (const FileRow& row : m_model->rows())
            names.append(row.name);
        QCOMPARE(names, QStringList({"a.txt", "photo.jpg", "README"}));
        settings.ascending = false;
        add({QStringLiteral("B.TXT")}, settings);
        names.clear();
        for (const FileRow& row : m_model->rows())
            names.append(row.name);
        QCOMPARE(names, QStringList({"README", "photo.jpg", "B.TXT", "a.txt"}));
    }

    void sizesUseGroupsAndSixtyFourBits() {
        QCOMPARE(formatByteCount(0), QStringLiteral("0"));
        QCOMPARE(formatByteCount(999), QStringLiteral("999"));
        QCOMPARE(formatByteCount(1000), QStringLiteral("1,000"));
        QCOMPARE(formatByteCount(-1234567), QStringLiteral("-1,234,567"));
        QCOMPARE(formatByteCount(1200000), QStringLiteral("1,200,000"));
        QCOMPARE(formatByteCount(Q_INT64_C(3221225472)), QStringLiteral("3,221,225,472"));
        // A sparse file of 3 GiB shows its true size.
        QTemporaryDir dir;
        QFile big(dir.filePath(QStringLiteral("big.bin")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(Q_INT64_C(3221225472)));
        big.close();
        TestFiles::write(dir.filePath(QStringLiteral("empty")));
        add({QStringLiteral("big.bin"), QStringLiteral("empty")}, {}, dir.path() + QLatin1Char('/'));
        QCOMPARE(rowTexts(0).at(1), QStringLiteral("3,221,225,472"));
        QCOMPARE(rowTexts(1).at(1), QStringLiteral("0"));
    }

    void undecodableNamesAreCountedAndReported() {
        QTemporaryDir dir;
        for (const char* bad : {"/x\xff.txt", "/y\xfe.txt"}) {
            const QByteArray path = dir.path().toUtf8() + QByteArray(bad);
            FILE* f = fopen(path.constData(), "w");
            QVERIFY(f != nullptr);
            fclose(f);
        }
        TestFiles::write(dir.filePath(QStringLiteral("ok.txt")));
        QCOMPARE(add({QString()}, {}, dir.path() + QLatin1Char('/')), 1);
        QCOMPARE(m_prompt.shown().size(), 1);
        QCOMPARE(m_prompt.shown().at(0).text,
                 QStringLiteral("名前を UTF-8 として読めないファイルが 2 個あったため、リストに追加しませんでした。"));
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected"); // relative to the test folder
        QTest::newRow("space inside a path") << QStringList{"with space/x y.txt"} << QStringList{"with space/x y.txt"};
        QTest::newRow("files from two folders keep their folders")
            << QStringList{"other/z.txt", "a.txt", "sub/inner.txt"}
            << QStringList{"other/z.txt", "a.txt", "sub/inner.txt"};
        QTest::newRow("a folder adds its files") << QStringList{"sub/"} << QStringList{"sub/inner.txt"};
        QTest::newRow("a missing path adds nothing") << QStringList{"missing.txt", "a.txt"} << QStringList{"a.txt"};
        QTest::newRow("dot-dot is taken apart") << QStringList{"sub/../README"} << QStringList{"README"};
        QTest::newRow("empty arguments are passed over") << QStringList{"", "README"} << QStringList{"README"};
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        const PendingBatch batch = prepareCommandLine(m_fs, arguments, m_dir.path());
        FileAdder adder(*m_model, m_fs, m_prompt);
        adder.addPendingFiles(batch, {}, m_feedback);
        QStringList relative;
        for (const QString& path : listedPaths(*m_model))
            relative.append(path.mid(m_root.size()));
        QCOMPARE(relative, expected);
    }

    void commandLineBaseFolderIsTheLastOnes() {
        const PendingBatch batch =
            prepareCommandLine(m_fs, {m_root + QStringLiteral("a.txt"), QStringLiteral("sub/inner.txt")}, m_dir.path());
        QCOMPARE(batch.baseFolder, m_root + QStringLiteral("sub/"));
        QCOMPARE(prepareCommandLine(m_fs, {}, m_dir.path()).baseFolder, QString());
    }

    // The names as the command line passes them on.
    void commandLineNames_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");             // each after the test folder's path
        QTest::addColumn<QStringList>("storedInOtherLetters"); // "path as given=stored name"
        QTest::newRow("relative names keep their spelling")
            << QStringList{"a.txt", "README", "B.TXT"} << QStringList{"/a.txt", "/README", "/B.TXT"} << QStringList{};
        QTest::newRow("dot-dot is taken apart") << QStringList{"sub/../B.TXT", "sub/deeper/../inner.txt"}
                                                << QStringList{"/B.TXT", "/sub/inner.txt"} << QStringList{};
        QTest::newRow("a missing path stays as given, cleaned")
            << QStringList{"a.txt", "missing.txt", "sub/../gone/x.txt", "README"}
            << QStringList{"/a.txt", "/missing.txt", "/gone/x.txt", "/README"} << QStringList{};
        QTest::newRow("paths of two folders mixed")
            << QStringList{"sub/inner.txt", "a.txt", "sub/deeper/deep.txt", "README", "sub/inner.txt"}
            << QStringList{"/sub/inner.txt", "/a.txt", "/sub/deeper/deep.txt", "/README", "/sub/inner.txt"}
            << QStringList{};
        QTest::newRow("a folder named as a path loses its closing slash")
            << QStringList{"sub/", "with space", ".", "sub/deeper"}
            << QStringList{"/sub", "/with space", "", "/sub/deeper"} << QStringList{};
        QTest::newRow("the root stays the root") << QStringList{"/"} << QStringList{"/"} << QStringList{};
        QTest::newRow("a link to a folder stays a link")
            << QStringList{"linked/inner.txt", "linked", "a.txt"}
            << QStringList{"/linked/inner.txt", "/linked", "/a.txt"} << QStringList{};
        QTest::newRow("a file stored in other letters takes them")
            << QStringList{"README", "photo.jpg", "a.txt"} << QStringList{"/README", "/Photo.JPG", "/a.txt"}
            << QStringList{"photo.jpg=Photo.JPG"};
        QTest::newRow("a folder stored in other letters takes them")
            << QStringList{"sub/inner.txt", "sub/deeper/deep.txt", "sub"}
            << QStringList{"/Sub/inner.txt", "/Sub/deeper/deep.txt", "/Sub"} << QStringList{"sub=Sub"};
    }
    void commandLineNames() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, storedInOtherLetters);
        CountingFileSystem fs(m_fs);
        for (const QString& stored : storedInOtherLetters)
            fs.storedInOtherLetters.insert(m_root + stored.section(QLatin1Char('='), 0, 0),
                                           stored.section(QLatin1Char('='), 1));
        QStringList names;
        for (const QString& name : prepareCommandLine(fs, arguments, m_dir.path()).names)
            names.append(name.startsWith(m_dir.path()) ? name.mid(m_dir.path().size()) : name);
        QCOMPARE(names, expected);
        // Only a name not listed under the spelling given costs a read of its own.
        QCOMPARE_LE(fs.mostReadsOfOneFolder(), 2 + storedInOtherLetters.size());
    }

    // Paths given one by one, as a shell glob passes them, cost what their folder costs: however many
    // there are, each folder is read at most twice and each file looked at once.
    void manyPathsOfOneFolder_data() {
        QTest::addColumn<QString>("currentFolder"); // under the files' parent
        QTest::addColumn<QString>("prefix");        // before each file name, with the parent for %1
        QTest::newRow("names relative to the current folder") << "many"
                                                              << "";
        QTest::newRow("names under a folder of the current folder") << ""
                                                                    << "many/";
        QTest::newRow("absolute paths") << ""
                                        << "%1/many/";
    }
    void manyPathsOfOneFolder() {
        QFETCH(QString, currentFolder);
        QFETCH(QString, prefix);
        constexpr int kCount = 1000;
        QTemporaryDir parent;
        QStringList arguments;
        QStringList expected;
        for (int i = 0; i < kCount; ++i) {
            const QString name = QStringLiteral("photo_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
            QVERIFY(TestFiles::write(parent.filePath(QStringLiteral("many/") + name)));
            arguments.append(QString(prefix).replace(QStringLiteral("%1"), parent.path()) + name);
            expected.append(parent.filePath(QStringLiteral("many/") + name));
        }
        CountingFileSystem fs(m_fs);
        const PendingBatch batch = prepareCommandLine(fs, arguments, parent.filePath(currentFolder));
        QCOMPARE(batch.names, expected);
        FileAdder adder(*m_model, fs, m_prompt);
        QCOMPARE(adder.addPendingFiles(batch, {}, m_feedback), kCount);
        QCOMPARE_LE(fs.mostReadsOfOneFolder(), 2);
        QCOMPARE(fs.mostLooksAtOnePath(), 1);
    }

    void longPathNameKeepsStoredNamesAndDropsMissingParts() {
        QCOMPARE(longPathName(m_fs, m_root + QStringLiteral("sub/inner.txt")),
                 m_root + QStringLiteral("sub/inner.txt"));
        QCOMPARE(longPathName(m_fs, m_root + QStringLiteral("sub/")), m_root + QStringLiteral("sub"));
        QCOMPARE(longPathName(m_fs, m_root + QStringLiteral("gone/inner.txt")), m_dir.path());
        QCOMPARE(longPathName(m_fs, QStringLiteral("/")), QStringLiteral("/"));
        // A link stays a link.
        QTemporaryDir other;
        const QString link = other.filePath(QStringLiteral("linked"));
        QVERIFY(QFile::link(m_root + QStringLiteral("sub"), link));
        QCOMPARE(longPathName(m_fs, link + QStringLiteral("/inner.txt")), link + QStringLiteral("/inner.txt"));
    }

    void dialogSelection() {
        const PendingBatch one = splitDialogSelection({m_root + QStringLiteral("a.txt")});
        QCOMPARE(one.baseFolder, m_root);
        QCOMPARE(one.names, QStringList({QStringLiteral("a.txt")}));
        const PendingBatch several = splitDialogSelection(
            {m_root + QStringLiteral("a.txt"), m_root + QStringLiteral("README"), m_root + QStringLiteral("sub/x")});
        QCOMPARE(several.names,
                 QStringList({QStringLiteral("a.txt"), QStringLiteral("README"), m_root + QStringLiteral("sub/x")}));
        QVERIFY(splitDialogSelection({}).baseFolder.isEmpty());
    }

    void wildCardPrompt_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::addColumn<QString>("result");
        QTest::newRow("an answer is taken") << std::optional<QString>(QStringLiteral("*.jpg")) << "*.jpg";
        QTest::newRow("blank means everything") << std::optional<QString>(QString()) << "*.*";
        QTest::newRow("cancel means blank") << std::optional<QString>() << "*.*";
        QTest::newRow("spaces stay as they are") << std::optional<QString>(QStringLiteral("  ")) << "  ";
    }
    void wildCardPrompt() {
        QFETCH(std::optional<QString>, answer);
        QFETCH(QString, result);
        m_prompt.queueInput(answer);
        QCOMPARE(askWildCard(m_prompt, QStringLiteral("*.txt")), result);
        QCOMPARE(m_prompt.shown().size(), 1);
        const auto& shown = m_prompt.shown().at(0);
        QCOMPARE(shown.title, QStringLiteral("ﾌｧｲﾙ名の設定"));
        QCOMPARE(shown.preset, QStringLiteral("*.txt"));
        QCOMPARE(shown.text,
                 QStringLiteral("追加可能なファイル名をワイルドカード文字(*,?)を使って設定してください。\r\n"
                                "（空白にすると、'*.*'を指定したことになります。）\r\n\r\n"
                                "注意：「ｷｬﾝｾﾙ」を選択すると、空白を指定したことになります。"));
    }

    void ignoredAttributeMask() {
        const bool readOnlyAndArchive[6] = {true, false, false, false, false, true};
        QCOMPARE(ignoredAttributesFromChecks(readOnlyAndArchive), 33);
    }

    void modelEditsKeepTheDuplicateIndex() {
        add({QStringLiteral("a.txt"), QStringLiteral("README")});
        FileRow renamed = m_model->row(0);
        renamed.name = QStringLiteral("renamed.txt");
        m_model->replaceRow(0, renamed);
        QVERIFY(!m_model->contains(m_root, QStringLiteral("a.txt")));
        QVERIFY(m_model->contains(m_root, QStringLiteral("renamed.txt")));
        m_model->swapRows(0, 1);
        QCOMPARE(m_model->row(0).name, QStringLiteral("README"));
        m_model->removeRowAt(0);
        QVERIFY(!m_model->contains(m_root, QStringLiteral("README")));
        m_model->clear();
        QCOMPARE(add({QStringLiteral("a.txt")}), 1);
    }

    void movedRowsAreFoundByTheirNewPaths() {
        QCOMPARE(add({QStringLiteral("a.txt"), QStringLiteral("README"), QStringLiteral("photo.jpg")}), 3);
        m_model->moveRowFile(0, m_root, QStringLiteral("x.txt"));
        // Row 1 takes the name that row 0 has just left.
        m_model->moveRowFile(1, m_root, QStringLiteral("a.txt"));
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("x.txt")), std::optional<qsizetype>(0));
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("a.txt")), std::optional<qsizetype>(1));
        QVERIFY(!m_model->findRow(m_root + QStringLiteral("README")));
        QVERIFY(!m_model->contains(m_root, QStringLiteral("README")));
        // The name a row has left can be listed again; a name still listed cannot.
        QCOMPARE(add({QStringLiteral("README"), QStringLiteral("photo.jpg")}), 1);
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("README")), std::optional<qsizetype>(3));

        m_model->removeRowAt(0);
        QVERIFY(!m_model->findRow(m_root + QStringLiteral("x.txt")));
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("README")), std::optional<qsizetype>(2));
        m_model->moveRowFile(2, m_root, QStringLiteral("b.txt"));
        m_model->sortByName(true);
        QCOMPARE(listedPaths(*m_model), QStringList({m_root + QStringLiteral("a.txt"), m_root + QStringLiteral("b.txt"),
                                                     m_root + QStringLiteral("photo.jpg")}));
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("b.txt")), std::optional<qsizetype>(1));
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("photo.jpg")), std::optional<qsizetype>(2));
        QVERIFY(!m_model->findRow(m_root + QStringLiteral("README")));
    }

    void manyMovesOfOneRowLeaveOnlyItsLastPath() {
        QCOMPARE(add({QStringLiteral("a.txt"), QStringLiteral("README")}), 2);
        for (int i = 0; i < 3000; ++i) {
            m_model->moveRowFile(0, m_root, QStringLiteral("n%1.txt").arg(i));
            if (i % 7 == 0)
                QCOMPARE(m_model->findRow(m_root + QStringLiteral("n%1.txt").arg(i)), std::optional<qsizetype>(0));
        }
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("n2999.txt")), std::optional<qsizetype>(0));
        QVERIFY(!m_model->findRow(m_root + QStringLiteral("n2998.txt")));
        QVERIFY(!m_model->findRow(m_root + QStringLiteral("a.txt")));
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("README")), std::optional<qsizetype>(1));
        QCOMPARE(add({QStringLiteral("a.txt")}), 1);
    }

    // Random edits of the list against a plain list of (folder, name) pairs: the look-ups by key, kept up
    // lazily, must always agree with the rows, whatever order of appends, moves, removals and sorts. A row
    // is moved only onto a key no other row has, as a run does (files of a plan never replace each other).
    void lookUpsFollowRandomEdits() {
        QRandomGenerator random(42);
        const QStringList folders{"/a/", "/b/"};
        const QStringList names{"x", "X", "y", "z.txt", "1"};
        auto any = [&](const QStringList& list) {
            return list.at(random.bounded(list.size()));
        };
        FileListModel model(m_fs);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::vector<std::pair<QString, QString>> reference;
        auto has = [&reference](const QString& folder, const QString& name) {
            return std::find(reference.begin(), reference.end(), std::pair{folder, name}) != reference.end();
        };
        for (int step = 0; step < 4000; ++step) {
            const QString folder = any(folders);
            const QString name = any(names);
            const auto size = static_cast<qsizetype>(reference.size());
            switch (random.bounded(11)) {
            case 0:
            case 1: {
                const bool fresh = !has(folder, name);
                QCOMPARE(model.appendRow(readRow(name, folder, random.bounded(4))), fresh);
                if (fresh)
                    reference.emplace_back(folder, name);
                break;
            }
            case 2: {
                FileListModel::Appender appender(model);
                for (int k = 0; k < 3; ++k) {
                    const QString f = any(folders);
                    const QString n = any(names);
                    const bool fresh = !has(f, n);
                    QCOMPARE(appender.add(readRow(n, f, random.bounded(4))), fresh);
                    if (fresh)
                        reference.emplace_back(f, n);
                }
                break;
            }
            case 3:
            case 4:
                if (size > 0 && !has(folder, name)) {
                    const qsizetype i = random.bounded(size);
                    model.moveRowFile(i, folder, name);
                    reference[static_cast<std::size_t>(i)] = {folder, name};
                }
                break;
            case 5:
                if (size > 0) {
                    const qsizetype i = random.bounded(size);
                    model.removeRowAt(i);
                    reference.erase(reference.begin() + i);
                }
                break;
            case 6:
                if (size > 0) {
                    std::vector<qsizetype> gone;
                    for (qsizetype i = 0; i < size; ++i) {
                        if (random.bounded(3) == 0)
                            gone.push_back(i);
                    }
                    model.removeRowsAt(gone);
                    for (auto it = gone.rbegin(); it != gone.rend(); ++it)
                        reference.erase(reference.begin() + *it);
                }
                break;
            case 7:
                if (size > 1) {
                    const qsizetype a = random.bounded(size);
                    const qsizetype b = random.bounded(size);
                    model.swapRows(a, b);
                    std::swap(reference[static_cast<std::size_t>(a)], reference[static_cast<std::size_t>(b)]);
                }
                break;
            case 9:
                model.sortByHeader(static_cast<FileColumn>(random.bounded(kFileColumnCount)));
                reference.clear();
                for (const FileRow& row : model.rows())
                    reference.emplace_back(row.path, row.name);
                break;
            case 10:
                if (size > 1) {
                    std::vector<bool> selected(static_cast<std::size_t>(size));
                    for (auto&& flag : selected)
                        flag = random.bounded(3) == 0;
                    const RowMove drop = dropSelectedOnto(selected, random.bounded(size));
                    model.permuteRows(drop.order);
                    const auto before = reference;
                    for (std::size_t i = 0; i < drop.order.size(); ++i)
                        reference[i] = before[static_cast<std::size_t>(drop.order[i])];
                }
                break;
            default:
                if (random.bounded(20) == 0) {
                    model.clear();
                    reference.clear();
                } else {
                    model.sortByName(random.bounded(2) == 0);
                    reference.clear();
                    for (const FileRow& row : model.rows())
                        reference.emplace_back(row.path, row.name);
                }
                break;
            }
            QCOMPARE(model.size(), static_cast<qsizetype>(reference.size()));
            for (std::size_t i = 0; i < reference.size(); ++i)
                QCOMPARE(
                    std::pair(model.row(static_cast<qsizetype>(i)).path, model.row(static_cast<qsizetype>(i)).name),
                    reference[i]);
            for (const QString& f : folders) {
                for (const QString& n : names) {
                    QCOMPARE(model.contains(f, n), has(f, n));
                    const auto found = model.findRow(f + n);
                    QCOMPARE(found.has_value(), has(f, n));
                    if (found)
                        QCOMPARE(reference[static_cast<std::size_t>(*found)], std::pair(f, n));
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestFileAdder)
#include "tst_fileadder.moc"
