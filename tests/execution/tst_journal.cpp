#include "execution/JournalFormat.h"
#include "execution/JournalRecords.h"
#include "execution/RenamePlan.h"
#include "execution/RunJournal.h"

#include <QTest>

#include <functional>

namespace {

using JournalFormat::LineCheck;

QByteArray record(const char* tag, const std::function<void(JournalLine&)>& fields = {}) {
    QByteArray bytes;
    JournalLine line(bytes, tag);
    if (fields)
        fields(line);
    line.end();
    return bytes;
}

QByteArray entryRecord(qint64 i, const QString& source, const QString& dest, qint64 inode) {
    return record(JournalTag::kEntry, [&](JournalLine& l) {
        l.number(i).text(source).text(dest).unsignedNumber(2049).unsignedNumber(std::uint64_t(inode)).number(0);
        l.number(32).number(0222).optionalNumber(std::optional<qint64>()).optionalNumber(std::optional<qint64>());
        l.number(1700000000);
    });
}

QByteArray doneRecord(qint64 i, qint64 steps) {
    return record(JournalTag::kDone, [&](JournalLine& l) {
        l.number(i).number(steps).optionalNumber(std::optional<qint64>()).optionalNumber(std::optional<qint64>());
        l.number(32).number(0222).optionalNumber(std::optional<qint64>()).optionalNumber(std::optional<qint64>());
        l.number(1700000000);
    });
}

// A run of two renames in /d/, record by record: header, run, plan, end of plan, one entry done, run end. From
// version 2 on, the entries' paths go on from the run's folders.
QList<QByteArray> sampleRun(int version = JournalFormat::kVersion) {
    const QString folder = version >= 2 ? QString() : QStringLiteral("/d/");
    return {record(JournalFormat::kMagic, [version](JournalLine& l) { l.number(version); }),
            record(JournalTag::kRun,
                   [](JournalLine& l) {
                       l.number(1706670000).number(1).number(ChangeMask::kLastWriteTime).number(0).number(2);
                       l.text(u"/d/").text(u"/d/");
                   }),
            entryRecord(1, folder + QStringLiteral("a"), folder + QStringLiteral("x\ta"), 11),
            entryRecord(2, folder + QStringLiteral("b"), folder + QStringLiteral("x\\b"), 12),
            record(JournalTag::kPlanEnd, [](JournalLine& l) { l.number(2); }),
            doneRecord(1, DoneStep::kMoved | DoneStep::kLastWriteTime),
            record(JournalTag::kRunEnd, [](JournalLine& l) { l.number(0).number(0); })};
}

// A run of n renames in /d/ (version 2), every entry done: "f<k>" to "g<k>", inode k. The plan's records from
// its middle on are read on a second thread.
QList<QByteArray> longRun(int n) {
    QList<QByteArray> records{record(JournalFormat::kMagic, [](JournalLine& l) { l.number(JournalFormat::kVersion); }),
                              record(JournalTag::kRun, [n](JournalLine& l) {
                                  l.number(1706670000).number(1).number(0).number(0).number(n);
                                  l.text(u"/d/").text(u"/d/");
                              })};
    for (int k = 1; k <= n; ++k)
        records.append(entryRecord(k, QStringLiteral("f%1").arg(k), QStringLiteral("g%1").arg(k), k));
    records.append(record(JournalTag::kPlanEnd, [n](JournalLine& l) { l.number(n); }));
    for (int k = 1; k <= n; ++k)
        records.append(doneRecord(k, DoneStep::kMoved));
    records.append(record(JournalTag::kRunEnd, [](JournalLine& l) { l.number(0).number(0); }));
    return records;
}

// A record of the given body, its checksum right, whatever the body holds.
QByteArray withChecksum(const QByteArray& body) {
    return body + '\t' + QByteArray::number(JournalFormat::crc32(body), 16).rightJustified(8, '0') + '\n';
}

QByteArray joined(const QList<QByteArray>& records) {
    QByteArray all;
    for (const QByteArray& r : records)
        all += r;
    return all;
}

} // namespace

// The text form of the journal and how it is read back, without a disk: escapes, checksums, a journal cut
// off anywhere, damage of every kind and the marks that say what became of a run.
class TestJournal : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldsSurviveEscaping_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "/home/user/photo 1.jpg";
        QTest::newRow("tab and line feed") << "/a\tb\nc";
        QTest::newRow("backslash and what looks like an escape") << "/a\\tb\\x41\\";
        QTest::newRow("carriage return, other controls and DEL") << QString::fromUtf16(u"/\r\x01\x1f\x7f");
        QTest::newRow("Japanese and half-width katakana") << "/写真/ﾌｧｲﾙ.jpg";
        QTest::newRow("empty") << "";
    }
    void fieldsSurviveEscaping() {
        QFETCH(QString, text);
        const QByteArray line = record("T", [&](JournalLine& l) { l.text(text).number(-5); });
        QCOMPARE(line.count('\n'), 1);
        JournalFormat::Fields fields;
        QCOMPARE(JournalFormat::splitLine(QByteArrayView(line).chopped(1), true, fields), LineCheck::Whole);
        QCOMPARE(fields.size(), 3);
        QCOMPARE(JournalFormat::unescape(fields[1]), std::optional<QString>(text));
        QCOMPARE(JournalFormat::unescape(fields[1], u"/写真/"), std::optional<QString>(u"/写真/" + text));
        QCOMPARE(JournalFormat::number(fields[2]), std::optional<qint64>(-5));
    }

    void onlyOneSpellingOfANumberIsRead_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("read");
        QTest::newRow("zero") << QByteArray("0") << true;
        QTest::newRow("negative") << QByteArray("-1700000000") << true;
        QTest::newRow("leading zero") << QByteArray("007") << false;
        QTest::newRow("plus sign") << QByteArray("+1") << false;
        QTest::newRow("minus zero") << QByteArray("-0") << false;
        QTest::newRow("space") << QByteArray(" 1") << false;
        QTest::newRow("too large") << QByteArray("99999999999999999999") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void onlyOneSpellingOfANumberIsRead() {
        QFETCH(QByteArray, field);
        QFETCH(bool, read);
        QCOMPARE(JournalFormat::number(field).has_value(), read);
    }

    // Any byte changed, a bit at a time, makes the record fail its check.
    void anyChangedByteIsCaught() {
        const QByteArray line = entryRecord(1, QStringLiteral("/d/a"), QStringLiteral("/d/b"), 11).chopped(1);
        for (qsizetype i = 0; i < line.size(); ++i) {
            for (int bit = 0; bit < 7; ++bit) {
                QByteArray changed = line;
                changed[i] = static_cast<char>(changed[i] ^ (1 << bit));
                JournalFormat::Fields fields;
                QVERIFY2(JournalFormat::splitLine(changed, true, fields) != LineCheck::Whole,
                         qPrintable(QStringLiteral("byte %1 bit %2").arg(i).arg(bit)));
            }
        }
    }

    // Cut at any byte, a journal reads as far as its last whole record and is never taken for damaged: that is
    // how a crash leaves it.
    void aJournalCutAnywhereReadsAsFarAsItsWholeRecords() {
        const QList<QByteArray> records = sampleRun();
        const QByteArray all = joined(records);
        for (qsizetype cut = 0; cut <= all.size(); ++cut) {
            const JournalContent content = JournalReader::read(QByteArrayView(all).first(cut), true);
            const JournalSummary& s = content.summary;
            qsizetype whole = 0;
            int wholeRecords = 0;
            for (const QByteArray& r : records) {
                if (whole + r.size() > cut)
                    break;
                whole += r.size();
                ++wholeRecords;
            }
            const QString at = QStringLiteral("cut at %1").arg(cut);
            QVERIFY2(s.condition == JournalCondition::Readable, qPrintable(at + QLatin1Char(' ') + s.problem));
            QCOMPARE(s.wholeLength, whole);
            QCOMPARE(s.hasRun, wholeRecords >= 2);
            QCOMPARE(s.planComplete, wholeRecords >= 5);
            QCOMPARE(s.ended, wholeRecords >= 7);
            QCOMPARE(content.entries.size(), std::size_t(std::clamp(wholeRecords - 2, 0, 2)));
            QCOMPARE(!content.entries.empty() && content.entries[0].done, wholeRecords >= 6);
        }
    }

    void entriesReadBack_data() {
        QTest::addColumn<int>("version");
        QTest::newRow("whole paths") << 1;
        QTest::newRow("paths from the run's folders") << 2;
    }
    void entriesReadBack() {
        QFETCH(int, version);
        const JournalContent content = JournalReader::read(joined(sampleRun(version)), true);
        QCOMPARE(content.summary.version, version);
        QCOMPARE(content.entries.size(), std::size_t(2));
        const JournalEntry& first = content.entries[0];
        QCOMPARE(first.source, QStringLiteral("/d/a"));
        QCOMPARE(first.destination, QStringLiteral("/d/x\ta"));
        QCOMPARE(content.entries[1].destination, QStringLiteral("/d/x\\b"));
        QVERIFY(first.sourceIdentity == (FileIdentity{2049, 11}));
        QCOMPARE(first.before.attributes, std::optional<qint32>(32));
        QCOMPARE(first.before.writePermissions, std::optional<std::uint32_t>(0200 | 0020 | 0002));
        QCOMPARE(first.before.times[std::size_t(FileTimeKind::LastWrite)], std::optional<qint64>(1700000000));
        QCOMPARE(first.before.times[std::size_t(FileTimeKind::Creation)], std::optional<qint64>());
        QCOMPARE(first.doneSteps, std::uint8_t(DoneStep::kMoved | DoneStep::kLastWriteTime));
        QVERIFY(!content.entries[1].done);
        QCOMPARE(content.summary.sourceFolder, QStringLiteral("/d/"));
        QCOMPARE(content.summary.startedSecs, 1706670000);
    }

    // Damage is told by the line it is on, and nothing of such a journal is used: no entries come back.
    void damagedJournals_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        const QList<QByteArray> run = sampleRun(1);
        auto with = [&run](qsizetype at, const QByteArray& replacement) {
            QList<QByteArray> changed = run;
            changed[at] = replacement;
            return joined(changed);
        };
        auto inserted = [&run](qsizetype at, const QByteArray& extra) {
            QList<QByteArray> changed = run;
            changed.insert(at, extra);
            return joined(changed);
        };
        QByteArray flipped = joined(run);
        flipped[run[0].size() + run[1].size() + 5] = 'Z';
        const QString notAJournal = QStringLiteral("作業の記録ではありません。");
        QTest::newRow("not a journal") << QByteArray("#!/bin/sh\nrm -rf /\n") << notAJournal;
        QTest::newRow("a header whose checksum fails") << with(0, "TOKRENU-JOURNAL\t1\t00000000\n") << notAJournal;
        QTest::newRow("a record changed in the middle") << flipped << "3 行目が壊れています。";
        QTest::newRow("an unknown record")
            << inserted(5, record("RM", [](JournalLine& l) { l.text(u"/"); })) << "6 行目が壊れています。";
        QTest::newRow("entries out of order")
            << with(3, entryRecord(3, QStringLiteral("/d/b"), QStringLiteral("/d/c"), 12)) << "4 行目が壊れています。";
        QTest::newRow("a relative path") << with(2, entryRecord(1, QStringLiteral("d/a"), QStringLiteral("/d/c"), 11))
                                         << "3 行目が壊れています。";
        QTest::newRow("an entry the plan does not have")
            << with(5, doneRecord(3, DoneStep::kMoved)) << "6 行目が壊れています。";
        QTest::newRow("a step the run cannot have made")
            << with(5, doneRecord(1, DoneStep::kCopied)) << "6 行目が壊れています。";
        QTest::newRow("a record after the end of the run")
            << joined(run) + doneRecord(2, DoneStep::kMoved) << "8 行目が壊れています。";
        QTest::newRow("an undone entry without an undo")
            << joined(run) + record(JournalTag::kUndone, [](JournalLine& l) { l.number(1).number(1); })
            << "8 行目が壊れています。";
        QTest::newRow("a plan end that counts otherwise")
            << with(4, record(JournalTag::kPlanEnd, [](JournalLine& l) { l.number(3); })) << "5 行目が壊れています。";
        QTest::newRow("a plan of more entries than any run has")
            << with(1, record(JournalTag::kRun,
                              [](JournalLine& l) {
                                  l.number(0).number(1).number(0).number(0).number(qint64(1) << 40);
                                  l.text(u"/").text(u"/");
                              }))
            << "2 行目が壊れています。";
        QByteArray escape = entryRecord(1, QStringLiteral("/d/a"), QStringLiteral("/d/c"), 11);
        escape = withChecksum(escape.left(escape.lastIndexOf('\t')).replace("/d/c", "/d\\q"));
        QTest::newRow("an escape that is none") << with(2, escape) << "3 行目が壊れています。";
        QList<QByteArray> unnamed = sampleRun(2);
        unnamed[3] = entryRecord(2, QStringLiteral("b"), QString(), 12);
        QTest::newRow("an entry without a name after its folder") << joined(unnamed) << "4 行目が壊れています。";
    }
    void damagedJournals() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        const JournalContent content = JournalReader::read(bytes, true);
        QCOMPARE(content.summary.condition, JournalCondition::Damaged);
        QCOMPARE(content.summary.problem, problem);
        QVERIFY(content.entries.empty());
    }

    // A long plan reads back as a short one does: every entry in its place, and damage or a cut anywhere told at
    // the line it is on, in either half.
    void aLongPlanReadsAsAShortOne_data() {
        QTest::addColumn<int>("entry"); // the entry record changed, 0 for none
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("problem");
        QTest::newRow("whole") << 0 << QString() << QString();
        QTest::newRow("a byte changed in the first half") << 100 << "byte"
                                                          << "102 行目が壊れています。";
        QTest::newRow("a byte changed in the second half") << 15000 << "byte"
                                                           << "15002 行目が壊れています。";
        QTest::newRow("the last entry changed") << 20000 << "byte"
                                                << "20002 行目が壊れています。";
        QTest::newRow("out of order in the second half") << 12000 << "order"
                                                         << "12002 行目が壊れています。";
        QTest::newRow("cut off in the second half") << 16000 << "cut" << QString();
    }
    void aLongPlanReadsAsAShortOne() {
        QFETCH(int, entry);
        QFETCH(QString, change);
        QFETCH(QString, problem);
        constexpr int n = 20000;
        QList<QByteArray> records = longRun(n);
        const qsizetype line = entry + 1; // from 0
        if (change == QLatin1String("byte"))
            records[line][5] = records[line][5] == 'Z' ? 'Y' : 'Z';
        else if (change == QLatin1String("order"))
            records[line] = entryRecord(entry + 1, QStringLiteral("f"), QStringLiteral("g"), 1);
        else if (change == QLatin1String("cut"))
            records = records.first(line) << records[line].first(20);
        const JournalContent content = JournalReader::read(joined(records), true);
        QCOMPARE(content.summary.problem, problem);
        if (!problem.isEmpty())
            return;
        const int expected = change == QLatin1String("cut") ? entry - 1 : n;
        QCOMPARE(content.entries.size(), std::size_t(expected));
        QCOMPARE(content.summary.planComplete, change.isEmpty());
        int wrong = 0;
        for (int k = 1; k <= expected; ++k) {
            const JournalEntry& e = content.entries[std::size_t(k - 1)];
            if (e.source != QStringLiteral("/d/f%1").arg(k) || e.destination != QStringLiteral("/d/g%1").arg(k) ||
                e.sourceIdentity != (FileIdentity{2049, std::uint64_t(k)}) || e.done != change.isEmpty())
                ++wrong;
        }
        QCOMPARE(wrong, 0);
    }

    // The version comes first: a newer journal is told as such, whatever its records are.
    void aNewerVersionIsToldAsSuch() {
        const QByteArray bytes =
            record(JournalFormat::kMagic, [](JournalLine& l) { l.number(JournalFormat::kVersion + 1); }) +
            "RENAME\tsomething we do not know\n";
        const JournalSummary s = JournalReader::read(bytes, true).summary;
        QCOMPARE(s.condition, JournalCondition::NewerVersion);
        QCOMPARE(
            s.problem,
            QStringLiteral("新しい版の Tokrenu で書かれた作業の記録です（版 %1）。").arg(JournalFormat::kVersion + 1));
    }

    // What the marks after the plan say, and how an undo of that run starts.
    void marksSayWhatBecameOfTheRun_data() {
        QTest::addColumn<QList<QByteArray>>("after");
        QTest::addColumn<UndoState>("undo");
        QTest::addColumn<bool>("unanswered");
        const QByteArray end = record(JournalTag::kRunEnd, [](JournalLine& l) { l.number(0).number(0); });
        const QByteArray bulkEnd = record(JournalTag::kRunEnd, [](JournalLine& l) { l.number(1).number(1); });
        const QByteArray undo = record(JournalTag::kUndo, [](JournalLine& l) { l.number(1706670100); });
        const QByteArray undone = record(JournalTag::kUndone, [](JournalLine& l) { l.number(1).number(1); });
        const QByteArray undoEnd = record(JournalTag::kUndoEnd, [](JournalLine& l) { l.number(0); });
        const QByteArray undoStopped = record(JournalTag::kUndoEnd, [](JournalLine& l) { l.number(1); });
        const QByteArray kept = record(JournalTag::kKept, [](JournalLine& l) { l.number(1706670100); });
        QTest::newRow("done") << QList<QByteArray>{end} << UndoState::Run << false;
        QTest::newRow("interrupted") << QList<QByteArray>{} << UndoState::Run << true;
        QTest::newRow("interrupted and kept as it is") << QList<QByteArray>{kept} << UndoState::Run << false;
        QTest::newRow("a bulk call that did not complete")
            << QList<QByteArray>{bulkEnd} << UndoState::BulkRunFailed << false;
        QTest::newRow("undone") << QList<QByteArray>{end, undo, undone, undoEnd} << UndoState::Nothing << false;
        QTest::newRow("undo stopped") << QList<QByteArray>{end, undo, undone, undoStopped} << UndoState::UndoInterrupted
                                      << false;
        QTest::newRow("undo ended by a crash")
            << QList<QByteArray>{end, undo, undone} << UndoState::UndoInterrupted << false;
        QTest::newRow("an interrupted run put back") << QList<QByteArray>{undo, undoEnd} << UndoState::Nothing << false;
        // A move to another disk cut off between its copy and the removal of its source: undo deletes the copy.
        const QByteArray copyDeleted = record(JournalTag::kUndone, [](JournalLine& l) {
            l.number(2).number(DoneStep::kCopied | DoneStep::kLastWriteTime);
        });
        QTest::newRow("an interrupted move's copy deleted")
            << QList<QByteArray>{undo, copyDeleted, undoEnd} << UndoState::Nothing << false;
        QTest::newRow("undone once stopped, then through")
            << QList<QByteArray>{end, undo, undoStopped, undo, undoEnd} << UndoState::Nothing << false;
    }
    void marksSayWhatBecameOfTheRun() {
        QFETCH(QList<QByteArray>, after);
        QFETCH(UndoState, undo);
        QFETCH(bool, unanswered);
        QList<QByteArray> records = sampleRun().mid(0, 5);
        records += after;
        RunRecord run;
        run.run = 7;
        run.summary = JournalReader::read(joined(records), false).summary;
        QCOMPARE(run.summary.condition, JournalCondition::Readable);
        QCOMPARE(RunJournal::undoStateOf(run.summary), undo);
        QCOMPARE(RunJournal::unansweredInterruptions({run}),
                 unanswered ? std::vector<qint64>{7} : std::vector<qint64>{});
        QCOMPARE(RunJournal::lastRunToUndo({run}), undo == UndoState::Nothing ? 0 : 7);
    }

    // The newest run not yet undone is the one to undo; one another process writes, one that never began and
    // one undone already are passed over, while a newest journal that cannot be read is chosen, to be told of.
    void theRunToUndo_data() {
        QTest::addColumn<QStringList>("runs"); // oldest first
        QTest::addColumn<qint64>("chosen");
        QTest::newRow("the newest") << QStringList{"done", "done"} << qint64(2);
        QTest::newRow("past one undone") << QStringList{"done", "undone"} << qint64(1);
        QTest::newRow("past one in use") << QStringList{"done", "in use"} << qint64(1);
        QTest::newRow("past one that never began") << QStringList{"done", "not started"} << qint64(1);
        QTest::newRow("a damaged newest") << QStringList{"done", "damaged"} << qint64(2);
        QTest::newRow("all undone") << QStringList{"undone", "undone"} << qint64(0);
    }
    void theRunToUndo() {
        QFETCH(QStringList, runs);
        QFETCH(qint64, chosen);
        std::vector<RunRecord> records;
        for (const QString& kind : runs) {
            RunRecord r;
            r.run = qint64(records.size()) + 1;
            r.summary.hasRun = true;
            r.summary.planComplete = kind != QLatin1String("not started");
            r.summary.ended = true;
            r.summary.undoFinished = kind == QLatin1String("undone");
            r.inUse = kind == QLatin1String("in use");
            if (kind == QLatin1String("damaged"))
                r.summary.condition = JournalCondition::Damaged;
            records.push_back(r);
        }
        QCOMPARE(RunJournal::lastRunToUndo(records), chosen);
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
