#pragma once

#include <QString>

#include <cstdint>
#include <optional>

enum class PromptIcon : std::uint8_t { None, Critical, Question, Exclamation, Information };
enum class PromptButtons : std::uint8_t { Ok, OkCancel, YesNo };
enum class PromptAnswer : std::uint8_t { Ok, Cancel, Yes, No };

// Message and input boxes. Texts use CR LF between lines, as the program writes them.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;

    virtual PromptAnswer message(const QString& text,
                                 const QString& title,
                                 PromptIcon icon,
                                 PromptButtons buttons,
                                 PromptAnswer defaultAnswer) = 0;
    // Nothing when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& title, const QString& preset) = 0;

    // A message with the OK button alone.
    void inform(const QString& text, const QString& title, PromptIcon icon) {
        message(text, title, icon, PromptButtons::Ok, PromptAnswer::Ok);
    }
};

// Asks nothing: every box gets its default answer and every input is cancelled.
class SilentPrompt final : public UserPrompt {
public:
    PromptAnswer message(const QString&, const QString&, PromptIcon, PromptButtons, PromptAnswer answer) override {
        m_asked = true;
        return answer;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        m_asked = true;
        return std::nullopt;
    }
    // Whether anything was to be told or asked.
    [[nodiscard]] bool asked() const { return m_asked; }

private:
    bool m_asked = false;
};

// The program's own name, the title of every message box that has none of its own.
inline QString programTitle() {
    return QStringLiteral("Tokrenu");
}
