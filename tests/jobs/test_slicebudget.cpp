#include "jobs/slicebudget.h"

#include <QTest>

using namespace std::chrono_literals;

class TestSliceBudget : public QObject
{
    Q_OBJECT
private slots:
    void next_data();
    void next();
};

void TestSliceBudget::next_data()
{
    QTest::addColumn<qint64>("spentNs");
    QTest::addColumn<qulonglong>("floor");
    QTest::addColumn<qulonglong>("next");

    // The last slice held 1000 units of work; the target is 25 ms.
    QTest::newRow("on time: the same") << qint64(25'000'000) << 1ULL << 1000ULL;
    QTest::newRow("twice too long: halved") << qint64(50'000'000) << 1ULL << 500ULL;
    QTest::newRow("a little fast: grown as much") << qint64(20'000'000) << 1ULL << 1250ULL;
    QTest::newRow("far too long: halved only") << qint64(1'000'000'000) << 1ULL << 500ULL;
    QTest::newRow("no time at all: doubled only") << qint64(0) << 1ULL << 2000ULL;
    QTest::newRow("never below the floor") << qint64(1'000'000'000) << 4096ULL << 4096ULL;
}

void TestSliceBudget::next()
{
    QFETCH(qint64, spentNs);
    QFETCH(qulonglong, floor);
    QFETCH(qulonglong, next);

    const SliceBudget budget(25ms, std::size_t(floor));
    QCOMPARE(qulonglong(budget.next(1000, std::chrono::nanoseconds(spentNs))), next);
}

QTEST_APPLESS_MAIN(TestSliceBudget)
#include "test_slicebudget.moc"
