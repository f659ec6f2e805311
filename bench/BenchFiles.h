#pragma once

#include <QString>

// A folder of numbered empty files under the system's temporary folder, made once per process and
// per count, and removed at exit. Returns the folder, ending in '/'.
QString benchFolder(int count);

// A tree of folderCount folders (the root, a hundred folders below it, the rest spread below those) holding
// fileCount empty files in all, spread over every folder but the root; made once per process and removed at
// exit. Returns the root, ending in '/'.
QString benchTree(int folderCount, int fileCount);
