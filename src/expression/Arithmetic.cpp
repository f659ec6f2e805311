#include "expression/Arithmetic.h"

#include "expression/NumberText.h"
#include "platform/UserPrompt.h"

#include <QCoreApplication>

#include <cmath>

namespace {

constexpr int kMaxReductions = 30;

bool isOperator(QChar c) {
    return c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('*') || c == QLatin1Char('/');
}

bool isExponentLetter(QChar c) {
    return c == QLatin1Char('e') || c == QLatin1Char('E');
}

// A sign written as part of an exponent ("1E+5") is no operator.
bool isExponentSign(const QString& text, qsizetype i) {
    return i >= 2 && isExponentLetter(text[i - 1]) && text[i - 2].isDigit();
}

// Where an operand ends: an operator character whose left neighbour is no exponent letter, and that is
// not a minus sign right after another operator. The first character never is.
bool isBoundary(const QString& text, qsizetype i) {
    if (i <= 0 || !isOperator(text[i]))
        return false;
    if (isExponentLetter(text[i - 1]))
        return false;
    return !(text[i] == QLatin1Char('-') && isOperator(text[i - 1]));
}

qsizetype findOperator(const QString& text) {
    for (const QChar op : {QLatin1Char('*'), QLatin1Char('/'), QLatin1Char('+'), QLatin1Char('-')}) {
        // A minus sign in front of the first number is its sign.
        for (qsizetype i = op == QLatin1Char('-') ? 1 : 0; i < text.size(); ++i) {
            if (text[i] == op && !isExponentSign(text, i))
                return i;
        }
    }
    return -1;
}

QString title() {
    return QCoreApplication::translate("Arithmetic", "Tokrenuｴﾗｰ-") + programTitle();
}

QString calculationFailed() {
    return QCoreApplication::translate("Arithmetic", "計算中にｴﾗｰが発生しました。");
}

QString errorLines(RuntimeError error) {
    return QStringLiteral("Error No. ") + QString::number(errorNumber(error)) + QStringLiteral("\r\n") +
           errorDescription(error);
}

void reportError(UserPrompt& prompt, const QString& firstLine, RuntimeError error) {
    prompt.inform(firstLine + QStringLiteral("\r\n\r\n") + errorLines(error), title(), PromptIcon::Critical);
}

std::optional<double> readOperand(const QString& operand, UserPrompt& prompt) {
    const NumberRead read = readNumber(operand);
    if (read.ok())
        return read.value;
    reportError(prompt, calculationFailed(), read.error);
    return std::nullopt;
}

} // namespace

void reportConversionError(UserPrompt& prompt, const QString& firstLine, int errorNumber, const QString& description) {
    prompt.inform(firstLine + QStringLiteral("\r\n\r\nError No. ") + QString::number(errorNumber) +
                      QStringLiteral("\r\n") + description,
                  title(), PromptIcon::Critical);
}

std::optional<double> evaluateArithmetic(const QString& input, UserPrompt& prompt) {
    QString text = input;
    int reductions = 0;
    for (;;) {
        const qsizetype op = findOperator(text);
        if (op < 0) {
            const NumberRead result = readNumber(text);
            if (!result.ok()) {
                reportError(prompt, text, result.error);
                return std::nullopt;
            }
            return result.value;
        }
        qsizetype left = op - 1;
        while (left >= 0 && !isBoundary(text, left))
            --left;
        qsizetype right = op + 1;
        while (right < text.size() && !isBoundary(text, right))
            ++right;
        // Both operands are read, so that each failing one reports itself.
        const auto a = readOperand(text.mid(left + 1, op - left - 1), prompt);
        const auto b = readOperand(text.mid(op + 1, right - op - 1), prompt);
        if (!a || !b)
            return std::nullopt;
        double result = 0.0;
        switch (text[op].unicode()) {
        case '*':
            result = *a * *b;
            break;
        case '/':
            if (*b == 0.0) {
                reportError(prompt, text, RuntimeError::DivisionByZero);
                return std::nullopt;
            }
            result = *a / *b;
            break;
        case '+':
            result = *a + *b;
            break;
        default:
            result = *a - *b;
            break;
        }
        if (!std::isfinite(result)) {
            reportError(prompt, text, RuntimeError::Overflow);
            return std::nullopt;
        }
        text.replace(left + 1, right - left - 1, numberText(result));
        if (++reductions > kMaxReductions) {
            prompt.inform(text + QStringLiteral("\r\n\r\n") + calculationFailed(),
                          QCoreApplication::translate("Arithmetic", "Tokrenuｴﾗｰ"), PromptIcon::Critical);
            return std::nullopt;
        }
    }
}

std::optional<double> SequenceCounters::value(const QString& lowerName) const {
    const auto it = m_values.constFind(lowerName);
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

std::optional<double>
SequenceCounters::nextSequenceValue(const QString& name, double start, const QString& step, UserPrompt& prompt) {
    const QString key = name.toLower();
    const auto it = m_values.find(key);
    if (it == m_values.end()) {
        m_values.insert(key, start);
        return start;
    }
    QString expression = step.toLower();
    if (!key.isEmpty())
        expression.replace(key, numberText(*it));
    const auto next = evaluateArithmetic(expression, prompt);
    *it = next.value_or(0.0);
    return next;
}
