#pragma once

#include "execution/RenamePlan.h"

#include <QString>

#include <cstdint>
#include <optional>

// What nothing is left to undo, a run to undo, a failed bulk run, and an interrupted undo mean.
enum class UndoState : std::uint8_t {
    Nothing = 0,
    Run = 1,
    BulkRunFailed = 2,
    UndoInterrupted = 3,
};

// The plan and the values that the test, run and undo commands, the progress dialog and the log
// viewer share. Whoever runs commands owns one and hands it on by reference.
struct RunState {
    // Nothing until the first plan is built.
    std::optional<RenamePlan> plan;
    // -1 while a test executes the plan, 0 for a real run.
    int testMode = 0;
    UndoState undoState = UndoState::Nothing;
    // 0 go on, 2 stop; tested after every file.
    int stopRequest = 0;
    // Lines end with CR LF.
    QString logText;
    QString logCaption;
    bool logStartPressed = false;

    static constexpr int kStop = 2;
};
