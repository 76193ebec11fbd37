#include <QTest>

class TestProcess : public QObject {
    Q_OBJECT
private slots:
    void driverExists() { QVERIFY(QFile::exists(DRIVER)); }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
