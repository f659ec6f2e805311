#include "platform/linux/LinuxShellFileOperation.h"

LinuxShellFileOperation::LinuxShellFileOperation(UserPrompt& prompt)
    : m_prompt(prompt)
{
}

FileOperationResult LinuxShellFileOperation::run(int operation, const QStringList& sources,
                                                 const QStringList& destinations, int flags)
{
    Q_UNUSED(operation)
    Q_UNUSED(sources)
    Q_UNUSED(destinations)
    Q_UNUSED(flags)
    return {1, false};
}
