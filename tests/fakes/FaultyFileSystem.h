#pragma once

#include "platform/FileSystem.h"

#include <QHash>
#include <QSet>

#include <functional>

// Passes every call to a real file system, except those a test makes fail.
class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& real)
        : m_real(real) {}

    // Paths whose status cannot be read any more (the file vanished after it was found).
    QSet<QString> vanished;
    QSet<QString> refuseAttributes;
    QSet<QString> refuseTimes;
    // Folders (ending in '/') that cannot be read, whoever asks: as for a folder without read permission.
    QSet<QString> unreadable;
    // Stands for a file system that keeps other times than it is given (a range or a step of its own).
    std::function<qint64(qint64)> storedTime;
    // Creation times a test gives files, which Linux cannot set.
    QHash<QString, qint64> creationTimes;
    // Runs before the names of a folder are read, on whichever thread reads them: holds a reading back.
    std::function<void(const QString& folder)> beforeListing;

    [[nodiscard]] qint32 attributes(const QString& path) const override { return m_real.attributes(path); }
    [[nodiscard]] bool setAttributes(const QString& path, qint32 bits) override {
        return !refuseAttributes.contains(path) && m_real.setAttributes(path, bits);
    }
    [[nodiscard]] std::optional<FileStatus> status(const QString& path) const override {
        if (vanished.contains(path))
            return std::nullopt;
        return m_real.status(path);
    }
    [[nodiscard]] std::optional<qint64> fileTime(const QString& path, FileTimeKind kind) const override {
        if (kind == FileTimeKind::Creation && creationTimes.contains(path))
            return creationTimes.value(path);
        return m_real.fileTime(path, kind);
    }
    [[nodiscard]] bool setFileTime(const QString& path, FileTimeKind kind, qint64 secs) override {
        return !refuseTimes.contains(path) && m_real.setFileTime(path, kind, storedTime ? storedTime(secs) : secs);
    }
    [[nodiscard]] FolderListing findFiles(const QString& folder, const QString& wildcard) const override {
        return isUnreadable(folder) ? FolderListing() : m_real.findFiles(folder, wildcard);
    }
    [[nodiscard]] QStringList subfolderNames(const QString& folder) const override {
        return isUnreadable(folder) ? QStringList() : m_real.subfolderNames(folder);
    }
    [[nodiscard]] QStringList entryNames(const QString& folder) const override {
        if (beforeListing)
            beforeListing(folder);
        return isUnreadable(folder) ? QStringList() : m_real.entryNames(folder);
    }
    [[nodiscard]] std::optional<QString> storedName(const QString& path) const override {
        return m_real.storedName(path);
    }
    [[nodiscard]] std::optional<FileIdentity> folderIdentity(const QString& folder) const override {
        return m_real.folderIdentity(folder);
    }
    [[nodiscard]] std::optional<FileIdentity> fileIdentity(const QString& path) const override {
        if (vanished.contains(path))
            return std::nullopt;
        return m_real.fileIdentity(path);
    }
    [[nodiscard]] std::optional<std::uint64_t> folderMount(const QString& folder) const override {
        return m_real.folderMount(folder);
    }
    [[nodiscard]] std::optional<std::uint32_t> writePermissions(const QString& path) const override {
        return m_real.writePermissions(path);
    }
    bool restoreWritePermissions(const QString& path, std::uint32_t bits) override {
        return m_real.restoreWritePermissions(path, bits);
    }
    [[nodiscard]] bool sameContent(const QString& first, const QString& second) const override {
        return m_real.sameContent(first, second);
    }
    [[nodiscard]] QString accessProblem(const QString& path) const override { return m_real.accessProblem(path); }
    [[nodiscard]] bool exists(const QString& path) const override { return m_real.exists(path); }
    [[nodiscard]] bool canSetFileTime(FileTimeKind kind) const override { return m_real.canSetFileTime(kind); }

private:
    [[nodiscard]] bool isUnreadable(const QString& folder) const {
        return unreadable.contains(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
    }

    FileSystem& m_real;
};
