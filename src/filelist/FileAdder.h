#pragma once

#include "filelist/AddSettings.h"
#include "filelist/FileListModel.h"
#include "filelist/FileRow.h"
#include "filelist/PendingBatch.h"

#include <QCoreApplication>

#include <vector>

class WorkHost;
class FileSystem;
struct FolderEntry;
class UserPrompt;

// Adds files to the list: the filter, the ignored attributes and the duplicate rule applied.
class FileAdder final {
    Q_DECLARE_TR_FUNCTIONS(FileAdder)

public:
    FileAdder(FileListModel& model, const FileSystem& fs, UserPrompt& prompt);

    // Returns the number of rows added.
    qsizetype addPendingFiles(const PendingBatch& batch, const AddSettings& settings, WorkHost& feedback);
    // The files directly inside each folder (ending in '/'), one batch per folder in the given order, each with
    // its status texts, events and file count. The list is hidden (with hideList) and sorted (with autoSort)
    // once for all of them, which ends in the same rows; the rows reach the views in groups, a few times a
    // second, so that a tree of many small folders is not laid out and painted once per folder. A stop
    // request ends the add after the folder in hand. Returns the number of rows added.
    qsizetype addFolders(const QStringList& folders, const AddSettings& settings, WorkHost& feedback);
    // False when the row is listed already or the file is gone.
    bool addFileRow(const QString& folder, const QString& name);

    static QString fileCountText(qsizetype count);

private:
    // Adds the names of a batch to the appender; returns how many names were passed over as undecodable.
    int collect(const PendingBatch& batch, const AddSettings& settings, FileListModel::Appender& appender);
    // Adds the files of a folder's listing, but for those with an attribute to pass over.
    void addListedFiles(const QString& folder,
                        std::vector<FolderEntry>& entries,
                        qint32 ignoredAttributes,
                        FileListModel::Appender& appender);
    void reportUndecodable(int count);

    FileListModel& m_model;
    const FileSystem& m_fs;
    UserPrompt& m_prompt;
};
