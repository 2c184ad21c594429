#include "support/failingfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <sys/stat.h>

// The one writer of every saved file, failed at each of its steps.

using Step = FailingFiles::Step;

class TestAtomicFile : public QObject
{
    Q_OBJECT

private slots:
    void failureKeepsTheOldFile_data();
    void failureKeepsTheOldFile();
};

void TestAtomicFile::failureKeepsTheOldFile_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("budget");

    QTest::newRow("no fault") << Step::Nothing << 0 << 0;
    QTest::newRow("no room for the new file") << Step::Create << EACCES << 0;
    QTest::newRow("its mode refused") << Step::SetMode << EPERM << 0;
    QTest::newRow("disk full at once") << Step::Write << ENOSPC << 0;
    QTest::newRow("disk full after 5 bytes") << Step::Write << ENOSPC << 5;
    QTest::newRow("device fails after a block") << Step::Write << EIO << 65536;
    QTest::newRow("sync finds the space missing") << Step::Sync << ENOSPC << 0;
    QTest::newRow("close fails") << Step::Close << EIO << 0;
    QTest::newRow("rename refused") << Step::Rename << EXDEV << 0;
}

void TestAtomicFile::failureKeepsTheOldFile()
{
    QFETCH(Step, step);
    QFETCH(int, error);
    QFETCH(int, budget);

    const QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("tirage.txt"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("ancien\n");
        QVERIFY(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    }
    const std::string bytes(3 * 1024 * 1024, 'n');

    FailingFiles files(step, error, std::size_t(budget));
    sortivo::AtomicFile file(QFile::encodeName(target).toStdString(), files);
    const bool saved = file.open() && file.write(bytes) && file.write("fin\n") && file.commit();

    QCOMPARE(saved, step == Step::Nothing);
    QFile written(target);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(),
             saved ? QByteArray::fromStdString(bytes + "fin\n") : QByteArray("ancien\n"));
    // A file replaced keeps its mode.
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0640));
    QCOMPARE(QString::fromStdString(file.error()),
             saved ? QString() : QString::fromLocal8Bit(std::strerror(error)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("tirage.txt")});
}

QTEST_APPLESS_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
