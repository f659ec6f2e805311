#include "cli/ConsolePrompt.h"

ConsolePrompt::ConsolePrompt(std::FILE* out)
    : m_out(out) {}

PromptAnswer ConsolePrompt::message(
    const QString& text, const QString& title, PromptIcon icon, PromptButtons buttons, PromptAnswer defaultAnswer) {
    Q_UNUSED(icon)
    ++m_shown;
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray out = (title + QStringLiteral(": ") + lines + QLatin1Char('\n')).toUtf8();
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), m_out);
    std::fflush(m_out);
    // Questions are answered by the safe choice.
    if (buttons == PromptButtons::YesNo)
        return PromptAnswer::No;
    if (buttons == PromptButtons::OkCancel)
        return PromptAnswer::Cancel;
    return defaultAnswer;
}

std::optional<QString> ConsolePrompt::input(const QString& prompt, const QString& title, const QString& preset) {
    Q_UNUSED(prompt)
    Q_UNUSED(title)
    Q_UNUSED(preset)
    return std::nullopt;
}
