#include "execution/PlanUndo.h"

#include "execution/FileIdentities.h"
#include "execution/MovesAhead.h"
#include "execution/PlanExecutor.h"
#include "execution/PlanOrder.h"
#include "execution/PlanSteps.h"
#include "execution/RunLog.h"
#include "execution/RunOptions.h"
#include "execution/RunState.h"
#include "execution/UndoRecorder.h"
#include "filelist/FileListModel.h"
#include "platform/AttributeBits.h"
#include "platform/Clock.h"
#include "platform/ControlCharacters.h"
#include "platform/DateValue.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/PlaceKeys.h"
#include "platform/ShellFileOperation.h"
#include "platform/UserPrompt.h"
#include "platform/WorkHost.h"

#include <set>

namespace {

// What one step of an undo made: all of its work, made on the calling thread, or only the move back, made ahead.
enum class UndoMade : std::uint8_t {
    Nothing, // a file to come back from a temporary name never went there
    Handled,
    MovedBack,
};

} // namespace

PlanUndo::PlanUndo(RunState& state,
                   FileListModel& list,
                   FileSystem& fs,
                   ShellFileOperation& files,
                   const Clock& clock,
                   UserPrompt& prompt,
                   UndoRecorder* recorder)
    : m_state(state)
    , m_list(list)
    , m_fs(fs)
    , m_files(files)
    , m_clock(clock)
    , m_prompt(prompt)
    , m_recorder(recorder) {}

bool PlanUndo::startUndo() {
    if (!m_state.plan || m_state.undoState == UndoState::Nothing) {
        m_prompt.inform(tr("元に戻せません。"), programTitle(), PromptIcon::Critical);
        return false;
    }
    QString question;
    if (m_state.undoState == UndoState::BulkRunFailed)
        question = tr("正しく元に戻せないかもしれません。") + QStringLiteral("\r\n") + tr("それでも続けますか？");
    else if (m_state.undoState == UndoState::UndoInterrupted)
        question = tr("前回中断された元に戻す作業の続きを行います。") + QStringLiteral("\r\n") + tr("よろしいですか？");
    if (question.isEmpty())
        return true;
    return m_prompt.message(question, programTitle(), PromptIcon::Question, PromptButtons::OkCancel,
                            PromptAnswer::Cancel) == PromptAnswer::Ok;
}

std::optional<qsizetype> PlanUndo::findRowForEntry(qsizetype entry) const {
    // Names on this file system differ by letter case, so the row is the one whose path is where the
    // entry's file is now, exactly. A list not changed since the run still has it at the entry's own place.
    const QString path = m_state.plan->entry(entry).currentPath();
    if (entry <= m_list.size()) {
        const FileRow& row = m_list.row(entry - 1);
        if (path.size() == row.path.size() + row.name.size() && path.startsWith(row.path) && path.endsWith(row.name))
            return entry - 1;
    }
    return m_list.findRow(path);
}

qsizetype PlanUndo::undoSteps(const RunOptions& options, WorkHost& host) {
    RenamePlan& plan = *m_state.plan;
    RunLog log(m_state.logText);
    qsizetype failures = 0;
    m_state.undoState = UndoState::Nothing;
    const qsizetype n = plan.upperBound();
    host.setStatusText(tr("元に戻す実行中"));
    const auto now = [this] {
        return DateValue::generalDateText(DateValue::fromDateTime(m_clock.now()));
    };
    log.line(now() + tr(" 元に戻す作業を開始します。"));
    log.emptyLine();
    m_state.stopRequest = StopRequest::None;
    RunOptions undoOptions = options;
    undoOptions.renameOnCollision = false;
    const FileOperationFlags flags = PlanExecutor::operationFlags(undoOptions, false) | FileOperationFlag::NeverReplace;
    const QStringList none;
    // Rows of deleted copies leave the list together at the end, so that positions stay put meanwhile.
    std::set<qsizetype> removedRows;

    auto updateRow = [this, &removedRows](std::optional<qsizetype> row, const std::function<void(FileRow&)>& change) {
        if (row && !removedRows.count(*row))
            PlanRows::change(m_list, *row, change);
    };
    auto failed = [&log, &failures](const QString& text) {
        log.line(text);
        ++failures;
    };

    const QString nameRestored = tr("名前を元に戻す：");
    // Where the files are is checked against one reading of each folder, made while the order of the moves is
    // worked out. That reading may say a file is missing that is there (it came later, under a temporary name),
    // and such a file is looked at again; but it never shows a file where it no longer is, as it is made before
    // the first move, and every file is checked before it moves and not asked about again.
    IdentityLookup present(m_fs);
    for (qsizetype u = 1; u <= n; ++u) {
        const RenameEntry& entry = plan.entry(u);
        if (entry.doneSteps != 0 && entry.sourceIdentity) {
            present.expect(entry.currentPath());
            if (entry.doneSteps & DoneStep::kCopied)
                present.expect(entry.sourcePath);
        }
    }
    present.readAhead();
    // Where the files of the run are now. A file goes back only to a place no other file of the run still
    // holds, compared as places, so that no spelling of a path lets one file of the run replace another. The
    // file of the run at each entry's old place is found once; it holds that place until it is released.
    std::vector<qsizetype> holderOfSource(static_cast<std::size_t>(n) + 1, 0);
    {
        std::vector<qsizetype> holders;
        std::vector<qsizetype> moved;
        for (qsizetype u = 1; u <= n; ++u) {
            if (plan.entry(u).doneSteps & (DoneStep::kMoved | DoneStep::kCopied))
                holders.push_back(u);
            if (plan.entry(u).doneSteps & DoneStep::kMoved)
                moved.push_back(u);
        }
        PlaceNumbers places(m_fs, holders.size() + moved.size());
        const std::vector<qsizetype> held = places.number(
            holders.size(), [&](std::size_t k) -> const QString& { return plan.entry(holders[k]).currentPath(); });
        const std::vector<qsizetype> left = places.number(
            moved.size(), [&](std::size_t k) -> const QString& { return plan.entry(moved[k]).sourcePath; });
        // By place: the last file of the run that stands there now.
        std::vector<qsizetype> heldBy(static_cast<std::size_t>(places.count()), 0);
        for (std::size_t k = 0; k < holders.size(); ++k)
            heldBy[static_cast<std::size_t>(held[k])] = holders[k];
        for (std::size_t k = 0; k < moved.size(); ++k)
            holderOfSource[static_cast<std::size_t>(moved[k])] = heldBy[static_cast<std::size_t>(left[k])];
    }
    std::vector<bool> released(static_cast<std::size_t>(n) + 1, false);
    auto release = [&released](qsizetype u) {
        released[static_cast<std::size_t>(u)] = true;
    };
    // The other file of the run that stands at entry u's old place now, or 0.
    auto holderOf = [&](qsizetype u) -> qsizetype {
        const qsizetype holder = holderOfSource[static_cast<std::size_t>(u)];
        return holder != u && !released[static_cast<std::size_t>(holder)] ? holder : 0;
    };
    // The moves back, from the last entry to the first, in an order that frees each old name before its file
    // comes back: a chain from the end where the run finished it, a cycle again through a temporary name. A move
    // waits for the file of the run that holds its old name, when that file moves back too.
    std::vector<qsizetype> waitsFor(static_cast<std::size_t>(n), -1);
    for (qsizetype u = 1; u <= n; ++u) {
        const qsizetype holder = holderOf(u);
        if (holder != 0 && (plan.entry(holder).doneSteps & DoneStep::kMoved))
            waitsFor[static_cast<std::size_t>(n - u)] = n - holder;
    }
    const std::vector<MoveStep> steps = orderMoves(waitsFor);
    // Whether that reading shows each file where the run left it, told before the first file moves: look-ups one
    // after another, with no move between them, take a fraction of the time. The answer holds for the file's
    // first check; a file that went on to a temporary name is looked at again there.
    std::vector<bool> listedInPlace(static_cast<std::size_t>(n) + 1, false);
    {
        std::vector<qsizetype> asked;
        for (qsizetype u = 1; u <= n; ++u) {
            const RenameEntry& entry = plan.entry(u);
            if (entry.doneSteps != 0 && entry.sourceIdentity && entry.placedIdentity)
                asked.push_back(u);
        }
        const auto pathOf = [&](std::size_t k) -> const QString& {
            return plan.entry(asked[k]).currentPath();
        };
        const std::vector<std::optional<FileIdentity>> found = present.atEach(asked.size(), pathOf);
        for (std::size_t k = 0; k < asked.size(); ++k) {
            const qsizetype u = asked[k];
            listedInPlace[static_cast<std::size_t>(u)] =
                present.heldBy(pathOf(k), found[k], *plan.entry(u).placedIdentity);
        }
    }
    qsizetype done = 0;
    // One list each, refilled for every file.
    QStringList movedFrom(QString{});
    QStringList movedTo(QString{});
    // What the entry in hand had done before the step made on this thread.
    std::uint8_t stepsBefore = 0;
    // The log's head for entry u's file where it is now, and the list row that shows it, if any.
    auto startFile = [&](qsizetype u) -> std::optional<qsizetype> {
        const QString& dest = plan.entry(u).currentPath();
        if (host.showsProgress())
            host.setProgressLabel(dest + tr(" を元に戻しています。"));
        log.emptyLine();
        log.line(QLatin1String("* "), withVisibleControls(dest));
        // Rows that still show the old path are right once the file is back there.
        const std::optional<qsizetype> row = plan.rowsShowOldPaths() ? std::nullopt : findRowForEntry(u);
        return row && removedRows.count(*row) == 0 ? row : std::nullopt;
    };
    // The entry's file is back under its old name.
    auto backUnderOldName = [&](RenameEntry& entry, std::optional<qsizetype> row) {
        entry.temporaryPath.clear();
        log.line(nameRestored, withVisibleControls(entry.sourcePath));
        if (row && !removedRows.count(*row))
            PlanRows::showFileAt(m_list, *row, entry.sourcePath);
        entry.doneSteps &= ~DoneStep::kMoved;
    };
    // Every step of the entry: the checks, the old attributes and times, the move back and the log.
    auto undoHere = [&](const MoveStep& move) {
        const qsizetype u = n - move.move;
        RenameEntry& entry = plan.entry(u);
        if (move.kind == MoveStep::Kind::FromTemporary && entry.temporaryPath.isEmpty())
            return UndoMade::Nothing;
        stepsBefore = entry.doneSteps;
        bool alreadyBack = false;
        const bool listed = listedInPlace[static_cast<std::size_t>(u)];
        listedInPlace[static_cast<std::size_t>(u)] = false;
        const std::optional<QString> refused =
            stepsBefore != 0 ? refusal(entry, listed, present, alreadyBack) : std::nullopt;
        if (alreadyBack) {
            release(u);
            entry.temporaryPath.clear();
            entry.doneSteps = 0;
        } else if (refused) {
            log.emptyLine();
            log.line(QLatin1String("* "), withVisibleControls(entry.currentPath()));
            failed(*refused);
        } else if (entry.doneSteps != 0) {
            // A copy of the path: the steps below move the file on.
            const QString dest = entry.currentPath();
            const std::optional<qsizetype> row = startFile(u);

            if (entry.doneSteps & DoneStep::kAttributes) {
                const QString letters = attributeLetters(entry.attributes);
                // Clearing read-only gives the owner write permission; the run may have taken more away.
                const bool restored = m_fs.setAttributes(dest, entry.attributes) &&
                                      ((entry.attributes & AttributeBits::kReadOnly) != 0 || !entry.writePermissions ||
                                       m_fs.restoreWritePermissions(dest, *entry.writePermissions));
                if (restored) {
                    log.line(tr("属性を元に戻す：") + letters);
                    updateRow(row, [&](FileRow& r) { r.details.attributesChanged(entry.attributes); });
                    entry.doneSteps &= ~DoneStep::kAttributes;
                } else {
                    failed(tr("属性を元に戻す：失敗しました。(") + letters + QLatin1Char(')'));
                }
            }
            for (const TimeStep& step : timeSteps()) {
                if (!(entry.doneSteps & step.done))
                    continue;
                const double value = entry.*step.field;
                const QString text = timeText(step.kind, value);
                if (setFileTimeFromDate(m_fs, dest, value, step.kind)) {
                    log.line(tr(step.restored) + text);
                    const std::optional<qint64> secs = DateValue::toSecsSinceEpoch(value);
                    if (step.kind == FileTimeKind::LastWrite && secs)
                        updateRow(row, [&](FileRow& r) { r.details.lastWriteChanged(*secs); });
                    entry.doneSteps &= ~step.done;
                } else {
                    failed(tr(step.notRestored) + text + QLatin1Char(')'));
                }
            }
            // The name goes back even when a restore above failed; the file that breaks a cycle steps aside first.
            if ((entry.doneSteps & DoneStep::kMoved) && move.kind == MoveStep::Kind::ToTemporary) {
                movedFrom[0] = dest;
                movedTo[0] = temporaryPathBeside(dest, u, m_fs);
                if (m_recorder != nullptr)
                    m_recorder->aside(u, movedTo[0]);
                if (m_files.run(FileOperation::Move, movedFrom, movedTo, flags).result == 0) {
                    release(u);
                    entry.temporaryPath = movedTo[0];
                    log.line(tr("移動："), withVisibleControls(entry.temporaryPath));
                    if (row)
                        PlanRows::showFileAt(m_list, *row, entry.temporaryPath);
                } else {
                    failed(tr("名前を元に戻す：失敗しました。(") + withVisibleControls(entry.sourcePath) +
                           QLatin1Char(')'));
                }
            } else if (entry.doneSteps & DoneStep::kMoved) {
                movedFrom[0] = dest;
                movedTo[0] = entry.sourcePath;
                const bool free = holderOf(u) == 0;
                if (free && m_recorder != nullptr && leftItsMount(entry))
                    m_recorder->movingBack(u);
                if (free && (m_files.run(FileOperation::Move, movedFrom, movedTo, flags).result == 0 ||
                             copiedBackEarlier(entry, flags))) {
                    release(u);
                    backUnderOldName(entry, row);
                } else {
                    failed(tr("名前を元に戻す：失敗しました。(") + withVisibleControls(entry.sourcePath) +
                           QLatin1Char(')'));
                }
            } else if (entry.doneSteps & DoneStep::kCopied) {
                if (host.showsProgress())
                    host.setProgressLabel(dest + tr(" を削除"));
                if (m_files.run(FileOperation::Delete, QStringList(dest), none, flags).result == 0) {
                    release(u);
                    log.line(tr("削除：完了。"));
                    if (row)
                        removedRows.insert(*row);
                    entry.doneSteps &= ~DoneStep::kCopied;
                } else {
                    failed(tr("削除：失敗しました。"));
                }
            }
        }
        return UndoMade::Handled;
    };
    // A long undo renames on a second thread while this one keeps the log, the list and the journal.
    const std::unique_ptr<MovesAtOnce> atOnce = steps.size() >= kMovesAheadFrom ? m_files.movesAtOnce() : nullptr;
    // Ahead of the log, only a file that the folder's reading shows in place, that moved and did nothing else, goes
    // back to a free name with one rename.
    auto move = [&](qsizetype k, bool ahead) -> std::optional<UndoMade> {
        const MoveStep& step = steps[static_cast<std::size_t>(k)];
        if (!ahead)
            return undoHere(step);
        const qsizetype u = n - step.move;
        const RenameEntry& entry = plan.entry(u);
        if (step.kind != MoveStep::Kind::Whole || entry.doneSteps != DoneStep::kMoved || leftItsMount(entry) ||
            (entry.sourceIdentity && !listedInPlace[static_cast<std::size_t>(u)]) || holderOf(u) != 0 ||
            !atOnce->move(entry.currentPath(), entry.sourcePath))
            return std::nullopt;
        listedInPlace[static_cast<std::size_t>(u)] = false;
        release(u);
        return UndoMade::MovedBack;
    };
    bool stopped = false;
    auto report = [&](qsizetype k, UndoMade made) {
        const MoveStep& step = steps[static_cast<std::size_t>(k)];
        const qsizetype u = n - step.move;
        RenameEntry& entry = plan.entry(u);
        if (made == UndoMade::Nothing)
            return true;
        if (made == UndoMade::MovedBack) {
            stepsBefore = entry.doneSteps;
            backUnderOldName(entry, startFile(u));
        }
        if (m_recorder != nullptr && entry.doneSteps != stepsBefore)
            m_recorder->entryUndone(u, stepsBefore & ~entry.doneSteps);
        if (step.kind != MoveStep::Kind::ToTemporary)
            host.setProgressValue(++done);
        host.processEvents();
        if (host.stopRequested())
            m_state.stopRequest = StopRequest::Stop;
        stopped = m_state.stopRequest == StopRequest::Stop;
        return !stopped;
    };
    MovesAhead<UndoMade>::run(static_cast<qsizetype>(steps.size()), atOnce != nullptr, move, report);
    m_list.removeRowsAt(std::vector<qsizetype>(removedRows.begin(), removedRows.end()));
    if (stopped) {
        log.append(now() + tr(" 元に戻す作業は中止されました。"));
        m_state.undoState = UndoState::UndoInterrupted;
    } else {
        log.append(now() + tr(" 元に戻す作業は正常に完了しました。"));
    }
    host.setStatusText(tr("元に戻す終了"));
    return failures;
}

bool PlanUndo::leftItsMount(const RenameEntry& entry) {
    return entry.sourceIdentity && entry.placedIdentity && entry.placedIdentity != entry.sourceIdentity;
}

bool PlanUndo::copiedBackEarlier(const RenameEntry& entry, FileOperationFlags flags) {
    // Only a file that left its mount is copied back, and only such a copy can be there before its original
    // went: an undo that ended between the two left both, the copy under the old name.
    if (!entry.moveBackBegun || !leftItsMount(entry))
        return false;
    const std::optional<FileIdentity> atOldName = m_fs.fileIdentity(entry.sourcePath);
    if (!atOldName || atOldName == entry.placedIdentity || !m_fs.sameContent(entry.currentPath(), entry.sourcePath))
        return false;
    return m_files.run(FileOperation::Delete, QStringList(entry.currentPath()), QStringList(), flags).result == 0;
}

std::optional<QString>
PlanUndo::refusal(RenameEntry& entry, bool listedInPlace, IdentityLookup& present, bool& alreadyBack) const {
    alreadyBack = false;
    // A plan kept in memory only knows no identities; one from a journal always does.
    if (!entry.sourceIdentity)
        return std::nullopt;
    if (!entry.placedIdentity)
        return tr("元に戻す：失敗しました。(作業の記録からファイルを確かめられません)");
    // The listing tells that the file is there; anything else is looked at again on its own.
    const std::optional<FileIdentity> here =
        listedInPlace ? entry.placedIdentity : m_fs.fileIdentity(entry.currentPath());
    if (here != entry.placedIdentity) {
        // A copy back to another mount is a new file; it is there only once its original is, and this one
        // went only after the copy was safely in place.
        const std::optional<FileIdentity> atOldName = m_fs.fileIdentity(entry.sourcePath);
        if ((entry.doneSteps & DoneStep::kMoved) != 0 &&
            (atOldName == entry.sourceIdentity || (entry.moveBackBegun && !here && atOldName))) {
            alreadyBack = true;
            return std::nullopt;
        }
        return here ? tr("元に戻す：失敗しました。(作業の後、別のファイルに置き換えられています)")
                    : tr("元に戻す：失敗しました。(作業の後、移動または削除されています)");
    }
    // A copy whose original is gone is the only one left.
    if ((entry.doneSteps & DoneStep::kCopied) != 0 && !present.holds(entry.sourcePath, *entry.sourceIdentity) &&
        m_fs.fileIdentity(entry.sourcePath) != entry.sourceIdentity)
        return tr("削除：失敗しました。(コピー元のファイルがありません)");
    return std::nullopt;
}
