#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The operations and flags of the shell's file operation, with their published values.
namespace FileOperation {
constexpr int kMove = 1;
constexpr int kCopy = 2;
constexpr int kDelete = 3;
constexpr int kRename = 4;
} // namespace FileOperation

namespace FileOperationFlag {
constexpr int kMultiDestFiles = 1;
constexpr int kSilent = 4;
constexpr int kRenameOnCollision = 8;
constexpr int kNoConfirmation = 16;
constexpr int kAllowUndo = 64;
constexpr int kNoConfirmMkdir = 512;
constexpr int kNoErrorUi = 1024;
} // namespace FileOperationFlag

// A failed file does not stop the others; result then holds the errno of the first failure (ECANCELED
// when the user answered No), and aborted says that some file was given up at a question.
struct FileOperationResult {
    int result = 0;         // 0 = every file done
    bool aborted = false;   // the user stopped it at a question
    std::vector<bool> done; // with several sources, whether each was done; empty when it cannot tell
};

// Moves, copies, deletes or renames files. With several sources and kMultiDestFiles, source i goes to
// destination i; without it, every source goes into the one destination (a folder).
class ShellFileOperation {
public:
    virtual ~ShellFileOperation() = default;
    virtual FileOperationResult
    run(int operation, const QStringList& sources, const QStringList& destinations, int flags) = 0;
};
