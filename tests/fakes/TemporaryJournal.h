#pragma once

#include "platform/linux/LinuxJournalStore.h"

#include <QTemporaryDir>

// A journal store of a test's own, in a temporary folder apart from the files the test renames.
struct TemporaryJournal {
    QTemporaryDir dir;
    LinuxJournalStore store{dir.path() + QStringLiteral("/state/Tokrenu/journal")};
};
