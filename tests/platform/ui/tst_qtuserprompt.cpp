#include "platform/ui/QtTranslations.h"
#include "platform/ui/QtUserPrompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

bool hasLoneSurrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && !(i + 1 < text.size() && text.at(i + 1).isLowSurrogate()))
            return true;
        if (c.isLowSurrogate() && !(i > 0 && text.at(i - 1).isHighSurrogate()))
            return true;
    }
    return false;
}

} // namespace

// What the message boxes show.
class TestQtUserPrompt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ordinaryTextsAreShownWhole() {
        QCOMPARE(QtUserPrompt::displayText(QStringLiteral("a\r\nb\r\n\r\nc")), QStringLiteral("a\nb\n\nc"));
        const QString longest(1500, QLatin1Char('x'));
        QCOMPARE(QtUserPrompt::displayText(longest), longest);
        QString lines;
        for (int i = 0; i < 39; ++i)
            lines += QStringLiteral("line\r\n");
        QCOMPARE(QtUserPrompt::displayText(lines).count(QLatin1Char('\n')), 39);
    }

    // A message quoting a name of a million characters keeps its start and the problem at its end.
    void hugeTextKeepsBothEnds() {
        const QString name = QStringLiteral("abc") + QString(1000000, QLatin1Char('x')) + QStringLiteral("xyz");
        const QString text = name + QStringLiteral("\r\n\r\n") + QStringLiteral("理解不能な変数が使用されています。");
        const QString shown = QtUserPrompt::displayText(text);
        QVERIFY(shown.size() < 1300);
        QVERIFY(shown.startsWith(QStringLiteral("abcxxx")));
        QVERIFY(shown.endsWith(QStringLiteral("\n\n理解不能な変数が使用されています。")));
        QVERIFY(shown.contains(QStringLiteral("\n\u2026\n")));

        const QString line = QStringLiteral("<") + QString(5000, QLatin1Char('y')) + QStringLiteral(">");
        const QString cut = QtUserPrompt::displayText(line);
        QVERIFY(cut.startsWith(QLatin1Char('<')) && cut.endsWith(QLatin1Char('>')));
        QVERIFY(cut.size() < 1300);
    }

    void manyLinesKeepWholeLinesAtBothEnds() {
        QString text;
        for (int i = 1; i <= 10000; ++i)
            text += QStringLiteral("line %1\r\n").arg(i);
        const QString shown = QtUserPrompt::displayText(text);
        QVERIFY(shown.count(QLatin1Char('\n')) <= 2 * 15 + 2);
        QVERIFY(shown.startsWith(QStringLiteral("line 1\nline 2\n")));
        QVERIFY(shown.endsWith(QStringLiteral("line 9999\nline 10000\n")));
        // Cuts fall between lines.
        for (const QString& kept : shown.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            QVERIFY2(kept == QStringLiteral("\u2026") || kept.startsWith(QStringLiteral("line ")), qPrintable(kept));
    }

    void cutsNeverSplitACharacter() {
        for (const int offset : {0, 1}) {
            const QString text =
                QString(offset, QLatin1Char('a')) +
                QString(2000, QLatin1Char('b')).replace(QLatin1Char('b'), QStringLiteral("\U0001F600"));
            QVERIFY(!hasLoneSurrogate(QtUserPrompt::displayText(text)));
        }
    }

    // The box itself stays within the screen, so that its button can be reached.
    void hugeMessageBoxFitsTheScreen() {
        QtUserPrompt prompt;
        int height = 0;
        QTimer::singleShot(0, this, [&height] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            height = box->height();
            box->accept();
        });
        prompt.inform(QString(1000000, QLatin1Char('x')), QStringLiteral("Tokrenu"), PromptIcon::Critical);
        QVERIFY(height > 0);
        QVERIFY2(height < 600, qPrintable(QString::number(height)));
    }

    // Entries that each end in an empty line, as in the version box, leave no gap above the button.
    void closingLineEndsLeaveNoGap() {
        QtUserPrompt prompt;
        QString shown;
        QTimer::singleShot(0, this, [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            shown = box->text();
            box->accept();
        });
        prompt.inform(QStringLiteral("製品名：Tokrenu\r\n\r\nバージョン：0.92.0\r\n\r\n"), QStringLiteral("Tokrenu"),
                      PromptIcon::None);
        QCOMPARE(shown, QStringLiteral("製品名：Tokrenu\n\nバージョン：0.92.0"));
    }

    // The program's texts tell the user to press 「ｷｬﾝｾﾙ」, so every Cancel button of the boxes says that.
    void cancelButtonsSayWhatTheTextsCallThem() {
        QtUserPrompt prompt;
        QStringList captions;
        QTimer::singleShot(0, this, [&captions] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            captions.append(box->button(QMessageBox::Cancel)->text());
            box->button(QMessageBox::Cancel)->click();
        });
        QCOMPARE(prompt.message(QStringLiteral("a"), QStringLiteral("b"), PromptIcon::Question, PromptButtons::OkCancel,
                                PromptAnswer::Ok),
                 PromptAnswer::Cancel);
        QTimer::singleShot(0, this, [&captions] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            captions.append(buttons->button(QDialogButtonBox::Cancel)->text());
            buttons->button(QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(prompt.input(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")), std::nullopt);
        QCOMPARE(captions, QStringList({"ｷｬﾝｾﾙ", "ｷｬﾝｾﾙ"}));
    }

    // Qt's own buttons and dialogs follow the Japanese interface instead of speaking English.
    void qtsOwnButtonsSpeakJapanese() {
        QVERIFY(installQtTranslations(*qApp));
        QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel |
                                 QDialogButtonBox::Open);
        QStringList texts;
        for (const QAbstractButton* button : buttons.buttons())
            texts.append(button->text());
        texts.sort();
        QCOMPARE(texts, QStringList({"いいえ(&N)", "はい(&Y)", "キャンセル", "開く"}));
        QCOMPARE(QLocale().language(), QLocale::Japanese);
    }
};

QTEST_MAIN(TestQtUserPrompt)
#include "tst_qtuserprompt.moc"
