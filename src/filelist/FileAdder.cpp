#include "filelist/FileAdder.h"

#include "filelist/FileListModel.h"
#include "filelist/NamePattern.h"
#include "platform/AttributeBits.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"

#include <QElapsedTimer>

#include <optional>
#include <vector>

FileAdder::FileAdder(FileListModel& model, const FileSystem& fs, UserPrompt& prompt)
    : m_model(model)
    , m_fs(fs)
    , m_prompt(prompt) {}

QString FileAdder::fileCountText(qsizetype count) {
    return QString::number(count) + tr("個のファイル");
}

bool FileAdder::addFileRow(const QString& folder, const QString& name) {
    if (m_model.contains(folder, name))
        return false;
    const auto status = m_fs.status(folder + name);
    if (!status)
        return false;
    return m_model.appendRow({name, folder, RowDetails::fromStatus(status)});
}

qsizetype FileAdder::addPendingFiles(const PendingBatch& batch, const AddSettings& settings, WorkHost& feedback) {
    if (batch.baseFolder.isEmpty() || batch.names.isEmpty())
        return 0;
    feedback.setStatusText(tr("リストに追加中"));
    feedback.processEvents();
    feedback.setBusy(true);
    if (settings.hideList)
        feedback.setListVisible(false);

    const qsizetype before = m_model.size();
    int undecodable = 0;
    {
        FileListModel::Appender appender(m_model);
        undecodable = collect(batch, settings, appender);
    }

    if (settings.autoSort)
        m_model.sortByName(settings.ascending);
    feedback.setListVisible(true);
    feedback.setBusy(false);
    feedback.setStatusText(tr("追加完了"));
    feedback.setFileCountText(fileCountText(m_model.size()));
    reportUndecodable(undecodable);
    return m_model.size() - before;
}

qsizetype FileAdder::addFolders(const QStringList& folders, const AddSettings& settings, WorkHost& feedback) {
    if (folders.isEmpty())
        return 0;
    // Rows reach the views at most this often.
    constexpr qint64 kShowRowsEveryMs = 100;
    feedback.setBusy(true);
    if (settings.hideList)
        feedback.setListVisible(false);
    const qsizetype before = m_model.size();
    int undecodable = 0;
    {
        FileListModel::Appender appender(m_model);
        QElapsedTimer sinceShown;
        sinceShown.start();
        for (qsizetype i = 0; i < folders.size(); ++i) {
            feedback.setStatusText(tr("リストに追加中"));
            feedback.processEvents();
            undecodable += collect({folders.at(i), {QString()}}, settings, appender);
            const bool last = i + 1 == folders.size() || feedback.stopRequested();
            if (last || sinceShown.elapsed() >= kShowRowsEveryMs) {
                appender.commit();
                sinceShown.restart();
            }
            if (last && settings.autoSort)
                m_model.sortByName(settings.ascending);
            feedback.setStatusText(tr("追加完了"));
            feedback.setFileCountText(fileCountText(m_model.size() + appender.pendingCount()));
            if (last)
                break;
        }
    }
    feedback.setListVisible(true);
    feedback.setBusy(false);
    reportUndecodable(undecodable);
    return m_model.size() - before;
}

int FileAdder::collect(const PendingBatch& batch, const AddSettings& settings, FileListModel::Appender& appender) {
    const QString wildCard = settings.wildCard.isEmpty() ? QStringLiteral("*.*") : settings.wildCard;
    int undecodable = 0;
    appender.reserve(batch.names.size());
    QString fileFolder;
    for (const QString& name : batch.names) {
        const QString full = name.startsWith(QLatin1Char('/')) ? name : batch.baseFolder + name;
        // One look tells a folder from a file and gives the file's details.
        const std::optional<FileStatus> status = m_fs.status(full);
        if (!status || (status->attributes & AttributeBits::kDirectory)) {
            // Also a path that does not exist: its search finds nothing.
            const QString folder = full.endsWith(QLatin1Char('/')) ? full : full + QLatin1Char('/');
            FolderListing listing = m_fs.findFiles(folder, wildCard);
            undecodable += listing.skippedUndecodable;
            addListedFiles(folder, listing.entries, settings.ignoredAttributes, appender);
            continue;
        }
        if (status->attributes & settings.ignoredAttributes)
            continue;
        const qsizetype slash = full.lastIndexOf(QLatin1Char('/'));
        // Rows of one folder share its text, as the rows of a folder search do.
        if (QStringView(full).first(slash + 1) != fileFolder)
            fileFolder = full.left(slash + 1);
        QString fileName = full.mid(slash + 1);
        if (passesAddFilter(fileName, wildCard))
            appender.add({std::move(fileName), fileFolder, RowDetails::fromStatus(status)});
    }
    return undecodable;
}

void FileAdder::addListedFiles(const QString& folder,
                               std::vector<FolderEntry>& entries,
                               qint32 ignoredAttributes,
                               FileListModel::Appender& appender) {
    appender.reserve(static_cast<qsizetype>(entries.size()));
    // A row already listed is refused by the appender.
    if (ignoredAttributes == 0) {
        for (FolderEntry& entry : entries) {
            if (!entry.folder)
                appender.add({std::move(entry.name), folder, {}});
        }
        return;
    }
    // The attributes to pass over are read for all the files at once, and the rows keep what was read.
    std::vector<FileRow> rows;
    for (FolderEntry& entry : entries) {
        if (!entry.folder)
            rows.push_back({std::move(entry.name), folder, {}});
    }
    readRowDetails(m_fs, rows);
    for (FileRow& row : rows) {
        // A file gone since the folder was read is no file to add, and neither is a folder made in its place.
        if (row.details.isKnown() && !(row.details.attributes & (AttributeBits::kDirectory | ignoredAttributes)))
            appender.add(std::move(row));
    }
}

void FileAdder::reportUndecodable(int count) {
    if (count <= 0)
        return;
    m_prompt.inform(
        tr("名前を UTF-8 として読めないファイルが %n 個あったため、リストに追加しませんでした。", nullptr, count),
        programTitle(), PromptIcon::Information);
}
