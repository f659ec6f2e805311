#include "fakes/ScriptedPrompt.h"
#include "fakes/TestFiles.h"
#include "filelist/FileAdder.h"
#include "filelist/FileListModel.h"
#include "filelist/InPlaceRename.h"
#include "platform/WorkHost.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Records the operations asked for and passes them on.
class RecordingFiles final : public ShellFileOperation {
public:
    explicit RecordingFiles(ShellFileOperation& real)
        : m_real(real) {}
    QStringList calls;

    FileOperationResult run(FileOperation operation,
                            const QStringList& sources,
                            const QStringList& destinations,
                            FileOperationFlags flags) override {
        calls.append(QStringLiteral("%1 %2 > %3 flags %4")
                         .arg(static_cast<int>(operation))
                         .arg(sources.join(u','), destinations.join(u','))
                         .arg(flags.toInt()));
        return m_real.run(operation, sources, destinations, flags);
    }
    int removeUnfinishedCopies(const QString& folder) override { return m_real.removeUnfinishedCopies(folder); }

private:
    ShellFileOperation& m_real;
};

} // namespace

// A name typed into the list renames the row's file; the row follows only a rename that succeeded.
class TestInPlaceRename : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    LinuxFileSystem m_fs;
    ScriptedPrompt m_prompt;
    LinuxShellFileOperation m_realFiles{m_prompt};
    RecordingFiles m_files{m_realFiles};
    std::unique_ptr<FileListModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;

    QStringList onDisk() const {
        return QDir(m_root).entryList(QDir::Files | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path() + QLatin1Char('/');
        TestFiles::write(m_root + QStringLiteral("a.txt"), "a");
        TestFiles::write(m_root + QStringLiteral("taken.txt"), "taken");
        m_model = std::make_unique<FileListModel>(m_fs);
        m_tester = std::make_unique<QAbstractItemModelTester>(m_model.get(),
                                                              QAbstractItemModelTester::FailureReportingMode::QtTest);
        NullWorkHost quiet;
        FileAdder(*m_model, m_fs, m_prompt).addPendingFiles({m_root, {QStringLiteral("a.txt")}}, {}, quiet);
        m_prompt.reset();
        m_files.calls.clear();
    }

    void renamesTheFileAndTheRow() {
        const FileRow before = m_model->row(0);
        QVERIFY(InPlaceRename(*m_model, m_fs, m_files, m_prompt).renameRow(0, QStringLiteral("b c.txt")));
        QCOMPARE(onDisk(), QStringList({"b c.txt", "taken.txt"}));
        QCOMPARE(m_files.calls, QStringList({"4 " + m_root + "a.txt > " + m_root + "b c.txt flags 68"}));
        FileRow expected = before;
        expected.name = QStringLiteral("b c.txt");
        QCOMPARE(m_model->row(0), expected);
        QCOMPARE(m_model->findRow(m_root + QStringLiteral("b c.txt")), std::optional<qsizetype>(0));
        QVERIFY(!m_model->contains(m_root, QStringLiteral("a.txt")));
        QVERIFY(m_prompt.shown().isEmpty());
    }

    // Refused names: a message, nothing asked of the system, the row and the disk as they were.
    void refusedNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("an empty name") << ""
                                       << "名前を記入してください。";
        QTest::newRow("a name with a slash would move the file") << "../a.txt"
                                                                 << "ファイル名に「/」や NUL 文字は使えません。";
        QTest::newRow("a name with NUL would be cut short")
            << QStringLiteral("b") + QChar(u'\0') + QStringLiteral("x") << "ファイル名に「/」や NUL 文字は使えません。";
        QTest::newRow("the folder itself") << "."
                                           << "「.」はファイル名に使えません。";
        QTest::newRow("the folder above") << ".."
                                          << "「..」はファイル名に使えません。";
        QTest::newRow("a name another file has is never replaced") << "taken.txt"
                                                                   << "「taken.txt」は既に存在します。";
    }
    void refusedNames() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        const FileRow before = m_model->row(0);
        QVERIFY(!InPlaceRename(*m_model, m_fs, m_files, m_prompt).renameRow(0, name));
        QCOMPARE(m_prompt.texts(), QStringList({message}));
        QCOMPARE(m_prompt.shown().at(0).title, QStringLiteral("Tokrenu"));
        QCOMPARE(m_prompt.shown().at(0).icon, PromptIcon::Critical);
        QVERIFY(m_files.calls.isEmpty());
        QCOMPARE(m_model->row(0), before);
        QCOMPARE(onDisk(), QStringList({"a.txt", "taken.txt"}));
        QCOMPARE(TestFiles::read(m_root + QStringLiteral("taken.txt")), QByteArray("taken"));
    }

    void fileDeletedMeanwhileFailsAndTheRowStays() {
        QVERIFY(QFile::remove(m_root + QStringLiteral("a.txt")));
        QVERIFY(!InPlaceRename(*m_model, m_fs, m_files, m_prompt).renameRow(0, QStringLiteral("new.txt")));
        QCOMPARE(m_model->row(0).name, QStringLiteral("a.txt"));
        QCOMPARE(onDisk(), QStringList({"taken.txt"}));
        // The operation said why; nothing more is added.
        QCOMPARE(m_prompt.shown().size(), 1);
        QVERIFY(
            m_prompt.shown().at(0).text.startsWith(QStringLiteral("「") + m_root + QStringLiteral("a.txt」の名前を")));
    }

    void theSameNameTouchesNothing() {
        QVERIFY(InPlaceRename(*m_model, m_fs, m_files, m_prompt).renameRow(0, QStringLiteral("a.txt")));
        QVERIFY(m_files.calls.isEmpty());
        QVERIFY(m_prompt.shown().isEmpty());
    }

    void otherLettersOfTheSameNameAreARename() {
        QVERIFY(InPlaceRename(*m_model, m_fs, m_files, m_prompt).renameRow(0, QStringLiteral("A.TXT")));
        QCOMPARE(onDisk(), QStringList({"A.TXT", "taken.txt"}));
        QCOMPARE(m_model->row(0).name, QStringLiteral("A.TXT"));
    }
};

QTEST_GUILESS_MAIN(TestInPlaceRename)
#include "tst_inplacerename.moc"
