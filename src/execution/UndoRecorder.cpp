#include "execution/UndoRecorder.h"

#include "execution/JournalFormat.h"
#include "execution/JournalRecords.h"
#include "platform/Clock.h"
#include "platform/JournalStore.h"

#include <QString>

std::unique_ptr<UndoRecorder>
UndoRecorder::begin(JournalStore& store, qint64 run, qint64 wholeLength, const Clock& clock, QString& error) {
    QString reason;
    std::unique_ptr<JournalFile> file = store.openToAppend(run, wholeLength, reason);
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
    return std::unique_ptr<UndoRecorder>(new UndoRecorder(std::move(file)));
}

bool UndoRecorder::recordKept(JournalStore& store, qint64 run, qint64 wholeLength, const Clock& clock, QString& error) {
    QString reason;
    std::unique_ptr<JournalFile> file = store.openToAppend(run, wholeLength, reason);
    QByteArray line;
    JournalLine(line, JournalTag::kKept).number(clock.now().toSecsSinceEpoch()).end();
    if (!file || !file->append(line) || !file->sync()) {
        error = store.pathOf(run) + QStringLiteral(": ") + (file ? file->error() : reason);
        return false;
    }
    return true;
}

UndoRecorder::UndoRecorder(std::unique_ptr<JournalFile> file)
    : m_file(std::move(file)) {}

UndoRecorder::~UndoRecorder() = default;

void UndoRecorder::entryUndone(qsizetype i, std::uint8_t steps) {
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kUndone).number(i).number(steps).end();
    m_file->append(m_line);
}

void UndoRecorder::movingBack(qsizetype i) {
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kMovingBack).number(i).end();
    m_file->append(m_line);
    m_file->flush();
}

void UndoRecorder::aside(qsizetype i, const QString& path) {
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kAside).number(i).text(path).end();
    m_file->append(m_line);
    m_file->flush();
}

bool UndoRecorder::finish(bool stopped) {
    m_line.resize(0);
    JournalLine(m_line, JournalTag::kUndoEnd).number(stopped ? 1 : 0).end();
    return m_file->append(m_line) && m_file->sync();
}

QString UndoRecorder::error() const {
    return m_file->error();
}
