#pragma once

#include "filelist/PendingBatch.h"

#include <QStringList>

class FileSystem;

// The absolute path with each existing component as its directory stores it; components that do not
// exist are left out. No symbolic link is resolved.
QString longPathName(const FileSystem& fs, const QString& path);

// The program's arguments: each one path, relative to currentFolder unless absolute. Every path keeps
// its own folder; the batch's base folder is the folder of the last one. However many paths a folder
// holds, it is read about twice, not once for each.
PendingBatch prepareCommandLine(const FileSystem& fs, const QStringList& arguments, const QString& currentFolder);

// The paths the open dialog returned, all in one folder: that folder and the names in it.
PendingBatch splitDialogSelection(const QStringList& selectedPaths);

// Paths dropped from the shell, each taken whole, so that a drop gathered from several folders adds every
// file from its own folder; the batch's base folder is the folder of the last one. Paths that are not
// absolute are passed over.
PendingBatch prepareDroppedPaths(const QStringList& paths);
