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
};

constexpr int kFileColumnCount = 5;

// Columns are found by key: "filename", "path", "size", "lastwritetime", "attribute".
QString columnKey(FileColumn column);
std::optional<FileColumn> columnForKey(const QString& key);
const QString& columnText(const FileRow& row, FileColumn column);

// "#,##0" with ',' between groups of three digits.
QString formatByteCount(qint64 bytes);
