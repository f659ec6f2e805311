#include "execution/PlanPreview.h"

#include "expression/BuildTypes.h"
#include "expression/RowNamer.h"
#include "platform/FileSystem.h"
#include "platform/FreedMemory.h"
#include "platform/PlaceKeys.h"
#include "platform/UserPrompt.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <utility>

// Keeps the last message a build would have shown and answers every question with its default.
class CollectingPrompt final : public UserPrompt {
public:
    QString last;

    PromptAnswer message(const QString& text, const QString&, PromptIcon, PromptButtons, PromptAnswer answer) override {
        last = text;
        return answer;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
};

namespace {

// How many rows go between two looks at the clock.
constexpr qsizetype kRowsPerLook = 64;

QString oneLine(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).simplified();
}

} // namespace

// What the check of the new places keeps from one slice to the next.
struct PlanPreview::CheckState {
    explicit CheckState(const FileSystem& fs)
        : places(fs) {}

    PlaceKeys places;
    QString target;
    QSet<PlaceKey> sourcePlaces;
    QHash<PlaceKey, std::size_t> firstAt;
    // The names in the folders the rows go to, read meanwhile on a thread of their own.
    QHash<QString, FolderNameSets> listings;
};

PlanPreview::PlanPreview(const FileSystem& fs, const Clock& clock)
    : m_fs(fs)
    , m_clock(clock)
    , m_prompt(std::make_unique<CollectingPrompt>()) {}

PlanPreview::~PlanPreview() {
    // The reading of the folders looks at the file system by reference.
    for (std::future<void>& disposal : m_disposals)
        disposal.wait();
}

void PlanPreview::disposeInBackground() {
    std::erase_if(m_disposals, [](const std::future<void>& disposal) {
        return disposal.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    if (!m_check && !m_listings.valid())
        return;
    // Freeing the tables of a whole list, or waiting for a folder still being read, takes longer than a slice.
    m_disposals.push_back(
        std::async(std::launch::async, [check = std::move(m_check), listings = std::move(m_listings)]() mutable {
            check.reset();
            if (listings.valid())
                listings.wait();
            listings = {};
            returnFreedMemory();
        }));
}

bool PlanPreview::start(const QString& format, std::vector<FileRow> rows, const RunOptions& options, QString& message) {
    m_namer.reset();
    m_context.reset();
    disposeInBackground();
    m_rows = std::move(rows);
    m_options = options;
    m_preview.assign(m_rows.size(), NamePreview{});
    m_named.assign(m_rows.size(), false);
    m_next = 0;
    m_changedFirst = 0;
    m_changedLast = static_cast<qsizetype>(m_rows.size()) - 1;
    m_prompt->last.clear();
    m_context = std::make_unique<BuildContext>(BuildContext{m_rows, m_options.build, *m_prompt, m_clock, m_fs});
    BuildStatus status = BuildStatus::Blank;
    m_namer = prepareNamer(format, *m_context, status);
    if (!m_namer) {
        // A blank format names nothing: the column stays empty, without a word.
        message = status == BuildStatus::Failed ? oneLine(m_prompt->last) : QString();
        finish();
        std::vector<NamePreview>().swap(m_preview);
        m_changedLast = -1;
        return status != BuildStatus::Failed;
    }
    m_phase = Phase::Naming;
    // The folders are read while the rows are named: a large folder would hold up the window for longer than
    // a slice. The file system reads no state of its own, and the names come back by value.
    QStringList folders;
    if (m_options.moveToFolder) {
        folders.append(m_options.targetFolder.endsWith(QLatin1Char('/')) ? m_options.targetFolder
                                                                         : m_options.targetFolder + QLatin1Char('/'));
    } else {
        for (const FileRow& row : m_rows) {
            if (folders.isEmpty() || folders.constLast() != row.path)
                folders.append(row.path);
        }
        folders.removeDuplicates();
    }
    const FileSystem& fs = m_fs;
    m_listings = std::async(std::launch::async, [&fs, folders] {
        QHash<QString, FolderNameSets> listings;
        for (const QString& folder : folders) {
            const QStringList names = fs.entryNames(folder);
            FolderNameSets& listing = listings[folder];
            listing.names = QSet<QString>(names.begin(), names.end());
            for (const QString& name : names)
                listing.folded.insert(name.toCaseFolded());
        }
        return listings;
    });
    return true;
}

void PlanPreview::prefer(qsizetype first, qsizetype last) {
    m_preferredFirst = std::max<qsizetype>(first, 0);
    m_preferredLast = std::min<qsizetype>(last, static_cast<qsizetype>(m_rows.size()) - 1);
}

void PlanPreview::touched(qsizetype index) {
    if (m_changedFirst > m_changedLast) {
        m_changedFirst = m_changedLast = index;
        return;
    }
    m_changedFirst = std::min(m_changedFirst, index);
    m_changedLast = std::max(m_changedLast, index);
}

std::pair<qsizetype, qsizetype> PlanPreview::takeChangedRange() {
    const std::pair<qsizetype, qsizetype> range{m_changedFirst, m_changedLast};
    m_changedFirst = 0;
    m_changedLast = -1;
    return range;
}

// Rows whose reasons read alike share one text of it: a million rows may fail the same way.
const QString& PlanPreview::sharedReason(const QString& reason) {
    if (reason != m_lastReason)
        m_lastReason = reason;
    return m_lastReason;
}

void PlanPreview::nameRow(qsizetype index) {
    const auto i = static_cast<std::size_t>(index);
    NameChange change;
    NamePreview& preview = m_preview[i];
    m_prompt->last.clear();
    if (!m_namer->nameRow(i, change)) {
        preview = {QString(), PreviewState::Error, sharedReason(oneLine(m_prompt->last))};
    } else if (change.nameTooLong) {
        preview = {QString(), PreviewState::Error,
                   sharedReason(tr("名前が長すぎます（%1 バイトまでです）。").arg(kMaxNameBytes))};
    } else {
        const bool same = !m_options.moveToFolder && change.destName == m_rows[i].name;
        preview.name = std::move(change.destName);
        preview.state = same ? PreviewState::Unchanged
                             : (change.charactersRemoved ? PreviewState::CharactersRemoved : PreviewState::Renamed);
        preview.reason =
            change.charactersRemoved ? sharedReason(tr("ファイル名に使えない文字を消しました。")) : QString();
    }
    m_named[i] = true;
    touched(index);
}

bool PlanPreview::work(std::chrono::microseconds budget) {
    if (m_phase == Phase::Done)
        return true;
    const auto until = std::chrono::steady_clock::now() + budget;
    const auto count = static_cast<qsizetype>(m_rows.size());
    qsizetype sinceLook = 0;
    auto timeIsUp = [&] {
        if (++sinceLook < kRowsPerLook)
            return false;
        sinceLook = 0;
        return std::chrono::steady_clock::now() >= until;
    };
    if (m_phase == Phase::Naming) {
        // Rows on screen first, when no row's name waits for the rows before it.
        if (!m_namer->dependsOnOrder()) {
            for (qsizetype i = m_preferredFirst; i <= m_preferredLast; ++i) {
                if (!m_named[static_cast<std::size_t>(i)])
                    nameRow(i);
                if (timeIsUp())
                    return false;
            }
        }
        for (; m_next < count; ++m_next) {
            if (!m_named[static_cast<std::size_t>(m_next)])
                nameRow(m_next);
            if (timeIsUp()) {
                ++m_next;
                return false;
            }
        }
        m_phase = Phase::Sources;
        m_next = 0;
        m_check = std::make_unique<CheckState>(m_fs);
        m_check->target = m_options.targetFolder.endsWith(QLatin1Char('/')) ? m_options.targetFolder
                                                                            : m_options.targetFolder + QLatin1Char('/');
        m_check->sourcePlaces.reserve(count);
        m_check->firstAt.reserve(count);
    }
    // Until the folders are read, each place is looked at on its own.
    if (m_listings.valid() && m_listings.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
        m_check->listings = m_listings.get();
    // The same slices go through the sources, then through the new places.
    for (Phase phase : {Phase::Sources, Phase::Checking}) {
        if (m_phase != phase)
            continue;
        for (; m_next < count; ++m_next) {
            if (phase == Phase::Sources)
                addSource(m_next);
            else
                checkRow(m_next);
            if (timeIsUp()) {
                ++m_next;
                return false;
            }
        }
        m_next = 0;
        m_phase = phase == Phase::Sources ? Phase::Checking : Phase::Done;
    }
    // The folders' names, when they came too late for the check, go with its tables.
    disposeInBackground();
    finish();
    return true;
}

void PlanPreview::finish() {
    m_phase = Phase::Done;
    // What named and checked the rows goes; the preview is all there is left to show. The check's keys, freed
    // meanwhile, only view the rows' names and do not read them on the way out.
    m_namer.reset();
    m_context.reset();
    std::vector<FileRow>().swap(m_rows);
    std::vector<bool>().swap(m_named);
}

std::vector<NamePreview> PlanPreview::takeRows() {
    return std::exchange(m_preview, {});
}

void PlanPreview::addSource(qsizetype index) {
    const auto i = static_cast<std::size_t>(index);
    // The keys hold views of the rows' names, and of the new names below.
    m_check->sourcePlaces.insert(m_check->places.keyOf(m_rows[i].path, m_rows[i].name));
}

// The new places against each other and against what the folders hold. A name held by a file of the list is
// no conflict: that file either moves away or keeps the name, and then the two rows share one new name.
void PlanPreview::checkRow(qsizetype index) {
    const auto i = static_cast<std::size_t>(index);
    CheckState& check = *m_check;
    NamePreview& preview = m_preview[i];
    if (preview.state == PreviewState::Error || preview.state == PreviewState::Pending)
        return;
    const QString& folder = m_options.moveToFolder ? check.target : m_rows[i].path;
    const PlaceKey dest = check.places.keyOf(folder, preview.name);
    if (dest == check.places.keyOf(m_rows[i].path, m_rows[i].name)) {
        preview.state = PreviewState::Unchanged;
        preview.reason.clear();
    }
    const auto first = check.firstAt.constFind(dest);
    if (first != check.firstAt.constEnd()) {
        const QString reason = tr("%1 行目と同じ名前になります。");
        preview.state = PreviewState::Duplicate;
        preview.reason = reason.arg(*first + 1);
        NamePreview& other = m_preview[*first];
        if (other.state != PreviewState::Duplicate) {
            other.state = PreviewState::Duplicate;
            other.reason = reason.arg(i + 1);
        }
        touched(static_cast<qsizetype>(*first));
        touched(index);
        return;
    }
    check.firstAt.insert(dest, i);
    if (preview.state == PreviewState::Unchanged || check.sourcePlaces.contains(dest))
        return;
    // A name the folder did not hold when it was read, under any letters, is free. Any other place is looked
    // at, spread over the slices like the rest; under other letters on a file system that ignores case it may
    // be the row's own file.
    const auto listed = check.listings.constFind(folder);
    if (listed != check.listings.constEnd() && !listed->names.contains(preview.name) &&
        !listed->folded.contains(preview.name.toCaseFolded()))
        return;
    const QString path = folder + preview.name;
    if (m_fs.exists(path) && m_fs.storedName(path).value_or(preview.name) != m_rows[i].name) {
        preview.state = PreviewState::InUse;
        preview.reason = sharedReason(tr("リストにないファイルがこの名前を使っています。"));
        touched(index);
    }
}

PreviewSummary PlanPreview::summary() const {
    PreviewSummary summary;
    for (const NamePreview& preview : m_preview) {
        switch (preview.state) {
        case PreviewState::Renamed:
        case PreviewState::CharactersRemoved:
            ++summary.changed;
            break;
        case PreviewState::Duplicate:
        case PreviewState::InUse:
            ++summary.collisions;
            break;
        case PreviewState::Error:
            ++summary.errors;
            break;
        case PreviewState::Pending:
        case PreviewState::Unchanged:
            break;
        }
    }
    return summary;
}
