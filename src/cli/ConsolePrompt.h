#pragma once

#include "platform/UserPrompt.h"

#include <cstdio>

// A text of the program as a terminal or a script should get it: UTF-8, each CR LF made LF, every other
// control character shown as its picture.
QByteArray consoleText(QStringView text);

// Message boxes of the command line: "title: text" on standard error, line breaks kept. Questions are
// asked on the terminal when there is one; otherwise they get the preset answer: Yes (or OK) when
// answerYes, else the safe No (or Cancel).
class ConsolePrompt final : public UserPrompt {
public:
    explicit ConsolePrompt(std::FILE* err = stderr, std::FILE* in = nullptr, bool answerYes = false);

    PromptAnswer message(const QString& text,
                         const QString& title,
                         PromptIcon icon,
                         PromptButtons buttons,
                         PromptAnswer defaultAnswer) override;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& preset) override;

private:
    std::FILE* m_err;
    std::FILE* m_in; // the terminal, or nothing
    bool m_answerYes;
};
