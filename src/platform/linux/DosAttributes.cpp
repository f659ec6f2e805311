#include "platform/linux/DosAttributes.h"

namespace {

bool parseHex(const QByteArray& text, std::int32_t& bits) {
    if (!text.startsWith("0x") && !text.startsWith("0X"))
        return false;
    bool ok = false;
    const uint value = text.mid(2).toUInt(&ok, 16);
    if (ok)
        bits = static_cast<std::int32_t>(value);
    return ok;
}

std::uint32_t readLe32(const QByteArray& data, qsizetype offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(data[offset + i]);
    return value;
}

} // namespace

DosAttributeValue parseDosAttributes(const QByteArray& value) {
    DosAttributeValue result;
    const qsizetype nul = value.indexOf('\0');
    if (nul < 0) {
        parseHex(value.trimmed(), result.bits);
        return result;
    }
    result.binary = true;
    if (parseHex(value.left(nul), result.bits))
        return result;
    // No hex text: the version (16 bits) follows the text, then the fields aligned to four bytes.
    // Versions 1 and 2 start with the attributes; later ones put a field of valid flags before them.
    qsizetype offset = nul + 1;
    offset += offset % 2;
    if (offset + 2 > value.size())
        return result;
    const int version = static_cast<std::uint8_t>(value[offset]) | (static_cast<std::uint8_t>(value[offset + 1]) << 8);
    offset += 2;
    offset = (offset + 3) / 4 * 4;
    if (version >= 3)
        offset += 4;
    if (version >= 1 && offset + 4 <= value.size())
        result.bits = static_cast<std::int32_t>(readLe32(value, offset));
    return result;
}

QByteArray formatDosAttributes(std::int32_t bits) {
    QByteArray text("0x");
    text.append(QByteArray::number(static_cast<uint>(bits), 16));
    return text;
}
