#pragma once

#include "platform/FileSystem.h"

#include <QHash>

#include <future>
#include <memory>
#include <mutex>
#include <vector>

// The file system through POSIX and Linux calls. Read-only is the absence of every write bit; hidden,
// system and archive live in the extended attribute user.DOSATTRIB, as Samba and Wine keep them.
class LinuxFileSystem final : public FileSystem {
public:
    [[nodiscard]] qint32 attributes(const QString& path) const override;
    [[nodiscard]] bool setAttributes(const QString& path, qint32 bits) override;
    [[nodiscard]] std::optional<FileStatus> status(const QString& path) const override;
    [[nodiscard]] std::vector<std::optional<FileStatus>> statusesIn(const QString& folder,
                                                                    const QStringList& names) const override;
    [[nodiscard]] bool exists(const QString& path) const override;
    [[nodiscard]] std::optional<qint64> fileTime(const QString& path, FileTimeKind kind) const override;
    [[nodiscard]] bool setFileTime(const QString& path, FileTimeKind kind, qint64 secsSinceEpoch) override;
    [[nodiscard]] FolderListing findFiles(const QString& folder, const QString& wildcard) const override;
    [[nodiscard]] QStringList subfolderNames(const QString& folder) const override;
    [[nodiscard]] QStringList entryNames(const QString& folder) const override;
    [[nodiscard]] std::optional<QString> storedName(const QString& path) const override;
    [[nodiscard]] std::optional<FileIdentity> folderIdentity(const QString& folder) const override;
    [[nodiscard]] std::optional<FileIdentity> fileIdentity(const QString& path) const override;
    [[nodiscard]] std::optional<ListedIdentities> listedIdentities(const QString& folder) const override;
    [[nodiscard]] std::optional<std::uint64_t> folderMount(const QString& folder) const override;
    [[nodiscard]] std::optional<std::uint32_t> writePermissions(const QString& path) const override;
    bool restoreWritePermissions(const QString& path, std::uint32_t bits) override;
    [[nodiscard]] bool sameContent(const QString& first, const QString& second) const override;
    [[nodiscard]] QString accessProblem(const QString& path) const override;
    [[nodiscard]] bool canSetFileTime(FileTimeKind kind) const override;

    // For a process that adds files and runs them a moment later, as the command line does: from now on what
    // findFiles reads of a folder stands in for entryNames and listedIdentities of that folder, which then do
    // not read it again. A name that appears in the folder since is not among them; a run's no-replace rename
    // still refuses to take it.
    void keepListings() { m_keepListings = true; }
    // Starts putting the identities of the large listings kept so far into their tables, on a thread of its own,
    // for a run that is about to ask for them: listedIdentities of such a folder then takes the table made, once,
    // while the listing is still the one kept.
    void prepareIdentities();

private:
    struct KeptListing {
        QStringList names;
        std::vector<std::uint64_t> inodes;   // by the index of the name
        std::optional<std::uint64_t> device; // nothing where the listing's numbers are not the files' own
    };
    struct PreparedIdentities {
        std::shared_ptr<const KeptListing> from;
        std::optional<ListedIdentities> identities;
    };
    [[nodiscard]] std::shared_ptr<const KeptListing> keptListing(const QString& folder) const;
    [[nodiscard]] static std::optional<ListedIdentities> identitiesOf(const KeptListing& kept);
    [[nodiscard]] std::optional<ListedIdentities> takePrepared(const QString& key,
                                                               const std::shared_ptr<const KeptListing>& kept) const;

    bool m_keepListings = false;
    // By folder, ending in '/'. A run reads its folders on a thread of its own while it goes on: a listing stays
    // whole for whoever holds it, and the table is changed under its lock.
    mutable std::mutex m_keptLock;
    mutable QHash<QString, std::shared_ptr<const KeptListing>> m_kept;
    // The tables being made, and those made and not yet taken; under the same lock.
    mutable std::future<QHash<QString, PreparedIdentities>> m_preparing;
    mutable QHash<QString, PreparedIdentities> m_prepared;
};
