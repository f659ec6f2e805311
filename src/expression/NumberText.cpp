#include "expression/NumberText.h"

#include <cmath>
#include <limits>

NumberRead readNumber(QStringView text) {
    const QStringView t = text.trimmed();
    QByteArray plain;
    plain.reserve(t.size());
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        plain += static_cast<char>(t[i++].unicode());
    bool digits = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            plain += static_cast<char>(c.unicode());
            digits = true;
        } else if (c == QLatin1Char(',') && digits) {
            continue; // group separator
        } else {
            break;
        }
    }
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        plain += '.';
        for (++i; i < t.size() && t[i].unicode() >= '0' && t[i].unicode() <= '9'; ++i) {
            plain += static_cast<char>(t[i].unicode());
            digits = true;
        }
    }
    if (!digits)
        return {0.0, RuntimeError::TypeMismatch};
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        plain += 'e';
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            plain += static_cast<char>(t[i++].unicode());
        bool exponentDigits = false;
        for (; i < t.size() && t[i].unicode() >= '0' && t[i].unicode() <= '9'; ++i) {
            plain += static_cast<char>(t[i].unicode());
            exponentDigits = true;
        }
        if (!exponentDigits)
            return {0.0, RuntimeError::TypeMismatch};
    }
    if (i != t.size())
        return {0.0, RuntimeError::TypeMismatch};
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return {0.0, std::isinf(value) ? RuntimeError::Overflow : RuntimeError::TypeMismatch};
    return {value, RuntimeError::None};
}

bool looksLikeNumber(QStringView text) {
    return readNumber(text).ok();
}

QString numberText(double value) {
    if (value == 0.0 || !std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e < 0)
        return text;
    // "1e+20" -> "1E+20", "1e-05" stays with two exponent digits.
    QString mantissa = text.left(e);
    QString exponent = text.mid(e + 1);
    const QChar sign = exponent.at(0) == QLatin1Char('-') ? QLatin1Char('-') : QLatin1Char('+');
    if (exponent.at(0) == QLatin1Char('-') || exponent.at(0) == QLatin1Char('+'))
        exponent.remove(0, 1);
    while (exponent.size() > 2 && exponent.startsWith(QLatin1Char('0')))
        exponent.remove(0, 1);
    if (exponent.size() < 2)
        exponent.prepend(QLatin1Char('0'));
    return mantissa + QLatin1Char('E') + sign + exponent;
}

NumberRead roundToInt32(double value) {
    const double rounded = std::nearbyint(value); // the default rounding mode sends halves to even
    if (!std::isfinite(rounded) || rounded < static_cast<double>(std::numeric_limits<qint32>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<qint32>::max()))
        return {0.0, RuntimeError::Overflow};
    return {rounded, RuntimeError::None};
}
