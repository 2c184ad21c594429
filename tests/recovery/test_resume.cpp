#include "app/mainwindow.h"
#include "app/startup.h"
#include "core/proof/proofverify.h"
#include "draw/drawcontroller.h"
#include "recovery/crashedsessions.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowcontrols.h"
#include "support/pdfreading.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

// A window that did not close as it should leaves its session's journal; the next start offers
// to take it up again. Here a window "crashes" by being destroyed without closing.

namespace
{

const QString saveFirst = QStringLiteral("Enregistrer d'abord le procès-verbal de cette séance ?");
const QRegularExpression anyResumeQuestion(
    QStringLiteral("^Sortivo s'est fermé sans terminer la séance commencée le .* à \\d\\d:\\d\\d "
                   "\\((\\d+) tirages?, (\\d+) résultats?\\)\\. Reprendre cette séance \\?$"));

QJsonObject readRecord(const QString& path)
{
    return QJsonDocument::fromJson(readBytes(path)).object();
}

int lineCount(const QPlainTextEdit& box)
{
    return box.document()->isEmpty() ? 0 : box.document()->blockCount();
}

} // namespace

class TestResume : public QObject, public MainWindowControls
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void questionWords_data();
    void questionWords();
    void resumedAsLeft_data();
    void resumedAsLeft();
    void raffleResumed_data();
    void raffleResumed();
    void runCutByTheCrash();
    void declined_data();
    void declined();
    void journalSetAside_data();
    void journalSetAside();
    void runningWindowNotOffered();
    void normalCloseLeavesNothing();
    void journalThatCannotBeWrittenIsTold_data();
    void journalThatCannotBeWrittenIsTold();
    void fileArgumentWaitsForTheAnswer_data();
    void fileArgumentWaitsForTheAnswer();

private:
    void checkPrintedMinutes(const QString& pdf);
    QWidget& drivenWindow() const override { return *m_window; }
    QString journalFolder() const { return m_dir->filePath(QStringLiteral("journal")); }
    QStringList journals() const
    {
        return QDir(journalFolder()).entryList({QStringLiteral("*.sqlite")}, QDir::Files);
    }
    void start(const QString& listFile = {})
    {
        m_window = startMainWindow(*m_platform, m_dir->path(), listFile, journalFolder());
    }
    // Destroyed without closing: what a crash leaves, once the writes asked have been made.
    void crash() { m_window.reset(); }
    void click(int mode)
    {
        if (mode != 1 && !results()->document()->isEmpty())
            m_platform->expectYesNo(QStringLiteral("Effacer d'abord les résultats ?"), false);
        go(mode)->click();
        QVERIFY(waitForRun(*m_window));
    }
    // Shows the commitment to the audience and types the value it gives.
    void communicate(const QString& publicValue)
    {
        m_platform->expectModal([&](QDialog& dialog) {
            control<QPushButton>(dialog, QStringLiteral("cmdMontrer"))->click();
            typeText(control<QLineEdit>(dialog, QStringLiteral("txtValeurPublique")), publicValue);
        });
        button(QStringLiteral("cmdPreuve"))->click();
        // The screen that shows the commitment would roll each short draw's results, and the
        // next click would only end the roll.
        control<QCheckBox>(*m_window, QStringLiteral("chkAnimation"))->setChecked(false);
    }
    QJsonObject saveRecord()
    {
        const QString path = m_dir->filePath(QStringLiteral("pv.json"));
        m_platform->expectModal([&](QDialog& dialog) {
            m_platform->expectSaveFile(path);
            control<QPushButton>(dialog, QStringLiteral("cmdEnregistrerPV"))->click();
        });
        button(QStringLiteral("cmdPreuve"))->click();
        const auto verdict = sortivo::verifyRecord(readBytes(path).toStdString());
        [&] { QVERIFY2(verdict.conforming, verdict.message.c_str()); }();
        return readRecord(path);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

void TestResume::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_platform = std::make_unique<FakePlatform>();
}

void TestResume::cleanup()
{
    m_window.reset();
    QVERIFY(m_platform->done());
    QVERIFY(!m_platform->busy());
}

void TestResume::questionWords_data()
{
    QTest::addColumn<QDateTime>("started");
    QTest::addColumn<int>("runs");
    QTest::addColumn<int>("results");
    QTest::addColumn<QString>("question");

    QTest::newRow("many") << QDateTime(QDate(2026, 12, 8), QTime(20, 14)) << 3 << 12
                          << QStringLiteral("Sortivo s'est fermé sans terminer la séance "
                                            "commencée le 8 décembre 2026 à 20:14 (3 tirages, 12 "
                                            "résultats). Reprendre cette séance ?");
    QTest::newRow("one, none, first of the month")
        << QDateTime(QDate(2027, 3, 1), QTime(9, 5)) << 1 << 0
        << QStringLiteral("Sortivo s'est fermé sans terminer la séance commencée le 1er mars "
                          "2027 à 09:05 (1 tirage, 0 résultat). Reprendre cette séance ?");
}

void TestResume::questionWords()
{
    QFETCH(QDateTime, started);
    QFETCH(int, runs);
    QFETCH(int, results);
    QFETCH(QString, question);
    QCOMPARE(resumeQuestion(started, std::size_t(runs), std::size_t(results)), question);
}

void TestResume::resumedAsLeft_data()
{
    QTest::addColumn<bool>("communicated");
    QTest::addColumn<QList<int>>("modes");
    // Typed into the list after the runs, then left long enough for the edit to be written.
    QTest::addColumn<bool>("typedAfter");

    QTest::newRow("one of each, communicated") << true << QList<int>{1, 0, 1, 3} << false;
    QTest::newRow("draw all, then typed") << false << QList<int>{2} << true;
    QTest::newRow("nothing drawn, only typed") << false << QList<int>{} << true;
}

void TestResume::resumedAsLeft()
{
    QFETCH(bool, communicated);
    QFETCH(QList<int>, modes);

    start();
    setBoxLines(*list(), numberedNames(20));
    if (communicated)
        communicate(QStringLiteral("dés 3 5"));
    for (const int mode : modes)
        click(mode);
    QFETCH(bool, typedAfter);
    const int drawn = 20 - lineCount(*list());
    if (typedAfter) {
        QTest::keyClick(list(), Qt::Key_End, Qt::ControlModifier);
        if (lineCount(*list()) > 0)
            QTest::keyClick(list(), Qt::Key_Return);
        typeText(list(), QStringLiteral("Zoé"));
        QTest::qWait(2500);
    }
    const QStringList listLeft = boxLines(*list());
    const QStringList resultsLeft = boxLines(*results());
    crash();
    QCOMPARE(journals().size(), 1);

    QString asked;
    m_platform->expectYesNo(anyResumeQuestion, true, &asked);
    start();
    const auto counts = anyResumeQuestion.match(asked);
    QCOMPARE(counts.captured(1).toInt(), modes.size());
    QCOMPARE(counts.captured(2).toInt(), drawn);
    QCOMPARE(boxLines(*list()), listLeft);
    QCOMPARE(boxLines(*results()), resultsLeft);

    // The runs go on where they were, in the same session.
    if (lineCount(*list()) == 0)
        setBoxLines(*list(), {QStringLiteral("Yves")});
    click(1);
    const QJsonObject record = saveRecord();
    QCOMPARE(record[QLatin1String("tirages")].toArray().size(), modes.size() + 1);
    QCOMPARE(record[QLatin1String("valeur_publique")].toString(),
             communicated ? QStringLiteral("dés 3 5") : QString());
}

void TestResume::raffleResumed_data()
{
    // What was done to the audience screen, which communicating opened.
    QTest::addColumn<QString>("screenDone");

    QTest::newRow("full screen") << "full screen";
    QTest::newRow("left in a window") << "";
    QTest::newRow("closed") << "closed";
}

// The raffle around the draw comes back with it: title, prizes, absences, the event told for the
// procès-verbal and the screen; the procès-verbal then tells the interruption.
void TestResume::raffleResumed()
{
    QFETCH(QString, screenDone);

    start();
    setBoxLines(*list(), numberedNames(10));
    button(QStringLiteral("cmdLots"))->click();
    auto* prizes = control<QDialog>(*m_window, QStringLiteral("frmLots"));
    control<QLineEdit>(*prizes, QStringLiteral("txtEcranTitre"))
        ->setText(QStringLiteral("Tombola de l'école"));
    control<QPlainTextEdit>(*prizes, QStringLiteral("txtLots"))
        ->setPlainText(QStringLiteral("Vélo\n2 × Livre"));
    communicate(QStringLiteral("dés 1 2"));
    for (int i = 0; i < 4; ++i)
        click(1);
    control<QTableWidget>(*prizes, QStringLiteral("tblPalmares"))->setCurrentCell(0, 2);
    m_platform->expectModal([](QDialog& dialog) {
        control<QComboBox>(dialog, QStringLiteral("cmbMotif"))->setCurrentText("renonce");
        dialog.accept();
    });
    control<QPushButton>(*prizes, QStringLiteral("cmdAbsent"))->click();
    m_platform->expectModal([](QDialog& dialog) {
        typeText(control<QLineEdit>(dialog, QStringLiteral("txtLieu")), "Préau, Lyon");
        auto* witnesses = control<QTableWidget>(dialog, QStringLiteral("tblTemoins"));
        const QStringList people = {"Anne Leroy", "commissaire de justice", "Marc Petit", "témoin"};
        // The table keeps one empty row for the next person.
        for (int i = 0; i < people.size(); ++i)
            witnesses->setItem(i / 2, i % 2, new QTableWidgetItem(people[i]));
        QCOMPARE(witnesses->rowCount(), 3);
    });
    button(QStringLiteral("cmdPreuve"))->click();
    auto* screen = control<QWidget>(*m_window, QStringLiteral("frmEcran"));
    QVERIFY(screen->isVisible());
    if (screenDone == QLatin1String("full screen"))
        QTest::keyClick(screen, Qt::Key_F11);
    else if (screenDone == QLatin1String("closed"))
        screen->close();
    const bool fullScreen = screen->isFullScreen();
    crash();

    m_platform->expectYesNo(anyResumeQuestion, true);
    start();
    prizes = control<QDialog>(*m_window, QStringLiteral("frmLots"));
    QCOMPARE(control<QLineEdit>(*prizes, QStringLiteral("txtEcranTitre"))->text(),
             QStringLiteral("Tombola de l'école"));
    auto* prizeLines = control<QPlainTextEdit>(*prizes, QStringLiteral("txtLots"));
    QCOMPARE(prizeLines->toPlainText(), QStringLiteral("Vélo\nLivre (1/2)\nLivre (2/2)"));
    QVERIFY(prizeLines->isReadOnly());
    screen = control<QWidget>(*m_window, QStringLiteral("frmEcran"));
    QCOMPARE(screen->isVisible(), screenDone != QLatin1String("closed"));
    QCOMPARE(screen->isFullScreen(), fullScreen);

    const QString pdf = m_dir->filePath(QStringLiteral("pv.pdf"));
    m_platform->expectModal([&](QDialog& dialog) {
        QCOMPARE(control<QLineEdit>(dialog, QStringLiteral("txtLieu"))->text(), "Préau, Lyon");
        m_platform->expectPrinter([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        control<QPushButton>(dialog, QStringLiteral("cmdImprimerPV"))->click();
    });
    button(QStringLiteral("cmdPreuve"))->click();
    checkPrintedMinutes(pdf);

    const QJsonObject record = saveRecord();
    const QJsonObject event = record[QLatin1String("evenement")].toObject();
    QCOMPARE(event[QLatin1String("titre")].toString(), QStringLiteral("Tombola de l'école"));
    QCOMPARE(event[QLatin1String("temoins")].toArray().size(), 2);
    QCOMPARE(record[QLatin1String("reprises")].toArray().size(), 1);
    QCOMPARE(record[QLatin1String("lots")].toArray().size(), 3);
    const QJsonArray absences = record[QLatin1String("absences")].toArray();
    QCOMPARE(absences.size(), 1);
    QCOMPARE(absences[0][QLatin1String("motif")].toString(), QStringLiteral("renonce"));
    QCOMPARE(absences[0][QLatin1String("apres_tirage")].toInt(), 4);
}

// The procès-verbal's part for people, read back from the PDF: every part of it there, and no
// line past the sheet's margins.
void TestResume::checkPrintedMinutes(const QString& pdf)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) is needed to read the PDF");
    // The sheet's face joins "fi" and "fl", which the reader gives back as one character.
    const QString text = QString::fromUtf8(runTool(pdftotext, {pdf, QStringLiteral("-")}))
                             .replace(QChar(0xfb01), QStringLiteral("fi"))
                             .replace(QChar(0xfb02), QStringLiteral("fl"))
                             .simplified();
    for (const QRegularExpression& expected : {
             QRegularExpression(QStringLiteral("^Tombola de l'école Procès-verbal")),
             QRegularExpression(QStringLiteral("Lieu : Préau, Lyon")),
             QRegularExpression(QStringLiteral("Entrées communiquées avec l'engagement : 10")),
             QRegularExpression(QStringLiteral("Absences : 1 \\(renonce : 1\\)")),
             QRegularExpression(QStringLiteral("Livre \\(2/2\\)")),
             QRegularExpression(QStringLiteral("absent – renonce")),
             QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d gagnant")),
             QRegularExpression(QStringLiteral("Séance interrompue à \\d\\d:\\d\\d et reprise à "
                                               "\\d\\d:\\d\\d ; aucun résultat perdu\\.")),
             QRegularExpression(QStringLiteral("Les 4 tirages ont été vérifiés : conformes au "
                                               "protocole sortivo-preuve-1\\.")),
             QRegularExpression(QStringLiteral("Anne Leroy commissaire de justice Signature")),
             QRegularExpression(QStringLiteral("Marc Petit témoin Signature")),
             QRegularExpression(QStringLiteral("ANNEXE : procès-verbal technique")),
         })
        QVERIFY2(expected.match(text).hasMatch(), qPrintable(expected.pattern() + " in " + text));
    // A4 is 595 points wide; the margins are at least a quarter inch.
    for (const PdfLine& line : pdfLines(pdftotext, pdf))
        QVERIFY2(line.xMin >= 18 && line.xMax <= 595 - 18, qPrintable(line.words.join(u' ')));
}

void TestResume::runCutByTheCrash()
{
    start();
    // One draw per slice: the run is still going when the window goes.
    m_window->findChild<DrawController*>()->setEventInterval(std::chrono::milliseconds(0));
    const QStringList names = numberedNames(300000);
    setBoxLines(*list(), names);
    go(2)->click();
    // Well into the run, past a few of its journaled steps.
    QTRY_VERIFY(!results()->document()->isEmpty());
    QTest::qWait(600);
    QVERIFY(m_window->busyState().running());
    const int shown = results()->document()->blockCount();
    crash();

    QString asked;
    m_platform->expectYesNo(anyResumeQuestion, true, &asked);
    start();
    const QStringList drawn = boxLines(*results());
    QCOMPARE(anyResumeQuestion.match(asked).captured(2).toInt(), drawn.size());
    QVERIFY(drawn.size() > 0);
    QVERIFY(drawn.size() <= shown);
    // As a stop at that point would have left them: every entry once, in one box or the other.
    QStringList all = boxLines(*list()) + drawn;
    all.sort();
    QStringList sortedNames = names;
    sortedNames.sort();
    QVERIFY(all == sortedNames);

    const QJsonArray runs = saveRecord()[QLatin1String("tirages")].toArray();
    QCOMPARE(runs.size(), 1);
    QVERIFY(runs[0][QLatin1String("interrompu")].toBool());
    QCOMPARE(runs[0][QLatin1String("resultats")].toArray().size(), drawn.size());
}

void TestResume::declined_data()
{
    QTest::addColumn<bool>("saveFirst");
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<bool>("journalKept");

    QTest::newRow("record saved") << true << QStringLiteral("pv.json") << false;
    QTest::newRow("record not wanted") << false << QString() << false;
    // Wanted but not saved: nothing is thrown away.
    QTest::newRow("save dialog cancelled") << true << QString() << true;
}

void TestResume::declined()
{
    QFETCH(bool, saveFirst);
    QFETCH(QString, savedAs);
    QFETCH(bool, journalKept);

    start();
    setBoxLines(*list(), numberedNames(5));
    click(1);
    crash();

    m_platform->expectYesNo(anyResumeQuestion, false);
    m_platform->expectYesNo(::saveFirst, saveFirst);
    if (saveFirst)
        m_platform->expectSaveFile(savedAs.isEmpty() ? QString() : m_dir->filePath(savedAs));
    start();
    QVERIFY(boxLines(*list()).isEmpty());
    QCOMPARE(journals().size(), journalKept ? 1 : 0);
    if (!savedAs.isEmpty()) {
        const auto verdict =
            sortivo::verifyRecord(readBytes(m_dir->filePath(savedAs)).toStdString());
        QVERIFY2(verdict.conforming, verdict.message.c_str());
        QCOMPARE(readRecord(m_dir->filePath(savedAs))[QLatin1String("tirages")].toArray().size(),
                 1);
    }
}

void TestResume::journalSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: the journal a crashed window left
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("otherUser");
    QTest::addColumn<QString>("told");

    static constexpr char header[] = "SQLite format 3\0 but nothing after";
    const QString illisible = QStringLiteral("Le journal d'une séance interrompue est illisible.");
    // Whoever else could read its seed, or write one of his own, could know the winners.
    const QString open = QStringLiteral(
        "Le journal d'une séance interrompue n'est pas repris : d'autres utilisateurs peuvent le "
        "lire ou le modifier, et en connaître la graine.");
    const QString foreign = QStringLiteral(
        "Le journal d'une séance interrompue n'est pas repris : il appartient à un autre "
        "utilisateur, qui a pu en choisir la graine.");
    QTest::newRow("unreadable") << QByteArray(header, sizeof header - 1) << 0600 << false
                                << illisible;
    QTest::newRow("open to all") << QByteArray() << 0666 << false << open;
    QTest::newRow("readable by the group") << QByteArray() << 0640 << false << open;
    QTest::newRow("another user's") << QByteArray() << 0600 << true << foreign;
}

void TestResume::journalSetAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, mode);
    QFETCH(bool, otherUser);
    QFETCH(QString, told);
    if (otherUser && ::geteuid() != 0)
        QSKIP("only root can give a file to another user");

    const QString name = QStringLiteral("seance-20261208T201400Z-abcdef.sqlite");
    QString path = QDir(journalFolder()).filePath(name);
    if (bytes.isEmpty()) {
        start();
        setBoxLines(*list(), numberedNames(5));
        click(1);
        crash();
        QCOMPARE(journals().size(), 1);
        path = QDir(journalFolder()).filePath(journals().front());
        bytes = readBytes(path);
    } else {
        QVERIFY(QDir().mkpath(journalFolder()));
        QVERIFY(writeBytes(path, bytes));
    }
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    if (otherUser)
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);

    const QString keptAs =
        QDir(journalFolder()).filePath(QStringLiteral("illisibles/") + QFileInfo(path).fileName());
    m_platform->expectWarning(
        QStringLiteral("Sortivo"),
        {told + QStringLiteral(" Il est conservé sous : ") + QDir::toNativeSeparators(keptAs)});
    start();
    QVERIFY(m_window->isVisible());
    QVERIFY(list()->document()->isEmpty());
    QCOMPARE(readBytes(keptAs), bytes);
    QVERIFY(journals().isEmpty());
}

void TestResume::runningWindowNotOffered()
{
    start();
    setBoxLines(*list(), numberedNames(5));
    click(1);
    QTRY_COMPARE(journals().size(), 1);
    // A second window while the first one runs: nothing to offer it.
    FakePlatform other;
    const auto second = startMainWindow(other, m_dir->path(), QString(), journalFolder());
    QVERIFY(other.done());
}

void TestResume::normalCloseLeavesNothing()
{
    start();
    setBoxLines(*list(), numberedNames(5));
    click(1);
    QTRY_COMPARE(journals().size(), 1);
    QVERIFY(m_window->close());
    QVERIFY(QDir(journalFolder()).entryList(QDir::Files).isEmpty());
}

void TestResume::journalThatCannotBeWrittenIsTold_data()
{
    QTest::addColumn<bool>("link");
    QTest::newRow("a file where the folder should be") << false;
    // Followed, it would let whoever placed it choose where the seed goes, and which folder is
    // made private.
    QTest::newRow("a link to a folder") << true;
}

void TestResume::journalThatCannotBeWrittenIsTold()
{
    QFETCH(bool, link);
    const QString target = m_dir->filePath(QStringLiteral("ailleurs"));
    if (link) {
        QVERIFY(QDir().mkpath(target));
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0755), 0);
        QVERIFY(QFile::link(target, journalFolder()));
    } else {
        QVERIFY(writeBytes(journalFolder(), "x"));
    }
    start();
    m_platform->expectWarning(QStringLiteral("Journal de la séance"),
                              {QStringLiteral("Le journal de la séance n'a pas pu être écrit : si "
                                              "Sortivo s'arrêtait brutalement, cette séance serait "
                                              "perdue."),
                               QDir::toNativeSeparators(journalFolder())});
    setBoxLines(*list(), numberedNames(5));
    // The draws go on without it, and it is told once.
    click(1);
    click(1);
    QCOMPARE(lineCount(*results()), 2);
    if (link) {
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0755));
        QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
}

void TestResume::fileArgumentWaitsForTheAnswer_data()
{
    QTest::addColumn<bool>("resume");
    QTest::addColumn<QStringList>("listShown");

    QTest::newRow("resumed") << true << QStringList{QStringLiteral("Nom 1")};
    QTest::newRow("declined") << false << QStringList{QStringLiteral("Anne")};
}

void TestResume::fileArgumentWaitsForTheAnswer()
{
    QFETCH(bool, resume);
    QFETCH(QStringList, listShown);
    start();
    setBoxLines(*list(), numberedNames(1));
    QTest::qWait(2500);
    crash();

    QVERIFY(writeBytes(m_dir->filePath(QStringLiteral("liste.txt")), "Anne\r\n"));
    m_platform->expectYesNo(anyResumeQuestion, resume);
    start(m_dir->filePath(QStringLiteral("liste.txt")));
    QVERIFY(waitForRun(*m_window));
    QCOMPARE(boxLines(*list()), listShown);
}

QTEST_MAIN(TestResume)
#include "test_resume.moc"
