#include "fakes/TestFiles.h"
#include "platform/AttributeBits.h"
#include "platform/FolderWildcard.h"
#include "platform/PlaceKeys.h"
#include "platform/TextKeys.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

QByteArray dosAttrib(const QString& path) {
    char buffer[256];
    const ssize_t n = lgetxattr(path.toUtf8().constData(), "user.DOSATTRIB", buffer, sizeof buffer);
    return n < 0 ? QByteArray() : QByteArray(buffer, n);
}

bool setDosAttrib(const QString& path, const QByteArray& value) {
    return lsetxattr(path.toUtf8().constData(), "user.DOSATTRIB", value.constData(), static_cast<size_t>(value.size()),
                     0) == 0;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    lstat(path.toUtf8().constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

class TestLinuxFileSystem : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LinuxFileSystem m_fs;

    QString file(const QString& name, const QByteArray& content = "x") {
        const QString path = m_dir.filePath(name);
        TestFiles::write(path, content);
        return path;
    }

private Q_SLOTS:
    void folderWildcard_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("wildcard");
        QTest::addColumn<bool>("matches");
        QTest::newRow("*.* takes a name without a dot") << "README"
                                                        << "*.*" << true;
        QTest::newRow("letter case is ignored") << "PHOTO.JPG"
                                                << "*.jpg" << true;
        QTest::newRow("extension must match") << "photo.jpeg"
                                              << "*.jpg" << false;
        QTest::newRow("? is exactly one character") << "a1.txt"
                                                    << "a?.txt" << true;
        QTest::newRow("? needs a character") << "a.txt"
                                             << "a?.txt" << false;
        QTest::newRow("# is no digit class here") << "a1"
                                                  << "a#" << false;
        QTest::newRow("brackets are plain characters") << "[a]"
                                                       << "[a]" << true;
        QTest::newRow("name.* also takes the bare name") << "readme"
                                                         << "readme.*" << true;
        QTest::newRow("several stars backtrack") << "abcabcabd"
                                                 << "*abc*abd" << true;
        QTest::newRow("patterns joined by ;") << "b.png"
                                              << "*.jpg;*.png" << true;
        QTest::newRow("no pattern of the list fits") << "b.gif"
                                                     << "*.jpg; *.png" << false;
        QTest::newRow("full-width letters fold too") << "ＡＢ.txt"
                                                     << "ａｂ.TXT" << true;
    }
    void folderWildcard() {
        QFETCH(QString, name);
        QFETCH(QString, wildcard);
        QFETCH(bool, matches);
        QCOMPARE(matchesFolderWildcard(name, wildcard), matches);
    }

    void dosAttributeValues_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("binary");
        QTest::newRow("Wine's text form") << QByteArray("0x22") << 0x22 << false;
        QTest::newRow("upper-case hex") << QByteArray("0X6") << 6 << false;
        QTest::newRow("Samba record with hex text") << QByteArray("0x20\0\x03\x00", 7) << 0x20 << true;
        // Empty text, version 1 at offset 2, attributes at offset 4.
        QTest::newRow("Samba version 1 without text") << QByteArray("\0\0\x01\x00\x22\x00\x00\x00", 8) << 0x22 << true;
        // Empty text, version 4: valid flags at offset 4, attributes at offset 8.
        QTest::newRow("Samba version 4 without text")
            << QByteArray("\0\0\x04\x00\xff\xff\xff\xff\x06\x00\x00\x00", 12) << 6 << true;
        QTest::newRow("garbage reads as nothing") << QByteArray("zz") << 0 << false;
    }
    void dosAttributeValues() {
        QFETCH(QByteArray, value);
        QFETCH(int, bits);
        QFETCH(bool, binary);
        const DosAttributeValue parsed = parseDosAttributes(value);
        QCOMPARE(parsed.bits, bits);
        QCOMPARE(parsed.binary, binary);
    }

    void attributesRoundTripOnRealFiles_data() {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("read-only alone leaves no extended attribute") << 1 << QByteArray();
        QTest::newRow("hidden") << 2 << QByteArray("0x2");
        QTest::newRow("system and archive") << 36 << QByteArray("0x24");
        QTest::newRow("all four") << 39 << QByteArray("0x26");
        QTest::newRow("none") << 0 << QByteArray();
    }
    void attributesRoundTripOnRealFiles() {
        QFETCH(int, bits);
        QFETCH(QByteArray, stored);
        const QString path = file(QStringLiteral("rt.txt"));
        QVERIFY(m_fs.setAttributes(path, 32)); // something to replace
        QVERIFY(m_fs.setAttributes(path, bits));
        QCOMPARE(m_fs.attributes(path), bits);
        QCOMPARE(dosAttrib(path), stored);
        QCOMPARE((modeOf(path) & 0222) == 0, (bits & 1) != 0);
        QVERIFY(m_fs.setAttributes(path, 0));
        QFile::remove(path);
    }

    void readOnlyIsTheAbsenceOfEveryWriteBit() {
        const QString path = file(QStringLiteral("ro.txt"));
        chmod(path.toUtf8().constData(), 0644);
        QCOMPARE(m_fs.attributes(path) & 1, 0);
        chmod(path.toUtf8().constData(), 0604); // others may still write: not read-only
        QCOMPARE(m_fs.attributes(path) & 1, 0);
        chmod(path.toUtf8().constData(), 0444);
        QCOMPARE(m_fs.attributes(path) & 1, 1);
        // Clearing R gives the owner write permission back and nothing more.
        QVERIFY(m_fs.setAttributes(path, 0));
        QCOMPARE(modeOf(path), static_cast<mode_t>(0644));
        // Setting it takes every write bit away.
        chmod(path.toUtf8().constData(), 0666);
        QVERIFY(m_fs.setAttributes(path, 1));
        QCOMPARE(modeOf(path), static_cast<mode_t>(0444));
    }

    void readOnlyFileStillGetsHiddenAndLosesReadOnly() {
        const QString path = file(QStringLiteral("ro-hidden.txt"));
        QVERIFY(m_fs.setAttributes(path, 1));
        QVERIFY(m_fs.setAttributes(path, 1 | 2));
        QCOMPARE(m_fs.attributes(path), 3);
        QVERIFY(m_fs.setAttributes(path, 2));
        QCOMPARE(m_fs.attributes(path), 2);
    }

    void dotNamesReadAsHidden() {
        const QString path = file(QStringLiteral(".profile"));
        QCOMPARE(m_fs.attributes(path), 2);
        // Hidden is kept by the name, so nothing is written for it.
        QVERIFY(m_fs.setAttributes(path, 2 | 32));
        QCOMPARE(dosAttrib(path), QByteArray("0x20"));
        QCOMPARE(m_fs.attributes(path), 34);
    }

    void directoriesAndMissingPaths() {
        QDir(m_dir.path()).mkdir(QStringLiteral("sub"));
        QCOMPARE(m_fs.attributes(m_dir.filePath(QStringLiteral("sub"))) & AttributeBits::kDirectory,
                 AttributeBits::kDirectory);
        QCOMPARE(m_fs.attributes(m_dir.filePath(QStringLiteral("nothing"))), -1);
        QVERIFY(!m_fs.setAttributes(m_dir.filePath(QStringLiteral("nothing")), 1));
        QVERIFY(!m_fs.status(m_dir.filePath(QStringLiteral("nothing"))).has_value());
    }

    void sambaRecordIsReadButNeverRewritten() {
        const QString path = file(QStringLiteral("samba.txt"));
        const QByteArray record("0x20\0\x04\x00\x01\x02\x03\x04", 11);
        QVERIFY(setDosAttrib(path, record));
        QCOMPARE(m_fs.attributes(path), 32);
        QVERIFY(!m_fs.setAttributes(path, 2));
        QCOMPARE(dosAttrib(path), record);
        // Read-only alone is a permission change and still works.
        QVERIFY(m_fs.setAttributes(path, 1 | 32));
        QCOMPARE(m_fs.attributes(path), 33);
        QCOMPARE(dosAttrib(path), record);
    }

    void symbolicLinksRefuseExtendedAttributes() {
        const QString target = file(QStringLiteral("target.txt"));
        const QString link = m_dir.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(target, link));
        QCOMPARE(m_fs.attributes(link), 0);
        QVERIFY(!m_fs.setAttributes(link, 2));
        QVERIFY(!m_fs.setAttributes(link, 1));
        QCOMPARE(m_fs.attributes(target), 0); // the target was left alone
        QVERIFY(m_fs.setAttributes(link, 0)); // nothing to change is no failure
    }

    // The listing tells files from folders (and links to folders) by itself; the statuses of a folder's names,
    // read together, are what a look at each path gives.
    void findFilesListsWhatMatches() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        TestFiles::write(folder + QStringLiteral("a.txt"), "12345");
        TestFiles::write(folder + QStringLiteral("c.jpg"));
        TestFiles::write(folder + QStringLiteral("b.TXT"));
        QDir(dir.path()).mkdir(QStringLiteral("d.txt"));
        QVERIFY(QFile::link(folder + QStringLiteral("d.txt"), folder + QStringLiteral("e.txt")));
        QVERIFY(QFile::link(folder + QStringLiteral("a.txt"), folder + QStringLiteral("f.txt")));
        const FolderListing listing = m_fs.findFiles(folder, QStringLiteral("*.txt"));
        QStringList names;
        QStringList folders;
        for (const FolderEntry& entry : listing.entries) {
            names.append(entry.name);
            if (entry.folder)
                folders.append(entry.name);
        }
        QCOMPARE(names, QStringList({"a.txt", "b.TXT", "d.txt", "e.txt", "f.txt"}));
        QCOMPARE(folders, QStringList({"d.txt", "e.txt"}));
        QCOMPARE(m_fs.findFiles(dir.filePath(QStringLiteral("none/")), QStringLiteral("*.*")).entries.size(), 0u);

        QVERIFY(
            m_fs.setAttributes(folder + QStringLiteral("b.TXT"), AttributeBits::kHidden | AttributeBits::kReadOnly));
        names.append(QStringLiteral("gone.txt"));
        const std::vector<std::optional<FileStatus>> statuses = m_fs.statusesIn(folder, names);
        QCOMPARE(statuses.size(), std::size_t(names.size()));
        for (qsizetype i = 0; i < names.size(); ++i) {
            const std::optional<FileStatus> alone = m_fs.status(folder + names.at(i));
            const std::optional<FileStatus>& together = statuses[static_cast<std::size_t>(i)];
            QCOMPARE(together.has_value(), alone.has_value());
            if (alone) {
                QCOMPARE(together->attributes, alone->attributes);
                QCOMPARE(together->size, alone->size);
                QCOMPARE(together->lastWriteSecs, alone->lastWriteSecs);
            }
        }
        QCOMPARE(statuses[0]->size, 5);
        QCOMPARE(statuses[1]->attributes, AttributeBits::kHidden | AttributeBits::kReadOnly);
        QCOMPARE(statuses[3]->attributes, AttributeBits::kDirectory);
        QVERIFY(!statuses.back().has_value());
        QCOMPARE(m_fs.statusesIn(folder + QStringLiteral("none/"), names).front(), std::nullopt);
    }

    // A folder lists its files with letter case ignored first; names that differ only in it come in the order of
    // their UTF-16 units.
    void listingsInNameOrder() {
        QTemporaryDir dir;
        for (const char16_t* name : {u"b", u"Z", u"A", u"\u00e4", u"a", u"B", u"a2"})
            TestFiles::write(dir.path() + u'/' + QString::fromUtf16(name));
        QStringList names;
        for (const FolderEntry& entry : m_fs.findFiles(dir.path(), QStringLiteral("*")).entries)
            names.append(entry.name);
        const QStringList expected{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("a2"), QStringLiteral("B"),
                                   QStringLiteral("b"), QStringLiteral("Z"), QString(QChar(0xe4))};
        QCOMPARE(names, expected);
    }

    // Many names that share a long beginning come in the order a comparison of their folded texts gives, and
    // of the names themselves where those are equal: with characters that fit in a byte after the shared
    // beginning, and with ones that do not.
    void manyNamesInNameOrder_data() {
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("bytes") << QStringList{"", "a", "A", "b", "\u00e4", "\u00c4", "z", "1", "_", "\x01", "long"};
        QTest::newRow("just over a byte") << QStringList{"", "a", "A", "\u03b1", "\u0391", "b", "\u0101", "\u00ff"};
        QTest::newRow("wider") << QStringList{"", "a", "A", "\u00df", "\uff21", "\uff41", "\U0001F600", "1", "\u00e4"};
    }
    void manyNamesInNameOrder() {
        QFETCH(QStringList, parts);
        QTemporaryDir dir;
        QStringList names;
        const auto n = parts.size();
        for (qsizetype i = 0; i < n * n * n; ++i) {
            const QString name =
                QStringLiteral("IMG_2024_") + parts.at(i % n) + parts.at(i / n % n) + parts.at(i / n / n);
            if (!names.contains(name))
                names.append(name);
        }
        for (const QString& name : std::as_const(names))
            TestFiles::write(dir.path() + u'/' + name);
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            if (const int order = caseFolded(a).compare(caseFolded(b)))
                return order < 0;
            return a < b;
        });
        QStringList listed;
        for (const FolderEntry& entry : m_fs.findFiles(dir.path(), QStringLiteral("*")).entries)
            listed.append(entry.name);
        QCOMPARE(listed, names);
    }

    // A folder's listing finds each of its entries by name with the identity a look at it gives, and nothing
    // else: not a name in other letters, nor one that only begins or ends like a listed one. The folder is too
    // large for one batch of the system's entries, and names looked up together find the same.
    void listedIdentitiesFindEachEntryByName() {
        QTemporaryDir dir;
        QStringList names{QStringLiteral("\u540d\u524d.txt"), QStringLiteral("sub")};
        for (int i = 0; i < 1000; ++i)
            names.append(QStringLiteral("a-name-long-enough-to-need-more-than-one-batch-%1.txt").arg(i));
        for (const QString& name : names) {
            if (name == QStringLiteral("sub"))
                QVERIFY(QDir(dir.path()).mkdir(name));
            else
                TestFiles::write(dir.filePath(name));
        }
        const std::optional<ListedIdentities> listing = m_fs.listedIdentities(dir.path());
        QVERIFY(listing);
        QCOMPARE(listing->size(), names.size());
        QCOMPARE(m_fs.entryNames(dir.path()).size(), names.size());
        for (const QString& name : names)
            QVERIFY2(listing->find(name) == m_fs.fileIdentity(dir.filePath(name)), qPrintable(name));
        const QString stem = QStringLiteral("a-name-long-enough-to-need-more-than-one-batch-");
        const QStringList absent{stem.toUpper() + QStringLiteral("1.txt"), stem + QStringLiteral("1.tx"),
                                 stem + QStringLiteral("1.txtx"),          QString(),
                                 stem + QStringLiteral("1000.txt"),        QStringLiteral("\u540d")};
        for (const QString& name : absent)
            QVERIFY2(!listing->find(name), qPrintable(name));
        std::vector<QStringView> asked(names.cbegin(), names.cend());
        asked.insert(asked.begin() + 300, absent.cbegin(), absent.cend());
        std::vector<std::optional<FileIdentity>> found(asked.size());
        listing->findEach(asked, found.data());
        for (std::size_t k = 0; k < asked.size(); ++k)
            QVERIFY2(found[k] == listing->find(asked[k]), qPrintable(asked[k].toString()));
    }

    // Where listings are kept, the tables made ahead of a run tell each listed file as a look at it does, and the
    // same again when asked twice; a folder listed again since is told as that later listing says.
    void identitiesMadeAheadAreThoseOfTheListingKept() {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        QStringList names;
        for (int i = 0; i < 40; ++i)
            names.append(QStringLiteral("f%1").arg(i));
        for (const QString& name : std::as_const(names))
            TestFiles::write(folder + name);
        LinuxFileSystem fs;
        fs.keepListings();
        QCOMPARE(fs.findFiles(folder, QStringLiteral("*")).entries.size(), std::size_t(40));
        fs.prepareIdentities();
        for (int round = 0; round < 2; ++round) {
            const std::optional<ListedIdentities> listing = fs.listedIdentities(dir.path());
            QVERIFY(listing);
            QCOMPARE(listing->size(), 40);
            for (const QString& name : std::as_const(names))
                QVERIFY(listing->find(name) == fs.fileIdentity(folder + name));
        }
        fs.prepareIdentities();
        TestFiles::write(folder + QStringLiteral("late"));
        QCOMPARE(fs.findFiles(folder, QStringLiteral("*")).entries.size(), std::size_t(41));
        const std::optional<ListedIdentities> listing = fs.listedIdentities(folder);
        QVERIFY(listing);
        QVERIFY(listing->find(QStringLiteral("late")) == fs.fileIdentity(folder + QStringLiteral("late")));
    }

    // Every spelling of a place has its number, through "." and a link to the folder, and other places other
    // numbers, however far the table grows past what it was told to expect.
    void placesAreNumberedNotSpellings() {
        QTemporaryDir dir;
        const QString root = dir.path() + QLatin1Char('/');
        QVERIFY(QDir(root).mkdir(QStringLiteral("d")));
        QVERIFY(QFile::link(root + QStringLiteral("d"), root + QStringLiteral("link")));
        QStringList paths;
        for (int i = 0; i < 1000; ++i)
            paths.append(root + QStringLiteral("d/f%1").arg(i));
        QStringList spellings;
        for (int i = 999; i >= 0; i -= 3) {
            spellings.append(root + QStringLiteral("d/./f%1").arg(i));
            spellings.append(root + QStringLiteral("link/f%1").arg(i));
            spellings.append(root + QStringLiteral("d/F%1").arg(i));
        }
        PlaceNumbers numbers(m_fs, 0);
        const auto pathAt = [](const QStringList& list) {
            return [&list](std::size_t k) -> const QString& {
                return list[static_cast<qsizetype>(k)];
            };
        };
        const std::vector<qsizetype> first = numbers.number(static_cast<std::size_t>(paths.size()), pathAt(paths));
        const std::vector<qsizetype> again =
            numbers.number(static_cast<std::size_t>(spellings.size()), pathAt(spellings));
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(first[static_cast<std::size_t>(i)], i);
        for (std::size_t k = 0; k + 2 < again.size(); k += 3) {
            const qsizetype place = first[static_cast<std::size_t>(999 - k)];
            QCOMPARE(again[k], place);
            QCOMPARE(again[k + 1], place);
            QCOMPARE(again[k + 2], 1000 + static_cast<qsizetype>(k / 3));
        }
        QCOMPARE(numbers.count(), 1000 + spellings.size() / 3);
    }

    // A name listed twice counts once, as its last listing; an empty listing finds nothing, done or not.
    void listedIdentitiesOfOddListings() {
        ListedIdentities none;
        QVERIFY(!none.find(u"a"));
        std::optional<FileIdentity> found = FileIdentity{1, 1};
        none.findEach({u"a"}, &found);
        QVERIFY(!found);
        none.done();
        QVERIFY(!none.find(u"a"));
        QCOMPARE(none.size(), 0);
        ListedIdentities twice;
        twice.add(u"a", {1, 1});
        twice.add(u"b", {1, 2});
        twice.add(u"a", {1, 3});
        twice.done();
        QCOMPARE(twice.size(), 2);
        QVERIFY((twice.find(u"a") == FileIdentity{1, 3}));
        QVERIFY((twice.find(u"b") == FileIdentity{1, 2}));
    }

    void namesThatAreNotUtf8AreCountedNotListed() {
        QTemporaryDir dir;
        const QByteArray bad = dir.path().toUtf8() + "/bad\xff\xfe.txt";
        FILE* f = fopen(bad.constData(), "w");
        QVERIFY(f != nullptr);
        fclose(f);
        TestFiles::write(dir.filePath(QStringLiteral("good.txt")));
        const FolderListing listing = m_fs.findFiles(dir.path(), QStringLiteral("*.*"));
        QCOMPARE(listing.entries.size(), 1u);
        QCOMPARE(listing.skippedUndecodable, 1);
    }

    void aLeadingByteOrderMarkStaysInTheName() {
        QTemporaryDir dir;
        const QByteArray bom = dir.path().toUtf8() + "/\xef\xbb\xbf"
                                                     "bom.txt";
        FILE* f = fopen(bom.constData(), "w");
        QVERIFY(f != nullptr);
        fclose(f);
        const FolderListing listing = m_fs.findFiles(dir.path(), QStringLiteral("*.*"));
        QCOMPARE(listing.entries.size(), 1u);
        QCOMPARE(listing.entries[0].name, QString(QChar(0xfeff)) + QStringLiteral("bom.txt"));
        QCOMPARE(listing.entries[0].name.toUtf8(), QByteArray("\xef\xbb\xbf"
                                                              "bom.txt"));
    }

    void storedNameOfExistingAndMissing() {
        const QString path = file(QStringLiteral("Stored.Name"));
        QCOMPARE(m_fs.storedName(path), std::optional<QString>(QStringLiteral("Stored.Name")));
        QCOMPARE(m_fs.storedName(m_dir.filePath(QStringLiteral("stored.name"))), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestLinuxFileSystem)
#include "tst_linuxfilesystem.moc"
