#pragma once

#include <QString>

// The add filter and the switches an add reads.
struct AddSettings {
    QString wildCard = QStringLiteral("*.*");
    qint32 ignoredAttributes = 0;
    bool hideList = false;
    bool autoSort = false;
    bool ascending = true;
};
