#include "platform/linux/FolderReader.h"

#include <QStringDecoder>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::optional<QString> decodeName(const char* name) {
    const QByteArrayView bytes(name);
    // Most names are plain ASCII, which reads the same in Latin-1 and needs no decoder.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    // A leading byte-order mark is part of the name and must survive the trip.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

FolderReader::FolderReader(const QString& folder)
    : m_fd(::open(folder.toUtf8().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

FolderReader::~FolderReader() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderReader::refill() {
    // A folder that fills the first batch is read in larger ones.
    if (m_filled * 2 > m_size && m_size < kLargest) {
        m_size = kLargest;
        m_buffer = std::make_unique_for_overwrite<char[]>(m_size);
    }
    const ssize_t got = m_fd < 0 ? -1 : getdents64(m_fd, m_buffer.get(), m_size);
    if (got <= 0)
        return false;
    m_filled = static_cast<std::size_t>(got);
    m_at = 0;
    return true;
}
