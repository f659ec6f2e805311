#include "execution/PlanChecks.h"

#include "execution/RenamePlan.h"
#include "execution/RunOptions.h"
#include "filelist/FileRow.h"
#include "platform/ControlCharacters.h"
#include "platform/FileSystem.h"
#include "platform/PlaceKeys.h"
#include "platform/TextKeys.h"
#include "platform/TwoHalves.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstdint>
#include <future>
#include <optional>
#include <set>
#include <utility>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("PlanChecks", text);
}

CheckVerdict verdict(bool goOn) {
    return goOn ? CheckVerdict::GoOn : CheckVerdict::Abort;
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
void renumberEntries(RenamePlan& plan) {
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

// The names in a folder, found by their case-folded form. A name that folds to itself is found exactly
// through that form; the others are also kept as they are.
class FolderNames {
public:
    enum class Match : std::uint8_t {
        None,
        OtherCase, // only names that differ in letter case
        Exact,
    };

    explicit FolderNames(QStringList list)
        : m_names(std::move(list)) {
        m_folded.reserve(m_names.size());
        for (const QString& name : std::as_const(m_names)) {
            if (foldsToItself(name)) {
                m_folded.insert(TextKey{name}, true);
            } else {
                m_unfolded.insert(TextKey{name});
                m_foldedNames.push_back(name.toCaseFolded());
                const TextKey folded{m_foldedNames.back()};
                if (!m_folded.contains(folded))
                    m_folded.insert(folded, false);
            }
        }
    }

    // scratch holds the folded name while it is looked up.
    [[nodiscard]] Match find(QStringView name, QString& scratch) const {
        if (foldsToItself(name)) {
            const auto it = m_folded.constFind(TextKey{name});
            if (it == m_folded.constEnd())
                return Match::None;
            return *it ? Match::Exact : Match::OtherCase;
        }
        if (m_unfolded.contains(TextKey{name}))
            return Match::Exact;
        scratch = name.toString().toCaseFolded();
        return m_folded.contains(TextKey{scratch}) ? Match::OtherCase : Match::None;
    }

private:
    // The tables hold views of these texts.
    QStringList m_names;
    std::vector<QString> m_foldedNames;
    // Folded form to whether it is itself one of the names.
    QHash<TextKey, bool> m_folded;
    QSet<TextKey> m_unfolded;
};

TextKey folderOf(const QString& path) {
    return TextKey{QStringView(path).left(path.lastIndexOf(QLatin1Char('/')) + 1)};
}

// Whether some entry would get a name that a file or folder on disk already has, other than the row's own
// name or that of a file of the plan that moves away first (freed, the run takes it in turn). Folders that
// many entries go to are read once instead of looking up every name. The tables hold views of the entries'
// paths; entries come folder by folder as a rule, so the folder tables are looked up once per run of entries.
bool nameInUse(const std::vector<RenameEntry>& entries,
               const std::vector<FileRow>& rows,
               const FileSystem& fs,
               PlaceKeys& places,
               bool moves) {
    // The places the files of the plan leave, gathered when a name is first found in use.
    std::optional<QSet<PlaceKey>> freed;
    auto freedByThePlan = [&](const QString& dest) {
        if (!moves)
            return false;
        if (!freed) {
            freed.emplace();
            for (const RenameEntry& entry : entries) {
                if (entry.destPath != entry.sourcePath && !entry.nameTooLong)
                    freed->insert(places.keyOf(entry.sourcePath));
            }
        }
        return freed->contains(places.keyOf(dest));
    };
    constexpr qsizetype kReadFolderFrom = 32;
    QHash<TextKey, qsizetype> perFolder;
    for (std::size_t first = 0; first < entries.size();) {
        const TextKey folder = folderOf(entries[first].destPath);
        std::size_t next = first + 1;
        while (next < entries.size() && folderOf(entries[next].destPath) == folder)
            ++next;
        perFolder[folder] += static_cast<qsizetype>(next - first);
        first = next;
    }
    QHash<TextKey, FolderNames> listed;
    std::optional<TextKey> namesFolder;
    const FolderNames* names = nullptr;
    QString foldedDestName;
    for (std::size_t i = 0; i < entries.size() && i < rows.size(); ++i) {
        const QString& dest = entries[i].destPath;
        const qsizetype slash = dest.lastIndexOf(QLatin1Char('/'));
        const QStringView destName = QStringView(dest).sliced(slash + 1);
        // The row's own place is never reported, whatever is there; nor is a name that cannot be used at all.
        if (dest == entries[i].sourcePath || entries[i].nameTooLong)
            continue;
        const TextKey folder{QStringView(dest).left(slash + 1)};
        if (namesFolder != folder) {
            namesFolder = folder;
            names = nullptr;
            if (perFolder.value(folder) >= kReadFolderFrom) {
                auto it = listed.find(folder);
                if (it == listed.end())
                    it = listed.insert(folder, FolderNames(fs.entryNames(folder.text.toString())));
                names = &*it;
            }
        }
        if (names != nullptr) {
            const FolderNames::Match match = names->find(destName, foldedDestName);
            if (match == FolderNames::Match::Exact) {
                if (freedByThePlan(dest))
                    continue;
                return true;
            }
            // Only a file system that ignores letter case can hold it under other letters.
            if (match == FolderNames::Match::None)
                continue;
        }
        // The same name in another folder is another file; under other letters it may be the row's own file
        // on a file system that ignores letter case, which the name it is stored under tells.
        if (fs.status(dest) &&
            (destName == rows[i].name || fs.storedName(dest).value_or(destName.toString()) != rows[i].name) &&
            !freedByThePlan(dest))
            return true;
    }
    return false;
}

// Tells the user, in one message, of every row whose new name is too long for a folder entry.
bool reportLongNamesOf(const std::vector<RenameEntry>& entries, UserPrompt& prompt) {
    LongNames longNames;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].nameTooLong)
            longNames.add(i + 1, fileNameOf(entries[i].destPath));
    }
    return longNames.report(prompt);
}

} // namespace

void LongNames::add(std::size_t row, QStringView name) {
    m_rows += QStringLiteral("\r\n") + tr("%1 行目：").arg(row) + withVisibleControls(name.toString());
}

bool LongNames::report(UserPrompt& prompt) const {
    if (m_rows.isEmpty())
        return false;
    prompt.inform(tr("新しい名前が長すぎるファイルがあります（名前は %1 バイトまでです）。").arg(kMaxNameBytes) +
                      m_rows,
                  programTitle(), PromptIcon::Exclamation);
    return true;
}

void renumberDuplicates(RenamePlan& plan) {
    renumberEntries(plan);
}

bool reportLongNames(const RenamePlan& plan, UserPrompt& prompt) {
    return reportLongNamesOf(plan.entries(), prompt);
}

std::optional<QString> targetFolderOf(const RunOptions& options, UserPrompt& prompt) {
    if (!options.moveToFolder)
        return QString();
    QString target = options.targetFolder;
    if (target.isEmpty() || !target.startsWith(QLatin1Char('/'))) {
        prompt.inform(tr("移動先のフォルダが選ばれていません。\r\nフォルダを選んでから、もう一度実行してください。"),
                      programTitle(), PromptIcon::Exclamation);
        return std::nullopt;
    }
    if (!target.endsWith(QLatin1Char('/')))
        target += QLatin1Char('/');
    return target;
}

bool completePaths(RenamePlan& plan,
                   const std::vector<FileRow>& rows,
                   const RunOptions& options,
                   const FileSystem& fs,
                   UserPrompt& prompt) {
    const std::optional<QString> target = targetFolderOf(options, prompt);
    if (!target)
        return false;
    std::vector<RenameEntry>& entries = plan.entries();
    inTwoHalves(std::min(entries.size(), rows.size()), [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const QString& folder = options.moveToFolder ? *target : rows[i].path;
            entries[i].destPath = QStringView(folder) % QStringView(entries[i].destPath);
            entries[i].sourcePath = rows[i].fullPath();
        }
    });
    // A destination that is the source under another spelling ("d/./a", a link to d) is no move at all.
    PlaceKeys places(fs);
    for (RenameEntry& entry : entries) {
        if (entry.destPath != entry.sourcePath && fileNameOf(entry.destPath) == fileNameOf(entry.sourcePath) &&
            places.samePlace(entry.destPath, entry.sourcePath))
            entry.destPath = entry.sourcePath;
    }
    return true;
}

CheckVerdict checkPlan(RenamePlan& plan,
                       const std::vector<FileRow>& rows,
                       const RunOptions& options,
                       const FileSystem& fs,
                       UserPrompt& prompt,
                       bool forTest) {
    std::vector<RenameEntry>& entries = plan.entries();
    // Names no folder can hold are told before anything is touched; a run does not start with them, a test
    // shows them as failed steps.
    if (reportLongNamesOf(entries, prompt) && !forTest)
        return CheckVerdict::Abort;
    if (options.renameOnCollision)
        return CheckVerdict::GoOn;

    PlaceKeys places(fs);
    std::future<bool> inUse;
    if (options.renumberOnCollision) {
        renumberEntries(plan);
    } else {
        // The names in use are looked for meanwhile, as long as nothing is asked first.
        inUse = std::async(std::launch::async, [&entries, &rows, &fs, &options] {
            PlaceKeys ownPlaces(fs);
            return nameInUse(entries, rows, fs, ownPlaces, !options.copy);
        });
        std::vector<const QString*> dests;
        dests.reserve(entries.size());
        for (const RenameEntry& entry : entries) {
            if (!entry.nameTooLong)
                dests.push_back(&entry.destPath);
        }
        // Two of them lead to one place when there are fewer places than paths.
        PlaceNumbers destPlaces(fs, dests.size());
        static_cast<void>(
            destPlaces.number(dests.size(), [&dests](std::size_t k) -> const QString& { return *dests[k]; }));
        if (destPlaces.count() < static_cast<qsizetype>(dests.size()))
            return verdict(askToContinue(prompt, tr("同一の名前に変換されるファイルがあります。")));
    }

    if ((inUse.valid() ? inUse.get() : nameInUse(entries, rows, fs, places, !options.copy)) &&
        !askToContinue(prompt, tr("すでに使用されている名前に変換されるファイルがあります。")))
        return CheckVerdict::Abort;

    if (options.copy) {
        for (const RenameEntry& entry : entries) {
            const PlaceKey dest = places.keyOf(entry.destPath);
            const PlaceKey source = places.keyOf(entry.sourcePath);
            if (dest.folder == source.folder && dest.folderText == source.folderText &&
                dest.name.compare(source.name, Qt::CaseInsensitive) == 0)
                return verdict(
                    askToContinue(prompt, tr("コピーする際送り側と受け側のファイルが同じになるものがあります。")));
        }
    }
    return CheckVerdict::GoOn;
}
