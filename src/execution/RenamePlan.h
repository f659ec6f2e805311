#pragma once

#include "platform/FileSystem.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct NameChange;

// The changes beyond the name that a format asks for; every entry of the plan gets them.
namespace ChangeMask {
constexpr std::uint16_t kAttributes = 2;
constexpr std::uint16_t kCreationTime = 4;
constexpr std::uint16_t kLastAccessTime = 8;
constexpr std::uint16_t kLastWriteTime = 16;
} // namespace ChangeMask

// The steps a real run completed for one entry; undo clears each bit when it has reversed it.
namespace DoneStep {
constexpr std::uint8_t kMoved = 1;
constexpr std::uint8_t kCopied = 2;
constexpr std::uint8_t kAttributes = 8;
constexpr std::uint8_t kCreationTime = 16;
constexpr std::uint8_t kLastAccessTime = 32;
constexpr std::uint8_t kLastWriteTime = 64;
} // namespace DoneStep

// One file of the plan. Before a real run the attributes and times are those to set; after a step
// succeeded they hold what the file had before, which is what undo restores.
struct RenameEntry {
    // The fields go from the widest to the narrowest, which leaves the least room between them: a plan holds one
    // entry for every file.
    QString sourcePath;
    QString destPath; // the new name alone until the paths are completed, then the full new path
    // Where the file waits while it is in the middle of a cycle of names (moved away from its old name, not
    // yet at its new one); empty otherwise.
    QString temporaryPath;
    double creationTime = 0.0;
    double lastAccessTime = 0.0;
    double lastWriteTime = 0.0;
    // For a plan read from a journal: the file the run found at sourcePath, and the one it left at destPath
    // (the same file after a move within one mount). Undo touches a file only while it is still that one.
    std::optional<FileIdentity> sourceIdentity;
    std::optional<FileIdentity> placedIdentity;
    // The write permissions the file had before its attributes changed (once that step is done), where the
    // platform has them: clearing read-only then gives back exactly these.
    std::optional<std::uint32_t> writePermissions;
    qint32 attributes = 0;
    std::uint8_t doneSteps = 0;
    // The new name is longer than a folder entry may be; destPath then shows only its start.
    bool nameTooLong = false;
    // From a journal: an earlier undo began to copy this file back to its old mount, and may have finished.
    bool moveBackBegun = false;

    // Where a file that was moved or copied is now.
    [[nodiscard]] const QString& currentPath() const { return temporaryPath.isEmpty() ? destPath : temporaryPath; }
    // Where the file is before its move to the new name: its old name, or the temporary one.
    [[nodiscard]] const QString& currentPathBeforeMove() const {
        return temporaryPath.isEmpty() ? sourcePath : temporaryPath;
    }
};

// The one plan of a test, run and undo: entry i (from 1) belongs to list row i at build time.
class RenamePlan final {
public:
    RenamePlan() = default;
    // Takes the built names; the rows themselves are freed when the plan is made, for what comes next to use.
    explicit RenamePlan(std::vector<NameChange> built, std::uint16_t changeMask);
    // A plan whose paths are complete, as a journal gives it back.
    RenamePlan(std::vector<RenameEntry>&& entries, std::uint16_t changeMask);

    [[nodiscard]] qsizetype upperBound() const { return static_cast<qsizetype>(m_entries.size()); }
    [[nodiscard]] bool isEmpty() const { return m_entries.empty(); }
    [[nodiscard]] RenameEntry& entry(qsizetype i) { return m_entries.at(static_cast<std::size_t>(i - 1)); }
    [[nodiscard]] const RenameEntry& entry(qsizetype i) const { return m_entries.at(static_cast<std::size_t>(i - 1)); }
    [[nodiscard]] std::uint16_t changeMask() const { return m_changeMask; }
    [[nodiscard]] std::vector<RenameEntry>& entries() { return m_entries; }
    [[nodiscard]] const std::vector<RenameEntry>& entries() const { return m_entries; }

    // A bulk run that did not complete leaves the list as it was: its rows still show the old paths.
    [[nodiscard]] bool rowsShowOldPaths() const { return m_rowsShowOldPaths; }
    void setRowsShowOldPaths() { m_rowsShowOldPaths = true; }

private:
    std::vector<RenameEntry> m_entries;
    std::uint16_t m_changeMask = 0;
    bool m_rowsShowOldPaths = false;
};
