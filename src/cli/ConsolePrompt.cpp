#include "cli/ConsolePrompt.h"

#include "platform/ControlCharacters.h"

#include <cstring>

namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = consoleText(text);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

QByteArray consoleText(const QString& text) {
    if (!hasControlCharacters(text))
        return text.toUtf8();
    // Plain characters go over in runs, as a log has a line end every few dozen of them.
    QString shown;
    shown.reserve(text.size());
    const QChar* chars = text.constData();
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = chars[i];
        if (!isControlCharacter(c))
            continue;
        shown.append(chars + plainFrom, i - plainFrom);
        plainFrom = i + 1;
        if (c == QLatin1Char('\r') && i + 1 < text.size() && chars[i + 1] == QLatin1Char('\n'))
            continue; // the line feed that follows ends the line
        const bool lineEnd = c == QLatin1Char('\n') && i > 0 && chars[i - 1] == QLatin1Char('\r');
        if (lineEnd)
            shown += c;
        else
            shown += c.unicode() == 0x7f ? QChar(0x2421) : QChar(0x2400 + c.unicode());
    }
    shown.append(chars + plainFrom, text.size() - plainFrom);
    return shown.toUtf8();
}

ConsolePrompt::ConsolePrompt(std::FILE* err, std::FILE* in, bool answerYes)
    : m_err(err)
    , m_in(in)
    , m_answerYes(answerYes) {}

PromptAnswer ConsolePrompt::message(
    const QString& text, const QString& title, PromptIcon icon, PromptButtons buttons, PromptAnswer defaultAnswer) {
    Q_UNUSED(icon)
    write(m_err, title + QStringLiteral(": ") + text + QStringLiteral("\r\n"));
    if (buttons == PromptButtons::Ok)
        return defaultAnswer;
    const PromptAnswer yes = buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    const PromptAnswer no = buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
    if (m_in == nullptr) {
        const PromptAnswer answer = m_answerYes ? yes : no;
        write(m_err, answer == yes ? QStringLiteral("(answered yes)\r\n") : QStringLiteral("(answered no)\r\n"));
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
