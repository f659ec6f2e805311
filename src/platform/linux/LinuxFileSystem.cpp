#include "platform/linux/LinuxFileSystem.h"

#include "platform/AttributeBits.h"
#include "platform/FolderWildcard.h"
#include "platform/TextKeys.h"
#include "platform/linux/DosAttributes.h"
#include "platform/linux/FolderReader.h"
#include "platform/linux/NameOrder.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr qint32 kXattrBits = AttributeBits::kHidden | AttributeBits::kSystem | AttributeBits::kArchive;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

QByteArray nativePath(const QString& path) {
    return path.toUtf8();
}

bool hasHiddenName(QByteArrayView path) {
    const void* slash = memrchr(path.data(), '/', static_cast<size_t>(path.size()));
    const char* name = slash == nullptr ? path.data() : static_cast<const char*>(slash) + 1;
    return name < path.data() + path.size() && *name == '.';
}

// Reads user.DOSATTRIB of the path without following a link; nothing when there is none or it cannot be read.
std::optional<DosAttributeValue> readDosAttributes(const char* path) {
    char buffer[256];
    const ssize_t length = lgetxattr(path, kDosAttrib, buffer, sizeof buffer);
    if (length < 0)
        return std::nullopt;
    return parseDosAttributes(QByteArray(buffer, length));
}

// The bits of the entry that name (relative to dirFd, or a whole path with AT_FDCWD) leads to and whose lstat is st;
// path is its whole path, which the extended attribute is read through.
qint32 attributeBits(int dirFd, const char* name, const char* path, const struct stat& st) {
    qint32 bits = 0;
    if (S_ISDIR(st.st_mode))
        bits |= AttributeBits::kDirectory;
    // A link to a folder counts as a folder, as on systems where links are folder entries of their own.
    struct stat target {};
    if (S_ISLNK(st.st_mode) && fstatat(dirFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode))
        bits |= AttributeBits::kDirectory;
    if ((st.st_mode & kWriteBits) == 0)
        bits |= AttributeBits::kReadOnly;
    if (const auto dos = readDosAttributes(path))
        bits |= dos->bits & kXattrBits;
    if (hasHiddenName(path))
        bits |= AttributeBits::kHidden;
    return bits;
}

FileStatus fileStatus(int dirFd, const char* name, const char* path, const struct stat& st) {
    return {attributeBits(dirFd, name, path, st), static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec)};
}

// The device of the folder's files, where the number a listing gives each entry is the file's own inode.
std::optional<std::uint64_t> listedDevice(int dirFd) {
    struct statfs kind {};
    struct stat st {};
    constexpr long kExt4 = 0xEF53;
    constexpr long kXfs = 0x58465342;
    constexpr long kBtrfs = 0x9123683E;
    constexpr long kTmpfs = 0x01021994;
    if (fstatfs(dirFd, &kind) != 0 || fstat(dirFd, &st) != 0 ||
        (kind.f_type != kExt4 && kind.f_type != kXfs && kind.f_type != kBtrfs && kind.f_type != kTmpfs))
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_dev);
}

// A folder as the listings kept are known by: its text, ending in '/'.
QString folderKey(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Whether a listed entry is a folder or a link to one, as the listing tells where it can; nothing when the entry
// is gone since the folder was read.
std::optional<bool> isListedFolder(int dirFd, const struct dirent64& entry) {
    unsigned char type = entry.d_type;
    if (type == DT_UNKNOWN) {
        struct stat st {};
        if (fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return std::nullopt;
        type = IFTODT(st.st_mode);
    }
    if (type != DT_LNK)
        return type == DT_DIR;
    struct stat target {};
    return fstatat(dirFd, entry.d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
}

// Appends the name's UTF-8 bytes; names are mostly ASCII, which needs no encoder.
void appendNative(std::string& out, const QString& name) {
    if (std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        for (const QChar c : name)
            out += static_cast<char>(c.unicode());
        return;
    }
    const QByteArray bytes = name.toUtf8();
    out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool setReadOnly(const char* path, const struct stat& st, bool readOnly) {
    if (S_ISLNK(st.st_mode))
        return false; // a link has no permission bits of its own
    const mode_t mode = st.st_mode & 07777;
    const mode_t wanted = readOnly ? (mode & ~kWriteBits) : (mode | S_IWUSR);
    return chmod(path, wanted) == 0;
}

// Writes hidden, system and archive; false when the file system or the existing value refuses it.
bool setDosBits(const char* path, const struct stat& st, qint32 bits) {
    const auto current = readDosAttributes(path);
    const qint32 currentBits = current ? (current->bits & kXattrBits) : 0;
    if (currentBits == bits)
        return true;
    if (S_ISLNK(st.st_mode) || (current && current->binary))
        return false;
    if (bits == 0)
        return lremovexattr(path, kDosAttrib) == 0 || errno == ENODATA;
    const QByteArray value = formatDosAttributes(bits);
    return lsetxattr(path, kDosAttrib, value.constData(), static_cast<size_t>(value.size()), 0) == 0;
}

} // namespace

qint32 LinuxFileSystem::attributes(const QString& path) const {
    const QByteArray native = nativePath(path);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0)
        return AttributeBits::kMissing;
    return attributeBits(AT_FDCWD, native.constData(), native.constData(), st);
}

bool LinuxFileSystem::setAttributes(const QString& path, qint32 bits) {
    const QByteArray native = nativePath(path);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0)
        return false;
    const bool wasReadOnly = (st.st_mode & kWriteBits) == 0;
    const bool readOnly = (bits & AttributeBits::kReadOnly) != 0;
    qint32 dosBits = bits & kXattrBits;
    if (hasHiddenName(native))
        dosBits &= ~AttributeBits::kHidden; // the name says so already
    const auto previousDos = readDosAttributes(native.constData());

    // Write permission is needed to change the extended attribute, so it is given back first and taken
    // away last.
    if (wasReadOnly && !readOnly && !setReadOnly(native.constData(), st, false))
        return false;
    if (!setDosBits(native.constData(), st, dosBits)) {
        if (wasReadOnly && !readOnly)
            (void)chmod(native.constData(), st.st_mode & 07777);
        return false;
    }
    if (!wasReadOnly && readOnly && !setReadOnly(native.constData(), st, true)) {
        (void)setDosBits(native.constData(), st, previousDos ? previousDos->bits & kXattrBits : 0);
        return false;
    }
    return true;
}

std::optional<FileStatus> LinuxFileSystem::status(const QString& path) const {
    const QByteArray native = nativePath(path);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0)
        return std::nullopt;
    return fileStatus(AT_FDCWD, native.constData(), native.constData(), st);
}

std::vector<std::optional<FileStatus>> LinuxFileSystem::statusesIn(const QString& folder,
                                                                   const QStringList& names) const {
    std::vector<std::optional<FileStatus>> statuses(static_cast<std::size_t>(names.size()));
    QByteArray prefix = nativePath(folder);
    if (!prefix.endsWith('/'))
        prefix += '/';
    // A handle to look up names from, which needs no permission to read the folder's entries.
    const int dirFd = ::open(prefix.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return statuses;
    std::string full(prefix.constData(), static_cast<std::size_t>(prefix.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        full.resize(static_cast<std::size_t>(prefix.size()));
        appendNative(full, names.at(i));
        const char* name = full.c_str() + prefix.size();
        struct stat st {};
        if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            statuses[static_cast<std::size_t>(i)] = fileStatus(dirFd, name, full.c_str(), st);
    }
    ::close(dirFd);
    return statuses;
}

bool LinuxFileSystem::exists(const QString& path) const {
    struct stat st {};
    return lstat(nativePath(path).constData(), &st) == 0;
}

std::optional<qint64> LinuxFileSystem::fileTime(const QString& path, FileTimeKind kind) const {
    const QByteArray native = nativePath(path);
    struct statx stx {};
    if (statx(AT_FDCWD, native.constData(), AT_SYMLINK_NOFOLLOW, STATX_ATIME | STATX_MTIME | STATX_BTIME, &stx) != 0)
        return std::nullopt;
    switch (kind) {
    case FileTimeKind::Creation:
        if ((stx.stx_mask & STATX_BTIME) == 0)
            return std::nullopt;
        return stx.stx_btime.tv_sec;
    case FileTimeKind::LastAccess:
        return stx.stx_atime.tv_sec;
    case FileTimeKind::LastWrite:
        break;
    }
    return stx.stx_mtime.tv_sec;
}

bool LinuxFileSystem::setFileTime(const QString& path, FileTimeKind kind, qint64 secsSinceEpoch) {
    if (kind == FileTimeKind::Creation)
        return false; // Linux keeps no settable birth time
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    struct timespec& target = kind == FileTimeKind::LastAccess ? times[0] : times[1];
    target.tv_sec = static_cast<time_t>(secsSinceEpoch);
    target.tv_nsec = 0;
    return utimensat(AT_FDCWD, nativePath(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

FolderListing LinuxFileSystem::findFiles(const QString& folder, const QString& wildcard) const {
    FolderListing listing;
    FolderReader dir(folderKey(folder));
    if (!dir.isOpen())
        return listing;
    const int dirFd = dir.fd();
    std::optional<KeptListing> kept;
    if (m_keepListings)
        kept.emplace().device = listedDevice(dirFd);
    while (const struct dirent64* entry = dir.next()) {
        const char* rawName = entry->d_name;
        if (isDotOrDotDot(rawName))
            continue;
        auto name = decodeName(rawName);
        if (!name) {
            ++listing.skippedUndecodable;
            continue;
        }
        if (kept) {
            kept->names.append(*name);
            kept->inodes.push_back(static_cast<std::uint64_t>(entry->d_ino));
        }
        if (!matchesFolderWildcard(*name, wildcard))
            continue;
        const std::optional<bool> folder = isListedFolder(dirFd, *entry);
        if (folder)
            listing.entries.push_back({std::move(*name), *folder});
    }
    if (kept) {
        const std::lock_guard<std::mutex> lock(m_keptLock);
        m_kept.insert(folderKey(folder), std::make_shared<const KeptListing>(std::move(*kept)));
    }
    // The directory's own order is arbitrary; the list, and so the numbering, follows the names.
    sortByName(listing.entries, [](const FolderEntry& entry) -> const QString& { return entry.name; });
    return listing;
}

QStringList LinuxFileSystem::subfolderNames(const QString& folder) const {
    QStringList names;
    FolderReader dir(folder);
    if (!dir.isOpen())
        return names;
    const int dirFd = dir.fd();
    while (const struct dirent64* entry = dir.next()) {
        const char* rawName = entry->d_name;
        if (isDotOrDotDot(rawName))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        // Some file systems do not say what an entry is; a look at it then does, without following a link.
        struct stat st {};
        if (entry->d_type == DT_UNKNOWN)
            isFolder = fstatat(dirFd, rawName, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        if (!isFolder)
            continue;
        if (auto name = decodeName(rawName))
            names.append(std::move(*name));
    }
    sortByName(names, [](const QString& name) -> const QString& { return name; });
    return names;
}

QStringList LinuxFileSystem::entryNames(const QString& folder) const {
    if (const auto kept = keptListing(folder))
        return kept->names;
    QStringList names;
    FolderReader dir(folder);
    forEachNamedEntry(dir, [&names](QString name, std::uint64_t) { names.append(std::move(name)); });
    return names;
}

std::optional<QString> LinuxFileSystem::storedName(const QString& path) const {
    const QByteArray native = nativePath(path);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0)
        return std::nullopt;
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray name = native.mid(slash + 1);
    if (name.isEmpty())
        return std::nullopt;
    // On a file system that ignores letter case the entry may be stored in other letters than asked for.
    FolderReader dir(slash <= 0 ? QStringLiteral("/") : path.left(path.lastIndexOf(QLatin1Char('/'))));
    if (!dir.isOpen())
        return QString::fromUtf8(name);
    std::optional<QString> sameInode;
    while (const struct dirent64* entry = dir.next()) {
        if (name == entry->d_name) {
            sameInode.reset();
            break;
        }
        if (!sameInode && entry->d_ino == st.st_ino)
            sameInode = decodeName(entry->d_name);
    }
    return sameInode ? *sameInode : QString::fromUtf8(name);
}

std::optional<FileIdentity> LinuxFileSystem::folderIdentity(const QString& folder) const {
    struct stat st {};
    if (stat(nativePath(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return {{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)}};
}

std::optional<ListedIdentities> LinuxFileSystem::identitiesOf(const KeptListing& kept) {
    if (!kept.device)
        return std::nullopt;
    ListedIdentities identities;
    for (qsizetype i = 0; i < kept.names.size(); ++i)
        identities.add(kept.names.at(i), {*kept.device, kept.inodes[static_cast<std::size_t>(i)]});
    identities.done();
    return identities;
}

void LinuxFileSystem::prepareIdentities() {
    // Below this many names a table is made as quickly as it is asked for.
    constexpr qsizetype kPrepareFrom = 32;
    std::vector<std::pair<QString, std::shared_ptr<const KeptListing>>> listings;
    {
        const std::lock_guard<std::mutex> lock(m_keptLock);
        if (m_preparing.valid())
            return; // the tables asked for before are still being made
        for (auto it = m_kept.cbegin(); it != m_kept.cend(); ++it) {
            if (it.value()->names.size() >= kPrepareFrom)
                listings.emplace_back(it.key(), it.value());
        }
        if (listings.empty())
            return;
        m_preparing = std::async(std::launch::async, [listings = std::move(listings)] {
            QHash<QString, PreparedIdentities> made;
            for (const auto& [key, kept] : listings)
                made.emplace(key, PreparedIdentities{kept, identitiesOf(*kept)});
            return made;
        });
    }
}

std::optional<ListedIdentities> LinuxFileSystem::takePrepared(const QString& key,
                                                              const std::shared_ptr<const KeptListing>& kept) const {
    const std::lock_guard<std::mutex> lock(m_keptLock);
    if (m_preparing.valid()) {
        QHash<QString, PreparedIdentities> made = m_preparing.get();
        for (auto it = made.begin(); it != made.end(); ++it)
            m_prepared[it.key()] = std::move(it.value());
    }
    const auto it = m_prepared.find(key);
    if (it == m_prepared.end())
        return std::nullopt;
    // A table of a listing read again since stands for nothing.
    std::optional<ListedIdentities> taken;
    if (it->from == kept)
        taken = std::move(it->identities);
    m_prepared.erase(it);
    return taken;
}

std::optional<ListedIdentities> LinuxFileSystem::listedIdentities(const QString& folder) const {
    if (const auto kept = keptListing(folder)) {
        if (auto prepared = takePrepared(folderKey(folder), kept))
            return prepared;
        return identitiesOf(*kept);
    }
    ListedIdentities identities;
    FolderReader dir(folder);
    if (!dir.isOpen())
        return std::nullopt;
    const std::optional<std::uint64_t> device = listedDevice(dir.fd());
    if (!device)
        return std::nullopt;
    while (const struct dirent64* entry = dir.next()) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        const FileIdentity identity{*device, static_cast<std::uint64_t>(entry->d_ino)};
        // A plain name goes into the table as it is, without a text of its own on the way.
        if (const QByteArrayView bytes(entry->d_name); isAscii(bytes))
            identities.add(QLatin1StringView(bytes), identity);
        else if (const std::optional<QString> name = decodeName(entry->d_name))
            identities.add(*name, identity);
    }
    identities.done();
    return identities;
}

std::shared_ptr<const LinuxFileSystem::KeptListing> LinuxFileSystem::keptListing(const QString& folder) const {
    if (!m_keepListings)
        return nullptr;
    const QString key = folderKey(folder);
    {
        const std::lock_guard<std::mutex> lock(m_keptLock);
        if (const auto it = m_kept.constFind(key); it != m_kept.constEnd())
            return *it;
    }
    // Read here once for both, when no add read it.
    FolderReader dir(folder);
    if (!dir.isOpen())
        return nullptr;
    KeptListing kept;
    kept.device = listedDevice(dir.fd());
    forEachNamedEntry(dir, [&kept](QString name, std::uint64_t inode) {
        kept.names.append(std::move(name));
        kept.inodes.push_back(inode);
    });
    const std::lock_guard<std::mutex> lock(m_keptLock);
    // Another thread may have read it meanwhile; the first reading stands.
    auto it = m_kept.constFind(key);
    if (it == m_kept.constEnd())
        it = m_kept.insert(key, std::make_shared<const KeptListing>(std::move(kept)));
    return *it;
}

std::optional<FileIdentity> LinuxFileSystem::fileIdentity(const QString& path) const {
    struct stat st {};
    if (lstat(nativePath(path).constData(), &st) != 0)
        return std::nullopt;
    return {{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)}};
}

std::optional<std::uint64_t> LinuxFileSystem::folderMount(const QString& folder) const {
    struct statx stx {};
    if (statx(AT_FDCWD, nativePath(folder).constData(), 0, STATX_TYPE | STATX_MNT_ID, &stx) != 0 ||
        !S_ISDIR(stx.stx_mode))
        return std::nullopt;
    if ((stx.stx_mask & STATX_MNT_ID) != 0)
        return stx.stx_mnt_id;
    // An older kernel tells no mount: the device stands in, marked so that it never equals a mount's number.
    return (std::uint64_t(1) << 63) | (std::uint64_t(stx.stx_dev_major) << 32) | stx.stx_dev_minor;
}

std::optional<std::uint32_t> LinuxFileSystem::writePermissions(const QString& path) const {
    struct stat st {};
    if (lstat(nativePath(path).constData(), &st) != 0 || S_ISLNK(st.st_mode))
        return std::nullopt;
    return static_cast<std::uint32_t>(st.st_mode & kWriteBits);
}

bool LinuxFileSystem::restoreWritePermissions(const QString& path, std::uint32_t bits) {
    const QByteArray native = nativePath(path);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0 || S_ISLNK(st.st_mode) || (bits & ~std::uint32_t(kWriteBits)) != 0)
        return false;
    const mode_t wanted = (st.st_mode & 07777 & ~kWriteBits) | static_cast<mode_t>(bits);
    return wanted == (st.st_mode & 07777) || chmod(native.constData(), wanted) == 0;
}

namespace {

// Opens for reading without touching the access time where the system lets this user.
int openQuietly(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NOATIME | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 || errno != EPERM)
        return fd;
    return ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
}

bool readFully(int fd, char* buffer, size_t length) {
    while (length > 0) {
        const ssize_t got = ::read(fd, buffer, length);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        length -= static_cast<size_t>(got);
    }
    return true;
}

} // namespace

bool LinuxFileSystem::sameContent(const QString& first, const QString& second) const {
    const int a = openQuietly(nativePath(first));
    const int b = openQuietly(nativePath(second));
    bool same = false;
    struct stat sa {};
    struct stat sb {};
    if (a >= 0 && b >= 0 && fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && S_ISREG(sa.st_mode) && S_ISREG(sb.st_mode) &&
        sa.st_size == sb.st_size) {
        constexpr size_t kChunk = size_t(64) * 1024;
        std::vector<char> left(kChunk);
        std::vector<char> right(kChunk);
        same = true;
        for (off_t done = 0; same && done < sa.st_size;) {
            const auto length = static_cast<size_t>(std::min<off_t>(off_t(kChunk), sa.st_size - done));
            same = readFully(a, left.data(), length) && readFully(b, right.data(), length) &&
                   std::memcmp(left.data(), right.data(), length) == 0;
            done += static_cast<off_t>(length);
        }
    }
    if (a >= 0)
        ::close(a);
    if (b >= 0)
        ::close(b);
    return same;
}

QString LinuxFileSystem::accessProblem(const QString& path) const {
    const QByteArray native = nativePath(path);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0)
        return qt_error_string(errno);
    // A folder, or a link to one, adds the entries inside it.
    if (S_ISDIR(st.st_mode) || (S_ISLNK(st.st_mode) && stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode))) {
        DIR* dir = opendir(native.constData());
        if (dir == nullptr)
            return qt_error_string(errno);
        closedir(dir);
    }
    return {};
}

bool LinuxFileSystem::canSetFileTime(FileTimeKind kind) const {
    return kind != FileTimeKind::Creation;
}
