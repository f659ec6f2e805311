#include "expression/ValueFormatter.h"

#include "expression/DateText.h"
#include "expression/FormatPattern.h"
#include "expression/NumberText.h"
#include "platform/DateValue.h"

#include <QDate>
#include <QLocale>

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

using namespace FormatPattern;

namespace {

// ---- numbers

// A non-negative number as decimal digits: 0.d1d2d3… × 10^point, at most 15 significant digits.
struct Decimal {
    std::array<char, 24> digits{};
    int count = 0;
    qint64 point = 0;

    [[nodiscard]] char16_t at(qint64 i) const {
        return (i >= 0 && i < count) ? static_cast<char16_t>(digits[static_cast<size_t>(i)]) : u'0';
    }
    void trim() {
        while (count > 0 && digits[static_cast<size_t>(count - 1)] == '0')
            --count;
        if (count == 0)
            point = 0;
    }
};

Decimal toDecimal(double v) {
    Decimal d;
    if (v == 0.0)
        return d;
    std::array<char, 32> buffer{};
    char* const begin = buffer.data();
    if (v < 1e15 && v == std::floor(v)) {
        const auto result = std::to_chars(begin, begin + buffer.size(), static_cast<quint64>(v));
        d.count = static_cast<int>(result.ptr - begin);
        std::copy(begin, result.ptr, d.digits.begin());
        d.point = d.count;
        d.trim();
        return d;
    }
    // Fifteen significant digits first, then decimal rounding, so that 2.675 shows as 2.68.
    const auto result = std::to_chars(begin, begin + buffer.size(), v, std::chars_format::scientific, 14);
    const char* p = begin;
    for (; p < result.ptr && *p != 'e'; ++p) {
        if (*p != '.')
            d.digits[static_cast<size_t>(d.count++)] = *p;
    }
    int exponent = 0;
    if (p < result.ptr)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, exponent);
    d.point = exponent + 1;
    d.trim();
    return d;
}

// Rounds half away from zero to the given number of digits after the point.
void roundDecimal(Decimal& d, qint64 fractionDigits) {
    const qint64 keep = d.point + fractionDigits;
    if (keep >= d.count)
        return;
    if (keep < 0) {
        d.count = 0;
        d.point = 0;
        return;
    }
    const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
    d.count = static_cast<int>(keep);
    if (up) {
        int i = d.count - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9')
            --i;
        if (i < 0) {
            d.digits[0] = '1';
            d.count = 1;
            ++d.point;
        } else {
            ++d.digits[static_cast<size_t>(i)];
            d.count = i + 1;
        }
    }
    d.trim();
}

void appendNumber(QString& out, qint64 value, int width) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    for (qint64 i = result.ptr - buffer.data(); i < width; ++i)
        out += QLatin1Char('0');
    out += QLatin1String(buffer.data(), result.ptr - buffer.data());
}

QString formatNumber(double value, const Section& s, bool minus) {
    Decimal d = toDecimal(value);
    if (d.count > 0)
        d.point += (s.percent ? 2 : 0) - 3 * static_cast<qint64>(s.thousandsScale);
    qint64 exponent = 0;
    if (s.scientific && d.count > 0) {
        exponent = d.point - s.integerDigits;
        d.point = s.integerDigits;
    }
    roundDecimal(d, s.fractionDigits);
    if (s.scientific && d.point > s.integerDigits) {
        ++exponent;
        --d.point;
    }

    const qint64 integerLength = std::max<qint64>(0, d.point);
    // Trailing "#" after the point drop their zeros.
    int fractionShown = s.fractionDigits;
    for (auto it = s.tokens.rbegin(); it != s.tokens.rend() && fractionShown > 0; ++it) {
        if (it->element == Element::DigitZero)
            break;
        if (it->element != Element::DigitHash)
            continue;
        if (d.at(d.point + fractionShown - 1) != u'0')
            break;
        --fractionShown;
    }

    QString out;
    out.reserve(static_cast<qsizetype>(s.tokens.size()) + integerLength + 8);
    if (minus)
        out += QLatin1Char('-');
    const auto digit = [&](char16_t c, qint64 fromRight) {
        out += QChar(c);
        if (s.grouping && fromRight > 0 && fromRight % 3 == 0)
            out += QLatin1Char(',');
    };
    const auto allIntegerDigits = [&] {
        for (qint64 r = integerLength - 1; r >= 0; --r)
            digit(d.at(integerLength - 1 - r), r);
    };
    int integerIndex = 0;
    int fractionIndex = 0;
    for (size_t k = 0; k < s.tokens.size(); ++k) {
        if (k == s.anchor && s.integerDigits == 0)
            allIntegerDigits();
        const Token& token = s.tokens[k];
        switch (token.element) {
        case Element::DigitZero:
        case Element::DigitHash:
            if (integerIndex < s.integerDigits) {
                const qint64 fromRight = s.integerDigits - 1 - integerIndex;
                // The leftmost placeholder takes every digit that has no placeholder of its own.
                if (integerIndex == 0) {
                    for (qint64 r = integerLength - 1; r > fromRight; --r)
                        digit(d.at(integerLength - 1 - r), r);
                }
                if (fromRight < integerLength)
                    digit(d.at(integerLength - 1 - fromRight), fromRight);
                else if (token.element == Element::DigitZero)
                    digit(u'0', fromRight);
                ++integerIndex;
            } else {
                if (fractionIndex < fractionShown)
                    out += QChar(d.at(d.point + fractionIndex));
                ++fractionIndex;
            }
            break;
        case Element::DecimalPoint:
            out += QLatin1Char('.');
            break;
        case Element::Percent:
            out += QLatin1Char('%');
            break;
        case Element::Exponent:
            out += token.text;
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (token.sign == u'+')
                out += QLatin1Char('+');
            appendNumber(out, exponent < 0 ? -exponent : exponent, std::max(token.zeros, 1));
            break;
        default:
            out += token.text;
            break;
        }
    }
    if (s.anchor == s.tokens.size() && s.integerDigits == 0)
        allIntegerDigits();
    return out;
}

// ---- dates

int sundayBasedWeekday(const QDate& date) {
    return date.dayOfWeek() % 7 + 1;
}

int daysIntoWeek(const QDate& date, int firstDayOfWeek) {
    return (sundayBasedWeekday(date) - firstDayOfWeek + 7) % 7;
}

QDate firstWeekStart(int year, const WeekRules& rules) {
    const QDate january1(year, 1, 1);
    const int into = daysIntoWeek(january1, rules.firstDayOfWeek);
    const QDate start = january1.addDays(-into);
    switch (rules.firstWeekOfYear) {
    case 2:
        return 7 - into >= 4 ? start : start.addDays(7);
    case 3:
        return into == 0 ? start : start.addDays(7);
    default:
        return start;
    }
}

int weekOfYear(const QDate& date, const WeekRules& rules) {
    QDate first = firstWeekStart(date.year(), rules);
    if (date < first)
        first = firstWeekStart(date.year() - 1, rules);
    return static_cast<int>(first.daysTo(date) / 7) + 1;
}

std::optional<QString> formatDate(double value, const Section& s, const WeekRules& rules) {
    const auto civil = DateValue::toCivil(value);
    if (!civil)
        return std::nullopt;
    const QDate date(civil->year, civil->month, civil->day);
    const int hour12 = civil->hour % 12 == 0 ? 12 : civil->hour % 12;
    const int hour = s.twelveHour ? hour12 : civil->hour;
    QString out;
    for (const Token& token : s.tokens) {
        switch (token.element) {
        case Element::Year4:
            appendNumber(out, civil->year, 4);
            break;
        case Element::Year2:
            appendNumber(out, civil->year % 100, 2);
            break;
        case Element::DayOfYear:
            appendNumber(out, date.dayOfYear(), 1);
            break;
        case Element::Month:
        case Element::Month2:
            appendNumber(out, civil->month, token.element == Element::Month2 ? 2 : 1);
            break;
        case Element::MonthShort:
        case Element::MonthLong:
            out += japanese().monthName(civil->month, token.element == Element::MonthLong ? QLocale::LongFormat
                                                                                          : QLocale::ShortFormat);
            break;
        case Element::Day:
        case Element::Day2:
            appendNumber(out, civil->day, token.element == Element::Day2 ? 2 : 1);
            break;
        case Element::WeekdayShort:
        case Element::WeekdayLong:
            out += japanese().dayName(date.dayOfWeek(), token.element == Element::WeekdayLong ? QLocale::LongFormat
                                                                                              : QLocale::ShortFormat);
            break;
        case Element::ShortDate:
            out += DateValue::shortDateText(value);
            break;
        case Element::LongDate:
            appendNumber(out, civil->year, 1);
            out += QChar(u'年');
            appendNumber(out, civil->month, 1);
            out += QChar(u'月');
            appendNumber(out, civil->day, 1);
            out += QChar(u'日');
            break;
        case Element::WeekdayNumber:
            appendNumber(out, daysIntoWeek(date, rules.firstDayOfWeek) + 1, 1);
            break;
        case Element::WeekOfYear:
            appendNumber(out, weekOfYear(date, rules), 1);
            break;
        case Element::Quarter:
            appendNumber(out, (civil->month - 1) / 3 + 1, 1);
            break;
        case Element::Hour:
        case Element::Hour2:
            appendNumber(out, hour, token.element == Element::Hour2 ? 2 : 1);
            break;
        case Element::Minute:
        case Element::Minute2:
            appendNumber(out, civil->minute, token.element == Element::Minute2 ? 2 : 1);
            break;
        case Element::Second:
        case Element::Second2:
            appendNumber(out, civil->second, token.element == Element::Second2 ? 2 : 1);
            break;
        case Element::AmPm:
            out += civil->hour < 12 ? token.text : token.alt;
            break;
        case Element::AmPmLocale:
            out += civil->hour < 12 ? japanese().amText() : japanese().pmText();
            break;
        case Element::GeneralDate:
            out += DateValue::generalDateText(*civil);
            break;
        case Element::LongTime:
            appendNumber(out, civil->hour, 1);
            out += QLatin1Char(':');
            appendNumber(out, civil->minute, 2);
            out += QLatin1Char(':');
            appendNumber(out, civil->second, 2);
            break;
        default:
            out += token.text;
            break;
        }
    }
    return out;
}

// ---- texts

QString formatText(const QString& value, const Section& s) {
    const QString text = s.textCase < 0 ? value.toLower() : s.textCase > 0 ? value.toUpper() : value;
    const qsizetype length = text.size();
    const qsizetype placeholders = s.placeholders;
    QString out;
    qsizetype index = 0;
    for (const Token& token : s.tokens) {
        if (token.element == Element::Literal) {
            out += token.text;
            continue;
        }
        // Filled from the right, the first placeholder takes what is left over at the start;
        // filled from the left, the last one takes what is left over at the end.
        if (!s.leftToRight && index == 0 && length > placeholders)
            out += QStringView(text).left(length - placeholders);
        const qsizetype at = s.leftToRight ? index : index - placeholders + length;
        if (at >= 0 && at < length)
            out += text.at(at);
        else if (token.element == Element::CharOrBlank)
            out += QLatin1Char(' ');
        if (s.leftToRight && index == placeholders - 1 && length > placeholders)
            out += QStringView(text).mid(placeholders);
        ++index;
    }
    if (placeholders == 0)
        out += text;
    return out;
}

// ---- values

std::optional<double> numberOrDate(const QString& text) {
    const NumberRead number = readNumber(text);
    if (number.ok())
        return number.value;
    return readDateText(text);
}

QString plainText(const FormatArgument& value) {
    if (value.isNumber)
        return numberText(value.number);
    const NumberRead number = readNumber(value.text);
    if (number.ok())
        return numberText(number.value);
    if (const auto date = readDateText(value.text))
        return DateValue::generalDateText(*date);
    return value.text;
}

QString literalText(const Section& s) {
    QString out;
    for (const Token& token : s.tokens)
        out += token.text;
    return out;
}

QString formatNumberValue(double value, const ParsedPattern& parsed, const WeekRules& rules) {
    if (!std::isfinite(value))
        return numberText(value);
    const std::vector<Section>& sections = parsed.sections;
    const Section* section = &sections[0];
    bool negative = value < 0.0;
    bool minus = false;
    if (negative && sections.size() >= 2 && sections[1].kind != SectionKind::Empty)
        section = &sections[1];
    else if (negative)
        minus = true;
    else if (value == 0.0 && sections.size() >= 3 && sections[2].kind != SectionKind::Empty)
        section = &sections[2];

    switch (section->kind) {
    case SectionKind::Number:
        return formatNumber(std::fabs(value), *section, minus);
    case SectionKind::Date:
        return formatDate(value, *section, rules).value_or(numberText(value));
    case SectionKind::Text:
        return formatText(numberText(value), *section);
    case SectionKind::Literal:
        return literalText(*section);
    case SectionKind::Empty:
        break;
    }
    return numberText(value);
}

} // namespace

QString formatWithPattern(const FormatArgument& value, const QString& pattern, const WeekRules& rules) {
    if (pattern.isEmpty())
        return plainText(value);
    WeekRules week = rules;
    if (week.firstDayOfWeek < 1 || week.firstDayOfWeek > 7)
        week.firstDayOfWeek = 1;
    if (week.firstWeekOfYear < 1 || week.firstWeekOfYear > 3)
        week.firstWeekOfYear = 1;

    const ParsedPattern& parsed = cachedPattern(pattern);
    if (parsed.generalNumber) {
        if (value.isNumber)
            return numberText(value.number);
        const auto number = numberOrDate(value.text);
        return number ? numberText(*number) : value.text;
    }
    if (value.isNumber)
        return formatNumberValue(value.number, parsed, week);

    const SectionKind firstKind = parsed.sections.front().kind;
    if (parsed.numbersOnly || firstKind == SectionKind::Number || firstKind == SectionKind::Date) {
        const auto number = numberOrDate(value.text);
        return number ? formatNumberValue(*number, parsed, week) : value.text;
    }
    const bool emptyTextSection =
        value.text.isEmpty() && parsed.sections.size() >= 2 && parsed.sections[1].kind != SectionKind::Empty;
    const Section& section = parsed.sections[emptyTextSection ? 1 : 0];
    if (section.kind == SectionKind::Text)
        return formatText(value.text, section);
    if (section.kind == SectionKind::Literal)
        return literalText(section);
    return value.text;
}
