#include "filelist/RowDetails.h"

#include "filelist/FileRow.h"
#include "platform/AttributeBits.h"
#include "platform/DateValue.h"
#include "platform/FileSystem.h"

#include <QHash>
#include <QStringList>

#include <vector>

namespace {

// Names looked at in one call, so that a folder of a million files needs no million-entry lists beside the rows.
constexpr qsizetype kBatchSize = 16384;

// The unread rows of one folder waiting to be looked at.
struct FolderBatch {
    QString folder;
    QStringList names;
    std::vector<const FileRow*> rows;
};

void readBatch(const FileSystem& fs, FolderBatch& batch) {
    if (batch.rows.empty())
        return;
    const std::vector<std::optional<FileStatus>> statuses = fs.statusesIn(batch.folder, batch.names);
    for (std::size_t i = 0; i < batch.rows.size(); ++i)
        batch.rows[i]->details = RowDetails::fromStatus(i < statuses.size() ? statuses[i] : std::nullopt);
    batch.names.clear();
    batch.rows.clear();
}

} // namespace

RowDetails RowDetails::fromStatus(const std::optional<FileStatus>& status) {
    if (!status)
        return {0, 0, 0, State::Gone};
    return {status->size, status->lastWriteSecs, status->attributes, State::Read};
}

void RowDetails::attributesChanged(qint32 bits) {
    if (isKnown())
        attributes = bits;
    else
        state = State::Unread;
}

void RowDetails::lastWriteChanged(qint64 secs) {
    if (isKnown())
        lastWriteSecs = secs;
    else
        state = State::Unread;
}

QString RowDetails::sizeText() const {
    return isKnown() ? formatByteCount(size) : QString();
}

QString RowDetails::lastWriteText() const {
    return isKnown() ? DateValue::generalDateText(DateValue::fromSecsSinceEpoch(lastWriteSecs)) : QString();
}

QString RowDetails::attributeText() const {
    return isKnown() ? attributeLetters(attributes) : QString();
}

void readRowDetails(const FileSystem& fs, std::span<const FileRow> rows) {
    std::vector<FolderBatch> batches;
    QHash<QString, std::size_t> batchOfFolder;
    // Rows of a folder mostly follow each other and share its text: the batch of the row before is tried first.
    std::size_t last = 0;
    for (const FileRow& row : rows) {
        if (row.details.isRead())
            continue;
        if (batches.empty() || batches[last].folder != row.path) {
            const auto it = batchOfFolder.constFind(row.path);
            if (it == batchOfFolder.constEnd()) {
                last = batches.size();
                batchOfFolder.insert(row.path, last);
                batches.push_back({row.path, {}, {}});
            } else {
                last = *it;
            }
        }
        FolderBatch& batch = batches[last];
        batch.names.append(row.name);
        batch.rows.push_back(&row);
        if (batch.names.size() >= kBatchSize)
            readBatch(fs, batch);
    }
    for (FolderBatch& batch : batches)
        readBatch(fs, batch);
}
