#include "platform/FileTimes.h"

#include "platform/AttributeBits.h"
#include "platform/DateValue.h"

QString attributeLettersOfFile(const FileSystem& fs, const QString& path) {
    const qint32 bits = fs.attributes(path);
    return bits == AttributeBits::kMissing ? QString() : attributeLetters(bits);
}

std::optional<double> fileTimeAsDate(const FileSystem& fs, const QString& path, FileTimeKind kind) {
    const auto secs = fs.fileTime(path, kind);
    if (!secs)
        return std::nullopt;
    return DateValue::fromSecsSinceEpoch(*secs);
}

double getFileTimeAsDate(const FileSystem& fs, const QString& path, FileTimeKind kind) {
    return fileTimeAsDate(fs, path, kind).value_or(0.0);
}

bool setFileTimeFromDate(FileSystem& fs, const QString& path, double value, FileTimeKind kind) {
    const auto secs = DateValue::toSecsSinceEpoch(value);
    return secs && fs.setFileTime(path, kind, *secs);
}
