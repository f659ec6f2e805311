#include "execution/UndoRecorder.h"

#include "execution/JournalFormat.h"
#include "execution/JournalRecords.h"
#include "execution/RunJournal.h"
#include "platform/Clock.h"
#include "platform/JournalStore.h"

#include <QString>

std::unique_ptr<UndoRecorder>
UndoRecorder::begin(JournalStore& store, qint64 run, const JournalSummary& before, const Clock& clock, QString& error) {
    QString reason;
    std::unique_ptr<JournalFile> file = store.openToAppend(run, before.wholeLength, reason);
    if (!file) {
        error = store.pathOf(run) + QStringLiteral(": ") + reason;
        return nullptr;
    }
    QByteArray line;
    JournalLine(line, JournalTag::kUndo).number(clock.now().toSecsSinceEpoch()).end();
    if (!file->append(line) || !file->flush()) {
        error = store.pathOf(run) + QStringLiteral(": ") + file->error();
        return nullptr;
    }
    JournalSummary summary = before;
    summary.undoStarted = true;
    summary.undoOpen = true;
    summary.undoStopped = false;
    summary.undoFinished = false;
    summary.wholeLength += line.size();
    return std::unique_ptr<UndoRecorder>(new UndoRecorder(store, std::move(file), run, std::move(summary)));
}

bool UndoRecorder::recordKept(
    JournalStore& store, qint64 run, const JournalSummary& before, const Clock& clock, QString& error) {
    QString reason;
    std::unique_ptr<JournalFile> file = store.openToAppend(run, before.wholeLength, reason);
    QByteArray line;
    JournalLine(line, JournalTag::kKept).number(clock.now().toSecsSinceEpoch()).end();
    if (!file || !file->append(line) || !file->sync()) {
        error = store.pathOf(run) + QStringLiteral(": ") + (file ? file->error() : reason);
        return false;
    }
    file.reset();
    JournalSummary after = before;
    after.kept = true;
    after.wholeLength += line.size();
    RunJournal::noteWritten(store, run, after);
    return true;
}

UndoRecorder::UndoRecorder(JournalStore& store, std::unique_ptr<JournalFile> file, qint64 run, JournalSummary summary)
    : m_store(store)
    , m_file(std::move(file))
    , m_run(run)
    , m_summary(std::move(summary)) {}

UndoRecorder::~UndoRecorder() = default;

bool UndoRecorder::append(const QByteArray& records) {
    m_summary.wholeLength += records.size();
    return m_file->append(records);
}

void UndoRecorder::entryUndone(qsizetype i, std::uint8_t steps) {
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kUndone).number(i).number(steps).end();
    append(m_line);
}

void UndoRecorder::movingBack(qsizetype i) {
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kMovingBack).number(i).end();
    append(m_line);
    m_file->flush();
}

void UndoRecorder::aside(qsizetype i, const QString& path) {
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kAside).number(i).text(path).end();
    append(m_line);
    m_file->flush();
}

bool UndoRecorder::finish(bool stopped) {
    if (!m_file)
        return false;
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kUndoEnd).number(stopped ? 1 : 0).end();
    if (!append(m_line) || !m_file->sync())
        return false;
    m_file.reset();
    m_summary.undoOpen = false;
    m_summary.undoStopped = stopped;
    m_summary.undoFinished = !stopped;
    RunJournal::noteWritten(m_store, m_run, m_summary);
    return true;
}

QString UndoRecorder::error() const {
    return m_file ? m_file->error() : QString();
}
