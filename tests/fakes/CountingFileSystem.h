#pragma once

#include "platform/FileSystem.h"

#include <QHash>

#include <algorithm>

// Passes every call to a real file system and counts the reads of each folder and the looks at each
// path. Chosen names can read as stored in other letters, as on a file system that ignores letter case.
class CountingFileSystem final : public FileSystem {
public:
    explicit CountingFileSystem(FileSystem& real)
        : m_real(real) {}

    // Folder (without a closing '/', the root as "/") -> times it was read, for a listing or a stored name.
    mutable QHash<QString, int> folderReads;
    // Path -> times its attributes or status were read.
    mutable QHash<QString, int> looks;
    // Path as asked for -> the name its folder stores it under.
    QHash<QString, QString> storedInOtherLetters;

    [[nodiscard]] int mostReadsOfOneFolder() const { return highest(folderReads); }
    [[nodiscard]] int mostLooksAtOnePath() const { return highest(looks); }

    [[nodiscard]] qint32 attributes(const QString& path) const override {
        ++looks[path];
        return m_real.attributes(path);
    }
    [[nodiscard]] bool setAttributes(const QString& path, qint32 bits) override {
        return m_real.setAttributes(path, bits);
    }
    [[nodiscard]] std::optional<FileStatus> status(const QString& path) const override {
        ++looks[path];
        return m_real.status(path);
    }
    [[nodiscard]] std::optional<qint64> fileTime(const QString& path, FileTimeKind kind) const override {
        return m_real.fileTime(path, kind);
    }
    [[nodiscard]] bool setFileTime(const QString& path, FileTimeKind kind, qint64 secs) override {
        return m_real.setFileTime(path, kind, secs);
    }
    [[nodiscard]] FolderListing findFiles(const QString& folder, const QString& wildcard) const override {
        ++folderReads[withoutClosingSlash(folder)];
        return m_real.findFiles(folder, wildcard);
    }
    [[nodiscard]] QStringList subfolderNames(const QString& folder) const override {
        ++folderReads[withoutClosingSlash(folder)];
        return m_real.subfolderNames(folder);
    }
    [[nodiscard]] QStringList entryNames(const QString& folder) const override {
        ++folderReads[withoutClosingSlash(folder)];
        const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        QStringList names = m_real.entryNames(folder);
        for (QString& name : names)
            name = storedInOtherLetters.value(prefix + name, name);
        return names;
    }
    [[nodiscard]] std::optional<QString> storedName(const QString& path) const override {
        auto name = m_real.storedName(path);
        // A path that does not exist is answered without a read of its folder.
        if (!name)
            return name;
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        ++folderReads[slash > 0 ? path.left(slash) : QStringLiteral("/")];
        return storedInOtherLetters.value(path, *name);
    }
    [[nodiscard]] std::optional<FileIdentity> folderIdentity(const QString& folder) const override {
        return m_real.folderIdentity(folder);
    }
    [[nodiscard]] std::optional<FileIdentity> fileIdentity(const QString& path) const override {
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
    static int highest(const QHash<QString, int>& counts) {
        return counts.isEmpty() ? 0 : *std::max_element(counts.cbegin(), counts.cend());
    }
    static QString withoutClosingSlash(const QString& folder) {
        return folder.size() > 1 && folder.endsWith(QLatin1Char('/')) ? folder.chopped(1) : folder;
    }

    FileSystem& m_real;
};
