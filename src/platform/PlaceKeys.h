#pragma once

#include "platform/FileSystem.h"
#include "platform/TextKeys.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <deque>
#include <functional>
#include <optional>

// The last part of a path: the name after its last '/', or the whole path when it has none.
inline QStringView fileNameOf(const QString& path) {
    return QStringView(path).sliced(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Where a path leads: the folder it names, by identity, and the name in that folder. Spellings of one
// place ("d/./a", "d/a", "link-to-d/a") give equal keys. A folder that cannot be looked at (one not made
// yet) is known by its text, cleaned of "." and ".." parts.
struct PlaceKey {
    FileIdentity folder;
    QString folderText; // only for a folder whose identity is unknown
    QStringView name;   // a view into the path the key was made from

    friend bool operator==(const PlaceKey& a, const PlaceKey& b) noexcept {
        return a.folder == b.folder && a.name == b.name && a.folderText == b.folderText;
    }
};

size_t qHash(const PlaceKey& key, size_t seed = 0) noexcept;

// Makes place keys, looking at each folder once.
class PlaceKeys final {
public:
    using FolderLookup = std::function<std::optional<FileIdentity>(const QString& folder)>;

    explicit PlaceKeys(FolderLookup lookup);
    explicit PlaceKeys(const FileSystem& fs);

    // The path must outlive the key.
    [[nodiscard]] PlaceKey keyOf(const QString& path);
    // The same for a folder (ending in '/') and a name in it, without putting the path together; the name
    // must outlive the key.
    [[nodiscard]] PlaceKey keyOf(QStringView folder, QStringView name);
    [[nodiscard]] bool samePlace(const QString& a, const QString& b);

private:
    struct Folder {
        std::optional<FileIdentity> identity;
        QString cleaned;
    };
    const Folder& folderOf(QStringView folder);

    FolderLookup m_lookup;
    // The tables hold views of these texts.
    std::deque<QString> m_texts;
    QHash<TextKey, Folder> m_folders;
    QStringView m_lastText;
    const Folder* m_last = nullptr;
};
