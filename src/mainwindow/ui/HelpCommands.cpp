#include "mainwindow/ui/HelpCommands.h"

#include "help/ProjectAddresses.h"
#include "help/ui/HelpWindow.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>
#include <QDesktopServices>

HelpCommands::HelpCommands(QWidget& window, UserPrompt& prompt)
    : m_window(window)
    , m_prompt(prompt) {}

void HelpCommands::showHelp(HelpTopic topic) {
    if (m_help.isNull())
        m_help = new HelpWindow(&m_window);
    m_help->showTopic(topic);
}

// Whether the desktop could open the address is not reported.
void HelpCommands::sendMail() const {
    QDesktopServices::openUrl(projectMailUrl());
}

void HelpCommands::openWebPage() const {
    QDesktopServices::openUrl(projectWebPageUrl());
}

void HelpCommands::showAbout() const {
    m_prompt.inform(aboutText(), aboutTitle(), PromptIcon::None);
}

QString aboutText() {
    const QString entryEnd = QStringLiteral("\r\n\r\n");
    return QCoreApplication::translate("HelpCommands", "製品名：") + programTitle() + entryEnd +
           QCoreApplication::translate("HelpCommands", "バージョン：") + QStringLiteral(TOKRENU_VERSION) + entryEnd;
}

QString aboutTitle() {
    return QCoreApplication::translate("HelpCommands", "Tokrenuのバージョン情報");
}
