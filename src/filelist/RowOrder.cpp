#include "filelist/RowOrder.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <limits>
#include <numeric>

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

// Texts the collator finds equal ("A" and "a", "ｶﾅ" and "カナ") are put in order of their characters.
void sortByReading(const std::vector<FileRow>& rows,
                   FileColumn column,
                   Qt::SortOrder direction,
                   std::vector<qsizetype>& order) {
    const QCollator collator = readerCollator();
    // One key per distinct text: the rows of a folder share its text.
    std::vector<QCollatorSortKey> keys;
    std::vector<std::size_t> keyOfRow(rows.size());
    QHash<QString, std::size_t> known;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QString& text = columnText(rows[i], column);
        if (column == FileColumn::Path) {
            const auto it = known.constFind(text);
            if (it != known.constEnd()) {
                keyOfRow[i] = *it;
                continue;
            }
            known.insert(text, keys.size());
        }
        keyOfRow[i] = keys.size();
        keys.push_back(collator.sortKey(text));
    }
    sortStably(order, direction, [&](qsizetype a, qsizetype b) {
        const auto ka = keyOfRow[static_cast<std::size_t>(a)];
        const auto kb = keyOfRow[static_cast<std::size_t>(b)];
        if (ka == kb)
            return false;
        if (const int byReading = keys[ka].compare(keys[kb]))
            return byReading < 0;
        return columnText(rows[static_cast<std::size_t>(a)], column) <
               columnText(rows[static_cast<std::size_t>(b)], column);
    });
}

void sortByNumber(const std::vector<qint64>& values, Qt::SortOrder direction, std::vector<qsizetype>& order) {
    sortStably(order, direction, [&values](qsizetype a, qsizetype b) {
        return values[static_cast<std::size_t>(a)] < values[static_cast<std::size_t>(b)];
    });
}

// Reads a run of digits at `at`; false when there is none.
bool readNumber(QStringView text, qsizetype& at, qint64& value) {
    const qsizetype start = at;
    value = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9' && at - start < 9) {
        value = value * 10 + (text[at].unicode() - u'0');
        ++at;
    }
    return at > start;
}

bool readSeparator(QStringView text, qsizetype& at, char16_t separator) {
    if (at >= text.size() || text[at] != separator)
        return false;
    ++at;
    return true;
}

} // namespace

std::optional<qint64> sizeFromText(QStringView text) {
    if (text.isEmpty())
        return std::nullopt;
    qsizetype at = text.front() == u'-' ? 1 : 0;
    if (at == text.size())
        return std::nullopt;
    quint64 magnitude = 0;
    const quint64 limit = static_cast<quint64>(std::numeric_limits<qint64>::max()) + (at == 1 ? 1 : 0);
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c == u',')
            continue;
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const auto digit = static_cast<quint64>(c - u'0');
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (text.front() == u'-')
        return magnitude == 0 ? 0 : -static_cast<qint64>(magnitude - 1) - 1;
    return static_cast<qint64>(magnitude);
}

std::optional<qint64> dateOrderKey(QStringView text) {
    // Day 0 is written as its time alone.
    qint64 year = 1899;
    qint64 month = 12;
    qint64 day = 30;
    qint64 hour = 0;
    qint64 minute = 0;
    qint64 second = 0;
    qsizetype at = 0;
    qint64 first = 0;
    if (!readNumber(text, at, first))
        return std::nullopt;
    if (readSeparator(text, at, u'/')) {
        year = first;
        if (!readNumber(text, at, month) || !readSeparator(text, at, u'/') || !readNumber(text, at, day))
            return std::nullopt;
        if (at == text.size())
            return ((((year * 13 + month) * 32 + day) * 24 + hour) * 60 + minute) * 60 + second;
        if (!readSeparator(text, at, u' ') || !readNumber(text, at, hour))
            return std::nullopt;
    } else {
        hour = first;
    }
    if (!readSeparator(text, at, u':') || !readNumber(text, at, minute) || !readSeparator(text, at, u':') ||
        !readNumber(text, at, second) || at != text.size())
        return std::nullopt;
    return ((((year * 13 + month) * 32 + day) * 24 + hour) * 60 + minute) * 60 + second;
}

std::vector<qsizetype> sortedRowOrder(const std::vector<FileRow>& rows, FileColumn column, Qt::SortOrder order) {
    std::vector<qsizetype> result = identityOrder(rows.size());
    switch (column) {
    case FileColumn::FileName:
    case FileColumn::Path:
        sortByReading(rows, column, order, result);
        break;
    case FileColumn::Size:
    case FileColumn::LastWriteTime: {
        std::vector<qint64> values(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const QString& text = columnText(rows[i], column);
            values[i] = (column == FileColumn::Size ? sizeFromText(text) : dateOrderKey(text)).value_or(kNoValue);
        }
        sortByNumber(values, order, result);
        break;
    }
    case FileColumn::Attribute:
        sortStably(result, order, [&rows](qsizetype a, qsizetype b) {
            return rows[static_cast<std::size_t>(a)].attribute < rows[static_cast<std::size_t>(b)].attribute;
        });
        break;
    }
    return result;
}
