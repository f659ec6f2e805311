#pragma once

#include <QString>

#include <optional>

class Clock;
class FileSystem;
class SequenceCounters;
struct FileRow;

// A row's full path, put together the first time a variable or a function asks for it: most formats never do.
class RowPath {
public:
    explicit RowPath(const FileRow& row)
        : m_row(row) {}
    const QString& operator()() const;

private:
    const FileRow& m_row;
    mutable std::optional<QString> m_path;
};

// Where a variable's value comes from for one row.
struct VariableContext {
    const FileRow& row;
    const RowPath& fullPath;
    qsizetype index; // from 1
    qsizetype count;
    const FileSystem& fs;
    const Clock& clock;
    const SequenceCounters& counters;
};

// The value of a variable (lower case) for the row: a name of the table, else a counter of that name;
// nothing when the name means neither.
std::optional<QString> variableValue(const QString& name, const VariableContext& context);
// Whether the variable's value comes from the row's details, which must then have been read.
bool variableReadsRowDetails(const QString& name);
