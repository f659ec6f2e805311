#include "execution/PlanSteps.h"

#include "filelist/FileListModel.h"
#include "platform/DateValue.h"

#include <QCoreApplication>

namespace {

const TimeStep kTimeSteps[] = {
    {ChangeMask::kCreationTime, FileTimeKind::Creation, &RenameEntry::creationTime, DoneStep::kCreationTime,
     QT_TRANSLATE_NOOP("PlanExecutor", " 作成日時を変更中"), QT_TRANSLATE_NOOP("PlanExecutor", "作成日時の変更："),
     QT_TRANSLATE_NOOP("PlanExecutor", "作成日時の変更：失敗しました。"),
     QT_TRANSLATE_NOOP("PlanUndo", "作成日時を元に戻す："),
     QT_TRANSLATE_NOOP("PlanUndo", "作成日時を元に戻す：失敗しました。(")},
    {ChangeMask::kLastAccessTime, FileTimeKind::LastAccess, &RenameEntry::lastAccessTime, DoneStep::kLastAccessTime,
     QT_TRANSLATE_NOOP("PlanExecutor", " 最終アクセス日時を変更中"),
     QT_TRANSLATE_NOOP("PlanExecutor", "最終アクセス日時の変更："),
     QT_TRANSLATE_NOOP("PlanExecutor", "最終アクセス日時の変更：失敗しました。"),
     QT_TRANSLATE_NOOP("PlanUndo", "最終アクセス日時を元に戻す："),
     QT_TRANSLATE_NOOP("PlanUndo", "最終アクセス日時を元に戻す：失敗しました。(")},
    {ChangeMask::kLastWriteTime, FileTimeKind::LastWrite, &RenameEntry::lastWriteTime, DoneStep::kLastWriteTime,
     QT_TRANSLATE_NOOP("PlanExecutor", " 更新日時を変更中"), QT_TRANSLATE_NOOP("PlanExecutor", "更新日時の変更："),
     QT_TRANSLATE_NOOP("PlanExecutor", "更新日時の変更：失敗しました。"),
     QT_TRANSLATE_NOOP("PlanUndo", "更新日時を元に戻す："),
     QT_TRANSLATE_NOOP("PlanUndo", "更新日時を元に戻す：失敗しました。(")},
};

} // namespace

std::span<const TimeStep> timeSteps() {
    return kTimeSteps;
}

QString timeText(FileTimeKind kind, double value) {
    return kind == FileTimeKind::LastAccess ? DateValue::shortDateText(value) : DateValue::generalDateText(value);
}

void PlanRows::showFileAt(FileListModel& list, qsizetype row, const QString& path) {
    if (row < 0 || row >= list.size())
        return;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const FileRow& current = list.row(row);
    const QString folder = QStringView(path).left(slash + 1) == current.path ? current.path : path.left(slash + 1);
    list.moveRowFile(row, folder, path.mid(slash + 1));
}

void PlanRows::change(FileListModel& list, qsizetype row, const std::function<void(FileRow&)>& change) {
    if (row < 0 || row >= list.size())
        return;
    FileRow updated = list.row(row);
    change(updated);
    list.replaceRow(row, std::move(updated));
}
