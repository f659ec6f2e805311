#pragma once

#include <QCoreApplication>
#include <QStringList>

class FileSystem;
class WorkHost;

// The folders an add with subfolders takes its files from.
class SubfolderWalk final {
    Q_DECLARE_TR_FUNCTIONS(SubfolderWalk)

public:
    // The folder and every folder below it, each ending in '/', breadth first: the folder, its direct
    // subfolders in the order of the file search, then theirs level by level. Links to folders are not
    // entered, nor is a folder reached a second time (one mounted inside itself), so the walk ends; a folder
    // that cannot be read has no subfolders. Events are let in after every folder; a stop request ends the
    // walk with the folders found so far.
    static QStringList collectSubfolders(const FileSystem& fs, const QString& folder, WorkHost& host);

    // Appends the folders directly inside folder (which ends in '/') to list.
    static void scanSubfolders(const FileSystem& fs, const QString& folder, QStringList& list);
};
