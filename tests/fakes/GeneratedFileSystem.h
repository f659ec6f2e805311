#pragma once

#include "platform/AttributeBits.h"
#include "platform/FileSystem.h"

#include <QStringList>

// One folder of many files that exist only here, so that a list of a million rows is made without the disk:
// "f0000000.dat" and on, each with a size, a last-write time and attributes made from its number. Nothing can
// be changed; every other path is missing.
class GeneratedFileSystem final : public FileSystem {
public:
    GeneratedFileSystem(QString folder, int count)
        : m_folder(std::move(folder))
        , m_count(count) {}

    static QString nameOf(int number) {
        return QLatin1Char('f') + QString::number(number).rightJustified(7, QLatin1Char('0')) + QStringLiteral(".dat");
    }
    // Sizes repeat and run against the names' order, so that a sort by size moves nearly every row.
    static FileStatus statusOf(int number) {
        const qint32 bits =
            (number % 3 == 0 ? AttributeBits::kReadOnly : 0) | (number % 5 == 0 ? AttributeBits::kArchive : 0);
        return {bits, (qint64{number} * 7919) % 100003, 1700000000 + qint64{number} * 61};
    }

    // How many statuses were looked at, and in how many calls.
    mutable qint64 looks = 0;
    mutable qint64 batches = 0;

    [[nodiscard]] qint32 attributes(const QString& path) const override {
        const auto found = status(path);
        return found ? found->attributes : AttributeBits::kMissing;
    }
    [[nodiscard]] bool setAttributes(const QString&, qint32) override { return false; }
    [[nodiscard]] std::optional<FileStatus> status(const QString& path) const override {
        if (path == m_folder || path == m_folder.chopped(1))
            return FileStatus{AttributeBits::kDirectory, 0, 0};
        if (!path.startsWith(m_folder))
            return std::nullopt;
        return statusOfName(QStringView(path).sliced(m_folder.size()));
    }
    [[nodiscard]] std::vector<std::optional<FileStatus>> statusesIn(const QString& folder,
                                                                    const QStringList& names) const override {
        ++batches;
        std::vector<std::optional<FileStatus>> statuses;
        statuses.reserve(static_cast<std::size_t>(names.size()));
        for (const QString& name : names)
            statuses.push_back(folder == m_folder ? statusOfName(name) : std::nullopt);
        return statuses;
    }
    [[nodiscard]] bool exists(const QString& path) const override { return status(path).has_value(); }
    [[nodiscard]] std::optional<qint64> fileTime(const QString& path, FileTimeKind) const override {
        const auto found = status(path);
        return found ? std::optional<qint64>(found->lastWriteSecs) : std::nullopt;
    }
    [[nodiscard]] bool setFileTime(const QString&, FileTimeKind, qint64) override { return false; }
    // Every file, whatever the wildcard.
    [[nodiscard]] FolderListing findFiles(const QString& folder, const QString&) const override {
        FolderListing listing;
        if (folder != m_folder)
            return listing;
        listing.entries.reserve(static_cast<std::size_t>(m_count));
        for (int i = 0; i < m_count; ++i)
            listing.entries.push_back({nameOf(i), false});
        return listing;
    }
    [[nodiscard]] QStringList subfolderNames(const QString&) const override { return {}; }
    [[nodiscard]] QStringList entryNames(const QString&) const override { return {}; }
    [[nodiscard]] std::optional<QString> storedName(const QString&) const override { return std::nullopt; }
    [[nodiscard]] std::optional<FileIdentity> folderIdentity(const QString&) const override { return std::nullopt; }
    [[nodiscard]] std::optional<FileIdentity> fileIdentity(const QString&) const override { return std::nullopt; }
    [[nodiscard]] std::optional<std::uint64_t> folderMount(const QString&) const override { return std::nullopt; }
    [[nodiscard]] std::optional<std::uint32_t> writePermissions(const QString&) const override { return std::nullopt; }
    bool restoreWritePermissions(const QString&, std::uint32_t) override { return false; }
    [[nodiscard]] bool sameContent(const QString&, const QString&) const override { return false; }
    [[nodiscard]] QString accessProblem(const QString&) const override { return {}; }
    [[nodiscard]] bool canSetFileTime(FileTimeKind) const override { return false; }

private:
    [[nodiscard]] std::optional<FileStatus> statusOfName(QStringView name) const {
        ++looks;
        if (name.size() != 12)
            return std::nullopt;
        bool ok = false;
        const int number = name.sliced(1, 7).toInt(&ok);
        if (!ok || number < 0 || number >= m_count || name != nameOf(number))
            return std::nullopt;
        return statusOf(number);
    }

    QString m_folder; // ends in '/'
    int m_count;
};
