#pragma once

#include "execution/RunOptions.h"
#include "filelist/FileRow.h"
#include "filelist/NamePreview.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <chrono>
#include <future>
#include <memory>
#include <vector>

class Clock;
class FileSystem;
class RowNamer;

// Counts of the preview's states, for the status bar.
struct PreviewSummary {
    qsizetype changed = 0;
    qsizetype collisions = 0; // the same new name as another row, or a name a file outside the list holds
    qsizetype errors = 0;
};

// The new name of every row and its state, built as a test builds them but without a message box, a slice
// at a time so that the window stays responsive. Rows are named first (the preferred ones first when the
// names do not depend on the order), then checked against each other and against the folders.
// The names in a folder, as they are and case-folded (for a file system that ignores letter case).
struct FolderNameSets {
    QSet<QString> names;
    QSet<QString> folded;
};

class PlanPreview final {
    Q_DECLARE_TR_FUNCTIONS(PlanPreview)

public:
    PlanPreview(const FileSystem& fs, const Clock& clock);
    ~PlanPreview();
    PlanPreview(const PlanPreview&) = delete;
    PlanPreview& operator=(const PlanPreview&) = delete;

    // Starts over. False when the format does not build; `message` then says why (and the rows are empty).
    bool start(const QString& format, std::vector<FileRow> rows, const RunOptions& options, QString& message);
    // Works until the budget is spent; true once every row is named and checked.
    bool work(std::chrono::microseconds budget);
    // Rows to name before the others, when the order allows it (the rows on screen).
    void prefer(qsizetype first, qsizetype last);

    [[nodiscard]] bool finished() const { return m_phase == Phase::Done; }
    [[nodiscard]] const std::vector<NamePreview>& rows() const { return m_preview; }
    // The finished preview, handed over whole; rows() is empty afterwards.
    std::vector<NamePreview> takeRows();
    [[nodiscard]] PreviewSummary summary() const;
    // The rows whose preview changed since the last call, as a first and last row (none: first > last).
    std::pair<qsizetype, qsizetype> takeChangedRange();

private:
    enum class Phase : std::uint8_t { Idle, Naming, Sources, Checking, Done };
    struct CheckState;

    void nameRow(qsizetype index);
    void addSource(qsizetype index);
    void checkRow(qsizetype index);
    void touched(qsizetype index);
    const QString& sharedReason(const QString& reason);
    // Done: lets go of the rows and of what named them.
    void finish();
    // Lets go of the check's tables and of the reading of the folders without waiting for either.
    void disposeInBackground();

    const FileSystem& m_fs;
    const Clock& m_clock;
    std::vector<FileRow> m_rows;
    RunOptions m_options;
    std::unique_ptr<class CollectingPrompt> m_prompt;
    std::unique_ptr<struct BuildContext> m_context;
    std::unique_ptr<RowNamer> m_namer;
    std::vector<NamePreview> m_preview;
    std::vector<bool> m_named;
    std::unique_ptr<CheckState> m_check;
    std::future<QHash<QString, FolderNameSets>> m_listings;
    // The check's tables and the folders' names of earlier previews, freed on threads of their own.
    std::vector<std::future<void>> m_disposals;
    Phase m_phase = Phase::Idle;
    qsizetype m_next = 0;
    qsizetype m_preferredFirst = 0;
    qsizetype m_preferredLast = -1;
    QString m_lastReason;
    qsizetype m_changedFirst = 0;
    qsizetype m_changedLast = -1;
};
