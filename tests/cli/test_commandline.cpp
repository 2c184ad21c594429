#include "cli/drawcommandline.h"
#include "support/proofsamples.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The answers that need no window: they come without a display, before any window exists.

namespace
{

struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runProgram(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    // The answers are French whatever language the user's desktop speaks.
    env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(SORTIVO_PROGRAM), arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    Run run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void verifiesRecords_data();
    void verifiesRecords();
    void readsDrawRequests_data();
    void readsDrawRequests();
};

void TestCommandLine::answersWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    // The whole standard output when not null; else fragments of it, or of the standard error
    // when the status is not 0 (the standard output then stays empty).
    QTest::addColumn<QString>("exactOut");
    QTest::addColumn<QStringList>("fragments");

    const QString usage = QStringLiteral("Utilisation : ");
    const QStringList help{
        usage, QStringLiteral("[fichier]"), QStringLiteral("Afficher cette aide."),
        QStringLiteral("Afficher les informations de version."), QStringLiteral("tire au sort")};
    const QString version = QStringLiteral("Sortivo, version 1.30\n");
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << version
                             << QStringList{};
    QTest::newRow("version, short")
        << QStringList{QStringLiteral("-v")} << 0 << version << QStringList{};
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QString() << help;
    QTest::newRow("help, short") << QStringList{QStringLiteral("-h")} << 0 << QString() << help;
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--couleur")} << 2 << QString()
        << QStringList{QStringLiteral("couleur"), usage, QStringLiteral("--version")};
    QTest::newRow("unknown short option")
        << QStringList{QStringLiteral("-z"), QStringLiteral("liste.txt")} << 2 << QString()
        << QStringList{QStringLiteral("z"), usage};
    QTest::newRow("two files") << QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")} << 2
                               << QString()
                               << QStringList{QStringLiteral("Un seul fichier"), usage};
}

void TestCommandLine::answersWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, exactOut);
    QFETCH(QStringList, fragments);

    const Run run = runProgram(arguments);
    QCOMPARE(run.status, status);
    if (status == 0)
        QCOMPARE(run.err, QString());
    else
        QCOMPARE(run.out, QString());
    if (!exactOut.isNull())
        QCOMPARE(run.out, exactOut);
    const QString& checked = status == 0 ? run.out : run.err;
    for (const QString& fragment : fragments)
        QVERIFY2(checked.contains(fragment), qPrintable(checked));
}

void TestCommandLine::verifiesRecords_data()
{
    QTest::addColumn<QByteArray>("record"); // null: no such file
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("warnings"); // the lines after the verdict, palmarès included

    const QString conforming = QStringLiteral("CONFORME : ");
    const QString reserved = QStringLiteral("CONFORME AVEC RÉSERVES : ");
    const QString rejected = QStringLiteral("NON CONFORME : ");
    for (const SampleRecord& r : proofsamples::acceptedRecords())
        QTest::addRow("%s", r.name.c_str()) << QByteArray::fromStdString(r.json) << 0
                                            << (r.warnings.empty() ? conforming : reserved)
                                            << QString::fromStdString(r.warnings + r.palmares);
    for (const SampleRecord& r : proofsamples::oneByteChanges())
        QTest::addRow("one byte: %s", r.name.c_str())
            << QByteArray::fromStdString(r.json) << 1 << rejected << QString();
    QTest::newRow("not JSON") << QByteArray("Tirage du 7 décembre") << 1
                              << rejected + QStringLiteral("le fichier n'est pas un JSON valide")
                              << QString();
    QTest::newRow("no such file") << QByteArray() << 1
                                  << rejected + QStringLiteral("le fichier n'a pas pu être lu")
                                  << QString();
}

// A record is checked without a display: the verdict's line on the standard output, then a
// conforming record's warnings, the status telling.
void TestCommandLine::verifiesRecords()
{
    QFETCH(QByteArray, record);
    QFETCH(int, status);
    QFETCH(QString, start);
    QFETCH(QString, warnings);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pv.json"));
    if (!record.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(record);
    }
    const Run run = runProgram({QStringLiteral("--verifier"), path});
    QCOMPARE(run.status, status);
    QVERIFY2(run.out.startsWith(start), qPrintable(run.out));
    QVERIFY(run.out.endsWith(QLatin1Char('\n')));
    QCOMPARE(run.out.section(QLatin1Char('\n'), 1), warnings);
    QCOMPARE(run.err, QString());
}

void TestCommandLine::readsDrawRequests_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("mode"); // -1: refused as a usage mistake
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("teamSize");

    using sortivo::DrawMode;
    QTest::newRow("all by default") << QStringList{} << int(DrawMode::All) << 0 << 0;
    QTest::newRow("chosen number") << QStringList{QStringLiteral("-n"), QStringLiteral("3")}
                                   << int(DrawMode::Chosen) << 3 << 0;
    QTest::newRow("one") << QStringList{QStringLiteral("--un")} << int(DrawMode::One) << 0 << 0;
    QTest::newRow("teams") << QStringList{QStringLiteral("--equipes"), QStringLiteral("4")}
                           << int(DrawMode::Teams) << 0 << 4;
    QTest::newRow("teams of eleven")
        << QStringList{QStringLiteral("--equipes"), QStringLiteral("11")} << -1 << 0 << 0;
}

// The command line's own library, in this process: it links no widget, as scripts run it on
// machines without a display.
void TestCommandLine::readsDrawRequests()
{
    QFETCH(QStringList, options);
    QFETCH(int, mode);
    QFETCH(int, count);
    QFETCH(int, teamSize);

    int status = -1;
    const std::optional<DrawCommandOptions> read = readDrawCommandLine(
        QStringList{QStringLiteral("sortivo"), QStringLiteral("tirer"), QStringLiteral("l.txt")} +
            options,
        status);
    if (mode < 0) {
        QVERIFY(!read);
        QCOMPARE(status, 2);
        return;
    }
    QVERIFY(read);
    QCOMPARE(int(read->mode), mode);
    QCOMPARE(read->count, count);
    QCOMPARE(read->teamSize, teamSize);
    QCOMPARE(read->listPath, std::string("l.txt"));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
