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

    // A dot between minor and revision, the two swapped, a zero or a digit dropped: each row
    // fails on one of those slips.
    QTest::newRow("1.0.3") << 1 << 0 << 3 << QByteArray("1.03");
    QTest::newRow("1.3.0") << 1 << 3 << 0 << QByteArray("1.30");
    QTest::newRow("10.12.10") << 10 << 12 << 10 << QByteArray("10.1210");
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
