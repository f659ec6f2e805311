#pragma once

#include "platform/UserPrompt.h"

#include <QList>
#include <QString>

#include <deque>

// Answers message and input boxes as a test tells it to, and records every box shown.
class ScriptedPrompt final : public UserPrompt {
public:
    struct Shown {
        QString text;
        QString title;
        PromptIcon icon = PromptIcon::None;
        PromptButtons buttons = PromptButtons::Ok;
        PromptAnswer defaultAnswer = PromptAnswer::Ok;
        bool isInput = false;
        QString preset;
    };

    // Queued answers are used in order; without one a message box gets its default answer and an
    // input box is cancelled.
    void queueAnswer(PromptAnswer answer) { m_answers.push_back(answer); }
    void queueInput(std::optional<QString> input) { m_inputs.push_back(std::move(input)); }

    PromptAnswer message(const QString& text,
                         const QString& title,
                         PromptIcon icon,
                         PromptButtons buttons,
                         PromptAnswer defaultAnswer) override {
        m_shown.append({text, title, icon, buttons, defaultAnswer, false, QString()});
        if (m_answers.empty())
            return defaultAnswer;
        const PromptAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    std::optional<QString> input(const QString& prompt, const QString& title, const QString& preset) override {
        m_shown.append({prompt, title, PromptIcon::None, PromptButtons::OkCancel, PromptAnswer::Ok, true, preset});
        if (m_inputs.empty())
            return std::nullopt;
        const std::optional<QString> answer = std::move(m_inputs.front());
        m_inputs.pop_front();
        if (!answer)
            return std::nullopt;
        return *answer;
    }

    [[nodiscard]] const QList<Shown>& shown() const { return m_shown; }
    [[nodiscard]] QStringList texts() const {
        QStringList all;
        for (const Shown& s : m_shown)
            all.append(s.text);
        return all;
    }
    void clear() { m_shown.clear(); }
    // Forgets the boxes shown and every answer not used yet.
    void reset() {
        m_shown.clear();
        m_answers.clear();
        m_inputs.clear();
    }

private:
    std::deque<PromptAnswer> m_answers;
    std::deque<std::optional<QString>> m_inputs;
    QList<Shown> m_shown;
};
