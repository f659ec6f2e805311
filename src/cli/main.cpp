#include "cli/CliApp.h"
#include "platform/FreedMemory.h"
#include "platform/linux/ProcessSignals.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    ignoreBrokenPipe();
    preferLargeHeap();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tokrenu-cli"));
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    runCliAndExit(arguments, QDir::currentPath());
}
