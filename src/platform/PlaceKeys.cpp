#include "platform/PlaceKeys.h"

#include "platform/TextKeys.h"

#include <QDir>

#include <bit>

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

PlaceNumbers::PlaceNumbers(const FileSystem& fs, std::size_t expected)
    : m_keys(fs)
    , m_slots(std::bit_ceil(std::max<std::size_t>(16, 2 * expected)))
    , m_shift(slotShift(m_slots.size())) {
    m_places.reserve(expected);
}

void PlaceNumbers::numberBatch(const PlaceKey* keys,
                               const QString* const* paths,
                               std::size_t count,
                               qsizetype* numbers) {
    std::array<std::uint32_t, kBatch> hashes{};
    for (std::size_t k = 0; k < count; ++k) {
        hashes[k] = static_cast<std::uint32_t>(qHash(keys[k]) >> 32);
        __builtin_prefetch(&m_slots[hashes[k] >> m_shift]);
    }
    for (std::size_t k = 0; k < count; ++k) {
        if (2 * (m_places.size() + 1) > m_slots.size())
            grow();
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t i = hashes[k] >> m_shift;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.number == 0) {
                m_places.push_back(paths[k]);
                slot = {hashes[k], static_cast<std::uint32_t>(m_places.size())};
                numbers[k] = static_cast<qsizetype>(m_places.size() - 1);
                break;
            }
            if (slot.hash == hashes[k] && m_keys.keyOf(*m_places[slot.number - 1]) == keys[k]) {
                numbers[k] = static_cast<qsizetype>(slot.number - 1);
                break;
            }
        }
    }
}

void PlaceNumbers::grow() {
    std::vector<Slot> slots(2 * m_slots.size());
    const std::size_t mask = slots.size() - 1;
    const int shift = slotShift(slots.size());
    for (const Slot& slot : m_slots) {
        if (slot.number == 0)
            continue;
        std::size_t i = slot.hash >> shift;
        while (slots[i].number != 0)
            i = (i + 1) & mask;
        slots[i] = slot;
    }
    m_slots = std::move(slots);
    m_shift = shift;
}
