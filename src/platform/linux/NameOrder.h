#pragma once

#include "platform/TextKeys.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// Letter case ignored first, then the exact names, as findFiles promises. Each key carries, as one number,
// the first characters of its folded name after what all the names share: most comparisons end there, without
// reading the names themselves.
template <typename List, typename NameOf> void sortByName(List& items, NameOf nameOf) {
    const auto count = static_cast<std::size_t>(items.size());
    std::vector<QString> folded;
    folded.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        folded.push_back(caseFolded(nameOf(items[i])));
    qsizetype shared = folded.empty() ? 0 : folded.front().size();
    for (const QString& name : folded) {
        shared = std::min(shared, name.size());
        shared = std::mismatch(name.cbegin(), name.cbegin() + shared, folded.front().cbegin()).first - name.cbegin();
    }
    // Eight characters of a byte each when they all fit, else four of two bytes. A name that ends sooner is
    // padded with the smallest value, so it comes first, as it does when the texts are compared.
    constexpr int kWide = 4;
    constexpr int kNarrow = 8;
    const auto headChar = [&](const QString& name, int k) -> std::uint64_t {
        return shared + k < name.size() ? name.at(shared + k).unicode() : 0U;
    };
    bool narrow = true;
    for (const QString& name : folded) {
        for (int k = 0; k < kNarrow && narrow; ++k)
            narrow = headChar(name, k) < 0x100U;
    }
    const int perHead = narrow ? kNarrow : kWide;
    const int bits = narrow ? 8 : 16;
    struct Key {
        std::uint64_t head;
        std::size_t index;
    };
    std::vector<Key> keys(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t head = 0;
        for (int k = 0; k < perHead; ++k)
            head = (head << bits) | headChar(folded[i], k);
        keys[i] = {head, i};
    }
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (const int order = folded[a.index].compare(folded[b.index]))
            return order < 0;
        return nameOf(items[a.index]) < nameOf(items[b.index]);
    });
    // Each item moves once, along the cycle of places it belongs to, without a second list.
    std::vector<bool> placed(count, false);
    for (std::size_t start = 0; start < count; ++start) {
        if (placed[start])
            continue;
        auto held = std::move(items[start]);
        std::size_t at = start;
        for (;;) {
            placed[at] = true;
            const std::size_t from = keys[at].index;
            if (from == start)
                break;
            items[at] = std::move(items[from]);
            at = from;
        }
        items[at] = std::move(held);
    }
}
