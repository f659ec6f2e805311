#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedPrompt.h"
#include "formats/FormatHistory.h"
#include "formats/SavedFormats.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QStringList tenFormats() {
    QStringList formats;
    for (int i = 0; i < FormatHistory::kMaxCount; ++i)
        formats.append(QStringLiteral("f") + QString::number(i));
    return formats;
}

FormatHistory historyOf(const QStringList& items) {
    MemorySettingsStore store;
    for (qsizetype i = 0; i < items.size(); ++i)
        store.writeSetting(historySection(), QString::number(i), items.at(i));
    FormatHistory history;
    history.load(store);
    return history;
}

QStringList namesOf(const SavedFormats& formats) {
    QStringList names;
    for (const SavedFormat& saved : formats.formats())
        names.append(saved.name);
    return names;
}

} // namespace

class TestSavedFormats : public QObject {
    Q_OBJECT

private:
    MemorySettingsStore m_store;
    ScriptedPrompt m_prompt;
    std::unique_ptr<SavedFormats> m_formats;

private Q_SLOTS:
    void init() {
        m_store = MemorySettingsStore();
        m_prompt.reset();
        m_store.writeSetting(formatsSection(), QStringLiteral("photos"), QStringLiteral("|f:|_|n,1,n+1:000|"));
        m_store.writeSetting(formatsSection(), QStringLiteral("abc"), QStringLiteral("left(fn,3)"));
        m_formats = std::make_unique<SavedFormats>();
        m_formats->load(m_store);
    }

    void addingToTheHistory_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("after");
        const QStringList ten = tenFormats();
        QTest::newRow("the same format twice stays once, at the top")
            << QStringList({"a", "b"}) << "a" << QStringList({"a", "b"});
        QStringList moved = ten;
        moved.move(5, 0);
        QTest::newRow("a format at position 5 moves to the top") << ten << "f5" << moved;
        QTest::newRow("with ten entries a new format drops the oldest")
            << ten << "new" << (QStringList({"new"}) + ten.mid(0, 9));
        QTest::newRow("letter case makes another format")
            << QStringList({"abc"}) << "ABC" << QStringList({"ABC", "abc"});
        QTest::newRow("an empty format changes nothing") << QStringList({"a"}) << "" << QStringList({"a"});
        QTest::newRow("only the oldest of two older copies goes")
            << QStringList({"x", "a", "x"}) << "x" << QStringList({"x", "x", "a"});
    }
    void addingToTheHistory() {
        QFETCH(QStringList, before);
        QFETCH(QString, format);
        QFETCH(QStringList, after);
        FormatHistory history = historyOf(before);
        QCOMPARE(history.items(), before);
        const HistoryChange change = history.addFormatToHistory(format);
        QCOMPARE(history.items(), after);

        // A combo box that makes the reported edits ends with the same list.
        QStringList combo = before;
        if (change.inserted)
            combo.prepend(format);
        if (change.removedIndex >= 0)
            combo.removeAt(change.removedIndex);
        if (change.droppedOldest)
            combo.removeAt(FormatHistory::kMaxCount);
        QCOMPARE(combo, after);
    }

    void historyLoadEndsAtTheFirstGap_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QStringList>("loaded");
        QTest::newRow("key 3 missing") << QStringList({"0", "1", "2", "4"}) << QStringList({"a", "b", "c", "e"})
                                       << QStringList({"a", "b", "c"});
        QTest::newRow("key 3 empty") << QStringList({"0", "1", "2", "3", "4"}) << QStringList({"a", "b", "c", "", "e"})
                                     << QStringList({"a", "b", "c"});
        QTest::newRow("no key 0") << QStringList({"1"}) << QStringList({"b"}) << QStringList();
        QTest::newRow("keys beyond 9 are not read")
            << QStringList({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})
            << QStringList({"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "x"}) << tenFormats();
    }
    void historyLoadEndsAtTheFirstGap() {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, values);
        QFETCH(QStringList, loaded);
        MemorySettingsStore store;
        for (qsizetype i = 0; i < keys.size(); ++i)
            store.writeSetting(historySection(), keys.at(i), values.at(i));
        FormatHistory history;
        history.load(store);
        QCOMPARE(history.items(), loaded);
    }

    void historySaveLeavesKeysBeyondItsCount() {
        MemorySettingsStore store;
        for (int i = 0; i < 5; ++i)
            store.writeSetting(historySection(), QString::number(i), QStringLiteral("old") + QString::number(i));
        FormatHistory history = historyOf({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        history.save(store);
        QCOMPARE(store.readSection(historySection()),
                 QList<SettingsEntry>({{"0", "a"}, {"1", "b"}, {"2", "c"}, {"3", "old3"}, {"4", "old4"}}));
    }

    void registering_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("refusal");
        const QStringList before = {"photos", "abc"};
        QTest::newRow("a new format gets the name") << "fn & ex" << true << "short" << int(RegisterOutcome::Added) << ""
                                                    << (before + QStringList{"short"}) << "";
        QTest::newRow("cancelling changes nothing")
            << "fn & ex" << false << "" << int(RegisterOutcome::Cancelled) << "" << before << "";
        QTest::newRow("an empty name changes nothing")
            << "fn & ex" << true << "" << int(RegisterOutcome::Cancelled) << "" << before << "";
        QTest::newRow("a registered format proposes its name and takes a new one")
            << "left(fn,3)" << true << "three" << int(RegisterOutcome::Renamed) << "abc"
            << QStringList({"photos", "three"}) << "";
        QTest::newRow("accepting the proposed name is refused")
            << "left(fn,3)" << true << "abc" << int(RegisterOutcome::NameInUse) << "abc" << before
            << "abc\r\n\r\nその名前はすでに使用されています。";
        QTest::newRow("the name of another format is refused")
            << "fn & ex" << true << "photos" << int(RegisterOutcome::NameInUse) << "" << before
            << "photos\r\n\r\nその名前はすでに使用されています。";
        QTest::newRow("names differing in case are two names")
            << "fn & ex" << true << "ABC" << int(RegisterOutcome::Added) << "" << (before + QStringList{"ABC"}) << "";
        QTest::newRow("formats differing in case are two formats")
            << "LEFT(fn,3)" << true << "upper" << int(RegisterOutcome::Added) << "" << (before + QStringList{"upper"})
            << "";
    }
    void registering() {
        QFETCH(QString, format);
        QFETCH(bool, answers);
        QFETCH(QString, answer);
        QFETCH(int, outcome);
        QFETCH(QString, preset);
        QFETCH(QStringList, names);
        QFETCH(QString, refusal);
        if (answers)
            m_prompt.queueInput(answer);
        QSignalSpy changed(m_formats.get(), &SavedFormats::listChanged);

        const RegisterResult result = m_formats->registerFormat(m_prompt, format);

        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(m_prompt.shown().first().text, format + "\r\n\r\nこの書式の名前を入力してください。");
        QCOMPARE(m_prompt.shown().first().title, QStringLiteral("書式の登録"));
        QCOMPARE(m_prompt.shown().first().preset, preset);
        QCOMPARE(namesOf(*m_formats), names);
        const bool changes = outcome == int(RegisterOutcome::Added) || outcome == int(RegisterOutcome::Renamed);
        QCOMPARE(m_formats->formatsChanged(), changes);
        QCOMPARE(changed.size(), changes ? 1 : 0);
        if (changes) {
            QCOMPARE(m_formats->at(result.index).name, answer);
            QCOMPARE(m_formats->recallFormat(result.index), format);
        }
        if (refusal.isEmpty()) {
            QCOMPARE(m_prompt.shown().size(), 1);
        } else {
            QCOMPARE(m_prompt.shown().size(), 2);
            const ScriptedPrompt::Shown& message = m_prompt.shown().at(1);
            QCOMPARE(message.text, refusal);
            QCOMPARE(message.title, QStringLiteral("Tokrenu"));
            QCOMPARE(message.icon, PromptIcon::Critical);
            QCOMPARE(message.buttons, PromptButtons::Ok);
        }
    }

    void registeringAnEmptyFormatAsksNothing() {
        const RegisterResult result = m_formats->registerFormat(m_prompt, QString());
        QCOMPARE(result.outcome, RegisterOutcome::EmptyFormat);
        QVERIFY(m_prompt.shown().isEmpty());
        QCOMPARE(m_formats->recallFormat(result.index), QString());
    }

    void loadKeepsTheStoreOrderAndSaveRewritesOnlyAfterAChange() {
        QCOMPARE(namesOf(*m_formats), QStringList({"photos", "abc"}));
        QCOMPARE(m_formats->recallFormat(1), QStringLiteral("|f:|_|n,1,n+1:000|"));
        QVERIFY(!m_formats->formatsChanged());

        // Unchanged formats leave the section exactly as it is.
        m_store.writeSetting(formatsSection(), QStringLiteral("written elsewhere"), QStringLiteral("x"));
        m_formats->save(m_store);
        QCOMPARE(m_store.readSection(formatsSection()).size(), 3);

        m_formats->replaceAll({{QStringLiteral("abc"), QStringLiteral("left(fn,3)")}});
        m_formats->save(m_store);
        QCOMPARE(m_store.readSection(formatsSection()), QList<SettingsEntry>({{"abc", "left(fn,3)"}}));

        m_formats->replaceAll({});
        m_formats->save(m_store);
        QVERIFY(m_store.readSection(formatsSection()).isEmpty());
        QCOMPARE(m_formats->indexOfName(QStringLiteral("abc")), 0);
    }

    void lookUpsFollowRenamesAndReplacements() {
        m_prompt.queueInput(QStringLiteral("three"));
        (void)m_formats->registerFormat(m_prompt, QStringLiteral("left(fn,3)"));
        QCOMPARE(m_formats->indexOfName(QStringLiteral("abc")), 0);
        QCOMPARE(m_formats->indexOfName(QStringLiteral("three")), 2);
        m_formats->replaceAll(
            {{QStringLiteral("three"), QStringLiteral("left(fn,3)")}, {QStringLiteral("photos"), QStringLiteral("x")}});
        QCOMPARE(m_formats->indexOfName(QStringLiteral("photos")), 2);
        QCOMPARE(m_formats->indexOfFormat(QStringLiteral("|f:|_|n,1,n+1:000|")), 0);
        m_formats->append({{QStringLiteral("again"), QStringLiteral("x")}});
        QCOMPARE(m_formats->indexOfFormat(QStringLiteral("x")), 2);
        QCOMPARE(m_formats->indexOfName(QStringLiteral("again")), 3);
    }
};

QTEST_GUILESS_MAIN(TestSavedFormats)
#include "tst_savedformats.moc"
