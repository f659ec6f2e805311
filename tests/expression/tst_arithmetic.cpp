#include "expression/Arithmetic.h"
#include "expression/NumberText.h"
#include "fakes/ScriptedPrompt.h"

#include <QTest>

namespace {
const QString kCalcTitle = QStringLiteral("Tokrenuｴﾗｰ-Tokrenu");
}

class TestArithmetic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void evaluates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("result");
        QTest::newRow("a plain number") << "12" << 12.0;
        QTest::newRow("a leading minus is a sign") << "-5" << -5.0;
        QTest::newRow("sign after an operator") << "2*-3" << -6.0;
        QTest::newRow("minus minus") << "2--3" << 5.0;
        QTest::newRow("negative first operand") << "-3+2" << -1.0;
        QTest::newRow("multiplication before division") << "8/2*2" << 2.0;
        QTest::newRow("addition before subtraction") << "5-3+1" << 1.0;
        QTest::newRow("multiplication before subtraction") << "10-2*3" << 4.0;
        QTest::newRow("subtractions from the left") << "1-2-3" << -4.0;
        QTest::newRow("group separators in operands") << "1,200,000+1" << 1200001.0;
        QTest::newRow("exponent sign is no operator") << "1E+5+2" << 100002.0;
        QTest::newRow("results written with an exponent go on") << "1E+20*10+1" << 1e21 + 1;
        QTest::newRow("thirty reductions still work")
            << QString(QStringLiteral("1") + QStringLiteral("+1").repeated(30)) << 31.0;
        QTest::newRow("fractions") << "5/2" << 2.5;
    }
    void evaluates() {
        QFETCH(QString, text);
        QFETCH(double, result);
        ScriptedPrompt prompt;
        QCOMPARE(evaluateArithmetic(text, prompt), std::optional<double>(result));
        QVERIFY(prompt.shown().isEmpty());
    }

    void failures_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("title");
        QTest::newRow("division by zero shows the text")
            << "1/0" << QStringList{"1/0\r\n\r\nError No. 11\r\n0 で除算しました。"} << kCalcTitle;
        QTest::newRow("a text that is no number")
            << "abc" << QStringList{"abc\r\n\r\nError No. 13\r\n型が一致しません。"} << kCalcTitle;
        QTest::newRow("a failed operand leaves the text out")
            << "a+1" << QStringList{"計算中にｴﾗｰが発生しました。\r\n\r\nError No. 13\r\n型が一致しません。"}
            << kCalcTitle;
        QTest::newRow("both operands failing report twice")
            << "a+b"
            << QStringList{"計算中にｴﾗｰが発生しました。\r\n\r\nError No. 13\r\n型が一致しません。",
                           "計算中にｴﾗｰが発生しました。\r\n\r\nError No. 13\r\n型が一致しません。"}
            << kCalcTitle;
        QTest::newRow("overflow") << "1E+308*10"
                                  << QStringList{"1E+308*10\r\n\r\nError No. 6\r\nオーバーフローしました。"}
                                  << kCalcTitle;
        QTest::newRow("31 reductions fail")
            << QString(QStringLiteral("1") + QStringLiteral("+1").repeated(31))
            << QStringList{QStringLiteral("32\r\n\r\n計算中にｴﾗｰが発生しました。")} << "Tokrenuｴﾗｰ";
    }
    void failures() {
        QFETCH(QString, text);
        QFETCH(QStringList, messages);
        QFETCH(QString, title);
        ScriptedPrompt prompt;
        QCOMPARE(evaluateArithmetic(text, prompt), std::nullopt);
        QCOMPARE(prompt.texts(), messages);
        for (const auto& shown : prompt.shown()) {
            QCOMPARE(shown.title, title);
            QCOMPARE(shown.icon, PromptIcon::Critical);
            QCOMPARE(shown.buttons, PromptButtons::Ok);
        }
    }

    void countersAdvanceByTheirSteps() {
        ScriptedPrompt prompt;
        SequenceCounters counters;
        QList<double> values;
        for (int i = 0; i < 3; ++i)
            values.append(counters.nextSequenceValue(QStringLiteral("N"), 10, QStringLiteral("N-2"), prompt).value());
        QCOMPARE(values, QList<double>({10, 8, 6}));
        // Found under the lower-case name; the step is not looked at the first time.
        QCOMPARE(counters.nextSequenceValue(QStringLiteral("n"), 99, QStringLiteral("n*2"), prompt).value(), 12.0);
        QCOMPARE(counters.nextSequenceValue(QStringLiteral("m"), 1, QStringLiteral("garbage"), prompt).value(), 1.0);
        QCOMPARE(counters.value(QStringLiteral("n")).value(), 12.0);
        QVERIFY(prompt.shown().isEmpty());
    }

    void replacementIsTextual() {
        ScriptedPrompt prompt;
        SequenceCounters counters;
        (void)counters.nextSequenceValue(QStringLiteral("n"), 2, QStringLiteral("nn"), prompt);
        // "nn" becomes "22".
        QCOMPARE(counters.nextSequenceValue(QStringLiteral("n"), 0, QStringLiteral("nn"), prompt).value(), 22.0);
    }

    void failedStepLeavesZero() {
        ScriptedPrompt prompt;
        SequenceCounters counters;
        (void)counters.nextSequenceValue(QStringLiteral("n"), 1, QStringLiteral("n/0"), prompt);
        QCOMPARE(counters.nextSequenceValue(QStringLiteral("n"), 1, QStringLiteral("n/0"), prompt), std::nullopt);
        QCOMPARE(prompt.texts(), QStringList({"1/0\r\n\r\nError No. 11\r\n0 で除算しました。"}));
        QCOMPARE(counters.value(QStringLiteral("n")).value(), 0.0);
    }

    void numberTexts_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 3.0 << "3";
        QTest::newRow("fraction") << 2.5 << "2.5";
        QTest::newRow("negative") << -1.0 << "-1";
        QTest::newRow("large") << 1e20 << "1E+20";
        QTest::newRow("small") << 0.00001 << "1E-05";
        QTest::newRow("fifteen digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("rounded to fifteen digits") << 0.1 + 0.2 << "0.3";
        QTest::newRow("negative zero") << -0.0 << "0";
    }
    void numberTexts() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(numberText(value), text);
        QCOMPARE(readNumber(text).value, text == QLatin1String("0.3") ? 0.3 : value);
    }

    void readingNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("blanks around") << " 5 " << true;
        QTest::newRow("group separators") << "1,200,000" << true;
        QTest::newRow("leading comma") << ",5" << false;
        QTest::newRow("exponent without digits") << "1E" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("sign alone") << "-" << false;
        QTest::newRow("point and digits") << ".5" << true;
        QTest::newRow("trailing text") << "5x" << false;
        QTest::newRow("full-width digits are text") << "５" << false;
    }
    void readingNumbers() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QCOMPARE(readNumber(text).ok(), ok);
    }

    void roundingToInt32() {
        QCOMPARE(roundToInt32(2.5).value, 2.0);
        QCOMPARE(roundToInt32(3.5).value, 4.0);
        QCOMPARE(roundToInt32(-2.5).value, -2.0);
        QCOMPARE(roundToInt32(3e9).error, RuntimeError::Overflow);
    }
};

QTEST_GUILESS_MAIN(TestArithmetic)
#include "tst_arithmetic.moc"
