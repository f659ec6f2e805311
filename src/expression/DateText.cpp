#include "expression/DateText.h"

#include "platform/DateValue.h"

#include <QDate>
#include <QString>

#include <algorithm>

namespace {

enum class Meridiem { None, Morning, Afternoon };

char16_t lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

class Reader {
public:
    explicit Reader(QStringView text)
        : m_text(text) {}

    [[nodiscard]] bool atEnd() const { return m_pos == m_text.size(); }

    bool take(char16_t c) {
        if (atEnd() || m_text[m_pos] != QChar(c))
            return false;
        ++m_pos;
        return true;
    }

    bool takeWord(QStringView word) {
        if (!m_text.mid(m_pos).startsWith(word, Qt::CaseInsensitive))
            return false;
        m_pos += word.size();
        return true;
    }

    int skipBlanks() {
        int count = 0;
        for (; !atEnd() && m_text[m_pos].isSpace(); ++m_pos)
            ++count;
        return count;
    }

    // A run of ASCII digits whose length lies between the bounds; nothing is taken otherwise.
    std::optional<int> number(int minDigits, int maxDigits) {
        qsizetype end = m_pos;
        int value = 0;
        while (end < m_text.size() && end - m_pos < maxDigits + 1 && m_text[end] >= QLatin1Char('0') &&
               m_text[end] <= QLatin1Char('9')) {
            value = value * 10 + (m_text[end].unicode() - u'0');
            ++end;
        }
        const qsizetype digits = end - m_pos;
        if (digits < minDigits || digits > maxDigits)
            return std::nullopt;
        m_pos = end;
        return value;
    }

    [[nodiscard]] char16_t peek() const { return atEnd() ? char16_t(0) : m_text[m_pos].unicode(); }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

Meridiem readMeridiem(Reader& r) {
    if (r.takeWord(u"午前") || r.takeWord(u"AM"))
        return Meridiem::Morning;
    if (r.takeWord(u"午後") || r.takeWord(u"PM"))
        return Meridiem::Afternoon;
    return Meridiem::None;
}

bool readTime(Reader& r, DateValue::Civil& civil) {
    Meridiem meridiem = readMeridiem(r);
    if (meridiem != Meridiem::None)
        r.skipBlanks();
    const auto hour = r.number(1, 2);
    if (!hour || !r.take(u':'))
        return false;
    const auto minute = r.number(1, 2);
    if (!minute)
        return false;
    std::optional<int> second = 0;
    if (r.take(u':')) {
        second = r.number(1, 2);
        if (!second)
            return false;
    }
    if (meridiem == Meridiem::None) {
        Reader after = r;
        after.skipBlanks();
        meridiem = readMeridiem(after);
        if (meridiem != Meridiem::None)
            r = after;
    }
    if (*minute > 59 || *second > 59)
        return false;
    int h = *hour;
    if (meridiem == Meridiem::None) {
        if (h > 23)
            return false;
    } else {
        if (h > 12)
            return false;
        h = h % 12 + (meridiem == Meridiem::Afternoon ? 12 : 0);
    }
    civil.hour = h;
    civil.minute = *minute;
    civil.second = *second;
    return true;
}

std::optional<int> readYear(Reader& r) {
    if (const auto year = r.number(4, 4))
        return year;
    // Two-digit years as the Japanese system reads them, only in the "yy/mm/dd" form.
    Reader ahead = r;
    if (const auto year = ahead.number(2, 2); year && ahead.peek() == u'/') {
        r = ahead;
        return *year < 30 ? 2000 + *year : 1900 + *year;
    }
    return std::nullopt;
}

// Returns the separator of the date form that was read, 0 when there is no date.
char16_t readDate(Reader& r, DateValue::Civil& civil) {
    const auto year = readYear(r);
    if (!year)
        return 0;
    const char16_t separator = r.peek();
    std::optional<int> month;
    std::optional<int> day;
    if (separator == u'/' || separator == u'-') {
        r.take(separator);
        month = r.number(1, 2);
        if (!month || !r.take(separator))
            return 0;
        day = r.number(1, 2);
    } else if (r.take(u'年')) {
        month = r.number(1, 2);
        if (!month || !r.take(u'月'))
            return 0;
        day = r.number(1, 2);
        if (!day || !r.take(u'日'))
            return 0;
    } else {
        return 0;
    }
    if (!day || *year < 100 || !QDate::isValid(*year, *month, *day))
        return 0;
    civil.year = *year;
    civil.month = *month;
    civil.day = *day;
    return separator;
}

} // namespace

std::optional<double> readDateText(QStringView text) {
    const QStringView trimmed = text.trimmed();
    // Most texts (file names) are no dates: turn them away before any parsing.
    const char16_t first = trimmed.isEmpty() ? char16_t(0) : trimmed.front().unicode();
    if (!(first >= u'0' && first <= u'9') && first != u'午' && lower(first) != u'a' && lower(first) != u'p')
        return std::nullopt;
    const bool separated = std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) {
        return c == QLatin1Char(':') || c == QLatin1Char('/') || c == QLatin1Char('-') || c == QChar(u'年');
    });
    if (!separated)
        return std::nullopt;
    Reader r(trimmed);
    DateValue::Civil civil;
    Reader dateReader = r;
    if (const char16_t separator = readDate(dateReader, civil)) {
        r = dateReader;
        if (!r.atEnd()) {
            // The long form may run straight into its time; the others need a blank (or ISO's "T").
            const bool timeFollows =
                r.skipBlanks() > 0 || (separator == u'-' && r.take(u'T')) || (separator != u'/' && separator != u'-');
            if (!timeFollows || !readTime(r, civil))
                return std::nullopt;
        }
    } else if (!readTime(r, civil)) {
        return std::nullopt;
    }
    if (!r.atEnd())
        return std::nullopt;
    return DateValue::fromCivil(civil);
}
