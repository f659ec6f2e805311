#pragma once

#include "platform/FileSystem.h"

#include <QString>

#include <optional>

// The attribute letters of what is at path; empty when nothing is there.
QString attributeLettersOfFile(const FileSystem& fs, const QString& path);

// The time stamp as a local date value with whole seconds; nothing when it cannot be read (0 is a date too).
std::optional<double> fileTimeAsDate(const FileSystem& fs, const QString& path, FileTimeKind kind);
// The same with 0 for a time that cannot be read, as variables and logs show it.
double getFileTimeAsDate(const FileSystem& fs, const QString& path, FileTimeKind kind);

// True only when the time stamp was really written.
bool setFileTimeFromDate(FileSystem& fs, const QString& path, double value, FileTimeKind kind);
