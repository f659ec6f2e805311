#pragma once

#include <QHash>
#include <QString>

#include <optional>

class UserPrompt;

// Computes a text such as "12+3*4" by rewriting it: every multiplication, then every division, then
// every addition, then every subtraction, the leftmost first. Nothing when it failed; the user has
// been told why.
[[nodiscard]] std::optional<double> evaluateArithmetic(const QString& text, UserPrompt& prompt);

// Named counters of one build: the first use of a name gives its start value, every later use the
// step expression applied to the previous value.
class SequenceCounters final {
public:
    void clear() { m_values.clear(); }
    [[nodiscard]] std::optional<double> value(const QString& lowerName) const;

    // Nothing when the step failed (reported to the user); the counter then holds 0.
    [[nodiscard]] std::optional<double>
    nextSequenceValue(const QString& name, double start, const QString& step, UserPrompt& prompt);

private:
    QHash<QString, double> m_values;
};

// The message of a failed conversion in the layout of the arithmetic's own messages.
void reportConversionError(UserPrompt& prompt, const QString& firstLine, int errorNumber, const QString& description);
