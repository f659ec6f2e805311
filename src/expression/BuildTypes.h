#pragma once

#include <QString>

#include <cstdint>
#include <vector>

class Clock;
class FileSystem;
class UserPrompt;
struct FileRow;

// What a build makes of one list row: its new name alone (no folder) and, where the format asks for
// them, new attributes and times.
struct NameChange {
    QString destName;
    qint32 attributes = 0;
    double creationTime = 0.0;
    double lastAccessTime = 0.0;
    double lastWriteTime = 0.0;
    // The name is longer than a folder entry may be: destName keeps only its start, for messages.
    bool nameTooLong = false;
    // Characters a name cannot hold were deleted from it.
    bool charactersRemoved = false;
};

enum class BuildStatus : std::uint8_t {
    Built,
    Blank,  // nothing to build: the format is blank
    Failed, // the user has been told why
};

struct BuildResult {
    BuildStatus status = BuildStatus::Blank;
    std::vector<NameChange> rows;
    std::uint16_t changeMask = 0;
};

// The switches a build reads.
struct BuildOptions {
    bool alwaysFunction = true;
    bool deleteInvalidChars = true;
    bool keepUnformatted = true;
};

// Everything a build reads besides the format text.
struct BuildContext {
    const std::vector<FileRow>& rows;
    BuildOptions options;
    UserPrompt& prompt;
    const Clock& clock;
    const FileSystem& fs;
};
