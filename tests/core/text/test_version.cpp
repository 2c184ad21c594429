#include "core/text/version.h"

#include <QtTest>

using sortivo::versionString;

class TestVersion : public QObject
{
    Q_OBJECT

private slots:
    void version_data();
    void version();
};

void TestVersion::version_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("1.0.3") << 1 << 0 << 3 << QByteArray("1.03");
    QTest::newRow("2.1.5") << 2 << 1 << 5 << QByteArray("2.15");
    QTest::newRow("1.12.0") << 1 << 12 << 0 << QByteArray("1.120");
    QTest::newRow("1.3.0") << 1 << 3 << 0 << QByteArray("1.30");
    QTest::newRow("0.0.0") << 0 << 0 << 0 << QByteArray("0.00");
    QTest::newRow("1.2.10") << 1 << 2 << 10 << QByteArray("1.210");
    QTest::newRow("10.0.1") << 10 << 0 << 1 << QByteArray("10.01");
}

void TestVersion::version()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(versionString(major, minor, revision)), expected);
}

QTEST_APPLESS_MAIN(TestVersion)
#include "test_version.moc"
