#pragma once

#include "help/HelpBook.h"

#include <QPointer>
#include <QString>

class HelpWindow;
class QWidget;
class UserPrompt;

// The commands of the help menu: the help book at a topic, mail and the web page of the project, and the
// version box.
class HelpCommands final {
public:
    HelpCommands(QWidget& window, UserPrompt& prompt);

    // Opens the one help window of the main window at the topic, or brings it forward.
    void showHelp(HelpTopic topic);
    void sendMail() const;
    void openWebPage() const;
    void showAbout() const;

private:
    QWidget& m_window;
    UserPrompt& m_prompt;
    QPointer<HelpWindow> m_help;
};

// The text of the version box: the product name and the version, each entry ended by an empty line.
QString aboutText();
QString aboutTitle();
