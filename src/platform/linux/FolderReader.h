#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <dirent.h>
#include <memory>
#include <optional>

// Whether every byte is plain ASCII.
bool isAscii(QByteArrayView bytes);

// The name only when it is valid UTF-8, so that it survives the trip through QString unchanged.
std::optional<QString> decodeName(const char* name);

inline bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A folder's entries as the system gives them, many to a call: a folder of many files takes a few calls rather
// than one for every few hundred entries.
class FolderReader final {
public:
    explicit FolderReader(const QString& folder);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }
    [[nodiscard]] int fd() const { return m_fd; }

    // The next entry, "." and ".." among them; nullptr at the end, or where the folder cannot be read further.
    const struct dirent64* next() {
        if (m_at >= m_filled && !refill())
            return nullptr;
        const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.get() + m_at);
        m_at += entry->d_reclen;
        return entry;
    }

private:
    static constexpr std::size_t kFirst = std::size_t{32} * 1024;
    static constexpr std::size_t kLargest = std::size_t{256} * 1024;

    // Reads the next batch; false at the end or on an error.
    bool refill();

    int m_fd;
    std::size_t m_size = kFirst;
    std::unique_ptr<char[]> m_buffer = std::make_unique_for_overwrite<char[]>(kFirst);
    std::size_t m_filled = 0;
    std::size_t m_at = 0;
};

// Calls take(name, inode) for every entry of the folder but "." and ".." whose name can be read.
template <typename Take> void forEachNamedEntry(FolderReader& dir, Take&& take) {
    while (const struct dirent64* entry = dir.next()) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        if (auto name = decodeName(entry->d_name))
            take(std::move(*name), static_cast<std::uint64_t>(entry->d_ino));
    }
}
