#pragma once

#include "execution/RunOptions.h"
#include "filelist/AddSettings.h"

#include <QString>

#include <array>

// Every switch and value the user sets through the menus, with its first-start value. The composition root
// owns the one instance; the menus show and change it, the settings keep it between starts. A switch has
// the same name here as in BuildOptions, RunOptions and AddSettings.
struct Options {
    // Files
    QString wildCard = QStringLiteral("*.*");
    qint32 ignoredAttributes = 0;
    bool moveToFolder = false;
    QString targetFolder = noTargetFolder();
    bool copy = false;
    bool recycled = true;
    // File names
    bool deleteInvalidChars = true;
    bool keepUnformatted = true;
    bool renameOnCollision = false; // never switched on: its menu item is hidden
    bool renumberOnCollision = false;
    // Other
    bool clearAfterRename = false;
    bool alwaysFunction = true;
    bool noErrorUi = false;
    bool noConfirmation = false;
    int maxFileSize = 1024;
    bool multidestFiles = false;
    QString initDir;
    // View
    std::array<bool, 2> showCoolbar = {true, true};
    bool toolbarCaption = true;
    bool showStatusBar = true;
    bool autoSort = false;
    bool ascending = true;
    bool toolTip = true;
    bool showLog = true;
    bool hideList = false;
    bool preview = true;

    [[nodiscard]] AddSettings addSettings() const {
        return {.wildCard = wildCard,
                .ignoredAttributes = ignoredAttributes,
                .hideList = hideList,
                .autoSort = autoSort,
                .ascending = ascending};
    }

    [[nodiscard]] RunOptions runOptions() const {
        return {.build = {.alwaysFunction = alwaysFunction,
                          .deleteInvalidChars = deleteInvalidChars,
                          .keepUnformatted = keepUnformatted},
                .moveToFolder = moveToFolder,
                .targetFolder = targetFolder,
                .copy = copy,
                .recycled = recycled,
                .renameOnCollision = renameOnCollision,
                .renumberOnCollision = renumberOnCollision,
                .noErrorUi = noErrorUi,
                .noConfirmation = noConfirmation,
                .multidestFiles = multidestFiles,
                .hideList = hideList,
                .showLog = showLog,
                .clearAfterRename = clearAfterRename};
    }

    // The caption of the target folder item while no folder has been chosen.
    static QString noTargetFolder() { return QStringLiteral("（なし）"); }
};
