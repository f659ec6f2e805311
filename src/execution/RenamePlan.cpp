#include "execution/RenamePlan.h"

#include "expression/BuildTypes.h"

RenamePlan::RenamePlan(std::vector<NameChange> built, std::uint16_t changeMask)
    : m_changeMask(changeMask) {
    m_entries.reserve(built.size());
    for (NameChange& change : built) {
        RenameEntry entry;
        entry.destPath = std::move(change.destName);
        entry.attributes = change.attributes;
        entry.creationTime = change.creationTime;
        entry.lastAccessTime = change.lastAccessTime;
        entry.lastWriteTime = change.lastWriteTime;
        entry.nameTooLong = change.nameTooLong;
        m_entries.push_back(std::move(entry));
    }
}

RenamePlan::RenamePlan(std::vector<RenameEntry>&& entries, std::uint16_t changeMask)
    : m_entries(std::move(entries))
    , m_changeMask(changeMask) {}
