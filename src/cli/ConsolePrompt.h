#pragma once

#include "platform/UserPrompt.h"

#include <cstdio>

// Message boxes of the command line: "title: text" on standard error, line breaks kept.
class ConsolePrompt final : public UserPrompt {
public:
    explicit ConsolePrompt(std::FILE* out = stderr);

    PromptAnswer message(const QString& text,
                         const QString& title,
                         PromptIcon icon,
                         PromptButtons buttons,
                         PromptAnswer defaultAnswer) override;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& preset) override;

    [[nodiscard]] int messagesShown() const { return m_shown; }

private:
    std::FILE* m_out;
    int m_shown = 0;
};
