#pragma once

#include <QCoreApplication>

class FileListModel;
class FileSystem;
class ShellFileOperation;
class UserPrompt;

// Renames the file of one row to a name typed into the list, through the shell's file operation, which can
// undo it on its side; the program's own undo does not know of it.
class InPlaceRename final {
    Q_DECLARE_TR_FUNCTIONS(InPlaceRename)

public:
    InPlaceRename(FileListModel& model, const FileSystem& fs, ShellFileOperation& files, UserPrompt& prompt);

    // Whether the row shows the new name now. The row follows only a rename that succeeded. A name that is
    // empty, that would lead out of the folder ("/", NUL, "." or "..") or that another file of the folder has
    // is refused with a message before anything is touched; a failed rename was reported by the operation.
    bool renameRow(qsizetype row, const QString& newName);

private:
    [[nodiscard]] bool
    isTakenByAnotherFile(const QString& folder, const QString& oldName, const QString& newName) const;

    FileListModel& m_model;
    const FileSystem& m_fs;
    ShellFileOperation& m_files;
    UserPrompt& m_prompt;
};
