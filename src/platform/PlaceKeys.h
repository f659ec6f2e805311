#pragma once

#include "platform/FileSystem.h"
#include "platform/TextKeys.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

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

// Numbers the places paths lead to: each place a new number from 0 on, every spelling of it the same one. The
// table keeps each place's hash beside its number, so that a look-up compares keys only where the hashes agree,
// and numbers paths many at once, their slots fetched together: a plan of many files costs little more than
// hashing its paths.
class PlaceNumbers final {
public:
    // Room is made for about expected places.
    PlaceNumbers(const FileSystem& fs, std::size_t expected);

    // The number of each of count paths, pathOf(k) the k-th; the paths must outlive this.
    template <typename PathOf> [[nodiscard]] std::vector<qsizetype> number(std::size_t count, PathOf&& pathOf) {
        std::vector<qsizetype> numbers(count);
        std::array<PlaceKey, kBatch> keys;
        std::array<const QString*, kBatch> paths{};
        for (std::size_t first = 0; first < count; first += kBatch) {
            const std::size_t batch = std::min(kBatch, count - first);
            for (std::size_t k = 0; k < batch; ++k) {
                paths[k] = &pathOf(first + k);
                keys[k] = m_keys.keyOf(*paths[k]);
            }
            numberBatch(keys.data(), paths.data(), batch, numbers.data() + first);
        }
        return numbers;
    }
    // How many places have been numbered.
    [[nodiscard]] qsizetype count() const { return static_cast<qsizetype>(m_places.size()); }

private:
    static constexpr std::size_t kBatch = 32;
    // Half the size of a full hash and number: the table of a long plan is read from all over, and touched new.
    struct Slot {
        std::uint32_t hash = 0;   // the upper half of the place's hash, whose first bits choose the slot
        std::uint32_t number = 0; // the place's number plus one; 0 for an empty slot
    };
    // How far a hash is shifted to choose its first slot in a table of that many (a power of two from 2 to 2^32).
    static int slotShift(std::size_t slots) { return 32 - std::countr_zero(slots); }

    void numberBatch(const PlaceKey* keys, const QString* const* paths, std::size_t count, qsizetype* numbers);
    void grow();

    PlaceKeys m_keys;
    // By number, the path each place was first numbered from: its key is made again where a hash agrees, which
    // is seldom, rather than kept for every place.
    std::vector<const QString*> m_places;
    std::vector<Slot> m_slots; // a power of two of them, at most half in use
    int m_shift = 0;           // slotShift(m_slots.size())
};
