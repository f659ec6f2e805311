#pragma once

#include <QByteArray>

#include <cstdint>

// The value of user.DOSATTRIB: Wine's text form "0x20", or Samba's binary record that starts with a
// (possibly empty) hex text followed by a version and further fields.
struct DosAttributeValue {
    std::int32_t bits = 0;
    // Samba's binary record: readable, never to be rewritten.
    bool binary = false;
};

DosAttributeValue parseDosAttributes(const QByteArray& value);
QByteArray formatDosAttributes(std::int32_t bits);
