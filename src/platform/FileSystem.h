#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

enum class FileTimeKind : std::uint8_t {
    Creation = 0,
    LastAccess = 1,
    LastWrite = 2,
};

// Any value other than 0 or 1 means the last-write time.
FileTimeKind fileTimeKindFromInt(int kind);

// What one look at a path tells: attribute bits (including the directory bit), length and last-write time.
struct FileStatus {
    qint32 attributes = 0;
    qint64 size = 0;
    qint64 lastWriteSecs = 0; // seconds since the epoch
};

// One entry of a folder listing, as the listing itself tells it: no look at the file is needed.
struct FolderEntry {
    QString name;
    bool folder = false; // a folder, or a link to one
};

// Which file a path is: its device and inode numbers.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(FileIdentity, FileIdentity) = default;
};

// The entries of one folder by name with their identities, from one reading of it. Each name is kept beside its
// identity in one block, so that a folder of many files costs a few allocations rather than one per file. The
// table that finds them keeps each name's hash with its place in the block: a look-up compares texts only where
// the hashes agree, and so touches the block once rather than once for every name it passes on the way.
class ListedIdentities {
public:
    // Entries are added while the folder is read, and can be looked up once it is done.
    void add(QStringView name, FileIdentity identity);
    void add(QLatin1StringView name, FileIdentity identity);
    void done();

    [[nodiscard]] std::optional<FileIdentity> find(QStringView name) const;
    // What find tells of each name, into found: the table's places for a few names are fetched while the names
    // before them are compared, so that a long run of look-ups waits on memory less.
    void findEach(const std::vector<QStringView>& names, std::optional<FileIdentity>* found) const;
    [[nodiscard]] qsizetype size() const { return m_count; }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t record = 0; // where the entry's record starts in m_records, plus one; 0 for an empty slot
    };
    // A record: the identity's device and inode (four units each), the name's length (two), the name.
    static constexpr std::size_t kHeaderUnits = 10;
    // Room for a record of a name of length units; where its name goes.
    char16_t* addRecord(qsizetype length, FileIdentity identity);
    [[nodiscard]] QStringView nameAt(std::size_t record) const;
    [[nodiscard]] std::optional<FileIdentity> findFrom(QStringView name, std::uint64_t hash) const;
    [[nodiscard]] FileIdentity identityAt(std::size_t record) const;

    std::vector<char16_t> m_records;
    std::vector<Slot> m_slots; // a power of two of them, at most half in use
    qsizetype m_count = 0;
};

// The longest name a folder entry may have, in bytes of UTF-8.
constexpr qsizetype kMaxNameBytes = 255;

struct FolderListing {
    std::vector<FolderEntry> entries;
    // Entries whose names are not valid UTF-8; they are never listed.
    int skippedUndecodable = 0;
};

// The file system as the program sees it. Paths are absolute, '/'-separated; times are whole seconds.
// Nothing here follows a symbolic link: a link is an entry of its own.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Attribute bits of the path, or AttributeBits::kMissing when it cannot be read.
    [[nodiscard]] virtual qint32 attributes(const QString& path) const = 0;
    // Sets read-only, hidden, system and archive as given; false when any part was refused.
    [[nodiscard]] virtual bool setAttributes(const QString& path, qint32 bits) = 0;

    [[nodiscard]] virtual std::optional<FileStatus> status(const QString& path) const = 0;
    // The status of each name in folder (ending in '/'), in the order of names, from one opening of the folder;
    // nothing for a name that is not there. The default looks at each path on its own.
    [[nodiscard]] virtual std::vector<std::optional<FileStatus>> statusesIn(const QString& folder,
                                                                            const QStringList& names) const;
    // Whether anything is at the path, looked at as cheaply as the system allows.
    [[nodiscard]] virtual bool exists(const QString& path) const = 0;

    [[nodiscard]] virtual std::optional<qint64> fileTime(const QString& path, FileTimeKind kind) const = 0;
    [[nodiscard]] virtual bool setFileTime(const QString& path, FileTimeKind kind, qint64 secsSinceEpoch) = 0;

    // The entries of folder whose names match the folder wildcard rule, in name order (letter case
    // ignored first); "." and ".." never appear.
    // A folder that cannot be read gives an empty listing.
    [[nodiscard]] virtual FolderListing findFiles(const QString& folder, const QString& wildcard) const = 0;

    // The folders directly inside folder, in the order of findFiles. Links to folders are left out, so that a
    // walk down the tree stays inside it and ends; empty when the folder cannot be read.
    [[nodiscard]] virtual QStringList subfolderNames(const QString& folder) const = 0;

    // The names in a folder, without looking at the entries themselves; empty when it cannot be read.
    [[nodiscard]] virtual QStringList entryNames(const QString& folder) const = 0;

    // The name of the last component of path as its directory stores it, or nothing when it does not exist.
    [[nodiscard]] virtual std::optional<QString> storedName(const QString& path) const = 0;

    // The folder a folder text leads to, links followed; nothing when it cannot be looked at.
    [[nodiscard]] virtual std::optional<FileIdentity> folderIdentity(const QString& folder) const = 0;
    // Which file the path is, the path itself and not where a link leads; nothing when it cannot be looked at.
    [[nodiscard]] virtual std::optional<FileIdentity> fileIdentity(const QString& path) const = 0;
    // The entries of a folder by name with their identities, from one reading of the folder; nothing on a
    // file system whose listing does not give the files' own (an overlay, a FUSE file system) or where the
    // platform cannot tell. A file mounted onto an entry shows what lies under it: an identity that differs
    // from the one sought is to be confirmed with fileIdentity. A run asks for it on a thread of its own, while
    // its own thread asks for identities and statuses.
    [[nodiscard]] virtual std::optional<ListedIdentities> listedIdentities(const QString& folder) const {
        Q_UNUSED(folder)
        return std::nullopt;
    }
    // The mount a folder is reached through, links followed: a rename cannot leave it, so a file moved to a
    // folder of another mount is a new file, even on the same file system. Nothing when it cannot be looked at.
    [[nodiscard]] virtual std::optional<std::uint64_t> folderMount(const QString& folder) const = 0;
    // The permission bits the read-only attribute stands for (on Linux the write bits of owner, group and
    // others), so that clearing the attribute can give back exactly those a file had; nothing where the
    // platform has none or the path cannot be looked at.
    [[nodiscard]] virtual std::optional<std::uint32_t> writePermissions(const QString& path) const = 0;
    // Gives the file back such write permissions, its other permission bits left as they are.
    virtual bool restoreWritePermissions(const QString& path, std::uint32_t bits) = 0;
    // Whether two regular files hold the same bytes; false when either cannot be read.
    [[nodiscard]] virtual bool sameContent(const QString& first, const QString& second) const = 0;

    // Why the path cannot be used (the system's text), or an empty text when it can: it exists and, when
    // it is a folder, its entries can be read.
    [[nodiscard]] virtual QString accessProblem(const QString& path) const = 0;

    // Whether this kind of file time can be written at all.
    [[nodiscard]] virtual bool canSetFileTime(FileTimeKind kind) const = 0;
};
