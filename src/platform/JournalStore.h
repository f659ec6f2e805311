#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One journal open for writing. What is appended is kept in memory until it fills a buffer or is flushed;
// once a call has failed the file takes nothing more, and error() says why.
class JournalFile {
public:
    virtual ~JournalFile() = default;

    virtual bool append(QByteArrayView bytes) = 0;
    // Hands everything appended to the system; a crash of the process loses none of it after this.
    virtual bool flush() = 0;
    // Flushes and waits until the bytes are on the disk, and the first time the file's folder entry as well.
    virtual bool sync() = 0;
    [[nodiscard]] virtual QString error() const = 0;
};

// What reading a journal gave.
struct JournalBytes {
    QByteArray bytes;
    QString error;      // why it could not be read; empty when it could
    bool inUse = false; // another process has it open for writing now
};

// What a journal's file is now, told without reading it: what was learnt by reading it holds as long as this
// stays the same.
struct JournalStamp {
    std::uint64_t inode = 0;
    qint64 size = 0;
    qint64 changedNs = 0; // when the file or its attributes last changed
    // Changed long enough ago that a further change would show in changedNs, whose clock has coarse steps.
    bool settled = false;
    bool inUse = false; // another process has it open for writing now

    [[nodiscard]] bool sameFile(const JournalStamp& other) const {
        return inode == other.inode && size == other.size && changedNs == other.changedNs;
    }
};

// The journals of the runs, each known by its number; numbers grow with every new run. Only one process
// writes a journal at a time: a file open for writing is locked until it is closed.
class JournalStore {
public:
    virtual ~JournalStore() = default;

    // Where the journals are kept, for messages.
    [[nodiscard]] virtual QString location() const = 0;
    // The journal's own file, for messages.
    [[nodiscard]] virtual QString pathOf(qint64 run) const = 0;
    // The numbers of the journals kept, lowest (oldest) first.
    [[nodiscard]] virtual std::vector<qint64> runs() const = 0;
    [[nodiscard]] virtual JournalBytes read(qint64 run) const = 0;
    // Nothing when the journal cannot be looked at.
    [[nodiscard]] virtual std::optional<JournalStamp> stamp(qint64 run) const = 0;
    // A small file beside the journals, in which whoever reads them keeps what it learnt; empty when there is
    // none. It is written whole or not at all, and holds nothing that cannot be learnt again.
    [[nodiscard]] virtual QByteArray readNotes() const = 0;
    virtual void writeNotes(QByteArrayView bytes) = 0;
    // A new, empty journal with a number higher than any kept; nothing, with the reason, when it cannot be made.
    virtual std::unique_ptr<JournalFile> create(qint64& run, QString& error) = 0;
    // Opens a journal to write more to it, cut back to its first `length` bytes: a record the end of which was
    // lost goes, so that what is appended follows the last whole one.
    virtual std::unique_ptr<JournalFile> openToAppend(qint64 run, qint64 length, QString& error) = 0;
    virtual bool remove(qint64 run) = 0;
};
