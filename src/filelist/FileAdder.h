#pragma once

#include "filelist/AddSettings.h"
#include "filelist/FileRow.h"
#include "filelist/PendingBatch.h"

#include <QCoreApplication>

class WorkHost;
class FileListModel;
class FileSystem;
class UserPrompt;

// Adds files to the list: the filter, the ignored attributes and the duplicate rule applied.
class FileAdder final {
    Q_DECLARE_TR_FUNCTIONS(FileAdder)

public:
    FileAdder(FileListModel& model, const FileSystem& fs, UserPrompt& prompt);

    // Returns the number of rows added.
    qsizetype addPendingFiles(const PendingBatch& batch, const AddSettings& settings, WorkHost& feedback);
    // False when the row is listed already or the file is gone.
    bool addFileRow(const QString& folder, const QString& name);

    static QString fileCountText(qsizetype count);

private:
    FileListModel& m_model;
    const FileSystem& m_fs;
    UserPrompt& m_prompt;
};
