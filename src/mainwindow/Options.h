#pragma once

#include "execution/RunOptions.h"
#include "filelist/AddSettings.h"

#include <QString>

#include <array>

// Every switch of the program with its first-start value; the menus show and change these.
struct Options {
    // Files
    QString wildCard = QStringLiteral("*.*");
    qint32 ignoredAttributes = 0;
    bool moveToFolder = false;
    QString targetFolder = noTargetFolder();
    bool copy = false;
    bool recycled = true;
    // File names
    bool noUseChr = true;
    bool noFormat = true;
    bool renameOnCollision = false; // never switched on: its menu item is hidden
    bool renumberOnCollision = false;
    // Other
    bool clearAfterRename = false;
    bool alwaysFunction = true;
    bool noErrorUi = false;
    bool noConfirmation = false;
    int maxFileSize = 1024;
    bool multidestFiles = false;
    // View
    std::array<bool, 2> showCoolbar = {true, true};
    bool toolbarCaption = true;
    bool statusBar = true;
    bool autoSort = false;
    bool ascending = true;
    bool toolTip = true;
    bool showLog = true;
    bool hideList = false;

    [[nodiscard]] AddSettings addSettings() const {
        return {wildCard, ignoredAttributes, hideList, autoSort, ascending};
    }

    [[nodiscard]] RunOptions runOptions() const {
        RunOptions run;
        run.build = {alwaysFunction, noUseChr, noFormat};
        run.moveToFolder = moveToFolder;
        run.targetFolder = targetFolder;
        run.copy = copy;
        run.recycled = recycled;
        run.renameOnCollision = renameOnCollision;
        run.renumberOnCollision = renumberOnCollision;
        run.noErrorUi = noErrorUi;
        run.noConfirmation = noConfirmation;
        run.multidestFiles = multidestFiles;
        run.hideList = hideList;
        run.showLog = showLog;
        run.clearAfterRename = clearAfterRename;
        return run;
    }

    // The caption of the target folder item while no folder has been chosen.
    static QString noTargetFolder() { return QStringLiteral("（なし）"); }
};
