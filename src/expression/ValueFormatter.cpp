#include "expression/ValueFormatter.h"

#include "expression/DateText.h"
#include "expression/NumberText.h"
#include "platform/DateValue.h"

#include <QDate>
#include <QLocale>

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// A pattern character; quoted and escaped characters are always copied as they are.
struct PatternChar {
    char16_t c = 0;
    bool literal = false;
};
using PatternChars = std::vector<PatternChar>;

enum class SectionKind { Empty, Literal, Number, Date, Text };

enum class Element : quint8 {
    Literal,
    DigitZero,
    DigitHash,
    DecimalPoint,
    Percent,
    Exponent,
    Year4,
    Year2,
    DayOfYear,
    Month,
    Month2,
    MonthShort,
    MonthLong,
    Day,
    Day2,
    WeekdayShort,
    WeekdayLong,
    ShortDate,
    LongDate,
    WeekdayNumber,
    WeekOfYear,
    Quarter,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    AmPm,
    AmPmLocale,
    GeneralDate,
    LongTime,
    CharOrBlank,
    CharOrNothing,
};

struct Token {
    Element element = Element::Literal;
    QString text; // a literal; the morning marker of AmPm; the letter of an exponent
    QString alt;  // the afternoon marker of AmPm
    char16_t sign = 0;
    int zeros = 0; // exponent digits always shown
};

struct Section {
    SectionKind kind = SectionKind::Empty;
    std::vector<Token> tokens;
    // numbers
    int integerDigits = 0;
    int fractionDigits = 0;
    bool grouping = false;
    int thousandsScale = 0;
    bool percent = false;
    bool scientific = false;
    size_t anchor = 0; // where the integer digits go when there is no placeholder before the point
    // dates
    bool twelveHour = false;
    // texts
    bool leftToRight = false;
    int textCase = 0; // -1 lower, 1 upper
    int placeholders = 0;
};

struct ParsedPattern {
    bool generalNumber = false;
    bool numbersOnly = false; // texts that are not numbers pass through, whatever the sections hold
    std::vector<Section> sections;
};

const QLocale& japanese() {
    static const QLocale locale(QLocale::Japanese, QLocale::Japan);
    return locale;
}

char16_t lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool plainAt(const PatternChars& chars, size_t i, char16_t lowerCase) {
    return i < chars.size() && !chars[i].literal && lower(chars[i].c) == lowerCase;
}

bool wordAt(const PatternChars& chars, size_t i, const char* word) {
    for (; *word != 0; ++word, ++i) {
        if (!plainAt(chars, i, static_cast<char16_t>(*word)))
            return false;
    }
    return true;
}

// Counted no further than the longest element (dddddd): a long run of one letter stays linear.
size_t runAt(const PatternChars& chars, size_t i, char16_t lowerCase) {
    constexpr size_t kLongestElement = 6;
    size_t n = 0;
    while (n < kLongestElement && plainAt(chars, i + n, lowerCase))
        ++n;
    return n;
}

bool exponentAt(const PatternChars& chars, size_t i) {
    return (plainAt(chars, i, u'e')) && (plainAt(chars, i + 1, u'+') || plainAt(chars, i + 1, u'-'));
}

QString textOf(const PatternChars& chars, size_t from, size_t count) {
    QString text;
    for (size_t i = from; i < from + count; ++i)
        text += QChar(chars[i].c);
    return text;
}

// ---- splitting and classifying

std::vector<PatternChars> splitSections(const QString& pattern) {
    std::vector<PatternChars> sections(1);
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = pattern.at(i).unicode();
        if (c == u'"') {
            for (++i; i < n && pattern.at(i) != QLatin1Char('"'); ++i)
                sections.back().push_back({pattern.at(i).unicode(), true});
        } else if (c == u'\\') {
            if (++i < n)
                sections.back().push_back({pattern.at(i).unicode(), true});
        } else if (c == u';') {
            // A fifth section has no meaning; the rest is ignored.
            if (sections.size() == 4)
                break;
            sections.emplace_back();
        } else {
            sections.back().push_back({c, false});
        }
    }
    return sections;
}

SectionKind classify(const PatternChars& chars) {
    if (chars.empty())
        return SectionKind::Empty;
    bool textPlaceholder = false;
    bool digit = false;
    bool date = false;
    bool numberMark = false;
    bool textMark = false;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (chars[i].literal)
            continue;
        switch (lower(chars[i].c)) {
        case u'@':
        case u'&':
            textPlaceholder = true;
            break;
        case u'0':
        case u'#':
            digit = true;
            break;
        case u'.':
        case u'%':
            numberMark = true;
            break;
        case u'e':
            numberMark = numberMark || exponentAt(chars, i);
            break;
        case u'<':
        case u'>':
        case u'!':
            textMark = true;
            break;
        case u'y':
        case u'm':
        case u'd':
        case u'h':
        case u'n':
        case u's':
        case u'w':
        case u'q':
        case u'c':
            date = true;
            break;
        case u'a':
            date = date || wordAt(chars, i, "am/pm") || wordAt(chars, i, "ampm") || wordAt(chars, i, "a/p");
            break;
        case u't':
            date = date || runAt(chars, i, u't') >= 5;
            break;
        default:
            break;
        }
    }
    // Digit placeholders win over date letters, so that "0 pcs" stays a number pattern.
    if (textPlaceholder)
        return SectionKind::Text;
    if (digit)
        return SectionKind::Number;
    if (date)
        return SectionKind::Date;
    if (numberMark)
        return SectionKind::Number;
    if (textMark)
        return SectionKind::Text;
    return SectionKind::Literal;
}

// ---- parsing each kind

class TokenList {
public:
    explicit TokenList(std::vector<Token>& tokens)
        : m_tokens(tokens) {}
    void literal(char16_t c) { m_pending += QChar(c); }
    void push(Token token) {
        flush();
        m_tokens.push_back(std::move(token));
    }
    void push(Element element) { push(Token{element, {}, {}, 0, 0}); }
    void flush() {
        if (m_pending.isEmpty())
            return;
        m_tokens.push_back(Token{Element::Literal, m_pending, {}, 0, 0});
        m_pending.clear();
    }

private:
    std::vector<Token>& m_tokens;
    QString m_pending;
};

void parseNumberSection(const PatternChars& chars, Section& s) {
    const size_t n = chars.size();
    size_t exponent = n;
    for (size_t i = 0; i < n; ++i) {
        if (exponentAt(chars, i)) {
            exponent = i;
            break;
        }
    }
    size_t point = n;
    for (size_t i = 0; i < exponent; ++i) {
        if (plainAt(chars, i, u'.')) {
            point = i;
            break;
        }
    }
    const size_t integerEnd = std::min(point, exponent);
    size_t firstDigit = n;
    size_t lastDigit = n;
    for (size_t i = 0; i < integerEnd; ++i) {
        if (plainAt(chars, i, u'0') || plainAt(chars, i, u'#')) {
            if (firstDigit == n)
                firstDigit = i;
            lastDigit = i;
        }
    }

    TokenList out(s.tokens);
    for (size_t i = 0; i < n; ++i) {
        const PatternChar pc = chars[i];
        if (pc.literal) {
            out.literal(pc.c);
            continue;
        }
        if (i == exponent) {
            Token token{Element::Exponent, QString(QChar(pc.c)), {}, chars[i + 1].c, 0};
            for (i += 2; plainAt(chars, i, u'0') || plainAt(chars, i, u'#'); ++i) {
                if (chars[i].c == u'0')
                    ++token.zeros;
            }
            --i;
            out.push(std::move(token));
            s.scientific = true;
        } else if (i == point) {
            out.push(Element::DecimalPoint);
        } else if ((pc.c == u'0' || pc.c == u'#') && i < exponent) {
            out.push(pc.c == u'0' ? Element::DigitZero : Element::DigitHash);
            if (i < integerEnd)
                ++s.integerDigits;
            else
                ++s.fractionDigits;
        } else if (pc.c == u',' && i < integerEnd && firstDigit < i) {
            // Between digit placeholders a comma groups; after the last one it scales by 1000.
            if (i < lastDigit)
                s.grouping = true;
            else
                ++s.thousandsScale;
        } else if (pc.c == u'%') {
            out.push(Element::Percent);
            s.percent = true;
        } else {
            out.literal(pc.c);
        }
    }
    out.flush();

    s.anchor = s.tokens.size();
    for (size_t k = 0; k < s.tokens.size(); ++k) {
        const Element e = s.tokens[k].element;
        if (e == Element::DecimalPoint || e == Element::Exponent || e == Element::Percent) {
            s.anchor = k;
            break;
        }
    }
}

void parseDateSection(const PatternChars& chars, Section& s) {
    TokenList out(s.tokens);
    bool afterHour = false;
    const auto element = [&](Element e) {
        out.push(e);
        afterHour = e == Element::Hour || e == Element::Hour2;
    };
    for (size_t i = 0; i < chars.size();) {
        const PatternChar pc = chars[i];
        if (pc.literal) {
            out.literal(pc.c);
            ++i;
            continue;
        }
        const char16_t c = lower(pc.c);
        const size_t run = runAt(chars, i, c);
        switch (c) {
        case u'y':
            element(run >= 4 ? Element::Year4 : run >= 2 ? Element::Year2 : Element::DayOfYear);
            i += run >= 4 ? 4 : run >= 2 ? 2 : 1;
            continue;
        case u'm':
            if (run >= 3) {
                element(run >= 4 ? Element::MonthLong : Element::MonthShort);
                i += run >= 4 ? 4 : 3;
            } else if (afterHour) {
                element(run == 2 ? Element::Minute2 : Element::Minute);
                i += run;
            } else {
                element(run == 2 ? Element::Month2 : Element::Month);
                i += run;
            }
            continue;
        case u'd': {
            static constexpr std::array<Element, 6> kDays = {Element::Day,          Element::Day2,
                                                             Element::WeekdayShort, Element::WeekdayLong,
                                                             Element::ShortDate,    Element::LongDate};
            const size_t take = std::min<size_t>(run, kDays.size());
            element(kDays[take - 1]);
            i += take;
            continue;
        }
        case u'h':
            element(run >= 2 ? Element::Hour2 : Element::Hour);
            i += run >= 2 ? 2 : 1;
            continue;
        case u'n':
            element(run >= 2 ? Element::Minute2 : Element::Minute);
            i += run >= 2 ? 2 : 1;
            continue;
        case u's':
            element(run >= 2 ? Element::Second2 : Element::Second);
            i += run >= 2 ? 2 : 1;
            continue;
        case u'w':
            element(run >= 2 ? Element::WeekOfYear : Element::WeekdayNumber);
            i += run >= 2 ? 2 : 1;
            continue;
        case u'q':
            element(Element::Quarter);
            ++i;
            continue;
        case u'c':
            element(Element::GeneralDate);
            ++i;
            continue;
        case u't':
            if (run >= 5) {
                element(Element::LongTime);
                i += 5;
                continue;
            }
            break;
        case u'a':
            if (wordAt(chars, i, "am/pm")) {
                out.push(Token{Element::AmPm, textOf(chars, i, 2), textOf(chars, i + 3, 2), 0, 0});
                afterHour = false;
                s.twelveHour = true;
                i += 5;
                continue;
            }
            if (wordAt(chars, i, "ampm")) {
                element(Element::AmPmLocale);
                s.twelveHour = true;
                i += 4;
                continue;
            }
            if (wordAt(chars, i, "a/p")) {
                out.push(Token{Element::AmPm, textOf(chars, i, 1), textOf(chars, i + 2, 1), 0, 0});
                afterHour = false;
                s.twelveHour = true;
                i += 3;
                continue;
            }
            break;
        default:
            break;
        }
        out.literal(pc.c);
        ++i;
    }
    out.flush();
}

void parseTextSection(const PatternChars& chars, Section& s) {
    TokenList out(s.tokens);
    for (const PatternChar pc : chars) {
        if (pc.literal) {
            out.literal(pc.c);
            continue;
        }
        switch (pc.c) {
        case u'@':
            out.push(Element::CharOrBlank);
            ++s.placeholders;
            break;
        case u'&':
            out.push(Element::CharOrNothing);
            ++s.placeholders;
            break;
        case u'<':
            s.textCase = -1;
            break;
        case u'>':
            s.textCase = 1;
            break;
        case u'!':
            s.leftToRight = true;
            break;
        default:
            out.literal(pc.c);
            break;
        }
    }
    out.flush();
}

Section parseSection(const PatternChars& chars) {
    Section s;
    s.kind = classify(chars);
    switch (s.kind) {
    case SectionKind::Number:
        parseNumberSection(chars, s);
        break;
    case SectionKind::Date:
        parseDateSection(chars, s);
        break;
    case SectionKind::Text:
    case SectionKind::Literal:
        parseTextSection(chars, s);
        break;
    case SectionKind::Empty:
        break;
    }
    return s;
}

// The named patterns, as the user patterns they stand for.
struct NamedPattern {
    const char* name;
    const char16_t* pattern;
    bool numbersOnly;
};

constexpr std::array<NamedPattern, 14> kNamedPatterns = {{
    {"general date", u"c", false},
    {"long date", u"yyyy年m月d日", false},
    {"medium date", u"yy/mm/dd", false},
    {"short date", u"yyyy/mm/dd", false},
    {"long time", u"h:nn:ss", false},
    {"medium time", u"AMPM hh:nn", false},
    {"short time", u"hh:nn", false},
    {"fixed", u"0.00", false},
    {"standard", u"#,##0.00", false},
    {"percent", u"0.00%", false},
    {"scientific", u"0.00E+00", false},
    {"yes/no", u"\\Y\\e\\s;\\Y\\e\\s;\\N\\o", true},
    {"true/false", u"\\T\\r\\u\\e;\\T\\r\\u\\e;\\F\\a\\l\\s\\e", true},
    {"on/off", u"\\O\\n;\\O\\n;\\O\\f\\f", true},
}};

ParsedPattern parsePattern(const QString& pattern) {
    ParsedPattern parsed;
    QString source = pattern;
    if (pattern.compare(QLatin1String("general number"), Qt::CaseInsensitive) == 0) {
        parsed.generalNumber = true;
        return parsed;
    }
    if (pattern.compare(QLatin1String("currency"), Qt::CaseInsensitive) == 0) {
        const QString symbol = japanese().currencySymbol();
        source = QLatin1Char('"') + symbol + QLatin1String("\"#,##0;-\"") + symbol + QLatin1String("\"#,##0");
    }
    for (const NamedPattern& named : kNamedPatterns) {
        if (pattern.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0) {
            source = QString::fromUtf16(named.pattern);
            parsed.numbersOnly = named.numbersOnly;
            break;
        }
    }
    for (const PatternChars& chars : splitSections(source))
        parsed.sections.push_back(parseSection(chars));
    return parsed;
}

// Parsing is the dear part of a short pattern; a run formats many rows with the same few patterns.
const ParsedPattern& cachedPattern(const QString& pattern) {
    struct Entry {
        QString pattern;
        ParsedPattern parsed;
    };
    thread_local std::array<Entry, 8> entries;
    thread_local size_t next = 0;
    for (const Entry& entry : entries) {
        if (!entry.pattern.isNull() && entry.pattern == pattern)
            return entry.parsed;
    }
    Entry& slot = entries[next];
    next = (next + 1) % entries.size();
    slot.parsed = parsePattern(pattern);
    slot.pattern = pattern;
    return slot.parsed;
}

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
