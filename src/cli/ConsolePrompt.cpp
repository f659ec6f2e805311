#include "cli/ConsolePrompt.h"

#include "platform/ControlCharacters.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = consoleText(text);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

constexpr bool isControlByte(char c) noexcept {
    return isControlCharacter(QChar(static_cast<char16_t>(static_cast<unsigned char>(c))));
}

// Whether the byte at i of a UTF-8 text is the CR of a CR LF: the LF that follows ends the line alone.
bool endsLineBefore(const char* in, qsizetype size, qsizetype i) {
    return in[i] == '\r' && i + 1 < size && in[i + 1] == '\n';
}

// Where the first control character from i on stands, or size. A log has one on every line: eight bytes are
// looked at together, each marked when it is below 0x20 or 0x7F, and the lowest mark is exact.
qsizetype nextControl(const char* in, qsizetype size, qsizetype i) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101U;
        constexpr std::uint64_t kHigh = 0x8080808080808080U;
        for (; i + 8 <= size; i += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, in + i, sizeof word);
            const std::uint64_t deletes = word ^ (kOnes * 0x7fU);
            const std::uint64_t marks = (((word - kOnes * 0x20U) & ~word) | ((deletes - kOnes) & ~deletes)) & kHigh;
            if (marks != 0)
                return i + std::countr_zero(marks) / 8;
        }
    }
    while (i < size && !isControlByte(in[i]))
        ++i;
    return i;
}

// The control characters of a UTF-8 text that show as their pictures: all but the CR LF that ends a line.
qsizetype controlPictures(const char* in, qsizetype size) {
    qsizetype count = 0;
    for (qsizetype i = nextControl(in, size, 0); i < size; i = nextControl(in, size, i + 1)) {
        const bool lineFeedEndingLine = in[i] == '\n' && i > 0 && in[i - 1] == '\r';
        if (!endsLineBefore(in, size, i) && !lineFeedEndingLine)
            ++count;
    }
    return count;
}

// Writes a UTF-8 text for the terminal to out: a CR LF as LF, any other control character as its picture
// (U+2400 to U+241F, U+2421), three bytes. Returns the end. out may be the text itself when it needs no picture,
// as nothing is then written ahead of what is read.
char* showControls(const char* in, qsizetype size, char* out) {
    // Where the last CR stood: the bytes before a control character may have been written over by then.
    qsizetype lastReturn = -2;
    for (qsizetype i = 0; i < size;) {
        const qsizetype control = nextControl(in, size, i);
        if (out != in + i)
            std::memmove(out, in + i, static_cast<std::size_t>(control - i));
        out += control - i;
        if (control == size)
            break;
        const char c = in[control];
        i = control + 1;
        if (c == '\n' && lastReturn == control - 1) {
            *out++ = c;
            continue;
        }
        if (c == '\r')
            lastReturn = control;
        if (endsLineBefore(in, size, control))
            continue;
        const unsigned picture = c == 0x7f ? 0x2421U : 0x2400U + static_cast<unsigned char>(c);
        *out++ = static_cast<char>(0xE0U | (picture >> 12U));
        *out++ = static_cast<char>(0x80U | ((picture >> 6U) & 0x3FU));
        *out++ = static_cast<char>(0x80U | (picture & 0x3FU));
    }
    return out;
}

} // namespace

QByteArray consoleText(QStringView text) {
    QByteArray bytes = text.toUtf8();
    // A control character is a byte of its own in UTF-8, never part of another character's bytes, so the
    // encoded text is changed as it stands. Most texts need no picture: a log's CR LF only loses its CR, which
    // is done in place.
    const qsizetype pictures = controlPictures(bytes.constData(), bytes.size());
    if (pictures == 0) {
        bytes.truncate(showControls(bytes.constData(), bytes.size(), bytes.data()) - bytes.constData());
        return bytes;
    }
    QByteArray shown(bytes.size() + 2 * pictures, Qt::Uninitialized);
    shown.truncate(showControls(bytes.constData(), bytes.size(), shown.data()) - shown.constData());
    return shown;
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
