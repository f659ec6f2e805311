#include "platform/PlaceKeys.h"

#include "platform/TextKeys.h"

#include <QDir>

size_t qHash(const PlaceKey& key, size_t seed) noexcept {
    size_t hash = hashText(key.name, seed ^ static_cast<size_t>(key.folder.inode * 31 + key.folder.device));
    return key.folderText.isEmpty() ? hash : hashText(key.folderText, hash);
}

PlaceKeys::PlaceKeys(FolderLookup lookup)
    : m_lookup(std::move(lookup)) {}

PlaceKeys::PlaceKeys(const FileSystem& fs)
    : m_lookup([&fs](const QString& folder) { return fs.folderIdentity(folder); }) {}

const PlaceKeys::Folder& PlaceKeys::folderOf(QStringView folder) {
    // Paths come folder by folder as a rule.
    if (m_last != nullptr && folder == m_lastText)
        return *m_last;
    auto it = m_folders.find(TextKey{folder});
    if (it == m_folders.end()) {
        m_texts.push_back(folder.toString());
        const QString& text = m_texts.back();
        Folder found;
        found.identity = m_lookup(text.isEmpty() ? QStringLiteral("/") : text);
        if (!found.identity)
            found.cleaned = QDir::cleanPath(text) + QLatin1Char('/');
        it = m_folders.insert(TextKey{text}, found);
    }
    m_lastText = it.key().text;
    m_last = &*it;
    return *m_last;
}

PlaceKey PlaceKeys::keyOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return keyOf(QStringView(path).left(slash + 1), QStringView(path).sliced(slash + 1));
}

PlaceKey PlaceKeys::keyOf(QStringView folderText, QStringView name) {
    const Folder& folder = folderOf(folderText);
    PlaceKey key;
    key.name = name;
    if (folder.identity)
        key.folder = *folder.identity;
    else
        key.folderText = folder.cleaned;
    return key;
}

bool PlaceKeys::samePlace(const QString& a, const QString& b) {
    return a == b || keyOf(a) == keyOf(b);
}
