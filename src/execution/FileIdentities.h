#pragma once

#include "platform/FileSystem.h"

#include <QHash>
#include <QString>

#include <future>
#include <optional>
#include <vector>

// Which file is at a path, by its identity: a folder that many of the paths lead into is read once, and a file
// is looked at on its own only where its folder's listing cannot tell.
class IdentityLookup final {
public:
    explicit IdentityLookup(const FileSystem& fs)
        : m_fs(fs) {}

    // A path that will be asked about: the folders of many are read whole.
    void expect(const QString& path) {
        // Paths come folder by folder: a run of them is counted at once.
        if (m_counting && folderOf(path) == *m_counting) {
            ++m_counted;
            return;
        }
        countRun();
        m_counting = folderOf(path).toString();
        m_counted = 1;
    }

    // Starts reading, on a thread of its own, the folders the paths expected so far lead into often enough to be
    // read whole, so that other work can go on meanwhile; a question about one of them waits for its reading.
    void readAhead() {
        countRun();
        QStringList folders;
        for (auto it = m_uses.cbegin(); it != m_uses.cend(); ++it) {
            if (it.value() >= kReadFrom && !m_listings.contains(it.key()))
                folders.append(it.key());
        }
        if (folders.isEmpty() || m_ahead.valid())
            return;
        m_lastFolder.reset();
        m_lastListing = nullptr;
        m_ahead = std::async(std::launch::async, [&fs = m_fs, folders] {
            QHash<QString, Listing> read;
            for (const QString& folder : folders)
                read.emplace(folder, fs.listedIdentities(folder));
            return read;
        });
    }

    // Whether the file at path is that one.
    [[nodiscard]] bool holds(const QString& path, const FileIdentity& identity) {
        return heldBy(path, at(path), identity);
    }
    // The same, told from what at gave for the path.
    [[nodiscard]] bool
    heldBy(const QString& path, const std::optional<FileIdentity>& found, const FileIdentity& identity) const {
        if (!found)
            return false;
        // A file mounted onto the entry shows under another identity in the listing.
        return *found == identity || m_fs.fileIdentity(path) == identity;
    }

    // The file at path; nothing when there is none.
    [[nodiscard]] std::optional<FileIdentity> at(const QString& path) {
        const ListedIdentities* listing = listingOf(path);
        if (listing == nullptr)
            return m_fs.fileIdentity(path);
        return listing->find(nameOf(path));
    }

    // What at tells of each of count paths, pathOf(k) the k-th: the names of a folder read whole are looked up
    // many at once.
    template <typename PathOf>
    [[nodiscard]] std::vector<std::optional<FileIdentity>> atEach(std::size_t count, PathOf&& pathOf) {
        std::vector<std::optional<FileIdentity>> found(count);
        std::vector<QStringView> names;
        for (std::size_t k = 0; k < count;) {
            const ListedIdentities* listing = listingOf(pathOf(k));
            if (listing == nullptr) {
                found[k] = m_fs.fileIdentity(pathOf(k));
                ++k;
                continue;
            }
            // The paths from here on that lead into the same folder.
            const std::size_t first = k;
            names.clear();
            for (; k < count && folderOf(pathOf(k)) == *m_lastFolder; ++k)
                names.push_back(nameOf(pathOf(k)));
            listing->findEach(names, found.data() + first);
        }
        return found;
    }

private:
    using Listing = std::optional<ListedIdentities>;

    // A folder used this often is read rather than looked into file by file.
    static constexpr int kReadFrom = 32;

    static QStringView folderOf(const QString& path) {
        return QStringView(path).left(path.lastIndexOf(QLatin1Char('/')) + 1);
    }
    static QStringView nameOf(const QString& path) {
        return QStringView(path).sliced(path.lastIndexOf(QLatin1Char('/')) + 1);
    }

    void countRun() {
        if (m_counting)
            m_uses[*m_counting] += m_counted;
        m_counting.reset();
        m_counted = 0;
    }

    const ListedIdentities* listingOf(const QString& path) {
        const QStringView folder = folderOf(path);
        // Paths come folder by folder here too.
        if (m_lastFolder && folder == *m_lastFolder)
            return m_lastListing;
        countRun();
        if (m_ahead.valid()) {
            QHash<QString, Listing> read = m_ahead.get();
            for (auto it = read.begin(); it != read.end(); ++it)
                m_listings.emplace(it.key(), std::move(it.value()));
        }
        m_lastFolder = folder.toString();
        m_lastListing = nullptr;
        if (m_uses.value(*m_lastFolder) >= kReadFrom) {
            auto it = m_listings.find(*m_lastFolder);
            if (it == m_listings.end())
                it = m_listings.emplace(*m_lastFolder, m_fs.listedIdentities(*m_lastFolder));
            m_lastListing = it->has_value() ? &**it : nullptr;
        }
        return m_lastListing;
    }

    const FileSystem& m_fs;
    QHash<QString, int> m_uses;
    std::optional<QString> m_counting; // the folder of the paths being counted, m_counted of them so far
    int m_counted = 0;
    QHash<QString, Listing> m_listings;
    std::future<QHash<QString, Listing>> m_ahead; // the folders being read ahead
    // The folder asked about last, and its listing when it was read: valid until the next folder is read.
    std::optional<QString> m_lastFolder;
    const ListedIdentities* m_lastListing = nullptr;
};
