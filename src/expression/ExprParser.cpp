#include "expression/ExprParser.h"

#include "expression/NumberText.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>

namespace {

bool isOperator(QChar c) {
    return c == QLatin1Char('&') || c == QLatin1Char(',') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
           c == QLatin1Char('*') || c == QLatin1Char('/');
}

class Parser {
public:
    Parser(const PreparedFormat& prepared, UserPrompt& prompt)
        : m_text(prepared.text)
        , m_prompt(prompt) {
        for (const QString& literal : prepared.literals)
            m_table.records.push_back({QStringLiteral("character"), {literal}});
    }

    std::optional<ParseTable> run() {
        int depth = 0;
        qsizetype wordStart = 0;
        qsizetype i = 0;
        while (i < m_text.size()) {
            const QChar c = m_text[i];
            if (c == QLatin1Char('\r')) {
                i += kTokenRefLength;
                wordStart = i;
            } else if (isOperator(c)) {
                if (!endWord(wordStart, i))
                    return std::nullopt;
                wordStart = ++i;
            } else if (c == QLatin1Char('(')) {
                ++depth;
                wordStart = ++i;
            } else if (c == QLatin1Char(')')) {
                if (!endWord(wordStart, i))
                    return std::nullopt;
                if (depth < 1)
                    return parenthesesMismatch();
                const auto next = makeCall(i);
                if (!next)
                    return std::nullopt;
                --depth;
                wordStart = i = *next;
            } else {
                ++i;
            }
        }
        if (depth > 0)
            return parenthesesMismatch();
        if (!endWord(wordStart, i))
            return std::nullopt;
        for (qsizetype j = 0; j < m_text.size(); ++j) {
            if (m_text[j] == QLatin1Char('\r')) {
                m_table.topLevel.push_back(m_text.mid(j + 1, kTokenRefLength - 1).toInt());
                j += kTokenRefLength - 1;
            }
        }
        return std::move(m_table);
    }

private:
    std::optional<ParseTable> parenthesesMismatch() {
        m_prompt.inform(QCoreApplication::translate("ExprParser", "かっこがあいません。"), formatErrorTitle(),
                        PromptIcon::Critical);
        return std::nullopt;
    }

    bool tooLarge() {
        m_prompt.inform(QCoreApplication::translate("FormatFrontEnd", "書式が長すぎます。"), formatErrorTitle(),
                        PromptIcon::Critical);
        return false;
    }

    // Adds a record and returns the reference that stands for it.
    std::optional<QString> addRecord(ExprRecord record) {
        if (m_table.records.size() >= static_cast<std::size_t>(kMaxRecords)) {
            tooLarge();
            return std::nullopt;
        }
        m_table.records.push_back(std::move(record));
        return tokenRef(static_cast<int>(m_table.records.size()));
    }

    // The word from start to end becomes a variable record unless it reads as a number; end moves
    // with the text.
    bool endWord(qsizetype start, qsizetype& end) {
        if (end <= start)
            return true;
        const QString word = m_text.mid(start, end - start);
        if (isNumericWord(word))
            return true;
        const auto ref = addRecord({QStringLiteral("variable"), {word}});
        if (!ref)
            return false;
        m_text.replace(start, end - start, *ref);
        end = start + kTokenRefLength;
        return true;
    }

    // The call or parenthesised expression that ends at the closing parenthesis; returns where the walk
    // goes on.
    std::optional<qsizetype> makeCall(qsizetype close) {
        const qsizetype open = m_text.lastIndexOf(QLatin1Char('('), close);
        if (open < 0) {
            parenthesesMismatch();
            return std::nullopt;
        }
        qsizetype nameStart = open;
        while (nameStart > 0 && !isOperator(m_text[nameStart - 1]) && m_text[nameStart - 1] != QLatin1Char('('))
            --nameStart;
        const QString name = m_text.mid(nameStart, open - nameStart);
        const QString kind = name.isEmpty() ? QStringLiteral("eval") : name;
        QString inner = m_text.mid(open + 1, close - open - 1);
        inner.remove(QLatin1Char('&'));
        QStringList arguments = inner.split(QLatin1Char(','));
        if (kind != QLatin1String("eval")) {
            for (QString& argument : arguments) {
                QString bare = argument;
                bare.remove(QLatin1Char('\r'));
                if (bare.isEmpty() || isNumericWord(bare))
                    continue;
                const auto ref = addRecord({QStringLiteral("eval"), {argument}});
                if (!ref)
                    return std::nullopt;
                argument = *ref;
            }
        }
        const auto ref = addRecord({kind, arguments});
        if (!ref)
            return std::nullopt;
        m_text.replace(nameStart, close - nameStart + 1, *ref);
        return nameStart + kTokenRefLength;
    }

    QString m_text;
    UserPrompt& m_prompt;
    ParseTable m_table;
};

} // namespace

bool isNumericWord(QStringView word) {
    for (const QChar c : word) {
        if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char('e') && c != QLatin1Char('E') &&
            c != QLatin1Char('+') && c != QLatin1Char('-'))
            return false;
    }
    return readNumber(word).ok();
}

std::optional<ParseTable> parseFunctionText(const PreparedFormat& prepared, UserPrompt& prompt) {
    return Parser(prepared, prompt).run();
}
