#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// The operations and flags of the shell's file operation, with their published values.
enum class FileOperation : std::uint8_t {
    Move = 1,
    Copy = 2,
    Delete = 3,
    Rename = 4,
};

enum class FileOperationFlag : std::uint32_t {
    MultiDestFiles = 1,
    Silent = 4,
    RenameOnCollision = 8,
    NoConfirmation = 16,
    AllowUndo = 64,
    NoConfirmMkdir = 512,
    NoErrorUi = 1024,
    // The program's own flag, above the 16 bits the published ones use: a destination that exists makes
    // that file fail, unasked, and nothing is replaced. Undo moves with it.
    NeverReplace = 0x10000,
};
Q_DECLARE_FLAGS(FileOperationFlags, FileOperationFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(FileOperationFlags)

// A failed file does not stop the others; result then holds the errno of the first failure (ECANCELED
// when the user answered No), and aborted says that some file was given up at a question.
struct FileOperationResult {
    int result = 0;         // 0 = every file done
    bool aborted = false;   // the user stopped it at a question
    std::vector<bool> done; // with several sources, whether each was done; empty when it cannot tell
};

// Single files moved when nothing stands in their way, for as long as the object lives: what it holds to move
// them quickly (the folders last named) is let go when it is destroyed.
class MovesAtOnce {
public:
    virtual ~MovesAtOnce() = default;
    // Moves one file, asking and reporting nothing: true when it is done. False leaves everything as it was, and
    // ShellFileOperation::run() then finds out why.
    virtual bool move(const QString& from, const QString& to) = 0;
};

// Moves, copies, deletes or renames files. With several sources and kMultiDestFiles, source i goes to
// destination i; without it, every source goes into the one destination (a folder).
class ShellFileOperation {
public:
    virtual ~ShellFileOperation() = default;
    virtual FileOperationResult run(FileOperation operation,
                                    const QStringList& sources,
                                    const QStringList& destinations,
                                    FileOperationFlags flags) = 0;
    // The moves of one run or undo that can be made with a single call, or nothing where there are none. They
    // may be made on another thread than run(), though never at the same time.
    [[nodiscard]] virtual std::unique_ptr<MovesAtOnce> movesAtOnce() { return nullptr; }
    // Removes from the folder the copies a process began and never finished, because it was killed in the
    // middle of one (none that a live process is writing); how many went.
    virtual int removeUnfinishedCopies(const QString& folder) = 0;
};
