#pragma once

#include "platform/FileSystem.h"

#include <QHash>
#include <QString>

#include <optional>

// Which file is at a path, by its identity: a folder that many of the paths lead into is read once, and a file
// is looked at on its own only where its folder's listing cannot tell.
class IdentityLookup final {
public:
    explicit IdentityLookup(const FileSystem& fs)
        : m_fs(fs) {}

    // A path that will be asked about: the folders of many are read whole.
    void expect(const QString& path) { ++m_uses[folderOf(path)]; }

    // Whether the file at path is that one.
    [[nodiscard]] bool holds(const QString& path, const FileIdentity& identity) {
        const QHash<QString, FileIdentity>* listing = listingOf(path);
        if (listing == nullptr)
            return m_fs.fileIdentity(path) == identity;
        const auto it = listing->constFind(nameOf(path));
        if (it == listing->constEnd())
            return false;
        // A file mounted onto the entry shows under another identity in the listing.
        return *it == identity || m_fs.fileIdentity(path) == identity;
    }

    // The file at path; nothing when there is none.
    [[nodiscard]] std::optional<FileIdentity> at(const QString& path) {
        const QHash<QString, FileIdentity>* listing = listingOf(path);
        if (listing == nullptr)
            return m_fs.fileIdentity(path);
        const auto it = listing->constFind(nameOf(path));
        return it == listing->constEnd() ? std::nullopt : std::optional<FileIdentity>(*it);
    }

private:
    // A folder used this often is read rather than looked into file by file.
    static constexpr int kReadFrom = 32;

    static QString folderOf(const QString& path) { return path.left(path.lastIndexOf(QLatin1Char('/')) + 1); }
    static QString nameOf(const QString& path) { return path.sliced(path.lastIndexOf(QLatin1Char('/')) + 1); }

    const QHash<QString, FileIdentity>* listingOf(const QString& path) {
        const QString folder = folderOf(path);
        if (m_uses.value(folder) < kReadFrom)
            return nullptr;
        auto it = m_listings.find(folder);
        if (it == m_listings.end())
            it = m_listings.insert(folder, m_fs.listedIdentities(folder));
        return it->has_value() ? &**it : nullptr;
    }

    const FileSystem& m_fs;
    QHash<QString, int> m_uses;
    QHash<QString, std::optional<QHash<QString, FileIdentity>>> m_listings;
};
