#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/sheetreading.h"

#include <sys/resource.h>
#include <sys/stat.h>

// `sortivo tirer`, run as a script runs it: what it prints, what it writes, how it ends.

namespace
{

struct Run {
    int status = -1;
    QByteArray out;
    QString err;
};

// `addressSpace`, when given, is the most memory the program may map: past it an allocation
// fails, as on a machine that has no more.
Run runProgram(const QString& program, const QStringList& arguments, const QByteArray& input = {},
               rlim_t addressSpace = 0, int timeout = 60000)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    if (addressSpace > 0)
        process.setChildProcessModifier([addressSpace] {
            const rlimit limit{addressSpace, addressSpace};
            ::setrlimit(RLIMIT_AS, &limit);
        });
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeout)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    Run run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

Run tirer(const QStringList& arguments, const QByteArray& input = {})
{
    return runProgram(QStringLiteral(SORTIVO_PROGRAM),
                      QStringList{QStringLiteral("tirer")} + arguments, input);
}

QStringList outputLines(const QByteArray& out, const QByteArray& lineEnd = "\n")
{
    if (out.isEmpty())
        return {};
    if (!out.endsWith(lineEnd))
        return {QStringLiteral("<output without a final line end>")};
    QStringList lines =
        QString::fromUtf8(out.left(out.size() - lineEnd.size())).split(QString::fromUtf8(lineEnd));
    return lines;
}

// Quotes, a backslash and a tab, which a record must escape.
const QStringList five{QStringLiteral("Anne"), QStringLiteral("Béatrice"), QStringLiteral("Chloé"),
                       QStringLiteral("Denis \"le grand\" \\ x\ty"), QStringLiteral("Émile")};
const QByteArray fiveFile = "Anne\nB\xc3\xa9"
                            "atrice\r\nChlo\xc3\xa9\nDenis \"le grand\" \\ x\ty\n\xc3\x89mile\n";
const QString seed = QStringLiteral("00112233445566778899aabbccddeeff"
                                    "00112233445566778899aabbccddeeff");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QJsonObject readRecord(const QString& path)
{
    return QJsonDocument::fromJson(readAll(path)).object();
}

} // namespace

class TestDrawCommand : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void refusals_data();
    void refusals();
    void modes_data();
    void modes();
    void standardInput();
    void readsFilesAsOpen();
    void limitsAsOpen_data();
    void limitsAsOpen();
    void replayGivesTheSameDraw_data();
    void replayGivesTheSameDraw();
    void recordPassesBothCheckers_data();
    void recordPassesBothCheckers();
    void prizes_data();
    void prizes();
    void palmares_data();
    void palmares();
    void longListRecordAndOutputAgree_data();
    void longListRecordAndOutputAgree();
    void commitFirstDrawLater_data();
    void commitFirstDrawLater();
    void recordNeverReplacesWhatIsNotAFile();
    void fullOutputIsAnError();
    void tables_data();
    void tables();
    void bombs_data();
    void bombs();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString listFile() const { return path(QStringLiteral("liste.txt")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDrawCommand::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QFile file(listFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fiveFile);
}

void TestDrawCommand::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const QString list = QStringLiteral("@liste");
    const auto row = [](const char* name, QStringList arguments, int status, const char* message) {
        QTest::newRow(name) << arguments << status << QString::fromUtf8(message);
    };
    // Bad usage: 2, with the usage.
    row("no list", {}, 2, "il manque le fichier");
    row("two lists", {list, list}, 2, "une seule liste");
    row("unknown option", {list, "--vite"}, 2, "vite");
    row("count zero", {list, "--nombre", "0"}, 2, "--nombre attend");
    row("count not a number", {list, "-n", "trois"}, 2, "--nombre attend");
    row("team of one", {list, "--equipes", "1"}, 2, "--equipes attend");
    row("team of eleven", {list, "-e", "11"}, 2, "--equipes attend");
    row("two modes", {list, "--un", "--nombre", "2"}, 2, "s'excluent");
    row("short seed", {list, "--graine", "abcd"}, 2, "--graine attend");
    row("seed and seed file", {list, "-g", seed.toLatin1().constData(), "-f", "@graine"}, 2,
        "s'excluent");
    row("commitment with a list", {"--engagement", "-f", "@graine", list}, 2, "pas de liste");
    row("commitment without seed file", {"-E"}, 2, "--graine-fichier");
    row("commitment with a draw option", {"-E", "-f", "@graine", "-n", "2"}, 2, "--nombre");
    // Bad input: 1, with Open's French message.
    row("missing file", {"@absent.txt"}, 1, "Impossible d'ouvrir le fichier.");
    row("folder", {"@"}, 1, "c'est un dossier");
    row("binary file", {"@binaire.txt"}, 1, "Ce fichier n'est pas un fichier texte.");
    row("empty list", {"@vide.txt"}, 1, "La liste est vide.");
    row("lines left below the empty line", {"@vide.txt"}, 1,
        "La lecture s'est arrêtée à la ligne vide n° 1 : 2 lignes suivantes n'ont pas été lues.");
    row("more than the list", {list, "--nombre", "6"}, 1, "n'a que 5 éléments");
    row("missing seed file", {list, "-f", "@graine"}, 1,
        "Impossible d'ouvrir le fichier de graine");
    row("not a seed file", {list, "-f", "@liste"}, 1, "pas un fichier de graine");
    // A seed file spent on two runs (@graine-usee), their record (@pv-usee.json), the record
    // of the first only (@pv-1.json), a fresh seed file and another commitment's record.
    row("spent seed file for a first run", {list, "-f", "@graine-usee", "-p", "42"}, 1,
        "Ce fichier de graine a déjà servi (2 tirages) : un nouveau tirage serait le tirage n° 3");
    row("spent seed file over its record without --suite",
        {list, "-f", "@graine-usee", "-p", "42", "--pv", "@pv-usee.json"}, 1, "a déjà servi");
    row("continuing a fresh seed file",
        {list, "-f", "@graine-neuve", "--suite", "--pv", "@pv-usee.json"}, 1,
        "n'a encore servi à aucun tirage");
    row("continuing from an earlier record",
        {list, "-f", "@graine-usee", "-p", "42", "--suite", "--pv", "@pv-1.json"}, 1,
        "compte 1 tirage, le fichier de graine 2 tirages");
    row("continuing another commitment's record",
        {list, "-f", "@graine-usee", "-p", "42", "--suite", "--pv", "@pv-autre.json"}, 1,
        "autre engagement");
    row("continuing with another public value",
        {list, "-f", "@graine-usee", "-p", "43", "--suite", "--pv", "@pv-usee.json"}, 1,
        "valeur publique « 42 »");
    row("one prize per person added to a seed file committed without it",
        {list, "-f", "@graine-neuve", "--un-lot-par-personne"}, 1,
        "Ce fichier de graine a été engagé sans la règle « Un seul lot par personne »");
    row("continuing a missing record",
        {list, "-f", "@graine-usee", "-p", "42", "--suite", "--pv", "@absent.json"}, 1,
        "Impossible de lire le procès-verbal");
    row("continuing without a record", {list, "-f", "@graine-usee", "--suite"}, 2,
        "--suite demande");
    row("continuing without a seed file", {list, "--suite", "--pv", "@pv-usee.json"}, 2,
        "--suite demande");
    row("a list outside a commitment", {list, "--liste", list}, 2, "--liste va avec --engagement");
    row("table option on a commitment without list", {"-E", "-f", "@graine", "--colonnes", "1"}, 2,
        "ne sert qu'à lire la liste");
    row("prizes for teams", {list, "-e", "2", "--lots", "@lots.txt"}, 2,
        "les équipes ne gagnent pas de lot");
    row("a prize column without prizes", {list, "--lots-colonne", "Lot"}, 2, "--lots-colonne");
    // A bad prize file draws nothing, spends no seed, and commits nothing.
    row("a prize counted no times", {list, "--lots", "@lots-zero.txt"}, 1,
        "sortivo tirer : --lots : Ligne 3 : « 0 × Casque » : un lot se compte de 1 à ");
    row("a missing prize file", {list, "-f", "@graine-neuve", "--lots", "@absent.txt"}, 1,
        "sortivo tirer : --lots : Impossible d'ouvrir le fichier.\n");
    row("a prize file without prizes", {list, "--lots", "@lots-vides.txt"}, 1, "aucun lot");
    row("committing a bad prize file", {"-E", "-f", "@graine", "--lots", "@lots-zero.txt"}, 1,
        "« 0 × Casque »");
    row("other prizes than those committed",
        {list, "-f", "@graine-lots", "--lots", "@lots-autres.txt"}, 1,
        "Ce fichier de graine a été engagé avec d'autres lots (Lots : 2, empreinte ");
    row("prizes added to a session drawn without them",
        {list, "-f", "@graine-usee", "-p", "42", "--suite", "--pv", "@pv-usee.json", "--lots",
         "@lots.txt"},
        1, "La session a été tirée sans lots");
}

void TestDrawCommand::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFile binary(path(QStringLiteral("binaire.txt")));
    QVERIFY(binary.open(QIODevice::WriteOnly));
    binary.write(QByteArray("PNG\0\x01\x02", 6));
    binary.close();
    QFile empty(path(QStringLiteral("vide.txt")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.write("\n\nnotes\n");
    empty.close();
    for (const auto& [name, prizes] : {std::pair{"lots.txt", "Vélo\nCasque\n"},
                                       {"lots-zero.txt", "Vélo\n\n0 × Casque\n"},
                                       {"lots-autres.txt", "Casque\nVélo\n"},
                                       {"lots-vides.txt", "\n \n"}}) {
        QFile file(path(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(prizes);
    }
    if (arguments.join(QLatin1Char(' ')).contains(QStringLiteral("@graine-"))) {
        const QString spent = path(QStringLiteral("graine-usee"));
        QCOMPARE(tirer({"-E", "-f", path(QStringLiteral("graine-neuve"))}).status, 0);
        QCOMPARE(tirer({"-E", "-f", path(QStringLiteral("graine-lots")), "--lots",
                        path(QStringLiteral("lots.txt"))})
                     .status,
                 0);
        QCOMPARE(tirer({"-E", "-f", spent}).status, 0);
        const QString first = path(QStringLiteral("pv-1.json"));
        QCOMPARE(tirer({listFile(), "-f", spent, "-p", "42", "--pv", first}).status, 0);
        const QString both = path(QStringLiteral("pv-usee.json"));
        QVERIFY(QFile::copy(first, both));
        QCOMPARE(tirer({listFile(), "-f", spent, "-p", "42", "--suite", "--pv", both}).status, 0);
        QCOMPARE(tirer({listFile(), "--pv", path(QStringLiteral("pv-autre.json"))}).status, 0);
    }
    // A refusal changes no file: no seed spent, no record rewritten.
    const auto files = [this] {
        QStringList contents;
        for (const QString& name : QDir(m_dir->path()).entryList(QDir::Files))
            contents << name + QLatin1Char('=') + QString::fromLatin1(readAll(path(name)).toHex());
        return contents;
    };
    const QStringList before = files();
    for (QString& argument : arguments)
        if (argument == QLatin1String("@liste"))
            argument = listFile();
        else if (argument.startsWith(QLatin1Char('@')))
            argument = path(argument.mid(1));

    const Run run = tirer(arguments);
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.err.contains(QStringLiteral("Utilisation")), status == 2);
    QCOMPARE(files(), before);
}

void TestDrawCommand::modes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("teamSize");
    QTest::addColumn<QByteArray>("lineEnd");

    QTest::newRow("all, by default") << QStringList{} << 5 << 1 << QByteArray("\n");
    QTest::newRow("a number") << QStringList{"--nombre", "3"} << 3 << 1 << QByteArray("\n");
    QTest::newRow("the whole list by number")
        << QStringList{"-n", "5"} << 5 << 1 << QByteArray("\n");
    QTest::newRow("one") << QStringList{"--un"} << 1 << 1 << QByteArray("\n");
    QTest::newRow("teams of two") << QStringList{"--equipes", "2"} << 3 << 2 << QByteArray("\n");
    QTest::newRow("teams of ten") << QStringList{"-e", "10"} << 1 << 10 << QByteArray("\n");
    QTest::newRow("CR LF") << QStringList{"--crlf", "-u"} << 1 << 1 << QByteArray("\r\n");
    QTest::newRow("teams, CR LF") << QStringList{"--crlf", "-e", "3"} << 2 << 3
                                  << QByteArray("\r\n");
}

void TestDrawCommand::modes()
{
    QFETCH(QStringList, options);
    QFETCH(int, lines);
    QFETCH(int, teamSize);
    QFETCH(QByteArray, lineEnd);

    const Run run = tirer(options + QStringList{listFile()});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QString());
    if (lineEnd == "\n")
        QVERIFY(!run.out.contains('\r'));
    const QStringList drawn = outputLines(run.out, lineEnd);
    QCOMPARE(drawn.size(), lines);
    // Teams as the window writes them: full teams first, members joined by " - ".
    QStringList members;
    for (int i = 0; i < drawn.size(); ++i) {
        const QStringList team = drawn[i].split(QStringLiteral(" - "));
        if (i + 1 < drawn.size())
            QCOMPARE(team.size(), teamSize);
        members += team;
    }
    QCOMPARE(members.removeDuplicates(), qsizetype(0));
    for (const QString& member : members)
        QVERIFY2(five.contains(member), qPrintable(member));
    if (teamSize > 1)
        QCOMPARE(members.size(), five.size());
}

void TestDrawCommand::standardInput()
{
    const Run run = tirer({QStringLiteral("-")}, fiveFile);
    QCOMPARE(run.status, 0);
    QStringList drawn = outputLines(run.out);
    drawn.sort();
    QStringList expected = five;
    expected.sort();
    QCOMPARE(drawn, expected);

    const Run binary = tirer({QStringLiteral("-")}, QByteArray("\x7f"
                                                               "ELF\0\0",
                                                               6));
    QCOMPARE(binary.status, 1);
    QVERIFY(binary.err.contains(QStringLiteral("pas un fichier texte")));
}

// Windows-1252, a byte-order mark, UTF-16, a blank line ending the list: the entries Open reads.
void TestDrawCommand::readsFilesAsOpen()
{
    const QList<QPair<QByteArray, QStringList>> files{
        {"\xc9lodie\r\n\x9cuf\r\n", {"Élodie", "œuf"}},
        {"\xef\xbb\xbfZo\xc3\xab\nY\n\nnotes\n", {"Y", "Zoë"}},
        {QByteArray("\xff\xfe"
                    "a\0\r\0\n\0b\0",
                    10),
         {"a", "b"}},
    };
    for (const auto& [bytes, entries] : files) {
        const Run run = tirer({QStringLiteral("-")}, bytes);
        QCOMPARE(run.status, 0);
        QStringList drawn = outputLines(run.out);
        drawn.sort();
        QCOMPARE(drawn, entries);
    }
}

void TestDrawCommand::limitsAsOpen_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // in the error output, with Open's own numbers

    const QLocale french(QLocale::French);
    const QString tooManyLines =
        QStringLiteral("la liste dépasse %1 lignes.").arg(french.toString(5'000'000));
    const QString lineTooLong =
        QStringLiteral("une ligne dépasse %1 caractères.").arg(french.toString(100'000));
    QTest::newRow("five million lines") << QByteArray("x\n").repeated(5'000'000) << 0 << QString();
    QTest::newRow("one line more") << QByteArray("x\r\n").repeated(5'000'001) << 1 << tooManyLines;
    QTest::newRow("lines past a blank one do not count")
        << QByteArray("x\n").repeated(4'999'999) + "y\n\n" + QByteArray("z\n").repeated(10) << 0
        << QString();
    QTest::newRow("a line of the longest")
        << "Anne\n" + QByteArray(100'000, 'a') + "\nBob" << 0 << QString();
    QTest::newRow("a line one character longer")
        << "Anne\n" + QByteArray(100'001, 'a') + "\nBob" << 1 << lineTooLong;
    QTest::newRow("characters, not bytes")
        << "Anne\n" + QByteArray("\xc3\xa9").repeated(100'000) << 0 << QString();
    QTest::newRow("too long in Windows-1252")
        << "Anne\r\n" + QByteArray(100'001, '\xe9') << 1 << lineTooLong;
    QTest::newRow("the first line past a limit decides")
        << QByteArray(100'001, 'a') + QByteArray("\nx").repeated(5'000'001) << 1 << lineTooLong;
}

// A list a script draws from is one the window could open, refused with the same words.
void TestDrawCommand::limitsAsOpen()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    QFETCH(QString, message);
    QFile file(path(QStringLiteral("grande.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const Run run = tirer({file.fileName(), QStringLiteral("--un")});
    QCOMPARE(run.status, status);
    QCOMPARE(run.out.isEmpty(), status != 0);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

void TestDrawCommand::replayGivesTheSameDraw_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("all") << QStringList{};
    QTest::newRow("number") << QStringList{"-n", "2"};
    QTest::newRow("teams, public value") << QStringList{"-e", "2", "-p", "dés : 3, 5"};
}

void TestDrawCommand::replayGivesTheSameDraw()
{
    QFETCH(QStringList, options);
    const QStringList arguments = options + QStringList{listFile(), "--graine", seed.toUpper()};
    const Run first = tirer(arguments);
    QCOMPARE(first.status, 0);
    QCOMPARE(tirer(arguments).out, first.out);
    // The same draw when the record is written, and from the standard input.
    const Run recorded = tirer(arguments + QStringList{"--pv", path("pv.json")});
    QCOMPARE(recorded.out, first.out);
    QStringList fromInput = arguments;
    fromInput.replace(fromInput.indexOf(listFile()), QStringLiteral("-"));
    QCOMPARE(tirer(fromInput, fiveFile).out, first.out);
    // Other seeds, other draws: one in twenty of them may give the same two winners, not all
    // three.
    QStringList other = arguments;
    bool differs = false;
    for (const char digit : {'7', '8', '9'}) {
        other.last() = QString(64, QLatin1Char(digit));
        differs = differs || tirer(other).out != first.out;
    }
    QVERIFY(differs);
}

void TestDrawCommand::recordPassesBothCheckers_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("mode");
    // A record replaces an owner-only file readable by all, as a shared record should be.
    QTest::addColumn<bool>("overPrivateFile");
    QTest::newRow("all") << QStringList{} << QStringLiteral("tous") << false;
    QTest::newRow("number") << QStringList{"--nombre", "2"} << QStringLiteral("nombre") << false;
    QTest::newRow("one over a private file") << QStringList{"--un"} << QStringLiteral("un") << true;
    QTest::newRow("teams") << QStringList{"--equipes", "4", "--valeur-publique", "42 \"x\""}
                           << QStringLiteral("equipes") << false;
    QTest::newRow("one prize per person")
        << QStringList{"--un-lot-par-personne", "-n", "3"} << QStringLiteral("nombre") << false;
}

void TestDrawCommand::recordPassesBothCheckers()
{
    QFETCH(QStringList, options);
    QFETCH(QString, mode);
    QFETCH(bool, overPrivateFile);
    const QString record = path(QStringLiteral("pv.json"));
    if (overPrivateFile) {
        QFile old(record);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QVERIFY(old.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    }
    const mode_t mask = ::umask(022);
    const Run run = tirer(options + QStringList{listFile(), "--pv", record});
    ::umask(mask);
    QCOMPARE(run.status, 0);
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(record).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, mode_t(0644));

    const QJsonObject pv = readRecord(record);
    const QJsonArray runs = pv.value(QStringLiteral("tirages")).toArray();
    QCOMPARE(runs.size(), 1);
    const QJsonObject first = runs.first().toObject();
    QCOMPARE(first.value(QStringLiteral("mode")).toString(), mode);
    QCOMPARE(first.value(QStringLiteral("entrees")).toVariant().toStringList(), five);
    QStringList results = first.value(QStringLiteral("resultats")).toVariant().toStringList();
    QCOMPARE(results.join(QStringLiteral(" ")),
             outputLines(run.out)
                 .join(QStringLiteral(" "))
                 .replace(QStringLiteral(" - "), QStringLiteral(" ")));
    QVERIFY(pv.value(QStringLiteral("engagement_communique")).isNull());

    // No list was communicated with a commitment: the checkers accept the draw, and say that
    // the order of its list proves nothing.
    const QByteArray reserved = "CONFORME AVEC RÉSERVES : ";
    const QByteArray unfixedList = "\nATTENTION : la liste n'a pas été communiquée avec "
                                   "l'engagement ; son ordre a pu être choisi après la valeur "
                                   "publique.\n";
    const Run ours = runProgram(QStringLiteral(SORTIVO_PROGRAM), {"--verifier", record});
    QCOMPARE(ours.status, 0);
    QVERIFY2(ours.out.startsWith(reserved) && ours.out.endsWith(unfixedList), ours.out.constData());
    const Run reference =
        runProgram(QStringLiteral("python3"), {QStringLiteral(SORTIVO_REFERENCE_CHECKER), record});
    QCOMPARE(reference.status, 0);
    QCOMPARE(reference.out, ours.out);

    // The seed the record reveals replays what was printed.
    const Run replay = tirer(options + QStringList{listFile(), "--graine",
                                                   pv.value(QStringLiteral("graine")).toString()});
    QCOMPARE(replay.out, run.out);
}

void TestDrawCommand::longListRecordAndOutputAgree_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("all") << QStringList{};
    QTest::newRow("number") << QStringList{"-n", "250"};
    QTest::newRow("teams") << QStringList{"-e", "3"};
}

// Long enough for the draw to go in several batches and for its results to be read well
// ahead of their turn, and for the output to take several writes: each one printed, and
// recorded, in its place, the same into a file as into a pipe.
void TestDrawCommand::longListRecordAndOutputAgree()
{
    QFETCH(QStringList, options);
    QByteArray bytes;
    QStringList entries;
    for (int i = 0; i < 2500; ++i) {
        // Lengths that vary, so that a result taken for its neighbour shows.
        const QString entry = QStringLiteral("Participant %1 ").arg(i) + QString(i % 13, u'é');
        entries += entry;
        bytes += entry.toUtf8() + (i % 2 ? "\r\n" : "\n");
    }
    const QString list = path(QStringLiteral("longue.txt"));
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    const QStringList arguments = options + QStringList{list, "--graine", seed};
    const Run plain = tirer(arguments);
    QCOMPARE(plain.status, 0);
    const QString record = path(QStringLiteral("pv.json"));
    const Run recorded = tirer(arguments + QStringList{"--pv", record});
    QCOMPARE(recorded.status, 0);
    QCOMPARE(recorded.out, plain.out);
    const QString output = path(QStringLiteral("sortie.txt"));
    QProcess toFile;
    toFile.setStandardOutputFile(output);
    toFile.start(QStringLiteral(SORTIVO_PROGRAM), QStringList{QStringLiteral("tirer")} + arguments);
    QVERIFY(toFile.waitForFinished());
    QCOMPARE(toFile.exitCode(), 0);
    QFile written(output);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), plain.out);

    const QJsonObject run = readRecord(record).value(QStringLiteral("tirages"))[0].toObject();
    QCOMPARE(run.value(QStringLiteral("entrees")).toVariant().toStringList(), entries);
    QStringList members;
    for (const QString& line : outputLines(plain.out))
        members += line.split(QStringLiteral(" - "));
    QCOMPARE(run.value(QStringLiteral("resultats")).toVariant().toStringList(), members);
    QCOMPARE(members.size(), options.isEmpty() || options.first() == "-e" ? 2500 : 250);
    QCOMPARE(members.removeDuplicates(), qsizetype(0));
    QCOMPARE(runProgram(QStringLiteral(SORTIVO_PROGRAM), {"--verifier", record}).status, 0);
}

void TestDrawCommand::prizes_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("prizeFile");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("prizes");
    QTest::addColumn<int>("results");

    QTest::newRow("more results than prizes: reserves")
        << QStringLiteral("lots.txt") << QByteArray("Vélo\n\nCasque\n") << QStringList{}
        << QStringList{"Vélo", "Casque"} << 5;
    QTest::newRow("a line of three prizes, fewer results than prizes")
        << QStringLiteral("lots.txt") << QByteArray(" 3 × Bon d'achat 20 € \nVélo\n")
        << QStringList{"-n", "2"}
        << QStringList{"Bon d'achat 20 € (1/3)", "Bon d'achat 20 € (2/3)", "Bon d'achat 20 € (3/3)",
                       "Vélo"}
        << 2;
    // A prize holding a CR would make the record's line of prizes one the checkers refuse.
    QTest::newRow("a CR alone ends a prize")
        << QStringLiteral("lots.txt") << QByteArray("Vélo\rCasque\r\n") << QStringList{"-u"}
        << QStringList{"Vélo", "Casque"} << 1;
    QTest::newRow("a column of a table by title, one prize per person")
        << QStringLiteral("lots.csv") << QByteArray("Numéro;Lot\r\n1;Vélo\r\n2;2 x Casque\r\n")
        << QStringList{"--lots-colonne", "lot", "-n", "4", "--un-lot-par-personne"}
        << QStringList{"Vélo", "Casque (1/2)", "Casque (2/2)"} << 4;
}

void TestDrawCommand::prizes()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, prizeFile);
    QFETCH(QStringList, options);
    QFETCH(QStringList, prizes);
    QFETCH(int, results);
    QFile file(path(fileName));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(prizeFile) == prizeFile.size());
    file.close();
    const QString record = path(QStringLiteral("pv.json"));
    const Run run = tirer(
        options + QStringList{listFile(), "--lots", path(fileName), "-g", seed, "--pv", record});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QString());

    // The prizes change nothing of the draw: its results in order, each with what it wins.
    QStringList withoutPrizes = options;
    if (const qsizetype column = withoutPrizes.indexOf(QStringLiteral("--lots-colonne"));
        column >= 0)
        withoutPrizes.remove(column, 2);
    const QStringList drawn =
        outputLines(tirer(withoutPrizes + QStringList{listFile(), "-g", seed}).out);
    QCOMPARE(drawn.size(), results);
    QStringList lines;
    for (int k = 0; k < results; ++k)
        lines << (k < prizes.size()
                      ? prizes[k]
                      : QStringLiteral("Suppléant n° %1").arg(k - prizes.size() + 1)) +
                     QStringLiteral(" : ") + drawn[k];
    QCOMPARE(outputLines(run.out), lines);

    // The record carries them, not communicated, and the program's checker awards them as
    // they were printed.
    const QJsonObject pv = readRecord(record);
    QCOMPARE(pv.value(QStringLiteral("lots")).toVariant().toStringList(), prizes);
    QVERIFY(!pv.contains(QStringLiteral("lots_communiques")));
    QStringList palmares{QStringLiteral("Palmarès :")};
    for (int p = 0; p < prizes.size(); ++p)
        palmares << QStringLiteral("Lot %1 : %2 – %3")
                        .arg(p + 1)
                        .arg(prizes[p], p < results ? drawn[p] : QStringLiteral("non attribué"));
    palmares += lines.mid(prizes.size());
    const Run ours = runProgram(QStringLiteral(SORTIVO_PROGRAM), {"--verifier", record});
    QCOMPARE(ours.status, 0);
    const QString verdict = QString::fromUtf8(ours.out);
    QVERIFY2(verdict.contains(QStringLiteral("\nATTENTION : les lots n'ont pas été communiqués "
                                             "avec l'engagement ; leur ordre a pu être choisi "
                                             "après le tirage.\n")) &&
                 verdict.endsWith(palmares.join(u'\n').replace(u'\t', QStringLiteral("\\u0009")) +
                                  u'\n'),
             ours.out.constData());
}

void TestDrawCommand::palmares_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");

    QTest::newRow("xlsx, with the record")
        << "gagnants.xlsx" << QStringList{"--pv", "pv.json"} << 0;
    QTest::newRow("ods, without") << "gagnants.ods" << QStringList{} << 0;
    QTest::newRow("a name of no format") << "gagnants.txt" << QStringList{} << 2;
    QTest::newRow("the list's own file") << "inscrits.csv" << QStringList{} << 2;
}

// The winners as a spreadsheet, each with its prize and the rest of its table row.
void TestDrawCommand::palmares()
{
    QFETCH(QString, name);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    const QString list = path(QStringLiteral("inscrits.csv"));
    QVERIFY(writeFile(list, "Nom;Prénom;Courriel\r\nDupont;Jean;j@x.fr\r\nMartin;Zoé;z@x.fr\r\n"
                            "Petit;Léa;l@x.fr\r\nPetit;Léa;l2@x.fr\r\n"));
    QVERIFY(writeFile(path(QStringLiteral("lots.txt")), "Vélo ; \"rouge\"\nCasque\n"));
    if (!options.isEmpty())
        options[1] = path(options[1]);
    const QString target = path(name);
    const Run run = tirer(options + QStringList{list, "--colonnes", "Prénom,Nom", "-n", "3", "-g",
                                                seed, "--lots", path(QStringLiteral("lots.txt")),
                                                "--palmares", target});
    QCOMPARE(run.status, status);
    if (status != 0) {
        // Refused before anything is drawn or written: the list is as it was.
        QVERIFY(readAll(list).startsWith("Nom;Prénom;Courriel\r\nDupont;"));
        QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("gagnants*")}), QStringList());
        return;
    }
    const QStringList printed = outputLines(run.out);
    QCOMPARE(printed.size(), 3);
    const std::optional<SheetText> sheet = onlySheet(readAll(target).toStdString());
    QVERIFY(sheet);
    const QList<QStringList>& cells = sheet->rows;
    QCOMPARE(cells.size(), 4);
    QCOMPARE(cells[0].mid(0, 9), (QStringList{"Rang", "Lot", "Gagnant", "Tirage n°", "Heure",
                                              "Statut", "Nom", "Prénom", "Courriel"}));
    const QStringList prizes{QStringLiteral("Vélo ; \"rouge\""), QStringLiteral("Casque")};
    for (qsizetype row = 1; row <= 3; ++row) {
        const QString winner = cells[row][2];
        QCOMPARE(cells[row][0], QString::number(row));
        QCOMPARE(cells[row][1], row <= 2 ? prizes[row - 1] : QString());
        QCOMPARE(printed[row - 1],
                 (row <= 2 ? prizes[row - 1] : QStringLiteral("Suppléant n° 1")) + " : " + winner);
        QCOMPARE(cells[row][3], QStringLiteral("1"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                    .match(cells[row][4])
                    .hasMatch());
        QCOMPARE(cells[row][5],
                 row <= 2 ? QStringLiteral("gagnant") : QStringLiteral("suppléant n° 1"));
        // The winner's own row: "Léa Petit" is one of two rows, told apart by the address.
        QCOMPARE(cells[row][7] + u' ' + cells[row][6], winner);
        QVERIFY(cells[row][8].startsWith(winner.left(1).toLower()));
    }
}

void TestDrawCommand::commitFirstDrawLater_data()
{
    QTest::addColumn<bool>("onePrize");
    QTest::addColumn<bool>("prizes");
    QTest::newRow("without rule") << false << false;
    // Fixed in the seed file, printed with the commitment, applied by every draw from it.
    QTest::newRow("one prize per person") << true << false;
    QTest::newRow("prizes") << false << true;
}

void TestDrawCommand::commitFirstDrawLater()
{
    QFETCH(bool, onePrize);
    QFETCH(bool, prizes);
    const QString seedFile = path(QStringLiteral("graine"));
    // The list is fixed with the seed: its fingerprint is printed to be published with it.
    QStringList committing{"--engagement", "--graine-fichier", seedFile, "--liste", listFile()};
    if (onePrize)
        committing << QStringLiteral("--un-lot-par-personne");
    const QString prizeFile = path(QStringLiteral("lots.txt"));
    QFile prizeLines(prizeFile);
    QVERIFY(prizeLines.open(QIODevice::WriteOnly) && prizeLines.write("Vélo\n2 × Casque\n") > 0);
    prizeLines.close();
    if (prizes)
        committing << QStringLiteral("--lots") << prizeFile;
    const Run commit = tirer(committing);
    QCOMPARE(commit.status, 0);
    const QRegularExpressionMatch printed =
        QRegularExpression(
            QStringLiteral("^([0-9a-f]{64})\nListe : 5 entrées, empreinte "
                           "([0-9a-f]{64})\n%1%2$")
                .arg(onePrize ? QStringLiteral("Un seul lot par personne : oui\n") : QString(),
                     prizes ? QStringLiteral("Lots : 3, empreinte ([0-9a-f]{64})\n") : QString()))
            .match(QString::fromUtf8(commit.out));
    QVERIFY2(printed.hasMatch(), commit.out.constData());
    QCOMPARE(commit.err, QString());
    QCOMPARE(QFileInfo(seedFile).permissions() &
                 (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
             QFile::Permissions());
    const QByteArray kept = readAll(seedFile);
    QCOMPARE(kept.contains("\nun_lot_par_personne\n"), onePrize);
    QCOMPARE(kept.contains("\nlots 3 " + printed.captured(3).toLatin1() +
                           "\nlot Vélo\nlot Casque (1/2)\nlot Casque (2/2)\n"),
             prizes);

    // Without its list, a commitment leaves the list's order to be chosen after the public
    // value: said at once, with the option that fixes it.
    const Run bare = tirer({"-E", "-f", path(QStringLiteral("graine-seule"))});
    QCOMPARE(bare.status, 0);
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{64}\n$")).match(bare.out).hasMatch());
    QVERIFY2(bare.err.startsWith(
                 QStringLiteral("sortivo tirer : ATTENTION : la liste n'a pas été communiquée "
                                "avec l'engagement ; son ordre a pu être choisi après la valeur "
                                "publique.\n")) &&
                 bare.err.contains(QStringLiteral("--liste")),
             qPrintable(bare.err));

    // A committed seed is never replaced.
    const Run again = tirer({"-E", "-f", seedFile});
    QCOMPARE(again.status, 1);
    QVERIFY(again.err.contains(QStringLiteral("existe déjà")));
    QCOMPARE(readAll(seedFile), kept);

    const QString record = path(QStringLiteral("pv.json"));
    QStringList draw{listFile(), "-n", "2", "-f", seedFile, "-p", "dés 4 et 6", "--pv", record};
    // The prizes committed may be given again; later draws take them from the seed file.
    if (prizes)
        draw << QStringLiteral("--lots") << prizeFile;
    const Run run = tirer(draw);
    QCOMPARE(run.status, 0);
    // With prizes, a result is printed after what it wins, or after its number as a reserve.
    const auto results = [prizes](const QByteArray& out, const QStringList& won) {
        QStringList lines = outputLines(out);
        for (qsizetype k = 0; prizes && k < lines.size(); ++k) {
            const QString told = won[k] + QStringLiteral(" : ");
            if (!lines[k].startsWith(told))
                return QStringList{QStringLiteral("<no ") + told + QStringLiteral(">")};
            lines[k].remove(0, told.size());
        }
        return lines;
    };
    const QJsonObject pv = readRecord(record);
    QCOMPARE(pv.value(QStringLiteral("engagement")).toString(), printed.captured(1));
    QCOMPARE(pv.value(QStringLiteral("protocole")).toString(),
             onePrize ? QStringLiteral("sortivo-preuve-2") : QStringLiteral("sortivo-preuve-1"));
    QCOMPARE(pv.value(QStringLiteral("un_lot_par_personne")).toBool(), onePrize);
    QVERIFY(!pv.value(QStringLiteral("engagement_communique")).toString().isEmpty());
    QCOMPARE(pv.value(QStringLiteral("valeur_publique")).toString(), QStringLiteral("dés 4 et 6"));
    QCOMPARE(pv.value(QStringLiteral("liste_communiquee")).toObject(),
             (QJsonObject{{QStringLiteral("n"), 5},
                          {QStringLiteral("liste_sha256"), printed.captured(2)}}));
    const QStringList committedPrizes{"Vélo", "Casque (1/2)", "Casque (2/2)"};
    QCOMPARE(pv.value(QStringLiteral("lots")).toVariant().toStringList(),
             prizes ? committedPrizes : QStringList());
    const QJsonObject shownPrizes{{QStringLiteral("n"), 3},
                                  {QStringLiteral("lots_sha256"), printed.captured(3)}};
    QCOMPARE(pv.value(QStringLiteral("lots_communiques")).toObject(),
             prizes ? shownPrizes : QJsonObject());

    // The seed is spent: drawing again from it as if for the first time is refused, and the
    // next run continues the session in the same record, which both checkers accept whole;
    // a list reordered after the commitment is told by both.
    const Run replay = tirer(draw);
    QCOMPARE(replay.status, 1);
    QVERIFY(replay.out.isEmpty() && replay.err.contains(QStringLiteral("a déjà servi")));
    const QString reordered = path(QStringLiteral("autre-ordre.txt"));
    QFile other(reordered);
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("Émile\nAnne\nBéatrice\nChloé\nDenis \"le grand\" \\ x\ty\n");
    other.close();
    for (const QString& list : {listFile(), reordered}) {
        const Run next = tirer(
            QStringList{list, "-u", "-f", seedFile, "-p", "dés 4 et 6", "--suite", "--pv", record});
        QCOMPARE(next.status, 0);
        QCOMPARE(next.out.count('\n'), 1);
        const QJsonArray runs = readRecord(record).value(QStringLiteral("tirages")).toArray();
        QCOMPARE(
            runs.first().toObject().value(QStringLiteral("resultats")).toVariant().toStringList(),
            results(run.out, committedPrizes));
        QCOMPARE(
            runs.last().toObject().value(QStringLiteral("resultats")).toVariant().toStringList(),
            results(next.out,
                    {list == reordered ? QStringLiteral("Suppléant n° 1") : committedPrizes[2]}));
        QCOMPARE(runs.last().toObject().value(QStringLiteral("liste_modifiee")).toBool(),
                 list == reordered);
        const QByteArray verdict =
            (list == reordered ? "CONFORME AVEC RÉSERVES : " : "CONFORME : ") +
            QByteArray::number(runs.size()) + " tirages et " + QByteArray::number(runs.size() + 1) +
            " éléments tirés vérifiés\n";
        const QByteArray warning =
            list == reordered ? "ATTENTION : tirage n° 3 : liste modifiée après la communication "
                                "de l'engagement\n"
                              : "";
        // The prizes were kept from run to run: the checker awards them in the same order.
        const QByteArray palmares = prizes ? "Palmarès :\nLot 1 : Vélo – " : "";
        const Run ours = runProgram(QStringLiteral(SORTIVO_PROGRAM), {"--verifier", record});
        QCOMPARE(ours.status, 0);
        QVERIFY2(ours.out.startsWith(verdict + warning + palmares) &&
                     (prizes || ours.out == verdict + warning),
                 ours.out.constData());
        const Run reference = runProgram(QStringLiteral("python3"),
                                         {QStringLiteral(SORTIVO_REFERENCE_CHECKER), record});
        QCOMPARE(reference.status, 0);
        QVERIFY2(reference.out.startsWith(verdict) &&
                     (prizes || reference.out == verdict + warning),
                 reference.out.constData());
    }

    // A seed others can read, or one reached through a link or a pipe, is refused, not used
    // (a pipe would be waited on for ever).
    const QString link = path(QStringLiteral("lien"));
    QVERIFY(QFile::link(seedFile, link));
    const QString fifo = path(QStringLiteral("tube-graine"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString shared = path(QStringLiteral("partagee"));
    QVERIFY(QFile::copy(seedFile, shared));
    QVERIFY(QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::ReadOther));
    // A commitment nobody could read leaves no seed file behind to block the name.
    const QString unseen = path(QStringLiteral("graine-non-vue"));
    const Run closedPipe =
        runProgram(QStringLiteral("python3"),
                   {QStringLiteral("-c"),
                    QStringLiteral("import os, subprocess, sys\n"
                                   "r, w = os.pipe()\nos.close(r)\n"
                                   "sys.exit(subprocess.call(sys.argv[1:], stdout=w))"),
                    QStringLiteral(SORTIVO_PROGRAM), QStringLiteral("tirer"), QStringLiteral("-E"),
                    QStringLiteral("-f"), unseen});
    QCOMPARE(closedPipe.status, 1);
    QVERIFY(!QFileInfo::exists(unseen));
    for (const QString& bad : {link, fifo, shared}) {
        const Run refused = tirer({listFile(), "-f", bad, "-p", "dés 4 et 6"});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.out.isEmpty() && refused.err.contains(QStringLiteral("graine")),
                 qPrintable(refused.err));
    }
}

void TestDrawCommand::recordNeverReplacesWhatIsNotAFile()
{
    const QString fifo = path(QStringLiteral("tube"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const Run run = tirer({listFile(), "--pv", fifo});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains(QStringLiteral("pas un fichier ordinaire")));
    QVERIFY(QFileInfo(fifo).isSymLink() == false);
    struct stat info;
    QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::System).size(), 2);
}

// Results that cannot all be written are a failure, not a draw done.
void TestDrawCommand::fullOutputIsAnError()
{
    const auto runIntoFullDisk = [](const QStringList& arguments) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(SORTIVO_PROGRAM), QStringList{"tirer"} + arguments);
        process.waitForFinished(60000);
        return Run{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   {},
                   QString::fromUtf8(process.readAllStandardError())};
    };
    const Run draw = runIntoFullDisk({listFile()});
    QCOMPARE(draw.status, 1);
    QVERIFY(draw.err.contains(QStringLiteral("Impossible d'écrire les résultats.")));

    // A commitment nobody could see leaves no seed file behind to block the name.
    const QString seedFile = path(QStringLiteral("graine"));
    const Run commit = runIntoFullDisk({"-E", "-f", seedFile});
    QCOMPARE(commit.status, 1);
    QVERIFY(commit.err.contains(QStringLiteral("Impossible d'écrire l'engagement.")));
    QVERIFY(!QFile::exists(seedFile));

    // The seed is spent before anything is printed: a draw whose results were lost is still a
    // run, which a new draw from the file may not hide by starting over.
    QCOMPARE(tirer({"-E", "-f", seedFile}).status, 0);
    QCOMPARE(runIntoFullDisk({listFile(), "-f", seedFile}).status, 1);
    const Run again = tirer({listFile(), "-f", seedFile});
    QCOMPARE(again.status, 1);
    QVERIFY2(again.err.contains(QStringLiteral("a déjà servi (1 tirage)")), qPrintable(again.err));
}

// Spreadsheets and delimited files, with the columns, sheet, titles and duplicates chosen.
void TestDrawCommand::tables_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("entries"); // sorted
    QTest::addColumn<QString>("told");

    const QString csv = QStringLiteral("billetterie.csv");
    const QString ods = QStringLiteral("classeur_libreoffice.ods");
    const QString xlsx = QStringLiteral("classeur_openpyxl.xlsx");
    QTest::newRow("default columns, told")
        << csv << QStringList{} << 0
        << QStringList{"0042 Dupont Jean", "0042 Dupont Jean", "0043 Martin \"la Flèche\" Hélène",
                       "0044 Durand; Fils Éric", "0045 Lefèvre de Saint-Ours Zoé"}
        << QStringLiteral("colonnes prises : Numéro, Nom, Prénom");
    QTest::newRow("by title, in the order given, without duplicates")
        << csv << QStringList{"--colonnes", "prenom,NOM", "--sans-doublons"} << 0
        << QStringList{"Hélène Martin \"la Flèche\"", "Jean Dupont", "Zoé Lefèvre de Saint-Ours",
                       "Éric Durand; Fils"}
        << QString();
    QTest::newRow("by number, first row as data")
        << xlsx << QStringList{"--colonnes", "2", "--sans-titres"} << 0
        << QStringList{"Dupont", "Famille Ngô", "Lefèvre", "Müller-Åström", "Nom"} << QString();
    QTest::newRow("second sheet") << ods << QStringList{"--feuille", "2"} << 0
                                  << QStringList{"Garçon Anaïs", "Petit Noël"}
                                  << QStringLiteral("colonnes prises : Nom, Prénom");
    QTest::newRow("unknown column") << xlsx << QStringList{"--colonnes", "Nom,Ville"} << 2
                                    << QStringList{} << QStringLiteral("« Ville »");
    QTest::newRow("no such sheet") << ods << QStringList{"--feuille", "3"} << 2 << QStringList{}
                                   << QStringLiteral("n'a que 2 feuilles");
    // A file holding a line end is the content of an export written for the row.
    const QString untitled = QStringLiteral("Nom;Prénom;\r\nDupont;Jean;1\r\nMartin;Zoé;2\r\n");
    QTest::newRow("a column named by title takes the first row for titles")
        << untitled << QStringList{"--colonnes", "Prénom"} << 0 << QStringList{"Jean", "Zoé"}
        << QString();
    QTest::newRow("a title with --sans-titres is unknown")
        << untitled << QStringList{"--colonnes", "Nom", "--sans-titres"} << 2 << QStringList{}
        << QStringLiteral("« Nom »");
    QTest::newRow("an unclosed quote refuses the file, its line named")
        << QStringLiteral("Nom;Prénom\r\nDupont;\"Jean\r\nMartin;Zoé\r\n") << QStringList{} << 1
        << QStringList{}
        << QStringLiteral("sortivo tirer : Impossible d'ouvrir le fichier : un guillemet ouvert à "
                          "la ligne 2 n'est jamais fermé.\n");
    QTest::newRow("one column of names with commas")
        << QStringLiteral("Participant\r\nDupont, Jean\r\nDupont, Marie\r\nMartin, Paul\r\n")
        << QStringList{} << 0 << QStringList{"Dupont, Jean", "Dupont, Marie", "Martin, Paul"}
        << QStringLiteral("colonnes prises : Participant (");
    // A title could reverse the terminal's text, send it commands or fill it.
    QTest::newRow("titles told escaped and cut")
        << (QStringLiteral("Nom \u202eevil\u009b2J;Prénom ") + QString(100, u'x') +
            QStringLiteral("\r\nDupont;Jean\r\n"))
        << QStringList{} << 0 << QStringList{"Dupont Jean"}
        << (QStringLiteral("colonnes prises : Nom \\u202eevil\\u009b2J, Prénom ") +
            QString(73, u'x') + QStringLiteral("… (--colonnes"));
    QTest::newRow("one entry per ticket, the count column by title")
        << csv << QStringList{"--billets", "nombre de billets"} << 0
        << QStringList{"0042 Dupont Jean",
                       "0042 Dupont Jean (billet 1/2)",
                       "0042 Dupont Jean (billet 2/2)",
                       "0043 Martin \"la Flèche\" Hélène",
                       "0044 Durand; Fils Éric (billet 1/3)",
                       "0044 Durand; Fils Éric (billet 2/3)",
                       "0044 Durand; Fils Éric (billet 3/3)",
                       "0045 Lefèvre de Saint-Ours Zoé"}
        << QStringLiteral("colonnes prises : Numéro, Nom, Prénom");
    QTest::newRow("the count column by number, ticked too")
        << QStringLiteral("Nom;Qté\r\nDupont;2\r\nMartin;0\r\nPetit;1\r\n")
        << QStringList{"--billets", "2", "--colonnes", "1,2"} << 0
        << QStringList{"Dupont (billet 1/2)", "Dupont (billet 2/2)", "Petit"} << QString();
    QTest::newRow("a count that is no number refuses the table, its row named")
        << QStringLiteral("Nom;Qté\r\nDupont;2\r\nMartin;deux\r\n")
        << QStringList{"--billets", "Qté"} << 1 << QStringList{}
        << QStringLiteral("sortivo tirer : Ligne 3 : « deux » n'est pas un nombre de billets.\n");
    QTest::newRow("no such count column")
        << xlsx << QStringList{"--billets", "Inconnue"} << 2 << QStringList{}
        << QStringLiteral("--billets : pas de colonne « Inconnue »");
    QTest::newRow("--billets on a text list")
        << QString() << QStringList{"--billets", "2"} << 2 << QStringList{}
        << QStringLiteral("--billets ne vaut que pour un tableau");
    QTest::newRow("table options on a text list")
        << QString() << QStringList{"--sans-doublons"} << 2 << QStringList{}
        << QStringLiteral("ne valent que pour un tableau");
}

void TestDrawCommand::tables()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QStringList, entries);
    QFETCH(QString, told);

    QString list = file.isEmpty() ? listFile() : QStringLiteral(SORTIVO_SHEET_FIXTURES "/") + file;
    if (file.contains(u'\n')) {
        list = path(QStringLiteral("inscrits.csv"));
        QFile csv(list);
        QVERIFY(csv.open(QIODevice::WriteOnly) && csv.write(file.toUtf8()) > 0);
    }
    const Run run = tirer(options + QStringList{list});
    QCOMPARE(run.status, status);
    QStringList drawn = outputLines(run.out);
    drawn.sort();
    QCOMPARE(drawn, entries);
    QVERIFY2(run.err.contains(told), qPrintable(run.err));
    if (told.isEmpty())
        QCOMPARE(run.err, QString());
}
void TestDrawCommand::bombs_data()
{
    QTest::addColumn<QString>("file"); // written by make_bombs.py
    QTest::addColumn<QString>("reason");
    const auto row = [](const char* name, const char* file, const char* reason) {
        QTest::newRow(name) << QString::fromUtf8(file) << QString::fromUtf8(reason);
    };
    const char* const cells = "le tableau dépasse 67\u202f108\u202f864 cellules.";
    row("ODS, a million rows repeated over 16,384 columns", "ods-lignes-colonnes-repetees.ods",
        cells);
    row("ODS, rows of one cell past 16,383 empty ones", "ods-cellule-lointaine.ods", cells);
    row("ODS, 500,000 runs of a thousand spaces", "ods-espaces.ods",
        "une cellule dépasse 100\u202f000 caractères.");
    row("XLSX, 200,000 rows of one cell at XFD", "xlsx-colonne-xfd.xlsx", cells);
    row("XLSX, a 99,000-character shared string in 60,000 rows", "xlsx-texte-partage.xlsx",
        "ses cellules dépassent ensemble 256 Mo de texte.");
    row("CSV, one line of 50 million fields", "csv-une-ligne.csv",
        "le tableau dépasse 16\u202f384 colonnes.");
}

// A small file that asks for gigabytes is refused with its reason, within 30 s and 1 GB. The
// sanitizers map terabytes of shadow memory, so there the program runs without the cap.
void TestDrawCommand::bombs()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    const QString bomb = QStringLiteral(SORTIVO_BOMBS "/") + file;
    QVERIFY2(QFile::exists(bomb), "tests/data/make_bombs.py writes it; ctest runs it first");
#if defined(__SANITIZE_ADDRESS__)
    const rlim_t addressSpace = 0;
    const int timeout = 120000;
#else
    const rlim_t addressSpace = rlim_t(1) << 30;
    const int timeout = 30000;
#endif
    const Run run = runProgram(QStringLiteral(SORTIVO_PROGRAM),
                               {QStringLiteral("tirer"), bomb, QStringLiteral("--un")}, {},
                               addressSpace, timeout);
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(QStringLiteral("Impossible d'ouvrir le fichier : ") + reason),
             qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestDrawCommand)
#include "test_drawcommand.moc"
