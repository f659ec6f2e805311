#include "filelist/SubfolderWalk.h"

#include "platform/FileSystem.h"
#include "platform/WorkHost.h"

#include <unordered_set>

namespace {

struct IdentityHash {
    std::size_t operator()(FileIdentity identity) const noexcept {
        return std::hash<std::uint64_t>()((identity.device * 0x9E3779B97F4A7C15ULL) ^ identity.inode);
    }
};

} // namespace

QStringList SubfolderWalk::collectSubfolders(const FileSystem& fs, const QString& folder, WorkHost& host) {
    host.setStatusText(tr("サブフォルダを検索中"));
    QStringList found{folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')};
    QStringList walked;
    std::unordered_set<FileIdentity, IdentityHash> seen;
    for (qsizetype next = 0; next < found.size(); ++next) {
        // A copy: the scan below appends to the list and may move its texts.
        const QString current = found.at(next);
        // A folder that cannot be looked at has nothing to walk but is still listed, as the add will find.
        const std::optional<FileIdentity> identity = fs.folderIdentity(current);
        if (identity && !seen.insert(*identity).second)
            continue;
        walked.append(current);
        scanSubfolders(fs, current, found);
        host.processEvents();
        if (host.stopRequested())
            break;
    }
    host.setStatusText(tr("サブフォルダの検索終了"));
    return walked;
}

void SubfolderWalk::scanSubfolders(const FileSystem& fs, const QString& folder, QStringList& list) {
    const QStringList names = fs.subfolderNames(folder);
    for (const QString& name : names)
        list.append(folder + name + QLatin1Char('/'));
}
