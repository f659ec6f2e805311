#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>

#include <cstdint>
#include <optional>

// The text form of a journal: one record a line, UTF-8. A record is a tag and its fields, separated by tabs,
// then a tab and the CRC-32 of everything before that tab in eight lowercase hex digits, then a line feed.
// A tab, line feed, carriage return, backslash or other control character inside a field is written as a
// backslash escape, so that no field can end a record or hide one. A line that is cut off or whose checksum
// does not match is never taken for a record.
namespace JournalFormat {

// Version 2 writes the paths of the plan's entries from the run's folders on; version 1, still read, whole.
constexpr int kVersion = 2;
// The first field of the first record; its second field is the version.
constexpr char kMagic[] = "TOKRENU-JOURNAL";
// Stands for a value that was not read.
constexpr char kNone[] = "-";

std::uint32_t crc32(QByteArrayView bytes);

// The field as written, after the prefix, or nothing when it holds an escape that is not one of ours.
std::optional<QString> unescape(QByteArrayView field, QStringView prefix = {});
// A decimal number of the field, or nothing when it is anything else (no sign, space or leading "+").
std::optional<qint64> number(QByteArrayView field);
std::optional<std::uint64_t> unsignedNumber(QByteArrayView field);

// Where byte c first stands at or after from, or -1: memchr, which finds one byte faster than a general search.
qsizetype find(QByteArrayView bytes, char c, qsizetype from = 0);

// The fields of one line.
using Fields = QVarLengthArray<QByteArrayView, 12>;

enum class LineCheck : std::uint8_t {
    Whole,
    CutOff, // no line feed: the last bytes of a file whose writing stopped
    Broken, // a line feed, but no valid checksum
};

// Checks one line (without its line feed) and splits it into its fields, the checksum left out.
LineCheck splitLine(QByteArrayView line, bool endsWithLineFeed, Fields& fields);

} // namespace JournalFormat

// Appends one record to a buffer: the tag, the fields as they are added, and the checksum at the end. The record
// is put together apart and reaches the buffer whole when it ends.
class JournalLine final {
public:
    JournalLine(QByteArray& out, const char* tag);

    JournalLine& number(qint64 value);
    JournalLine& unsignedNumber(std::uint64_t value);
    JournalLine& text(QStringView text);
    template <typename T> JournalLine& optionalNumber(const std::optional<T>& value) {
        if (value)
            return number(static_cast<qint64>(*value));
        return raw(JournalFormat::kNone);
    }
    // Ends the record; nothing may be added after.
    void end();

private:
    JournalLine& raw(QByteArrayView bytes);

    QByteArray& m_out;
    QVarLengthArray<char, 256> m_record;
};
