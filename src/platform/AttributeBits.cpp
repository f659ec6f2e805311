#include "platform/AttributeBits.h"

QString attributeLetters(qint32 bits) {
    QString letters;
    if (bits & AttributeBits::kReadOnly)
        letters += QLatin1Char('R');
    if (bits & AttributeBits::kHidden)
        letters += QLatin1Char('H');
    if (bits & AttributeBits::kSystem)
        letters += QLatin1Char('S');
    if (bits & AttributeBits::kArchive)
        letters += QLatin1Char('A');
    return letters;
}
