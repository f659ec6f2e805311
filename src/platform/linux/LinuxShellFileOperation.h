#pragma once

#include "platform/ShellFileOperation.h"

class UserPrompt;

class LinuxShellFileOperation : public ShellFileOperation {
public:
    explicit LinuxShellFileOperation(UserPrompt& prompt);
    FileOperationResult run(int operation, const QStringList& sources, const QStringList& destinations,
                            int flags) override;

private:
    UserPrompt& m_prompt;
};
