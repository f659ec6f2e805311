#include "expression/ValueFormatter.h"

#include <QTest>

class TestValueFormatter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(TestValueFormatter)
#include "tst_valueformatter.moc"
