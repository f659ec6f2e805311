#include "expression/FormatFrontEnd.h"

#include "expression/BuildTypes.h"
#include "platform/ControlCharacters.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"

#include <algorithm>

namespace {

// The nine characters a name may not hold, and the control characters, which no name should.
bool isInvalidNameChar(QChar c) {
    if (isControlCharacter(c))
        return true;
    switch (c.unicode()) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return false;
    }
}

QString tr(const char* text) {
    return QCoreApplication::translate("FormatFrontEnd", text);
}

QString invalidCharsLine(bool withControls) {
    return withControls ? tr("（\\、/、:、*、?、\"、<、>、|、制御文字）") : tr("（\\、/、:、*、?、\"、<、>、|）");
}

// The length of the text in UTF-8, counted only as far as needed to tell whether it exceeds limit.
bool utf8LongerThan(const QString& text, qsizetype limit) {
    if (text.size() * 3 <= limit)
        return false;
    qsizetype bytes = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        // A surrogate pair makes four bytes, two for each half.
        bytes += unit < 0x80 ? 1 : (unit < 0x800 || c.isSurrogate() ? 2 : 3);
        if (bytes > limit)
            return true;
    }
    return false;
}

void formatError(UserPrompt& prompt, const QString& text) {
    prompt.inform(text, formatErrorTitle(), PromptIcon::Critical);
}

// A pattern written in quotes inside a bar segment means the quoted text, not the reference that
// stands for it in the working text.
QString withLiterals(const QString& pattern, const QStringList& literals) {
    if (!pattern.contains(QLatin1Char('\r')))
        return pattern;
    QString out;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == QLatin1Char('\r') && i + kTokenRefLength <= pattern.size()) {
            const int record = pattern.mid(i + 1, kTokenRefLength - 1).toInt();
            if (record >= 1 && record <= literals.size()) {
                out += literals[record - 1];
                i += kTokenRefLength - 1;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace

QString formatErrorTitle() {
    return tr("書式ｴﾗｰ");
}

QString nameErrorTitle() {
    return tr("Tokrenuｴﾗｰ");
}

FormatStyle chooseStyle(const QString& formatText, bool alwaysFunction) {
    return alwaysFunction || formatText.contains(QLatin1Char('"')) ? FormatStyle::Function : FormatStyle::Format;
}

std::optional<BuildResult> startBuild(const QString& formatText, std::size_t rowCount) {
    if (isBlankFormat(formatText))
        return std::nullopt;
    BuildResult result;
    result.status = BuildStatus::Failed;
    result.rows.resize(rowCount);
    return result;
}

bool isBlankFormat(const QString& formatText) {
    return formatText.trimmed().isEmpty();
}

std::optional<QString>
finishName(const QString& name, FormatStyle style, bool deleteInvalidChars, UserPrompt& prompt, bool* removed) {
    qsizetype end = name.size();
    while (end > 0 && (name[end - 1] == QLatin1Char('.') || name[end - 1] == QLatin1Char(' ')))
        --end;
    QString finished = end == name.size() ? name : name.left(end);
    if (std::none_of(finished.cbegin(), finished.cend(), isInvalidNameChar))
        return finished;
    if (!deleteInvalidChars) {
        const QString message = tr("ファイル名に使えない文字が使われます。");
        const QString crlf = QStringLiteral("\r\n");
        // Control characters are shown as their pictures, so that the message stays readable.
        const bool controls = hasControlCharacters(finished);
        const QString shown = withVisibleControls(finished);
        const QString text = style == FormatStyle::Format
                                 ? QString(shown + crlf + message + crlf + invalidCharsLine(controls))
                                 : QString(message + crlf + invalidCharsLine(controls) + crlf + crlf + shown);
        prompt.inform(text, nameErrorTitle(), PromptIcon::Critical);
        return std::nullopt;
    }
    // Deleting may leave a trailing full stop or blank; the name is not trimmed a second time.
    if (removed != nullptr)
        *removed = true;
    QString kept;
    kept.reserve(finished.size());
    for (const QChar c : finished) {
        if (!isInvalidNameChar(c))
            kept += c;
    }
    return kept;
}

void setDestName(NameChange& change, QString name) {
    change.nameTooLong = utf8LongerThan(name, kMaxNameBytes);
    if (change.nameTooLong) {
        // Only the start is kept, to name the file in a message; the whole name would never be used.
        constexpr qsizetype kShownLength = 64;
        qsizetype cut = kShownLength;
        if (name[cut - 1].isHighSurrogate())
            --cut;
        // A new, short text: truncating would keep the long one's memory.
        name = name.left(cut) + QChar(0x2026);
    }
    change.destName = std::move(name);
}

QString tokenRef(int record) {
    return QLatin1Char('\r') + QString::number(record).rightJustified(5, QLatin1Char('0'));
}

std::optional<PreparedFormat> prepareFunctionText(const QString& formatText, UserPrompt& prompt) {
    PreparedFormat prepared;
    const QString trimmed = formatText.trimmed();

    // String literals become records; two double quotes inside one stand for one.
    QString text;
    text.reserve(trimmed.size());
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (trimmed[i] != QLatin1Char('"')) {
            // CR marks the references of the working text; one typed outside a literal goes like a blank.
            if (trimmed[i] != QLatin1Char('\r'))
                text += trimmed[i];
            continue;
        }
        QString literal;
        qsizetype j = i + 1;
        bool closed = false;
        while (j < trimmed.size()) {
            if (trimmed[j] == QLatin1Char('"')) {
                if (j + 1 < trimmed.size() && trimmed[j + 1] == QLatin1Char('"')) {
                    literal += QLatin1Char('"');
                    j += 2;
                    continue;
                }
                closed = true;
                break;
            }
            literal += trimmed[j++];
        }
        if (!closed) {
            formatError(prompt, tr("ダブルコーテーション(\")の数が合いません。"));
            return std::nullopt;
        }
        if (prepared.literals.size() >= kMaxRecords) {
            formatError(prompt, tr("書式が長すぎます。"));
            return std::nullopt;
        }
        prepared.literals.append(literal);
        text += tokenRef(static_cast<int>(prepared.literals.size()));
        i = j;
    }

    text.remove(QLatin1Char(' '));
    text = text.toLower();

    // Bar segments become calls of format, with the pattern as a literal of its own.
    QString expanded;
    expanded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('|')) {
            expanded += text[i];
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char('|'), i + 1);
        if (close < 0) {
            formatError(prompt, tr("バー(|)の数が合いません。"));
            return std::nullopt;
        }
        const QString segment = text.mid(i + 1, close - i - 1);
        const qsizetype colon = segment.indexOf(QLatin1Char(':'));
        if (colon < 0) {
            formatError(prompt, segment + QStringLiteral("\r\n") + tr("書式が間違っています。"));
            return std::nullopt;
        }
        const QString prefix = segment.left(colon + 1);
        const QString pattern = segment.mid(colon + 1);
        QString value;
        if (prefix == QLatin1String("f:"))
            value = QStringLiteral("filename");
        else if (prefix == QLatin1String("e:"))
            value = QStringLiteral("extention");
        else if (prefix == QLatin1String("s:"))
            value = QStringLiteral("size");
        else if (prefix == QLatin1String("m:"))
            value = QStringLiteral("lastwritetime");
        else if (prefix == QLatin1String("n:"))
            value = QStringLiteral("now");
        else
            value = QStringLiteral("number(") + segment.left(colon) + QLatin1Char(')');
        if (prepared.literals.size() >= kMaxRecords) {
            formatError(prompt, tr("書式が長すぎます。"));
            return std::nullopt;
        }
        prepared.literals.append(withLiterals(pattern, prepared.literals));
        expanded += QStringLiteral("format(") + value + QLatin1Char(',') +
                    tokenRef(static_cast<int>(prepared.literals.size())) + QLatin1Char(')');
        i = close;
    }
    if (expanded.size() > kMaxPreparedLength) {
        formatError(prompt, tr("書式が長すぎます。"));
        return std::nullopt;
    }
    prepared.text = expanded;
    return prepared;
}
