#pragma once

#include "platform/JournalStore.h"

// The journals as files "run-<number>.journal" in one folder, by default $XDG_STATE_HOME/Tokrenu/journal.
// The folder is made readable by its owner alone (0700), every journal too (0600). A journal open for
// writing holds an exclusive flock, which the system drops when the process ends, however it ends.
class LinuxJournalStore final : public JournalStore {
public:
    explicit LinuxJournalStore(QString folder);

    // $XDG_STATE_HOME/Tokrenu/journal, or ~/.local/state/Tokrenu/journal without a usable one.
    static QString defaultFolder();
    // No journal of this program grows so big; a larger file is not read.
    static constexpr qint64 kMaxFileBytes = qint64(1) << 30;

    [[nodiscard]] QString location() const override { return m_folder; }
    [[nodiscard]] QString pathOf(qint64 run) const override;
    [[nodiscard]] std::vector<qint64> runs() const override;
    [[nodiscard]] JournalBytes read(qint64 run) const override;
    [[nodiscard]] std::optional<JournalStamp> stamp(qint64 run) const override;
    [[nodiscard]] QByteArray readNotes() const override;
    void writeNotes(QByteArrayView bytes) override;
    std::unique_ptr<JournalFile> create(qint64& run, QString& error) override;
    std::unique_ptr<JournalFile> openToAppend(qint64 run, qint64 length, QString& error) override;
    bool remove(qint64 run) override;

private:
    // Makes the folder (and its missing parents) for the owner alone; the reason when it cannot.
    [[nodiscard]] QString makeFolder() const;

    QString m_folder;
};
