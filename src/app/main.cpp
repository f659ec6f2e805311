#include "mainwindow/Options.h"
#include "mainwindow/ui/Fonts.h"
#include "mainwindow/ui/MainWindow.h"
#include "platform/linux/JsonSettingsStore.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxJournalStore.h"
#include "platform/linux/LinuxShellFileOperation.h"
#include "platform/linux/SystemClock.h"
#include "platform/ui/QtTranslations.h"
#include "platform/ui/QtUserPrompt.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tokrenu"));
    QApplication::setApplicationVersion(QStringLiteral(TOKRENU_VERSION));
    // The desktop finds the program's name and icon through its desktop file.
    QGuiApplication::setDesktopFileName(QStringLiteral(TOKRENU_APP_ID));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral(TOKRENU_APP_ID), QIcon(QStringLiteral(":/tokrenu.svg"))));
    installQtTranslations(app);
    installFontSubstitutes();

    LinuxFileSystem fileSystem;
    SystemClock clock;
    QtUserPrompt prompt;
    LinuxShellFileOperation fileOperation(prompt);
    LinuxJournalStore journal(LinuxJournalStore::defaultFolder());
    JsonSettingsStore settings(JsonSettingsStore::defaultFilePath(), clock);
    Options options;
    MainWindow window(options, settings, fileSystem, fileOperation, journal, prompt, clock);
    prompt.setParentWindow(&window);

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    window.startUp(arguments, QDir::currentPath());
    window.show();
    return QApplication::exec();
}
