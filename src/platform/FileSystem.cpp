#include "platform/FileSystem.h"

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
