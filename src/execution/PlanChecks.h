#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class FileSystem;
class RenamePlan;
class UserPrompt;
struct FileRow;
struct RunOptions;

// Puts the destination folder before each new name and fills in the source paths; a destination that is
// the source itself, spelled otherwise, becomes the source's path. False, after telling the user, when files
// are to go into a target folder that has not been chosen.
bool completePaths(RenamePlan& plan,
                   const std::vector<FileRow>& rows,
                   const RunOptions& options,
                   const FileSystem& fs,
                   UserPrompt& prompt);

// The folder every file goes into, ending in '/', when they are to go into a target folder; empty when each
// stays in its own. Nothing, after telling the user, when the target folder has not been chosen.
std::optional<QString> targetFolderOf(const RunOptions& options, UserPrompt& prompt);

// The rows whose new names are too long for any folder, gathered as they are named and told in one message.
class LongNames {
public:
    // Row numbers count from 1.
    void add(std::size_t row, QStringView name);
    // False when there is none.
    bool report(UserPrompt& prompt) const;

private:
    QString m_rows;
};

bool reportLongNames(const RenamePlan& plan, UserPrompt& prompt);

// Gives entries with equal destinations _1, _2, ... before the extension, in plan order.
void renumberDuplicates(RenamePlan& plan);

// What the checks of a plan decided, after asking the user where they had to.
enum class CheckVerdict : std::uint8_t {
    GoOn,
    Abort,
};

// Looks for new names too long for any folder, names that collide inside the plan or with files on disk, and
// copies onto themselves; renumbers duplicates when asked to, and asks the user about the rest.
// Places are compared, not path texts.
CheckVerdict checkPlan(RenamePlan& plan,
                       const std::vector<FileRow>& rows,
                       const RunOptions& options,
                       const FileSystem& fs,
                       UserPrompt& prompt,
                       bool forTest = false);
