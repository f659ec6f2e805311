#include "filelist/FileRow.h"

#include <array>

namespace {

const std::array<QString, kFileColumnCount> kKeys = {QStringLiteral("filename"), QStringLiteral("path"),
                                                     QStringLiteral("size"), QStringLiteral("lastwritetime"),
                                                     QStringLiteral("attribute")};

} // namespace

QString columnKey(FileColumn column) {
    return kKeys.at(static_cast<std::size_t>(column));
}

std::optional<FileColumn> columnForKey(const QString& key) {
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys.at(i) == key)
            return static_cast<FileColumn>(i);
    }
    return std::nullopt;
}

const QString& columnText(const FileRow& row, FileColumn column) {
    switch (column) {
    case FileColumn::Path:
        return row.path;
    case FileColumn::Size:
        return row.size;
    case FileColumn::LastWriteTime:
        return row.lastWriteTime;
    case FileColumn::Attribute:
        return row.attribute;
    case FileColumn::FileName:
        break;
    }
    return row.name;
}

QString formatByteCount(qint64 bytes) {
    const QString digits = QString::number(bytes < 0 ? -bytes : bytes);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    if (bytes < 0)
        out += QLatin1Char('-');
    const qsizetype lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (i - lead) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}
