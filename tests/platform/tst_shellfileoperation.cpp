#include "platform/linux/LinuxShellFileOperation.h"

#include <QTest>

class TestShellFileOperation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(TestShellFileOperation)
#include "tst_shellfileoperation.moc"
