#pragma once

#include "filelist/FileRow.h"
#include "platform/AttributeBits.h"

#include <QDateTime>
#include <QString>

// A row whose details were read already: the size in bytes, the last-write time as the list shows it in local
// time ("2024/01/31 9:05:07", "2024/01/31" at midnight; none for the start of the epoch) and the attribute letters.
inline FileRow readRow(const QString& name,
                       const QString& folder,
                       qint64 size = 0,
                       const QString& lastWrite = QString(),
                       const QString& letters = QString()) {
    QDateTime written = QDateTime::fromString(lastWrite, QStringLiteral("yyyy/MM/dd H:mm:ss"));
    if (!written.isValid())
        written = QDateTime::fromString(lastWrite, QStringLiteral("yyyy/MM/dd"));
    qint32 bits = 0;
    const QString order = QStringLiteral("RHSA");
    const qint32 bitOf[] = {AttributeBits::kReadOnly, AttributeBits::kHidden, AttributeBits::kSystem,
                            AttributeBits::kArchive};
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (letters.contains(order.at(i)))
            bits |= bitOf[i];
    }
    return {name, folder,
            RowDetails{size, written.isValid() ? written.toSecsSinceEpoch() : 0, bits, RowDetails::State::Read}};
}
