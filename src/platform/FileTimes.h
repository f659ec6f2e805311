#pragma once

#include "platform/FileSystem.h"

#include <QString>

// The attribute letters of what is at path; empty when nothing is there.
QString attributeLettersOfFile(const FileSystem& fs, const QString& path);

// The time stamp as a local date value with whole seconds, or 0 when it cannot be read.
double getFileTimeAsDate(const FileSystem& fs, const QString& path, FileTimeKind kind);

// True only when the time stamp was really written.
bool setFileTimeFromDate(FileSystem& fs, const QString& path, double value, FileTimeKind kind);
