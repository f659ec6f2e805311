#include "platform/FileSystem.h"

#include "platform/TextKeys.h"

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

void ListedIdentities::add(QStringView name, FileIdentity identity) {
    const std::size_t at = m_records.size();
    const auto length = static_cast<std::uint32_t>(name.size());
    m_records.resize(at + kHeaderUnits + static_cast<std::size_t>(name.size()));
    char16_t* record = m_records.data() + at;
    std::memcpy(record, &identity.device, 8);
    std::memcpy(record + 4, &identity.inode, 8);
    std::memcpy(record + 8, &length, 4);
    std::memcpy(record + kHeaderUnits, name.utf16(), static_cast<std::size_t>(name.size()) * sizeof(char16_t));
    ++m_count;
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
    const std::uint64_t hash = hashText(name);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.record == 0)
            return std::nullopt;
        if (slot.hash == hash && nameAt(slot.record - 1) == name)
            return identityAt(slot.record - 1);
    }
}
