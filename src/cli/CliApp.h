#pragma once

#include <QStringList>

#include <cstdio>

// The command-line front end: returns the exit status.
int runCli(const QStringList& arguments, const QString& currentFolder, std::FILE* out, std::FILE* err);
