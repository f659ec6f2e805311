#pragma once

#include "execution/RenamePlan.h"
#include "platform/FileSystem.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <span>

class FileListModel;
struct FileRow;

// One kind of time change of a plan, with what a run and an undo write about it.
struct TimeStep {
    std::uint16_t mask;
    FileTimeKind kind;
    double RenameEntry::*field;
    std::uint8_t done;
    const char* busy;
    const char* changed;
    const char* failure;
    const char* restored;
    const char* notRestored;
};

// The time changes in the order they are made: creation, last access, last write.
std::span<const TimeStep> timeSteps();

// A time as the log shows it: the last-access time as a date alone.
QString timeText(FileTimeKind kind, double value);

// Keeps the list's rows in step with the files a run or an undo moves.
namespace PlanRows {
// Row `row` (from 0) now shows the file at path. A folder text equal to the row's own is kept, shared with
// the other rows of that folder.
void showFileAt(FileListModel& list, qsizetype row, const QString& path);
void change(FileListModel& list, qsizetype row, const std::function<void(FileRow&)>& change);
} // namespace PlanRows
