#pragma once

#include "platform/ShellFileOperation.h"
#include "platform/linux/ShellFileSyscalls.h"

class UserPrompt;

// The shell's file operation on Linux. A move is one renameat2 that never replaces; everything else
// (collisions, missing folders, other file systems) is worked out only after that call has failed.
// Questions and error boxes go through the prompt; the system calls through `syscalls` when given (not
// owned; a test passes one that fails chosen calls), else straight to the system.
class LinuxShellFileOperation final : public ShellFileOperation {
public:
    explicit LinuxShellFileOperation(UserPrompt& prompt, ShellFileSyscalls* syscalls = nullptr);
    FileOperationResult run(FileOperation operation,
                            const QStringList& sources,
                            const QStringList& destinations,
                            FileOperationFlags flags) override;
    [[nodiscard]] std::unique_ptr<MovesAtOnce> movesAtOnce() override;
    int removeUnfinishedCopies(const QString& folder) override;

private:
    UserPrompt& m_prompt;
    ShellFileSyscalls m_ownSyscalls;
    ShellFileSyscalls& m_syscalls;
};
