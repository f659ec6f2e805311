#include "filelist/InPlaceRename.h"

#include "filelist/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/ShellFileOperation.h"
#include "platform/UserPrompt.h"

InPlaceRename::InPlaceRename(FileListModel& model, const FileSystem& fs, ShellFileOperation& files, UserPrompt& prompt)
    : m_model(model)
    , m_fs(fs)
    , m_files(files)
    , m_prompt(prompt) {}

bool InPlaceRename::renameRow(qsizetype row, const QString& newName) {
    if (newName.isEmpty()) {
        m_prompt.inform(tr("名前を記入してください。"), programTitle(), PromptIcon::Critical);
        return false;
    }
    if (row < 0 || row >= m_model.size())
        return false;
    const FileRow& current = m_model.row(row);
    if (newName == current.name)
        return true;
    // Such a name would move the file into another folder, or cut the name short at the system's call.
    if (newName.contains(QLatin1Char('/')) || newName.contains(QChar(u'\0'))) {
        m_prompt.inform(tr("ファイル名に「/」や NUL 文字は使えません。"), programTitle(), PromptIcon::Critical);
        return false;
    }
    if (newName == QLatin1String(".") || newName == QLatin1String("..")) {
        m_prompt.inform(tr("「%1」はファイル名に使えません。").arg(newName), programTitle(), PromptIcon::Critical);
        return false;
    }
    const QString folder = current.path;
    const QString oldName = current.name;
    if (isTakenByAnotherFile(folder, oldName, newName)) {
        m_prompt.inform(tr("「%1」は既に存在します。").arg(newName), programTitle(), PromptIcon::Critical);
        return false;
    }
    const FileOperationResult result =
        m_files.run(FileOperation::Rename, {folder + oldName}, {folder + newName},
                    FileOperationFlags(FileOperationFlag::AllowUndo) | FileOperationFlag::Silent);
    if (result.result != 0)
        return false;
    m_model.moveRowFile(row, folder, newName);
    return true;
}

// A name in use is never replaced. The same file under other letters, on a file system that ignores letter
// case, is no other file: its folder stores it under the old name.
bool InPlaceRename::isTakenByAnotherFile(const QString& folder, const QString& oldName, const QString& newName) const {
    const QString target = folder + newName;
    if (!m_fs.status(target))
        return false;
    return m_fs.storedName(target) != oldName;
}
