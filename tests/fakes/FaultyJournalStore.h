#pragma once

#include "platform/JournalStore.h"

#include <QString>

#include <memory>

// Passes everything to a real store, but its files take only so many bytes more, as on a disk that is full;
// what a failing write took so far stays in the file, as a real write may leave it.
class FaultyJournalStore final : public JournalStore {
public:
    explicit FaultyJournalStore(JournalStore& real)
        : m_real(real) {}

    // Bytes each file opened from now on still takes; negative: no limit.
    qint64 roomLeft = -1;
    // Appends each file opened from now on still takes (the plan is one); negative: no limit.
    int appendsLeft = -1;
    QString fullText = QStringLiteral("No space left on device");
    // Journals read whole so far.
    mutable int reads = 0;

    [[nodiscard]] QString location() const override { return m_real.location(); }
    [[nodiscard]] QString pathOf(qint64 run) const override { return m_real.pathOf(run); }
    [[nodiscard]] std::vector<qint64> runs() const override { return m_real.runs(); }
    [[nodiscard]] JournalBytes read(qint64 run) const override {
        ++reads;
        return m_real.read(run);
    }
    [[nodiscard]] std::optional<JournalStamp> stamp(qint64 run) const override { return m_real.stamp(run); }
    [[nodiscard]] QByteArray readNotes() const override { return m_real.readNotes(); }
    void writeNotes(QByteArrayView bytes) override { m_real.writeNotes(bytes); }
    std::unique_ptr<JournalFile> create(qint64& run, QString& error) override {
        return wrap(m_real.create(run, error));
    }
    std::unique_ptr<JournalFile> openToAppend(qint64 run, qint64 length, QString& error) override {
        return wrap(m_real.openToAppend(run, length, error));
    }
    bool remove(qint64 run) override { return m_real.remove(run); }

private:
    class File final : public JournalFile {
    public:
        File(std::unique_ptr<JournalFile> real, qint64 room, int appends, QString fullText)
            : m_real(std::move(real))
            , m_room(room)
            , m_appends(appends)
            , m_fullText(std::move(fullText)) {}

        bool append(QByteArrayView bytes) override {
            if (!m_error.isEmpty())
                return false;
            if (m_appends == 0) {
                m_error = m_fullText;
                return false;
            }
            if (m_appends > 0)
                --m_appends;
            if (m_room >= 0 && bytes.size() > m_room) {
                static_cast<void>(m_real->append(bytes.first(m_room)));
                static_cast<void>(m_real->flush());
                m_room = 0;
                m_error = m_fullText;
                return false;
            }
            if (m_room >= 0)
                m_room -= bytes.size();
            return m_real->append(bytes);
        }
        bool flush() override { return m_error.isEmpty() && m_real->flush(); }
        bool sync() override { return m_error.isEmpty() && m_real->sync(); }
        [[nodiscard]] QString error() const override { return m_error.isEmpty() ? m_real->error() : m_error; }

    private:
        std::unique_ptr<JournalFile> m_real;
        qint64 m_room;
        int m_appends;
        QString m_fullText;
        QString m_error;
    };

    std::unique_ptr<JournalFile> wrap(std::unique_ptr<JournalFile> real) {
        if (!real)
            return nullptr;
        return std::make_unique<File>(std::move(real), roomLeft, appendsLeft, fullText);
    }

    JournalStore& m_real;
};
