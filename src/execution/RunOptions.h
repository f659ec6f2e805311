#pragma once

#include "expression/BuildTypes.h"

#include <QString>

// The switches a test, run or undo reads.
struct RunOptions {
    BuildOptions build;
    bool moveToFolder = false;
    QString targetFolder; // the chosen folder, or the caption that says none was chosen
    bool copy = false;
    bool recycled = true;
    bool renameOnCollision = false;
    bool renumberOnCollision = false;
    bool noErrorUi = false;
    bool noConfirmation = false;
    bool multidestFiles = false;
    bool hideList = false;
    bool showLog = true;
    bool clearAfterRename = false;
};
