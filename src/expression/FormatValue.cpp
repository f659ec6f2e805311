#include "expression/FormatValue.h"

#include <cmath>

namespace {

bool isTextPlaceholder(QChar c) {
    return c == QLatin1Char('&') || c == QLatin1Char('@');
}

// Each asterisk deletes the value character that faces it, counted from the side the placeholders
// fill from.
void deleteFacingCharacters(QString& value, const QString& pattern, bool leftToRight) {
    qsizetype placeholders = 0;
    const qsizetype n = pattern.size();
    for (qsizetype k = 0; k < n && value.size() > placeholders; ++k) {
        const qsizetype i = leftToRight ? k : n - 1 - k;
        const QStringView rest = leftToRight ? QStringView(pattern).mid(i) : QStringView(pattern).left(i + 1);
        if (!rest.contains(QLatin1Char('*')))
            break;
        const QChar c = pattern[i];
        if (isTextPlaceholder(c)) {
            ++placeholders;
        } else if (c == QLatin1Char('*')) {
            value.remove(leftToRight ? placeholders : value.size() - 1 - placeholders, 1);
        }
    }
}

} // namespace

QString formatValue(const FormatArgument& value, QString pattern, bool keepUnformatted) {
    const bool question = pattern.contains(QLatin1Char('?'));
    const bool leftToRight = pattern.contains(QLatin1Char('!'));

    if (!value.isNumber) {
        QString text = value.text;
        if (pattern.contains(QLatin1Char('*'))) {
            deleteFacingCharacters(text, pattern, leftToRight);
            pattern.remove(QLatin1Char('*'));
        }
        const qsizetype n = pattern.count(QLatin1Char('@')) + pattern.count(QLatin1Char('&'));
        if (question && n >= 1 && text.size() > n)
            text = leftToRight ? text.left(n) : text.right(n);
        if (question)
            pattern.remove(QLatin1Char('?'));
        if (keepUnformatted && pattern.isEmpty())
            return text;
        return formatWithPattern(FormatArgument::fromText(text), pattern);
    }

    double number = value.number;
    const qsizetype n = pattern.count(QLatin1Char('#')) + pattern.count(QLatin1Char('0'));
    if (question && leftToRight && n >= 1) {
        const double limit = std::pow(10.0, static_cast<double>(n));
        if (number > limit - 1)
            number = std::fmod(std::nearbyint(number), std::nearbyint(limit));
        // "!" only chose the side that is kept; it is no part of a numeric picture.
        pattern.remove(QLatin1Char('!'));
    }
    if (question)
        pattern.remove(QLatin1Char('?'));
    return formatWithPattern(FormatArgument::fromNumber(number), pattern);
}
