#pragma once

#include <QByteArrayList>
#include <QString>

#include <cstdio>

// The command-line front end: the arguments as the system gave them (without the program's name); returns
// the exit status.
int runCli(const QByteArrayList& arguments, const QString& currentFolder, std::FILE* out, std::FILE* err);

// The same on standard output and standard error, for a process that ends with it: exits with the status.
[[noreturn]] void runCliAndExit(const QByteArrayList& arguments, const QString& currentFolder);
