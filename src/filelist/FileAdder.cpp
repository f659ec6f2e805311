#include "filelist/FileAdder.h"

#include "filelist/FileListModel.h"
#include "filelist/NamePattern.h"
#include "platform/AttributeBits.h"
#include "platform/DateValue.h"
#include "platform/FileSystem.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"

#include <QElapsedTimer>

#include <optional>

namespace {

// Makes the rows of one add. Files of a folder often share their length, time or attributes, and then
// share the text of the row before, made once.
class RowMaker {
public:
    FileRow make(const QString& folder, const QString& name, const FileStatus& status) {
        if (status.size != m_size) {
            m_size = status.size;
            m_sizeText = formatByteCount(status.size);
        }
        if (status.lastWriteSecs != m_lastWriteSecs) {
            m_lastWriteSecs = status.lastWriteSecs;
            m_lastWriteText = DateValue::generalDateText(DateValue::fromSecsSinceEpoch(status.lastWriteSecs));
        }
        if (status.attributes != m_attributes) {
            m_attributes = status.attributes;
            m_attributeText = attributeLetters(status.attributes);
        }
        return {name, folder, m_sizeText, m_lastWriteText, m_attributeText};
    }

private:
    std::optional<qint64> m_size;
    QString m_sizeText;
    std::optional<qint64> m_lastWriteSecs;
    QString m_lastWriteText;
    std::optional<qint32> m_attributes;
    QString m_attributeText;
};

} // namespace

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
    return m_model.appendRow(RowMaker().make(folder, name, *status));
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
    RowMaker rows;
    appender.reserve(batch.names.size());
    QString fileFolder;
    for (const QString& name : batch.names) {
        const QString full = name.startsWith(QLatin1Char('/')) ? name : batch.baseFolder + name;
        // One look tells a folder from a file and gives the file's row.
        const std::optional<FileStatus> status = m_fs.status(full);
        if (!status || (status->attributes & AttributeBits::kDirectory)) {
            // Also a path that does not exist: its search finds nothing.
            const QString folder = full.endsWith(QLatin1Char('/')) ? full : full + QLatin1Char('/');
            FolderListing listing = m_fs.findFiles(folder, wildCard);
            undecodable += listing.skippedUndecodable;
            appender.reserve(static_cast<qsizetype>(listing.entries.size()));
            for (FolderEntry& entry : listing.entries) {
                if (entry.status.attributes & (AttributeBits::kDirectory | settings.ignoredAttributes))
                    continue;
                // A row already listed is refused by the appender.
                appender.add(rows.make(folder, entry.name, entry.status));
            }
            continue;
        }
        if (status->attributes & settings.ignoredAttributes)
            continue;
        const qsizetype slash = full.lastIndexOf(QLatin1Char('/'));
        // Rows of one folder share its text, as the rows of a folder search do.
        if (QStringView(full).first(slash + 1) != fileFolder)
            fileFolder = full.left(slash + 1);
        const QString fileName = full.mid(slash + 1);
        if (passesAddFilter(fileName, wildCard))
            appender.add(rows.make(fileFolder, fileName, *status));
    }
    return undecodable;
}

void FileAdder::reportUndecodable(int count) {
    if (count <= 0)
        return;
    m_prompt.inform(
        tr("名前を UTF-8 として読めないファイルが %n 個あったため、リストに追加しませんでした。", nullptr, count),
        programTitle(), PromptIcon::Information);
}
