#include "mainwindow/ui/MainWindow.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxShellFileOperation.h"
#include "platform/linux/SystemClock.h"
#include "platform/ui/QtUserPrompt.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tokrenu"));
    QApplication::setApplicationVersion(QStringLiteral("0.92.0"));

    LinuxFileSystem fileSystem;
    SystemClock clock;
    QtUserPrompt prompt;
    LinuxShellFileOperation fileOperation(prompt);
    MainWindow window(fileSystem, fileOperation, prompt, clock);
    prompt.setParentWindow(&window);

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    window.startUp(arguments, QDir::currentPath());
    window.show();
    return QApplication::exec();
}
