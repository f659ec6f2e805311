#include "execution/PlanExecutor.h"

#include "execution/MovesAhead.h"
#include "execution/PlanOrder.h"
#include "execution/PlanSteps.h"
#include "execution/RunLog.h"
#include "execution/RunOptions.h"
#include "execution/RunRecorder.h"
#include "execution/RunState.h"
#include "filelist/FileListModel.h"
#include "platform/AttributeBits.h"
#include "platform/Clock.h"
#include "platform/ControlCharacters.h"
#include "platform/DateValue.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/PlaceKeys.h"
#include "platform/ShellFileOperation.h"
#include "platform/TextKeys.h"
#include "platform/WorkHost.h"

#include <QHash>
#include <QSet>

#include <cstdlib>
#include <future>
#include <optional>
#include <vector>

namespace {

// A file system may keep a time this many seconds coarser than asked for.
constexpr qint64 kCoarsestTimeStep = 2;

QString progressLabel(const QString& source, const QString& dest) {
    return source + PlanExecutor::tr(" から ") + QLatin1Char('\n') + dest + PlanExecutor::tr(" へ");
}

FileOperation operationOf(const RunOptions& options) {
    return options.copy ? FileOperation::Copy : FileOperation::Move;
}

// What one step of a run made of its file.
enum class StepMade : std::uint8_t {
    Nothing, // a file to come back from a temporary name never went there
    Kept,    // the file keeps its name; its attributes and times may change
    Moved,
    Failed,
};

} // namespace

struct PlanExecutor::Prepared {
    FileOperation operation;
    std::future<RunOrder> order;
};

PlanExecutor::PlanExecutor(RunState& state,
                           FileListModel& list,
                           FileSystem& fs,
                           ShellFileOperation& files,
                           const Clock& clock,
                           RunRecorder* recorder)
    : m_state(state)
    , m_list(list)
    , m_fs(fs)
    , m_files(files)
    , m_clock(clock)
    , m_recorder(recorder) {}

// A run prepared but never carried out waits here for the thread to end.
PlanExecutor::~PlanExecutor() = default;

void PlanExecutor::prepareRun(const RunOptions& options) {
    if (!m_state.plan || options.multidestFiles)
        return;
    const FileOperation operation = operationOf(options);
    m_prepared = std::make_unique<Prepared>(
        Prepared{operation, std::async(std::launch::async, [&plan = *m_state.plan, &fs = m_fs, operation] {
                     return runOrder(plan, fs, operation);
                 })});
}

FileOperationFlags PlanExecutor::operationFlags(const RunOptions& options, bool bulk) {
    FileOperationFlags flags = bulk ? FileOperationFlag::MultiDestFiles : FileOperationFlag::Silent;
    if (options.recycled)
        flags |= FileOperationFlag::AllowUndo;
    if (options.noConfirmation)
        flags |= FileOperationFlag::NoConfirmation | FileOperationFlag::NoConfirmMkdir;
    if (options.noErrorUi)
        flags |= FileOperationFlag::NoErrorUi;
    if (options.renameOnCollision)
        flags |= FileOperationFlag::RenameOnCollision;
    return flags;
}

QString PlanExecutor::now() const {
    return DateValue::generalDateText(DateValue::fromDateTime(m_clock.now()));
}

ExecutionOutcome PlanExecutor::executePlanSteps(const RunOptions& options, WorkHost& host) {
    m_outcome = {};
    m_recordingGivenUp = false;
    if (!m_state.plan)
        return m_outcome;
    if (m_state.mode == PlanMode::Test)
        testPass(options, host);
    else
        realRun(options, host);
    return m_outcome;
}

void PlanExecutor::testPass(const RunOptions& options, WorkHost& host) {
    RenamePlan& plan = *m_state.plan;
    RunLog log(m_state.logText);
    host.setStatusText(tr("テスト実行中"));
    log.line(tr("--- テストのため、実際に変更は行いません。 ---"));
    log.reserveFor(plan);
    log.line(QStringLiteral("--- "), now(), tr(" 作業開始します。 ---"));
    m_state.stopRequest = StopRequest::None;
    const std::uint16_t mask = plan.changeMask();
    const FileOperation operation = operationOf(options);
    const QString movedTo = options.copy ? tr("コピー：") : tr("移動：");
    const QString failedMove = options.copy ? tr("コピー：失敗しました。") : tr("移動：失敗しました。");
    // A move the run will refuse or cannot make shows as failed here too, the others as done: another file of
    // the plan holds its name, the name is too long, the file is gone, or a folder is in the way.
    RunOrder order = runOrder(plan, m_fs, operation);
    PlanHolders& holders = order.holders;
    // The temporary names the run would give the files that break cycles, and those that would not leave.
    QHash<qsizetype, QString> waiting;
    qsizetype done = 0;
    for (const MoveStep& move : order.steps) {
        const qsizetype i = move.move;
        const RenameEntry& entry = plan.entry(i);
        if (move.kind == MoveStep::Kind::ToTemporary) {
            log.emptyLine();
            log.line(QLatin1String("* "), withVisibleControls(entry.sourcePath));
            if (m_fs.status(entry.sourcePath)) {
                const QString temporary = temporaryPathBeside(entry.sourcePath, i, m_fs);
                log.line(movedTo, withVisibleControls(temporary));
                waiting.insert(i, temporary);
                holders.leftSource(i);
            } else {
                log.line(failedMove);
                ++m_outcome.failedSteps;
            }
            continue;
        }
        const QString from = move.kind == MoveStep::Kind::FromTemporary ? waiting.value(i) : entry.sourcePath;
        // The first half failed, and said so.
        if (from.isEmpty())
            continue;
        if (host.showsProgress())
            host.setProgressLabel(progressLabel(from, entry.destPath));
        log.emptyLine();
        log.line(QLatin1String("* "), withVisibleControls(from));
        bool refused = false;
        if (entry.destPath != entry.sourcePath) {
            refused = entry.nameTooLong || holders.holds(i, operation) ||
                      (move.kind == MoveStep::Kind::Whole && !m_fs.status(entry.sourcePath));
            if (!refused) {
                const auto there = m_fs.status(entry.destPath);
                refused = there && (there->attributes & AttributeBits::kDirectory) != 0;
            }
            if (refused) {
                log.line(failedMove);
                ++m_outcome.failedSteps;
            } else {
                log.line(movedTo, withVisibleControls(entry.destPath));
                holders.placed(i, operation);
            }
        }
        // A refused move leaves the file as it is.
        if (!refused) {
            if (mask & ChangeMask::kAttributes) {
                log.line(tr("属性の変更：") + attributeLettersOfFile(m_fs, entry.sourcePath) + tr(" から ") +
                         attributeLetters(entry.attributes));
            }
            for (const TimeStep& step : timeSteps()) {
                if (!(mask & step.mask))
                    continue;
                if (!m_fs.canSetFileTime(step.kind)) {
                    log.line(tr(step.failure));
                    ++m_outcome.failedSteps;
                    continue;
                }
                const double value = entry.*step.field;
                log.line(tr(step.changed) +
                         DateValue::generalDateText(getFileTimeAsDate(m_fs, entry.sourcePath, step.kind)) +
                         tr(" から ") + timeText(step.kind, value));
            }
        }
        host.setProgressValue(++done);
        if (letUserIn(host))
            break;
    }
    finish(host);
}

void PlanExecutor::realRun(const RunOptions& options, WorkHost& host) {
    RenamePlan& plan = *m_state.plan;
    RunLog log(m_state.logText);
    host.setStatusText(tr("実行中"));
    log.reserveFor(plan);
    log.line(QStringLiteral("--- "), now(), tr(" 作業開始します。 ---"));
    m_state.stopRequest = StopRequest::None;
    m_state.undoState = UndoState::Run;
    const FileOperation operation = operationOf(options);
    const FileOperationFlags flags = operationFlags(options, options.multidestFiles);
    if (options.hideList)
        host.setListVisible(false);

    if (options.multidestFiles)
        bulkPass(options, host, operation);

    // After a bulk call that did not complete, the files are not all where the plan says: no attribute or
    // time is changed at a new name that may hold another file.
    const bool bulkFailed = options.multidestFiles && m_state.stopRequest == StopRequest::Stop;
    if ((!options.multidestFiles || plan.changeMask() != 0) && !bulkFailed) {
        const QString failedMove =
            operation == FileOperation::Copy ? tr("コピー：失敗しました。") : tr("移動：失敗しました。");
        const QString movedTo = operation == FileOperation::Copy ? tr("コピー：") : tr("移動：");
        QStringList source(QString{});
        QStringList dest(QString{});
        // Moves one by one need to know which names other files of the plan still hold, and go in an order
        // that frees each name before it is taken; after a bulk call the files are where they go.
        std::optional<PlanHolders> holders;
        std::vector<MoveStep> steps;
        if (options.multidestFiles) {
            for (qsizetype i = 1; i <= plan.upperBound(); ++i)
                steps.push_back({i, MoveStep::Kind::Whole});
        } else {
            RunOrder order = m_prepared && m_prepared->operation == operation ? m_prepared->order.get()
                                                                              : runOrder(plan, m_fs, operation);
            holders.emplace(std::move(order.holders));
            steps = std::move(order.steps);
        }
        m_prepared.reset();
        // A long run renames on a second thread while this one keeps the log, the list and the journal.
        const std::unique_ptr<MovesAtOnce> atOnce =
            !options.multidestFiles && operation == FileOperation::Move && steps.size() >= kMovesAheadFrom
                ? m_files.movesAtOnce()
                : nullptr;
        // Which files may go and where: the order, the names held and the temporary names are the moves' alone.
        auto move = [&](qsizetype k, bool ahead) -> std::optional<StepMade> {
            const MoveStep& step = steps[static_cast<std::size_t>(k)];
            const qsizetype i = step.move;
            RenameEntry& entry = plan.entry(i);
            if (step.kind == MoveStep::Kind::ToTemporary) {
                // The file that breaks a cycle steps aside, its temporary name in the journal first; should that
                // fail, the cycle's other files find their names still held and stay as they are.
                if (ahead)
                    return std::nullopt;
                source[0] = entry.sourcePath;
                dest[0] = temporaryPathBeside(entry.sourcePath, i, m_fs);
                if (m_recorder != nullptr)
                    m_recorder->aside(i, dest[0]);
                if (m_files.run(operation, source, dest, flags).result != 0)
                    return StepMade::Failed;
                entry.temporaryPath = dest[0];
                holders->leftSource(i);
                return StepMade::Moved;
            }
            if (step.kind == MoveStep::Kind::FromTemporary && entry.temporaryPath.isEmpty())
                return StepMade::Nothing;
            if (entry.destPath == entry.sourcePath || options.multidestFiles)
                return StepMade::Kept;
            if (entry.nameTooLong || holders->holds(i, operation))
                return StepMade::Failed;
            const QString& from = entry.currentPathBeforeMove();
            if (ahead) {
                if (!atOnce->move(from, entry.destPath))
                    return std::nullopt;
            } else {
                if (host.showsProgress())
                    host.setProgressLabel(progressLabel(from, entry.destPath));
                source[0] = from;
                dest[0] = entry.destPath;
                if (m_files.run(operation, source, dest, flags).result != 0)
                    return StepMade::Failed;
            }
            holders->placed(i, operation);
            return StepMade::Moved;
        };
        qsizetype done = 0;
        auto report = [&](qsizetype k, StepMade made) {
            const MoveStep& step = steps[static_cast<std::size_t>(k)];
            const qsizetype i = step.move;
            RenameEntry& entry = plan.entry(i);
            log.emptyLine();
            if (made == StepMade::Nothing)
                return true;
            if (step.kind == MoveStep::Kind::ToTemporary) {
                log.line(QLatin1String("* "), withVisibleControls(entry.sourcePath));
                if (made == StepMade::Failed) {
                    log.line(failedMove);
                    ++m_outcome.failedSteps;
                } else {
                    log.line(movedTo, withVisibleControls(entry.temporaryPath));
                    entry.doneSteps = static_cast<std::uint8_t>(operation);
                    // Should the run stop here, the list shows where the file waits.
                    showRowAt(i, entry.temporaryPath);
                }
                return !letUserIn(host);
            }
            const QString& from = entry.currentPathBeforeMove();
            log.line(QLatin1String("* "), withVisibleControls(from));
            if (made != StepMade::Kept && host.showsProgress())
                host.setProgressLabel(progressLabel(from, entry.destPath));
            if (made == StepMade::Failed) {
                // A file that waited under a temporary name stays there; the log says where, and undo takes it
                // back from there.
                log.line(failedMove);
                ++m_outcome.failedSteps;
            } else {
                if (made == StepMade::Moved) {
                    log.line(movedTo, withVisibleControls(entry.destPath));
                    entry.temporaryPath.clear();
                    entry.doneSteps = static_cast<std::uint8_t>(operation);
                    showRowAt(i, entry.destPath);
                }
                changeAttributesAndTimes(i, host);
            }
            host.setProgressValue(++done);
            return recordEntry(i) && !letUserIn(host);
        };
        MovesAhead<StepMade>::run(static_cast<qsizetype>(steps.size()), atOnce != nullptr, move, report);
    }
    host.setListVisible(true);
    finish(host);
}

void PlanExecutor::bulkPass(const RunOptions& options, WorkHost& host, FileOperation operation) {
    RenamePlan& plan = *m_state.plan;
    RunLog log(m_state.logText);
    host.setBusy(true);
    // Entries that keep their path are left out of the call: a file cannot be moved onto itself. Nor may
    // another entry take such a file's place; within the call, the file operation itself keeps the names
    // that other files of the call still hold.
    PlaceKeys places(m_fs);
    QSet<PlaceKey> kept;
    for (const RenameEntry& entry : plan.entries()) {
        if (entry.destPath == entry.sourcePath)
            kept.insert(places.keyOf(entry.sourcePath));
    }
    QStringList sources;
    QStringList dests;
    // The pairs go in the order that frees each name before it is taken, a cycle through a temporary name.
    std::vector<MoveStep> stepOfPair;
    bool leftOut = false;
    for (const MoveStep& move : runOrder(plan, m_fs, operation).steps) {
        const qsizetype i = move.move;
        RenameEntry& entry = plan.entry(i);
        if (entry.destPath == entry.sourcePath)
            continue;
        if (entry.nameTooLong || (!kept.isEmpty() && kept.contains(places.keyOf(entry.destPath)))) {
            leftOut = true;
            continue;
        }
        switch (move.kind) {
        case MoveStep::Kind::Whole:
            sources.append(entry.sourcePath);
            dests.append(entry.destPath);
            break;
        case MoveStep::Kind::ToTemporary:
            entry.temporaryPath = temporaryPathBeside(entry.sourcePath, i, m_fs);
            if (m_recorder != nullptr)
                m_recorder->aside(i, entry.temporaryPath);
            sources.append(entry.sourcePath);
            dests.append(entry.temporaryPath);
            break;
        case MoveStep::Kind::FromTemporary:
            sources.append(entry.temporaryPath);
            dests.append(entry.destPath);
            break;
        }
        stepOfPair.push_back(move);
        entry.doneSteps = static_cast<std::uint8_t>(operation);
    }
    const FileOperationResult result = sources.isEmpty()
                                           ? FileOperationResult{}
                                           : m_files.run(operation, sources, dests, operationFlags(options, true));
    // What the operation says of each file is recorded, so that an undo never moves back a file that
    // stayed where it was (and whose new name may hold another) or deletes a copy never made; a file that
    // reached its temporary name alone is found there.
    // Of a call of many files that does not tell each, nothing is known: the entries stay as they are.
    const bool eachKnown = stepOfPair.size() > 1 && result.done.size() == stepOfPair.size();
    for (std::size_t k = 0; k < stepOfPair.size() && (eachKnown || stepOfPair.size() == 1); ++k) {
        const bool pairDone = eachKnown ? result.done[k] : result.result == 0;
        RenameEntry& entry = plan.entry(stepOfPair[k].move);
        switch (stepOfPair[k].kind) {
        case MoveStep::Kind::Whole:
            if (!pairDone)
                entry.doneSteps = 0;
            break;
        case MoveStep::Kind::ToTemporary:
            if (!pairDone) {
                entry.doneSteps = 0;
                entry.temporaryPath.clear();
            }
            break;
        case MoveStep::Kind::FromTemporary:
            if (pairDone)
                entry.temporaryPath.clear();
            break;
        }
    }
    // An entry is done once its file is at its new name; one that waits under a temporary name is not.
    for (const MoveStep& step : stepOfPair) {
        if (step.kind != MoveStep::Kind::ToTemporary)
            static_cast<void>(recordEntry(step.move));
    }
    if (result.result != 0 || result.aborted || leftOut) {
        log.line(tr("* MULTIDESTFILES での作業が正常に完了しなかったため、ログはとれませんでした。"));
        log.line(tr("* Tokrenuでは正常に元に戻せない可能性がありますのでご注意ください。"));
        log.line(tr("* リストは更新されていませんのでご注意下さい。"));
        log.emptyLine();
        m_state.stopRequest = StopRequest::Stop;
        m_state.undoState = UndoState::BulkRunFailed;
        plan.setRowsShowOldPaths();
        ++m_outcome.failedSteps;
        m_outcome.bulkIncomplete = true;
    } else {
        log.emptyLine();
        log.line(tr("--- 一括リネーム開始 ---"));
        const QString movedTo = operation == FileOperation::Copy ? tr("コピー:") : tr("移動:");
        for (qsizetype i = 1; i <= plan.upperBound(); ++i) {
            const RenameEntry& entry = plan.entry(i);
            log.emptyLine();
            log.line(QLatin1String("* "), withVisibleControls(entry.sourcePath));
            log.line(movedTo, withVisibleControls(entry.destPath));
            showRowAt(i, entry.destPath);
        }
        log.emptyLine();
        log.line(tr("--- 一括リネーム終了 ---"));
    }
    host.setBusy(false);
}

void PlanExecutor::changeAttributesAndTimes(qsizetype i, WorkHost& host) {
    RenamePlan& plan = *m_state.plan;
    RenameEntry& entry = plan.entry(i);
    RunLog log(m_state.logText);
    const std::uint16_t mask = plan.changeMask();
    const QString& path = entry.destPath;
    m_before = {};
    auto failed = [this, &log](const QString& text) {
        log.line(text);
        ++m_outcome.failedSteps;
    };
    // A change counts as done only when the file reads back as asked; otherwise the old value is put back and
    // the log says what the file system would have kept.
    auto keptAs = [](const QString& text) {
        return tr("(ファイルシステムには「%1」と記録されます)").arg(text);
    };
    if (mask & ChangeMask::kAttributes) {
        if (host.showsProgress())
            host.setProgressLabel(path + tr(" 属性を変更中"));
        const qint32 old = m_fs.attributes(path);
        const std::optional<std::uint32_t> oldPermissions = m_fs.writePermissions(path);
        // Bits that could not be read when the plan was built are no bits to set.
        if (old == AttributeBits::kMissing || entry.attributes == AttributeBits::kMissing ||
            !m_fs.setAttributes(path, entry.attributes)) {
            failed(tr("属性の変更：失敗しました。"));
        } else if (const qint32 read = m_fs.attributes(path);
                   read == AttributeBits::kMissing ||
                   (read & AttributeBits::kSettable) != (entry.attributes & AttributeBits::kSettable)) {
            static_cast<void>(m_fs.setAttributes(path, old));
            if (oldPermissions)
                static_cast<void>(m_fs.restoreWritePermissions(path, *oldPermissions));
            failed(tr("属性の変更：失敗しました。") +
                   (read == AttributeBits::kMissing ? QString() : keptAs(attributeLetters(read))));
        } else {
            log.line(tr("属性の変更：") + attributeLetters(old) + tr(" から ") + attributeLetters(entry.attributes));
            updateRow(i, [&](FileRow& row) { row.details.attributesChanged(entry.attributes); });
            entry.attributes = old;
            entry.writePermissions = oldPermissions;
            m_before.attributes = old;
            m_before.writePermissions = oldPermissions;
            entry.doneSteps |= DoneStep::kAttributes;
        }
    }
    for (const TimeStep& step : timeSteps()) {
        if (!(mask & step.mask))
            continue;
        if (host.showsProgress())
            host.setProgressLabel(path + tr(step.busy));
        double& value = entry.*step.field;
        const std::optional<qint64> oldSecs = m_fs.fileTime(path, step.kind);
        const double old = oldSecs ? DateValue::fromSecsSinceEpoch(*oldSecs) : 0.0;
        if (!setFileTimeFromDate(m_fs, path, value, step.kind)) {
            failed(tr(step.failure));
            continue;
        }
        const std::optional<qint64> stored = m_fs.fileTime(path, step.kind);
        const std::optional<qint64> wanted = DateValue::toSecsSinceEpoch(value);
        // File systems that keep coarse times (two seconds on FAT) keep a time within that step.
        if (!stored || !wanted || std::llabs(*stored - *wanted) >= kCoarsestTimeStep) {
            if (oldSecs)
                static_cast<void>(m_fs.setFileTime(path, step.kind, *oldSecs));
            failed(tr(step.failure) +
                   (stored ? keptAs(DateValue::generalDateText(DateValue::fromSecsSinceEpoch(*stored))) : QString()));
            continue;
        }
        const double kept = DateValue::fromSecsSinceEpoch(*stored);
        log.line(tr(step.changed) + DateValue::generalDateText(old) + tr(" から ") + timeText(step.kind, kept));
        if (step.kind == FileTimeKind::LastWrite)
            updateRow(i, [&](FileRow& row) { row.details.lastWriteChanged(*stored); });
        value = old;
        m_before.times[static_cast<std::size_t>(step.kind)] = oldSecs;
        entry.doneSteps |= step.done;
    }
}

bool PlanExecutor::recordEntry(qsizetype i) {
    // After a stop the moves already made ahead are still recorded; a journal that failed is asked nothing more.
    if (m_recorder == nullptr || m_recordingGivenUp)
        return m_recorder == nullptr;
    RenameEntry& entry = m_state.plan->entry(i);
    if (entry.doneSteps != 0)
        m_recorder->entryDone(i, entry, m_before);
    m_before = {};
    if (!m_recorder->failed())
        return true;
    RunLog(m_state.logText)
        .line(tr("* 作業の記録を書き込めないため、作業を中止します。(") + m_recorder->error() + QLatin1Char(')'));
    m_state.stopRequest = StopRequest::Stop;
    m_recordingGivenUp = true;
    return false;
}

void PlanExecutor::showRowAt(qsizetype i, const QString& path) {
    PlanRows::showFileAt(m_list, i - 1, path);
}

void PlanExecutor::updateRow(qsizetype i, const std::function<void(FileRow&)>& change) {
    PlanRows::change(m_list, i - 1, change);
}

bool PlanExecutor::letUserIn(WorkHost& host) {
    host.processEvents();
    if (host.stopRequested())
        m_state.stopRequest = StopRequest::Stop;
    return m_state.stopRequest == StopRequest::Stop;
}

void PlanExecutor::finish(WorkHost& host) {
    RunLog log(m_state.logText);
    log.emptyLine();
    log.append(QStringLiteral("--- ") + now() +
               (m_state.stopRequest == StopRequest::Stop ? tr(" 作業は中止されました。 ---")
                                                         : tr(" 作業は正常に完了しました。 ---")));
    if (m_state.mode == PlanMode::Test) {
        host.setStatusText(tr("テスト終了"));
        log.append(QStringLiteral("\r\n") + tr("--- テストのため、実際に変更は行いませんでした。 ---"));
    } else {
        host.setStatusText(tr("作業終了"));
    }
}
