#pragma once

#include "filelist/RowDetails.h"

#include <QString>
#include <QStringBuilder>

#include <cstdint>
#include <optional>

// One row of the file list; the pair (path, name) identifies the file. Rows of a folder share its text.
struct FileRow {
    QString name; // file name without folder
    QString path; // folder, always ending in '/'
    // Read the first time something asks for them (readRowDetails) and kept until a run changes the file. A
    // record of the file's state beside the row, so reading it changes nothing a const row promises.
    mutable RowDetails details;

    // Joined as views, which the string builder writes into one string of the right size at once.
    [[nodiscard]] QString fullPath() const { return QStringView(path) % QStringView(name); }
    friend bool operator==(const FileRow&, const FileRow&) = default;
};

enum class FileColumn : std::uint8_t {
    FileName = 0,
    Path = 1,
    Size = 2,
    LastWriteTime = 3,
    Attribute = 4,
    NewName = 5, // the preview of the name a run would give; the list keeps it beside the rows
};

constexpr int kFileColumnCount = 6;

// Columns are found by key: "filename", "path", "size", "lastwritetime", "attribute", "newname".
QString columnKey(FileColumn column);
std::optional<FileColumn> columnForKey(const QString& key);
// The row's text in the column, empty for details not read yet; the new name is no part of the row, and its text
// here is empty.
QString columnText(const FileRow& row, FileColumn column);

// "#,##0" with ',' between groups of three digits.
QString formatByteCount(qint64 bytes);
