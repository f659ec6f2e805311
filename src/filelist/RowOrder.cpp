#include "filelist/RowOrder.h"

#include "platform/AttributeBits.h"
#include "platform/DateValue.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <array>
#include <compare>
#include <functional>
#include <limits>
#include <numeric>
#include <optional>

namespace {

// Texts that are no number or date sort before every real value.
constexpr qint64 kNoValue = std::numeric_limits<qint64>::min();

std::vector<qsizetype> identityOrder(std::size_t count) {
    std::vector<qsizetype> order(count);
    std::iota(order.begin(), order.end(), qsizetype{0});
    return order;
}

// Stable, so that equal rows keep their order in either direction.
template <typename Less> void sortStably(std::vector<qsizetype>& order, Qt::SortOrder direction, Less less) {
    if (direction == Qt::AscendingOrder)
        std::stable_sort(order.begin(), order.end(), less);
    else
        std::stable_sort(order.begin(), order.end(), [&less](qsizetype a, qsizetype b) { return less(b, a); });
}

QCollator readerCollator() {
    QCollator collator{QLocale(QLocale::Japanese)};
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

bool isPrintableAscii(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
}

// Keys that order texts of printable ASCII exactly as the collator does, made without it: each character
// by its rank in the collator's own order of the printable characters, read from the collator once, and a
// run of digits by its number (the digit mark, the count of digits without leading zeros, then the digits).
class AsciiReading {
public:
    explicit AsciiReading(const QCollator& collator) {
        std::vector<char16_t> printable;
        for (char16_t c = 0x20; c < 0x7F; ++c)
            printable.push_back(c);
        auto compare = [&collator](char16_t a, char16_t b) {
            return collator.compare(QStringView(&a, 1), QStringView(&b, 1));
        };
        std::stable_sort(printable.begin(), printable.end(), [&](char16_t a, char16_t b) { return compare(a, b) < 0; });
        quint16 rank = 1;
        for (std::size_t i = 0; i < printable.size(); ++i) {
            if (i > 0 && compare(printable[i - 1], printable[i]) != 0)
                ++rank;
            m_rank[printable[i]] = rank;
        }
    }

    // Appends the key of text, which must be printable ASCII.
    void appendKey(QStringView text, std::vector<quint16>& keys) const {
        for (qsizetype i = 0; i < text.size();) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9') {
                keys.push_back(m_rank[c]);
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < text.size() && text[end] >= u'0' && text[end] <= u'9')
                ++end;
            qsizetype first = i;
            while (first < end && text[first] == u'0')
                ++first;
            keys.push_back(m_rank[u'0']);
            keys.push_back(static_cast<quint16>(end - first));
            for (qsizetype d = first; d < end; ++d)
                keys.push_back(static_cast<quint16>(text[d].unicode() - u'0'));
            i = end;
        }
    }

private:
    quint16 m_rank[0x80] = {};
};

using TextOf = std::function<const QString&(std::size_t)>;

// One reading key per distinct text: the rows of a folder share its text. Plain ASCII, the usual case, is
// keyed without the collator, which costs many times more per text.
class ReadingKeys {
public:
    // textOf(i) is the text of row i; shared says that many rows hold the same text.
    ReadingKeys(std::size_t count, const TextOf& textOf, bool shared)
        : m_keyOfRow(count) {
        const QCollator collator = readerCollator();
        m_ascii = true;
        for (std::size_t i = 0; i < count && m_ascii; ++i)
            m_ascii = isPrintableAscii(textOf(i));
        const std::optional<AsciiReading> ascii =
            m_ascii ? std::optional<AsciiReading>(std::in_place, collator) : std::nullopt;
        QHash<QString, std::size_t> known;
        for (std::size_t i = 0; i < count; ++i) {
            const QString& text = textOf(i);
            if (shared) {
                const auto it = known.constFind(text);
                if (it != known.constEnd()) {
                    m_keyOfRow[i] = *it;
                    continue;
                }
                known.insert(text, keyCount());
            }
            m_keyOfRow[i] = keyCount();
            if (ascii) {
                m_spans.push_back(m_codes.size());
                ascii->appendKey(text, m_codes);
            } else {
                m_collated.push_back(collator.sortKey(text));
            }
        }
        m_spans.push_back(m_codes.size());
    }

    // -1, 0 or 1 as the texts of rows a and b read.
    [[nodiscard]] int compare(std::size_t a, std::size_t b) const {
        const std::size_t ka = m_keyOfRow[a];
        const std::size_t kb = m_keyOfRow[b];
        if (ka == kb)
            return 0;
        if (!m_ascii)
            return m_collated[ka].compare(m_collated[kb]);
        const auto* first = m_codes.data() + m_spans[ka];
        const auto* second = m_codes.data() + m_spans[kb];
        const auto order = std::lexicographical_compare_three_way(first, m_codes.data() + m_spans[ka + 1], second,
                                                                  m_codes.data() + m_spans[kb + 1]);
        return std::is_lt(order) ? -1 : (std::is_gt(order) ? 1 : 0);
    }

private:
    [[nodiscard]] std::size_t keyCount() const { return m_ascii ? m_spans.size() : m_collated.size(); }

    std::vector<std::size_t> m_keyOfRow;
    bool m_ascii = false;
    std::vector<quint16> m_codes;
    std::vector<std::size_t> m_spans;
    std::vector<QCollatorSortKey> m_collated;
};

// Texts the collator finds equal ("A" and "a", "ｶﾅ" and "カナ") are put in order of their characters.
void sortByReading(
    std::size_t count, const TextOf& textOf, bool shared, Qt::SortOrder direction, std::vector<qsizetype>& order) {
    const ReadingKeys keys(count, textOf, shared);
    sortStably(order, direction, [&](qsizetype a, qsizetype b) {
        if (const int byReading = keys.compare(static_cast<std::size_t>(a), static_cast<std::size_t>(b)))
            return byReading < 0;
        return textOf(static_cast<std::size_t>(a)) < textOf(static_cast<std::size_t>(b));
    });
}

void sortByNumber(const std::vector<qint64>& values, Qt::SortOrder direction, std::vector<qsizetype>& order) {
    sortStably(order, direction, [&values](qsizetype a, qsizetype b) {
        return values[static_cast<std::size_t>(a)] < values[static_cast<std::size_t>(b)];
    });
}

// A number that orders date values by the local time their texts show, to the second; details whose date has no
// text sort before every real value.
qint64 dateKey(double value) {
    const std::optional<DateValue::Civil> civil = DateValue::toCivil(value);
    if (!civil)
        return kNoValue;
    const qint64 days = (qint64{civil->year} * 13 + civil->month) * 32 + civil->day;
    return ((days * 24 + civil->hour) * 60 + civil->minute) * 60 + civil->second;
}

// The value of each row's known details; details not known sort before every real value.
template <typename ValueOf> std::vector<qint64> detailValues(const std::vector<FileRow>& rows, ValueOf valueOf) {
    std::vector<qint64> values(rows.size(), kNoValue);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].details.isKnown())
            values[i] = valueOf(rows[i].details);
    }
    return values;
}

} // namespace

std::vector<qsizetype> sortedRowOrder(const std::vector<FileRow>& rows, FileColumn column, Qt::SortOrder order) {
    std::vector<qsizetype> result = identityOrder(rows.size());
    switch (column) {
    case FileColumn::FileName:
    case FileColumn::Path:
    case FileColumn::NewName:
        sortByReading(
            rows.size(),
            [&rows, column](std::size_t i) -> const QString& {
                static const QString none;
                return column == FileColumn::Path ? rows[i].path
                                                  : (column == FileColumn::FileName ? rows[i].name : none);
            },
            column == FileColumn::Path, order, result);
        break;
    case FileColumn::Size:
        sortByNumber(detailValues(rows, [](const RowDetails& details) { return details.size; }), order, result);
        break;
    case FileColumn::LastWriteTime: {
        // By the local time the text shows, which a change of clocks can put out of step with the seconds.
        std::optional<qint64> lastSecs;
        qint64 lastKey = 0;
        const auto localKey = [&](const RowDetails& details) {
            if (details.lastWriteSecs != lastSecs) {
                lastSecs = details.lastWriteSecs;
                lastKey = dateKey(DateValue::fromSecsSinceEpoch(details.lastWriteSecs));
            }
            return lastKey;
        };
        sortByNumber(detailValues(rows, localKey), order, result);
        break;
    }
    case FileColumn::Attribute: {
        // By the letters, made once for each combination of bits that has any.
        std::array<QString, 64> letters;
        for (std::size_t bits = 0; bits < letters.size(); ++bits)
            letters[bits] = attributeLetters(static_cast<qint32>(bits));
        const auto lettersOf = [&letters](const RowDetails& details) -> const QString& {
            static const QString none;
            return details.isKnown() ? letters[static_cast<std::size_t>(details.attributes & 63)] : none;
        };
        sortStably(result, order, [&](qsizetype a, qsizetype b) {
            return lettersOf(rows[static_cast<std::size_t>(a)].details) <
                   lettersOf(rows[static_cast<std::size_t>(b)].details);
        });
        break;
    }
    }
    return result;
}

std::vector<qsizetype> sortedTextOrder(const std::vector<QString>& texts, Qt::SortOrder order) {
    std::vector<qsizetype> result = identityOrder(texts.size());
    sortByReading(
        texts.size(), [&texts](std::size_t i) -> const QString& { return texts[i]; }, false, order, result);
    return result;
}
