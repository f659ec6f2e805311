#include "platform/TextKeys.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint64_t kMultiplier = 0x9e3779b97f4a7c15;

std::uint64_t mix(std::uint64_t hash, std::uint64_t word) noexcept {
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 29);
}

} // namespace

// Eight bytes at a time, then a full avalanche, so that the low bits a table keeps depend on every unit.
std::size_t hashText(QStringView text, std::size_t seed) noexcept {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.utf16());
    auto left = static_cast<std::size_t>(text.size()) * sizeof(char16_t);
    std::uint64_t hash = mix(seed, left);
    for (; left >= 8; left -= 8, bytes += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes, 8);
        hash = mix(hash, word);
    }
    if (left > 0) {
        std::uint64_t word = 0;
        if (left >= 4) {
            std::uint32_t four = 0;
            std::memcpy(&four, bytes, 4);
            word = four;
            bytes += 4;
            left -= 4;
        }
        if (left >= 2) {
            std::uint16_t two = 0;
            std::memcpy(&two, bytes, 2);
            word |= std::uint64_t{two} << 32;
        }
        hash = mix(hash, word);
    }
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccd;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53;
    hash ^= hash >> 33;
    return static_cast<std::size_t>(hash);
}

bool foldsToItself(QStringView text) noexcept {
    return std::none_of(text.utf16(), text.utf16() + text.size(),
                        [](char16_t c) { return c >= 0x80 || static_cast<char16_t>(c - u'A') < 26; });
}

QString caseFolded(const QString& text) {
    return foldsToItself(text) ? text : text.toCaseFolded();
}
