#include "cli/ConsolePrompt.h"

#include <cstring>

namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

ConsolePrompt::ConsolePrompt(std::FILE* err, std::FILE* in, bool answerYes)
    : m_err(err)
    , m_in(in)
    , m_answerYes(answerYes) {}

PromptAnswer ConsolePrompt::message(
    const QString& text, const QString& title, PromptIcon icon, PromptButtons buttons, PromptAnswer defaultAnswer) {
    Q_UNUSED(icon)
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    write(m_err, title + QStringLiteral(": ") + lines + QLatin1Char('\n'));
    if (buttons == PromptButtons::Ok)
        return defaultAnswer;
    const PromptAnswer yes = buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    const PromptAnswer no = buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
    if (m_in == nullptr) {
        const PromptAnswer answer = m_answerYes ? yes : no;
        write(m_err, answer == yes ? QStringLiteral("(answered yes)\n") : QStringLiteral("(answered no)\n"));
        return answer;
    }
    write(m_err, defaultAnswer == yes ? QStringLiteral("[Y/n] ") : QStringLiteral("[y/N] "));
    char line[64] = {};
    if (std::fgets(line, sizeof line, m_in) == nullptr)
        return no;
    // The rest of a long line is no answer to the next question.
    if (std::strchr(line, '\n') == nullptr) {
        for (int rest = std::fgetc(m_in); rest != EOF && rest != '\n'; rest = std::fgetc(m_in)) {
        }
    }
    const char c = line[0];
    if (c == 'y' || c == 'Y')
        return yes;
    if (c == 'n' || c == 'N')
        return no;
    return defaultAnswer == yes ? yes : no;
}

std::optional<QString> ConsolePrompt::input(const QString& prompt, const QString& title, const QString& preset) {
    Q_UNUSED(prompt)
    Q_UNUSED(title)
    Q_UNUSED(preset)
    return std::nullopt;
}
