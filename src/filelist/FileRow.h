#pragma once

#include <QString>
#include <QStringBuilder>

#include <cstdint>
#include <optional>

// One row of the file list. Every value is the text shown; the pair (path, name) identifies the file.
struct FileRow {
    QString name;          // file name without folder
    QString path;          // folder, always ending in '/'
    QString size;          // length in bytes, "#,##0"
    QString lastWriteTime; // general date text
    QString attribute;     // attribute letters

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
// The row's text in the column; the new name is no part of the row, and its text here is empty.
const QString& columnText(const FileRow& row, FileColumn column);

// "#,##0" with ',' between groups of three digits.
QString formatByteCount(qint64 bytes);
