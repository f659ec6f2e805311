#include <QTest>

class TestFuzzRegressions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzzregressions.moc"
