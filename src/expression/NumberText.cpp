#include "expression/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

NumberRead readNumber(QStringView text) {
    const QStringView t = text.trimmed();
    // Plain whole numbers of up to 15 digits are read directly: the common case of counters.
    if (!t.isEmpty() && t.size() <= 15) {
        qint64 whole = 0;
        qsizetype k = 0;
        const bool negative = t[0] == QLatin1Char('-');
        if (negative || t[0] == QLatin1Char('+'))
            ++k;
        const qsizetype first = k;
        for (; k < t.size() && t[k].unicode() >= '0' && t[k].unicode() <= '9'; ++k)
            whole = whole * 10 + (t[k].unicode() - '0');
        if (k == t.size() && k > first)
            return {negative ? -static_cast<double>(whole) : static_cast<double>(whole), RuntimeError::None};
    }
    std::string plain;
    plain.reserve(static_cast<std::size_t>(t.size()));
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
    const char* begin = plain.data();
    if (*begin == '+')
        ++begin;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(begin, plain.data() + plain.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small to tell from zero is zero; too large is an overflow.
        const bool tiny = plain.find("e-") != std::string::npos;
        return tiny ? NumberRead{0.0, RuntimeError::None} : NumberRead{0.0, RuntimeError::Overflow};
    }
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
        return {0.0, RuntimeError::TypeMismatch};
    return {value, RuntimeError::None};
}

bool looksLikeNumber(QStringView text) {
    return readNumber(text).ok();
}

QString numberText(double value) {
    if (value == 0.0 || !std::isfinite(value))
        return QStringLiteral("0");
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QString::number(static_cast<qint64>(value));
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, ec == std::errc() ? end - buffer : 0);
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
