#pragma once

#include <QString>
#include <QStringList>

// The names of one add, taken relative to baseFolder (which ends in '/'). A name may be a file, a
// folder (its files are added) or empty (baseFolder itself); an absolute name stands on its own.
struct PendingBatch {
    QString baseFolder;
    QStringList names;
};
