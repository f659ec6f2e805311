#include "platform/FileTimes.h"

#include "platform/AttributeBits.h"
#include "platform/DateValue.h"

QString attributeLettersOfFile(const FileSystem& fs, const QString& path) {
    const qint32 bits = fs.attributes(path);
    return bits == AttributeBits::kMissing ? QString() : attributeLetters(bits);
}

double getFileTimeAsDate(const FileSystem& fs, const QString& path, FileTimeKind kind) {
    const auto secs = fs.fileTime(path, kind);
    return secs ? DateValue::fromSecsSinceEpoch(*secs) : 0.0;
}

bool setFileTimeFromDate(FileSystem& fs, const QString& path, double value, FileTimeKind kind) {
    const auto secs = DateValue::toSecsSinceEpoch(value);
    return secs && fs.setFileTime(path, kind, *secs);
}
