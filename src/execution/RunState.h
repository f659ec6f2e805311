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

// Whether the plan is executed as a test (the log only) or for real.
enum class PlanMode : std::uint8_t {
    Run = 0,
    Test = 1,
};

// Whether the work in hand is to stop after the file in hand: the user asked for it, or a bulk call that did
// not complete ended the run.
enum class StopRequest : std::uint8_t {
    None = 0,
    Stop = 2,
};

// The plan and the values that the test, run and undo commands and the log viewer share. Whoever runs
// commands owns one and hands it on by reference.
struct RunState {
    // Nothing until the first plan is built.
    std::optional<RenamePlan> plan;
    PlanMode mode = PlanMode::Run;
    UndoState undoState = UndoState::Nothing;
    // The journal Undo reads: the last real run of this session, or the run found to undo at start-up; 0 for
    // none, when Undo falls back on the plan in memory.
    qint64 undoRun = 0;
    // The run to undo was found in the journal at start-up: Undo then works whatever the list holds.
    bool undoRunFromEarlierStart = false;
    // Tested after every file.
    StopRequest stopRequest = StopRequest::None;
    // Lines end with CR LF.
    QString logText;
    QString logCaption;
    bool logStartPressed = false;
};
