#include "execution/PlanChecks.h"

#include "execution/RenamePlan.h"
#include "execution/RunOptions.h"
#include "filelist/FileRow.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <set>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("PlanChecks", text);
}

// A finding as a Yes/No question; true when the user goes on.
bool askToContinue(UserPrompt& prompt, const QString& finding) {
    return prompt.message(finding + QStringLiteral("\r\n") + tr("作業を続行しますか？"), programTitle(),
                          PromptIcon::Exclamation, PromptButtons::YesNo, PromptAnswer::No) == PromptAnswer::Yes;
}

QString numbered(const QString& path, qsizetype number) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        dot = path.size();
    return path.left(dot) + QLatin1Char('_') + QString::number(number) + path.mid(dot);
}

// Every entry compared with the later ones, each first match numbered with the entries it matches. Names
// that renumbering makes take part in the comparisons of the entries before them.
void renumberDuplicates(RenamePlan& plan) {
    std::vector<RenameEntry>& entries = plan.entries();
    QHash<QString, std::set<std::size_t>> byPath;
    for (std::size_t i = 0; i < entries.size(); ++i)
        byPath[entries[i].destPath].insert(i);
    auto rename = [&](std::size_t i, const QString& path) {
        auto& group = byPath[entries[i].destPath];
        group.erase(i);
        entries[i].destPath = path;
        byPath[path].insert(i);
    };
    for (std::size_t e = 0; e + 1 < entries.size(); ++e) {
        const QString path = entries[e].destPath;
        const auto& group = byPath[path];
        std::vector<std::size_t> later(group.upper_bound(e), group.end());
        if (later.empty())
            continue;
        rename(e, numbered(path, 1));
        qsizetype number = 2;
        for (const std::size_t i : later)
            rename(i, numbered(path, number++));
    }
}

// Whether some entry would get a name that a file or folder on disk already has, other than the row's own
// name. Folders that many entries go to are read once instead of looking up every name.
bool nameInUse(const std::vector<RenameEntry>& entries, const std::vector<FileRow>& rows, const FileSystem& fs) {
    constexpr qsizetype kReadFolderFrom = 32;
    QHash<QString, qsizetype> perFolder;
    for (const RenameEntry& entry : entries)
        ++perFolder[entry.destPath.left(entry.destPath.lastIndexOf(QLatin1Char('/')) + 1)];
    struct FolderNames {
        QSet<QString> exact;
        QSet<QString> folded;
    };
    QHash<QString, FolderNames> listed;
    for (std::size_t i = 0; i < entries.size() && i < rows.size(); ++i) {
        const QString& dest = entries[i].destPath;
        const qsizetype slash = dest.lastIndexOf(QLatin1Char('/'));
        const QString destName = dest.mid(slash + 1);
        // A name equal to the row's own is never reported, whatever is there.
        if (destName == rows[i].name)
            continue;
        const QString folder = dest.left(slash + 1);
        if (perFolder.value(folder) >= kReadFolderFrom) {
            auto it = listed.find(folder);
            if (it == listed.end()) {
                FolderNames names;
                for (const QString& name : fs.entryNames(folder)) {
                    names.exact.insert(name);
                    names.folded.insert(name.toCaseFolded());
                }
                it = listed.insert(folder, std::move(names));
            }
            if (it->exact.contains(destName))
                return true;
            // Only a file system that ignores letter case can hold it under other letters.
            if (!it->folded.contains(destName.toCaseFolded()))
                continue;
        }
        if (fs.status(dest) && fs.storedName(dest).value_or(destName) != rows[i].name)
            return true;
    }
    return false;
}

} // namespace

bool completePaths(RenamePlan& plan, const std::vector<FileRow>& rows, const RunOptions& options, UserPrompt& prompt) {
    QString target = options.targetFolder;
    if (options.moveToFolder) {
        if (target.isEmpty() || !target.startsWith(QLatin1Char('/'))) {
            prompt.inform(
                tr("移動先のフォルダが選ばれていません。\r\nフォルダを選んでから、もう一度実行してください。"),
                programTitle(), PromptIcon::Exclamation);
            return false;
        }
        if (!target.endsWith(QLatin1Char('/')))
            target += QLatin1Char('/');
    }
    std::vector<RenameEntry>& entries = plan.entries();
    for (std::size_t i = 0; i < entries.size() && i < rows.size(); ++i) {
        entries[i].destPath = (options.moveToFolder ? target : rows[i].path) + entries[i].destPath;
        entries[i].sourcePath = rows[i].fullPath();
    }
    return true;
}

bool checkPlan(RenamePlan& plan,
               const std::vector<FileRow>& rows,
               const RunOptions& options,
               const FileSystem& fs,
               UserPrompt& prompt) {
    if (options.renameOnCollision)
        return false;
    std::vector<RenameEntry>& entries = plan.entries();

    if (options.renumberOnCollision) {
        renumberDuplicates(plan);
    } else {
        QSet<QString> seen;
        seen.reserve(static_cast<qsizetype>(entries.size()));
        for (const RenameEntry& entry : entries) {
            if (seen.contains(entry.destPath))
                return !askToContinue(prompt, tr("同一の名前に変換されるファイルがあります。"));
            seen.insert(entry.destPath);
        }
    }

    if (nameInUse(entries, rows, fs) &&
        !askToContinue(prompt, tr("すでに使用されている名前に変換されるファイルがあります。")))
        return true;

    if (options.copy) {
        for (const RenameEntry& entry : entries) {
            if (entry.destPath.compare(entry.sourcePath, Qt::CaseInsensitive) == 0)
                return !askToContinue(prompt, tr("コピーする際送り側と受け側のファイルが同じになるものがあります。"));
        }
    }
    return false;
}
