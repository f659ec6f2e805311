#include "filelist/FileRow.h"

#include <array>

namespace {

const std::array<QString, kFileColumnCount> kKeys = {QStringLiteral("filename"),  QStringLiteral("path"),
                                                     QStringLiteral("size"),      QStringLiteral("lastwritetime"),
                                                     QStringLiteral("attribute"), QStringLiteral("newname")};

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

QString columnText(const FileRow& row, FileColumn column) {
    switch (column) {
    case FileColumn::FileName:
        return row.name;
    case FileColumn::Path:
        return row.path;
    case FileColumn::Size:
        return row.details.sizeText();
    case FileColumn::LastWriteTime:
        return row.details.lastWriteText();
    case FileColumn::Attribute:
        return row.details.attributeText();
    case FileColumn::NewName:
        break;
    }
    return {};
}

QString formatByteCount(qint64 bytes) {
    // Written from the last digit backwards, into room for the longest text ("-9,223,372,036,854,775,808").
    char16_t text[26];
    auto start = static_cast<qsizetype>(std::size(text));
    auto magnitude = bytes < 0 ? 0 - static_cast<quint64>(bytes) : static_cast<quint64>(bytes);
    for (int digits = 0; digits == 0 || magnitude != 0; ++digits) {
        if (digits > 0 && digits % 3 == 0)
            text[--start] = u',';
        text[--start] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    }
    if (bytes < 0)
        text[--start] = u'-';
    return QStringView(text + start, static_cast<qsizetype>(std::size(text)) - start).toString();
}
