#pragma once

#include <vector>

class FileSystem;
class RenamePlan;
class UserPrompt;
struct FileRow;
struct RunOptions;

// Puts the destination folder before each new name and fills in the source paths. False, after
// telling the user, when files are to go into a target folder that has not been chosen.
bool completePaths(RenamePlan& plan, const std::vector<FileRow>& rows, const RunOptions& options, UserPrompt& prompt);

// Looks for new names that collide inside the plan or with files on disk, and for copies onto
// themselves; renumbers duplicates when asked to, and asks the user about the rest. True means abort.
bool checkPlan(RenamePlan& plan,
               const std::vector<FileRow>& rows,
               const RunOptions& options,
               const FileSystem& fs,
               UserPrompt& prompt);
