#pragma once

#include "expression/RuntimeError.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class FileSystem;
class RowPath;
class SequenceCounters;
class UserPrompt;
struct NameChange;

// What the check of a call found wrong.
enum class CheckProblem : std::uint8_t { None, MissingArgument, TooManyArguments, UnknownFunction };

// Counts a call's arguments, fills in the defaults and names the change-mask bit the call sets.
struct CheckOutcome {
    CheckProblem problem = CheckProblem::None;
    std::uint16_t changeMaskBit = 0;
};
CheckOutcome checkCall(const QString& function, QStringList& arguments);

// Where a function gets what it needs besides its arguments.
struct CallContext {
    const FileSystem& fs;
    const RowPath& fullPath; // the row's file
    NameChange& change;      // the row's requested attributes and times
    SequenceCounters& counters;
    UserPrompt& prompt;
};

// A function's value, or the error that stops the build. "reported" means the user has been told
// already (arithmetic and counters speak for themselves).
struct CallResult {
    QString value;
    RuntimeError error = RuntimeError::None;
    bool reported = false;

    static CallResult ok(QString value) { return {std::move(value), RuntimeError::None, false}; }
    static CallResult fail(RuntimeError error) { return {QString(), error, false}; }
    static CallResult failReported() { return {QString(), RuntimeError::None, true}; }
    [[nodiscard]] bool failed() const { return error != RuntimeError::None || reported; }
};

CallResult callFunction(const QString& function, const QStringList& arguments, const CallContext& context);

// The longest text a function may make; past it the build stops with "out of memory".
constexpr qsizetype kMaxTextLength = 1 << 20;

// setattr's argument: a number gives the bits outright; otherwise "+" and "-" switch between adding and
// removing the letters R, H, S and A to and from the file's current bits (-1 when they cannot be read).
qint32 applyAttributeArgument(const FileSystem& fs, const QString& path, const QString& argument);
