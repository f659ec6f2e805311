#include "expression/FormatPattern.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <utility>

namespace FormatPattern {

namespace {

// A pattern character; quoted and escaped characters are always copied as they are.
struct PatternChar {
    char16_t c = 0;
    bool literal = false;
};
using PatternChars = std::vector<PatternChar>;

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

} // namespace

const QLocale& japanese() {
    static const QLocale locale(QLocale::Japanese, QLocale::Japan);
    return locale;
}

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

} // namespace FormatPattern
