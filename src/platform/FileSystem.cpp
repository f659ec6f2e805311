#include "platform/FileSystem.h"

#include "platform/TextKeys.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

FileTimeKind fileTimeKindFromInt(int kind) {
    switch (kind) {
    case 0:
        return FileTimeKind::Creation;
    case 1:
        return FileTimeKind::LastAccess;
    default:
        return FileTimeKind::LastWrite;
    }
}

std::vector<std::optional<FileStatus>> FileSystem::statusesIn(const QString& folder, const QStringList& names) const {
    std::vector<std::optional<FileStatus>> statuses;
    statuses.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names)
        statuses.push_back(status(folder + name));
    return statuses;
}

char16_t* ListedIdentities::addRecord(qsizetype length, FileIdentity identity) {
    const std::size_t at = m_records.size();
    const auto units = static_cast<std::uint32_t>(length);
    m_records.resize(at + kHeaderUnits + units);
    char16_t* record = m_records.data() + at;
    std::memcpy(record, &identity.device, 8);
    std::memcpy(record + 4, &identity.inode, 8);
    std::memcpy(record + 8, &units, 4);
    ++m_count;
    return record + kHeaderUnits;
}

void ListedIdentities::add(QStringView name, FileIdentity identity) {
    char16_t* units = addRecord(name.size(), identity);
    std::memcpy(units, name.utf16(), static_cast<std::size_t>(name.size()) * sizeof(char16_t));
}

void ListedIdentities::add(QLatin1StringView name, FileIdentity identity) {
    char16_t* units = addRecord(name.size(), identity);
    std::transform(name.begin(), name.end(), units,
                   [](char c) { return static_cast<char16_t>(static_cast<unsigned char>(c)); });
}

QStringView ListedIdentities::nameAt(std::size_t record) const {
    std::uint32_t length = 0;
    std::memcpy(&length, m_records.data() + record + 8, 4);
    return {m_records.data() + record + kHeaderUnits, static_cast<qsizetype>(length)};
}

FileIdentity ListedIdentities::identityAt(std::size_t record) const {
    FileIdentity identity;
    std::memcpy(&identity.device, m_records.data() + record, 8);
    std::memcpy(&identity.inode, m_records.data() + record + 4, 8);
    return identity;
}

void ListedIdentities::done() {
    m_slots.assign(std::bit_ceil(std::max<std::size_t>(16, 2 * static_cast<std::size_t>(m_count))), Slot{});
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t record = 0; record < m_records.size();) {
        const QStringView name = nameAt(record);
        const std::uint64_t hash = hashText(name);
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.record == 0 || (slot.hash == hash && nameAt(slot.record - 1) == name)) {
                // A name listed twice counts once, as its last listing.
                if (slot.record != 0)
                    --m_count;
                slot = {hash, record + 1};
                break;
            }
        }
        record += kHeaderUnits + static_cast<std::size_t>(name.size());
    }
}

std::optional<FileIdentity> ListedIdentities::find(QStringView name) const {
    if (m_slots.empty())
        return std::nullopt;
    return findFrom(name, hashText(name));
}

std::optional<FileIdentity> ListedIdentities::findFrom(QStringView name, std::uint64_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.record == 0)
            return std::nullopt;
        if (slot.hash == hash && nameAt(slot.record - 1) == name)
            return identityAt(slot.record - 1);
    }
}

void ListedIdentities::findEach(const std::vector<QStringView>& names, std::optional<FileIdentity>* found) const {
    if (m_slots.empty()) {
        std::fill(found, found + names.size(), std::nullopt);
        return;
    }
    // A batch: its slots are asked for, then the records they lead to, then each name is compared.
    constexpr std::size_t kBatch = 32;
    const std::size_t mask = m_slots.size() - 1;
    std::array<std::uint64_t, kBatch> hashes{};
    for (std::size_t first = 0; first < names.size(); first += kBatch) {
        const std::size_t count = std::min(kBatch, names.size() - first);
        for (std::size_t k = 0; k < count; ++k) {
            hashes[k] = hashText(names[first + k]);
            __builtin_prefetch(&m_slots[hashes[k] & mask]);
        }
        for (std::size_t k = 0; k < count; ++k) {
            const Slot& slot = m_slots[hashes[k] & mask];
            if (slot.record != 0)
                __builtin_prefetch(m_records.data() + slot.record - 1);
        }
        for (std::size_t k = 0; k < count; ++k)
            found[first + k] = findFrom(names[first + k], hashes[k]);
    }
}
