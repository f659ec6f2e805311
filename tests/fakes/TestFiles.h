#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>
#include <ctime>

namespace TestFiles {

// Creates the file (and its folders) with the given content.
inline bool write(const QString& path, const QByteArray& content = QByteArray()) {
    QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(content) == content.size();
}

inline QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Local time for tests that depend on it, whatever zone the machine is in.
inline void useTimeZone(const char* zone) {
    qputenv("TZ", zone);
    tzset();
}

} // namespace TestFiles
