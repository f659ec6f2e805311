#include "filelist/NamePattern.h"

#include <QTest>

class TestNamePattern : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void patternRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("? is any one character") << "abc"
                                                << "a?c" << true;
        QTest::newRow("? is not zero characters") << "ac"
                                                  << "a?c" << false;
        QTest::newRow("* may be empty") << "ac"
                                        << "a*c" << true;
        QTest::newRow("the whole text must match") << "abcd"
                                                   << "a*c" << false;
        QTest::newRow("# is one digit") << "a7"
                                        << "a#" << true;
        QTest::newRow("# is not a letter") << "ax"
                                           << "a#" << false;
        QTest::newRow("list of characters") << "b"
                                            << "[abc]" << true;
        QTest::newRow("range") << "q"
                               << "[a-z]" << true;
        QTest::newRow("outside the range") << "Q"
                                           << "[a-z]" << false;
        QTest::newRow("negated list") << "d"
                                      << "[!abc]" << true;
        QTest::newRow("negated list excludes") << "a"
                                               << "[!abc]" << false;
        QTest::newRow("[[] is a literal bracket") << "[x"
                                                  << "[[]x" << true;
        QTest::newRow("[] matches nothing at all") << "ab"
                                                   << "a[]b" << true;
        QTest::newRow("unclosed bracket matches nothing") << "[a"
                                                          << "[a" << false;
        QTest::newRow("*.* needs a dot by this rule") << "readme"
                                                      << "*.*" << false;
        QTest::newRow("letter case counts") << "A"
                                            << "a" << false;
        QTest::newRow("many stars stay fast")
            << QString(200, QLatin1Char('a')) + QLatin1Char('b') << QStringLiteral("*a*a*a*a*a*a*a*a*a*a*c") << false;
    }
    void patternRule() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(matchesNamePattern(text, pattern), matches);
    }

    void addFilterForChosenFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("wildCard");
        QTest::addColumn<bool>("passes");
        QTest::newRow("exact *.* takes a name without a dot") << "README"
                                                              << "*.*" << true;
        QTest::newRow("*.txt refuses README") << "README"
                                              << "*.txt" << false;
        QTest::newRow("*.txt takes A.TXT, case ignored") << "A.TXT"
                                                         << "*.txt" << true;
        QTest::newRow("a semicolon list is one pattern here") << "a.txt"
                                                              << "*.txt;*.doc" << false;
        QTest::newRow("*.** is not the exact text") << "README"
                                                    << "*.**" << false;
    }
    void addFilterForChosenFiles() {
        QFETCH(QString, name);
        QFETCH(QString, wildCard);
        QFETCH(bool, passes);
        QCOMPARE(passesAddFilter(name, wildCard), passes);
    }
};

QTEST_GUILESS_MAIN(TestNamePattern)
#include "tst_namepattern.moc"
