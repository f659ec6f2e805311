#include "execution/JournalFormat.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;
constexpr int kCrcDigits = 8;
constexpr qsizetype kMaxFields = 32;

// Eight tables, so that the checksum takes eight bytes a step: a journal of many files is read at start-up.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
    CrcTables tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) != 0 ? kPolynomial ^ (c >> 1) : c >> 1;
        tables[0][i] = c;
    }
    for (std::size_t i = 0; i < 256; ++i) {
        for (std::size_t slice = 1; slice < 8; ++slice)
            tables[slice][i] = (tables[slice - 1][i] >> 8) ^ tables[0][tables[slice - 1][i] & 0xffu];
    }
    return tables;
}

constexpr CrcTables kCrcTables = makeCrcTables();

bool needsEscape(unsigned char c) {
    return c < 0x20 || c == 0x7f || c == '\\';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

template <typename Bytes> void appendEscaped(Bytes& out, QByteArrayView utf8) {
    static const char kHex[] = "0123456789abcdef";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (!needsEscape(byte)) {
            out.append(c);
            continue;
        }
        out.append('\\');
        switch (c) {
        case '\\':
            out.append('\\');
            break;
        case '\t':
            out.append('t');
            break;
        case '\n':
            out.append('n');
            break;
        case '\r':
            out.append('r');
            break;
        default:
            out.append('x');
            out.append(kHex[byte >> 4]);
            out.append(kHex[byte & 0xfu]);
            break;
        }
    }
}

} // namespace

std::uint32_t JournalFormat::crc32(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype n = bytes.size();
    std::uint32_t crc = 0xffffffffu;
    const CrcTables& t = kCrcTables;
    while (n >= 8) {
        const std::uint32_t one = qFromLittleEndian<quint32>(p) ^ crc;
        const auto two = qFromLittleEndian<quint32>(p + 4);
        crc = t[7][one & 0xffu] ^ t[6][(one >> 8) & 0xffu] ^ t[5][(one >> 16) & 0xffu] ^ t[4][one >> 24] ^
              t[3][two & 0xffu] ^ t[2][(two >> 8) & 0xffu] ^ t[1][(two >> 16) & 0xffu] ^ t[0][two >> 24];
        p += 8;
        n -= 8;
    }
    while (n-- > 0)
        crc = t[0][(crc ^ *p++) & 0xffu] ^ (crc >> 8);
    return ~crc;
}

std::optional<QString> JournalFormat::unescape(QByteArrayView field, QStringView prefix) {
    if (find(field, '\\') < 0) {
        if (prefix.isEmpty())
            return QString::fromUtf8(field);
        // A path after its folder: mostly ASCII, which widens unit by unit into a text made once.
        if (std::all_of(field.begin(), field.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            QString text(prefix.size() + field.size(), Qt::Uninitialized);
            std::copy(prefix.begin(), prefix.end(), text.begin());
            std::transform(field.begin(), field.end(), text.begin() + prefix.size(),
                           [](char c) { return QChar(static_cast<char16_t>(c)); });
            return text;
        }
        return prefix.toString() + QString::fromUtf8(field);
    }
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            bytes.append(c);
            continue;
        }
        if (++i >= field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\':
            bytes.append('\\');
            break;
        case 't':
            bytes.append('\t');
            break;
        case 'n':
            bytes.append('\n');
            break;
        case 'r':
            bytes.append('\r');
            break;
        case 'x': {
            if (i + 2 >= field.size())
                return std::nullopt;
            const int high = hexValue(field[i + 1]);
            const int low = hexValue(field[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes.append(static_cast<char>(high * 16 + low));
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return prefix.toString() + QString::fromUtf8(bytes);
}

namespace {

// Only the one way each number is written: digits without a leading zero, a minus sign where it belongs.
bool canonicalDigits(QByteArrayView digits) {
    return !digits.isEmpty() &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           (digits.size() == 1 || digits[0] != '0');
}

template <typename T> std::optional<T> parseNumber(QByteArrayView field) {
    T value = 0;
    const char* first = field.data();
    const char* last = first + field.size();
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<qint64> JournalFormat::number(QByteArrayView field) {
    const bool negative = field.startsWith('-');
    const QByteArrayView digits = negative ? field.sliced(1) : field;
    if (!canonicalDigits(digits) || (negative && digits == "0"))
        return std::nullopt;
    return parseNumber<qint64>(field);
}

std::optional<std::uint64_t> JournalFormat::unsignedNumber(QByteArrayView field) {
    if (!canonicalDigits(field))
        return std::nullopt;
    return parseNumber<std::uint64_t>(field);
}

qsizetype JournalFormat::find(QByteArrayView bytes, char c, qsizetype from) {
    if (from >= bytes.size())
        return -1;
    const auto* found =
        static_cast<const char*>(std::memchr(bytes.data() + from, c, static_cast<std::size_t>(bytes.size() - from)));
    return found == nullptr ? -1 : found - bytes.data();
}

JournalFormat::LineCheck JournalFormat::splitLine(QByteArrayView line, bool endsWithLineFeed, Fields& fields) {
    fields.clear();
    if (!endsWithLineFeed)
        return LineCheck::CutOff;
    // The checksum is the last field, in as many hex digits as it has; a tab among them fails as a digit below.
    const qsizetype tab = line.size() - kCrcDigits - 1;
    if (tab < 0 || line[tab] != '\t')
        return LineCheck::Broken;
    std::uint32_t written = 0;
    for (qsizetype i = tab + 1; i < line.size(); ++i) {
        const char c = line[i];
        const int value = (c >= '0' && c <= '9') ? c - '0' : ((c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1);
        if (value < 0)
            return LineCheck::Broken;
        written = (written << 4) | static_cast<std::uint32_t>(value);
    }
    const QByteArrayView body = line.first(tab);
    if (crc32(body) != written)
        return LineCheck::Broken;
    qsizetype start = 0;
    for (;;) {
        const qsizetype next = find(body, '\t', start);
        if (fields.size() == kMaxFields)
            return LineCheck::Broken;
        fields.append(body.sliced(start, (next < 0 ? body.size() : next) - start));
        if (next < 0)
            break;
        start = next + 1;
    }
    return LineCheck::Whole;
}

JournalLine::JournalLine(QByteArray& out, const char* tag)
    : m_out(out) {
    m_record.append(tag, static_cast<qsizetype>(std::strlen(tag)));
}

JournalLine& JournalLine::raw(QByteArrayView bytes) {
    m_record.append('\t');
    m_record.append(bytes.data(), bytes.size());
    return *this;
}

JournalLine& JournalLine::number(qint64 value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return raw(QByteArrayView(digits, result.ptr - digits));
}

JournalLine& JournalLine::unsignedNumber(std::uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return raw(QByteArrayView(digits, result.ptr - digits));
}

JournalLine& JournalLine::text(QStringView text) {
    m_record.append('\t');
    // Paths are mostly plain ASCII without control characters, which go in as they are.
    const char16_t* units = text.utf16();
    const bool plain =
        std::all_of(units, units + text.size(), [](char16_t c) { return c >= 0x20 && c < 0x7f && c != u'\\'; });
    if (plain) {
        const qsizetype at = m_record.size();
        m_record.resize(at + text.size());
        std::transform(units, units + text.size(), m_record.data() + at,
                       [](char16_t c) { return static_cast<char>(c); });
        return *this;
    }
    appendEscaped(m_record, text.toUtf8());
    return *this;
}

void JournalLine::end() {
    static const char kHex[] = "0123456789abcdef";
    const std::uint32_t crc = JournalFormat::crc32(QByteArrayView(m_record.constData(), m_record.size()));
    char tail[1 + kCrcDigits + 1];
    tail[0] = '\t';
    for (int i = 0; i < kCrcDigits; ++i)
        tail[1 + i] = kHex[(crc >> (4 * (kCrcDigits - 1 - i))) & 0xfu];
    tail[1 + kCrcDigits] = '\n';
    m_record.append(tail, sizeof tail);
    m_out.append(m_record.constData(), m_record.size());
}
