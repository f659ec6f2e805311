#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

class FileSystem;
struct FileRow;
struct FileStatus;

// What one look at a row's file told, packed; the texts the list shows are made from it when asked.
struct RowDetails {
    enum class State : std::uint8_t {
        Unread,
        Read,
        Gone, // nothing was there when the file was looked at: every text is empty
    };

    qint64 size = 0;
    qint64 lastWriteSecs = 0; // seconds since the epoch
    qint32 attributes = 0;
    State state = State::Unread;

    static RowDetails fromStatus(const std::optional<FileStatus>& status);
    [[nodiscard]] bool isRead() const { return state != State::Unread; }
    [[nodiscard]] bool isKnown() const { return state == State::Read; }

    // A run set the file's attributes or last-write time. Details not read yet are read as the file is then.
    void attributesChanged(qint32 bits);
    void lastWriteChanged(qint64 secs);

    // "#,##0", the general date text and the attribute letters; empty unless the details are known.
    [[nodiscard]] QString sizeText() const;
    [[nodiscard]] QString lastWriteText() const;
    [[nodiscard]] QString attributeText() const;

    friend bool operator==(const RowDetails&, const RowDetails&) = default;
};

// Reads the details of the rows that have none yet: the names of each folder together, from one opening of it.
void readRowDetails(const FileSystem& fs, std::span<const FileRow> rows);
