#include "app/mainwindow.h"
#include "core/list/person.h"
#include "core/proof/proofverify.h"
#include "support/fakeplatform.h"
#include "support/guitest.h"
#include "support/mainwindowcontrols.h"
#include "support/sheetreading.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

#include <functional>
#include <memory>

namespace
{

const QString saveBeforeQuitting =
    QStringLiteral("Enregistrer le procès-verbal avant de quitter ?");
const QRegularExpression commitmentForm(QStringLiteral("^[0-9a-f]{64}$"));

// What a test sees of the proof dialog while it is open.
struct ProofView {
    QDialog& dialog;
    QLineEdit* commitment() const
    {
        return control<QLineEdit>(dialog, QStringLiteral("txtEngagement"));
    }
    QLineEdit* publicValue() const
    {
        return control<QLineEdit>(dialog, QStringLiteral("txtValeurPublique"));
    }
    QPlainTextEdit* runs() const
    {
        return control<QPlainTextEdit>(dialog, QStringLiteral("txtTirages"));
    }
    QLabel* state() const { return control<QLabel>(dialog, QStringLiteral("lblEtat")); }
    QPushButton* button(const char* name) const
    {
        return control<QPushButton>(dialog, QLatin1String(name));
    }
};

QJsonObject readRecord(const QString& path)
{
    return QJsonDocument::fromJson(readBytes(path)).object();
}

} // namespace

class TestProofWindow : public QObject, public MainWindowControls
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void buttonSitsBetweenLinkAndInfo();
    void buttonNeverCoversTheBar();
    void commitmentShown();
    void publicValueLockedByFirstRun();
    void runEndingBehindTheDialogShows();
    void onePrizePerPersonFixedWithTheCommitment_data();
    void onePrizePerPersonFixedWithTheCommitment();
    void recordSavedThenNewCommitment();
    void contactDetailsToldBeforeSaving();
    void savingAskedBeforeReplacing();
    void unsafeNamesKeepTheSession_data();
    void unsafeNamesKeepTheSession();
    void fullDiskKeepsTheSession_data();
    void fullDiskKeepsTheSession();
    void printedRecordRevealsTheSeed();
    void commitmentSheetPrinted();
    void quitQuestion_data();
    void quitQuestion();
    void palmaresExported_data();
    void palmaresExported();
    void palmaresWithTheTableRows();

private:
    QWidget& drivenWindow() const override { return *m_window; }

    // Opens the proof dialog and lets `act` work in it while it is up.
    void inProofDialog(const std::function<void(ProofView&)>& act)
    {
        m_platform->expectModal([act](QDialog& dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("frmPreuve"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Preuve du tirage"));
            ProofView view{dialog};
            act(view);
        });
        button(QStringLiteral("cmdPreuve"))->click();
    }
    QString shownCommitment()
    {
        QString shown;
        inProofDialog([&](ProofView& v) { shown = v.commitment()->text(); });
        return shown;
    }
    // Shows the commitment to the audience, which fixes it with the list.
    QString communicated()
    {
        QString shown;
        inProofDialog([&](ProofView& v) {
            shown = v.commitment()->text();
            v.button("cmdMontrer")->click();
        });
        return shown;
    }
    void drawOne(const QStringList& lines)
    {
        setBoxLines(*list(), lines);
        go(1)->click();
    }
    QString recordPath(const char* name) const { return m_dir->filePath(QLatin1String(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

void TestProofWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<FakePlatform>();
    m_window = std::make_unique<MainWindow>(*m_platform, QString());
    m_window->show();
}

void TestProofWindow::cleanup()
{
    m_window.reset();
    QVERIFY(m_platform->done());
    QVERIFY(!m_platform->busy());
}

void TestProofWindow::buttonSitsBetweenLinkAndInfo()
{
    QPushButton* proof = button(QStringLiteral("cmdPreuve"));
    QWidget* info = button(QStringLiteral("Command1"));
    QWidget* link = control<QWidget>(*m_window, QStringLiteral("lblVelmora"));
    QCOMPARE(proof->text(), QStringLiteral("Preuve du tirage"));
    QCOMPARE(proof->parentWidget()->objectName(), QStringLiteral("fraBas"));
    for (const QSize size : {QSize(875, 501), QSize(1200, 700), QSize(600, 400)}) {
        m_window->resize(size);
        QVERIFY(proof->isVisible());
        QCOMPARE(proof->y(), info->y());
        QCOMPARE(proof->geometry().right() + 1 + 8, info->x());
        QVERIFY(proof->x() > link->geometry().right() + 1);
        // The whole caption fits.
        QVERIFY(proof->width() >= proof->sizeHint().width());
    }
}

void TestProofWindow::buttonNeverCoversTheBar()
{
    QPushButton* proof = button(QStringLiteral("cmdPreuve"));
    QWidget* link = control<QWidget>(*m_window, QStringLiteral("lblVelmora"));
    m_window->resize(m_window->minimumSize());
    QVERIFY(!proof->isVisible());
    QVERIFY(link->isVisible());
    m_window->resize(875, 501);
    QVERIFY(proof->isVisible());
}

void TestProofWindow::commitmentShown()
{
    QString first;
    inProofDialog([&](ProofView& v) {
        first = v.commitment()->text();
        QVERIFY(first.contains(commitmentForm));
        QVERIFY(v.commitment()->isReadOnly());
        // Not before the audience has seen the commitment.
        QVERIFY(v.publicValue()->isReadOnly());
        QVERIFY(v.publicValue()->text().isEmpty());
        QVERIFY(v.runs()->toPlainText().isEmpty());
        v.button("cmdCopierEngagement")->click();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(first + QLatin1Char('\n')));
        QVERIFY(!v.publicValue()->isReadOnly());
        v.button("cmdFermer")->click();
    });
    // The same session until its record is saved, whatever is drawn meanwhile.
    drawOne({QStringLiteral("Anne"), QStringLiteral("Paul")});
    QCOMPARE(shownCommitment(), first);
    // Each program start commits to a seed of its own.
    FakePlatform other;
    MainWindow second(other, QString());
    other.expectModal([&](QDialog& dialog) {
        QVERIFY(control<QLineEdit>(dialog, QStringLiteral("txtEngagement"))->text() != first);
    });
    control<QPushButton>(second, QStringLiteral("cmdPreuve"))->click();
    QVERIFY(other.done());
}

void TestProofWindow::publicValueLockedByFirstRun()
{
    inProofDialog([](ProofView& v) {
        v.button("cmdMontrer")->click();
        typeText(v.publicValue(), QStringLiteral("dés 4 2"));
    });
    drawOne({QStringLiteral("Anne"), QStringLiteral("Paul"), QStringLiteral("Zoé")});
    inProofDialog([this](ProofView& v) {
        QCOMPARE(v.publicValue()->text(), QStringLiteral("dés 4 2"));
        QVERIFY(v.publicValue()->isReadOnly());
        QVERIFY(v.state()->text().contains(QStringLiteral("valeur publique est fixée")));
        typeText(v.publicValue(), QStringLiteral(" 6"));
        QCOMPARE(v.publicValue()->text(), QStringLiteral("dés 4 2"));
        m_platform->expectSaveFile(recordPath("pv.json"));
        v.button("cmdEnregistrerPV")->click();
    });
    const QJsonObject record = readRecord(recordPath("pv.json"));
    QCOMPARE(record[QLatin1String("valeur_publique")].toString(), QStringLiteral("dés 4 2"));
    const auto verdict = sortivo::verifyRecord(readBytes(recordPath("pv.json")).toStdString());
    QVERIFY2(verdict.conforming, verdict.message.c_str());
}

void TestProofWindow::runEndingBehindTheDialogShows()
{
    setBoxLines(*list(), numberedNames(3000));
    go(2)->click();
    QVERIFY(m_window->busyState().running());
    inProofDialog([this](ProofView& v) {
        QVERIFY(v.runs()->toPlainText().isEmpty());
        QTRY_VERIFY(!m_window->busyState().running());
        QVERIFY(!v.runs()->toPlainText().isEmpty());
        QVERIFY(v.publicValue()->isReadOnly());
    });
}

void TestProofWindow::onePrizePerPersonFixedWithTheCommitment_data()
{
    QTest::addColumn<QString>("fixedBy"); // the dialog's button, or a first run

    QTest::newRow("shown to the audience") << QStringLiteral("cmdMontrer");
    QTest::newRow("copied") << QStringLiteral("cmdCopierEngagement");
    QTest::newRow("first run") << QString();
}

void TestProofWindow::onePrizePerPersonFixedWithTheCommitment()
{
    QFETCH(QString, fixedBy);
    control<QCheckBox>(*m_window, QStringLiteral("chkAnimation"))->setChecked(false);
    // Chosen with the prizes, in "Lots…".
    button(QStringLiteral("cmdLots"))->click();
    auto* onePrize = control<QCheckBox>(*m_window, QStringLiteral("chkUnLotParPersonne"));
    QCOMPARE(onePrize->text(), QStringLiteral("Un seul lot par personne"));
    QVERIFY(!onePrize->isChecked());
    QVERIFY(onePrize->isEnabled());
    onePrize->click();
    if (!fixedBy.isEmpty()) {
        inProofDialog([&](ProofView& v) { v.button(fixedBy.toLatin1().constData())->click(); });
        QVERIFY(onePrize->isChecked());
        QVERIFY(!onePrize->isEnabled());
    }
    if (fixedBy == QLatin1String("cmdCopierEngagement"))
        QVERIFY(QGuiApplication::clipboard()->text().endsWith(
            QStringLiteral("\nUn seul lot par personne : oui")));
    const QStringList tickets = {
        QStringLiteral("Dupont Marie (billet 1/3)"), QStringLiteral("Martin (billet 1/2)"),
        QStringLiteral("Dupont Marie (billet 2/3)"), QStringLiteral("Martin (billet 2/2)"),
        QStringLiteral("Dupont Marie (billet 3/3)"), QStringLiteral("Martin")};
    drawOne(tickets);
    // The winner's other tickets left the list with it; the results show the winner alone.
    const QString winner = results()->toPlainText();
    QVERIFY(tickets.contains(winner));
    const auto personOf = [](const QString& entry) {
        const QByteArray bytes = entry.toUtf8();
        return std::string(sortivo::personOf(std::string_view(bytes.data(), bytes.size())));
    };
    QStringList left;
    for (const QString& ticket : tickets)
        if (personOf(ticket) != personOf(winner))
            left << ticket;
    QCOMPARE(boxLines(*list()), left);

    QVERIFY(onePrize->isChecked());
    QVERIFY(!onePrize->isEnabled());
    inProofDialog([this](ProofView& v) {
        m_platform->expectSaveFile(recordPath("pv.json"));
        v.button("cmdEnregistrerPV")->click();
    });
    // The next session starts without the rule, free to choose again.
    QVERIFY(!onePrize->isChecked());
    QVERIFY(onePrize->isEnabled());
    const QJsonObject record = readRecord(recordPath("pv.json"));
    QCOMPARE(record[QLatin1String("protocole")].toString(), QStringLiteral("sortivo-preuve-2"));
    QCOMPARE(record[QLatin1String("un_lot_par_personne")].toBool(), true);
    const auto verdict = sortivo::verifyRecord(readBytes(recordPath("pv.json")).toStdString());
    QVERIFY2(verdict.conforming, verdict.message.c_str());
}

void TestProofWindow::contactDetailsToldBeforeSaving()
{
    const QString told = QStringLiteral("Les entrées contiennent des adresses électroniques");
    drawOne({QStringLiteral("Anne"), QStringLiteral("Bob")});
    inProofDialog([&](ProofView& v) { QVERIFY(!v.state()->text().contains(told)); });
    drawOne({QStringLiteral("Anne;anne@exemple.fr"), QStringLiteral("Bob")});
    inProofDialog([&](ProofView& v) { QVERIFY(v.state()->text().contains(told)); });
}

void TestProofWindow::recordSavedThenNewCommitment()
{
    const QString before = communicated();
    // The screen that showed it would roll the next result, and a click meanwhile only ends
    // the roll.
    control<QCheckBox>(*m_window, QStringLiteral("chkAnimation"))->setChecked(false);
    const QStringList names = numberedNames(8);
    drawOne(names);
    m_platform->expectYesNo(QStringLiteral("Effacer d'abord les résultats ?"), false);
    go(2)->click();
    const QString shownResults = results()->toPlainText();

    inProofDialog([&](ProofView& v) {
        QCOMPARE(v.runs()->toPlainText().count(QLatin1Char('\n')), 1); // two runs
        m_platform->expectSaveFile(recordPath("pv.json"), [](const QString& proposed) {
            QVERIFY(proposed.endsWith(QLatin1String(".json")));
        });
        v.button("cmdEnregistrerPV")->click();
        QVERIFY(v.commitment()->text().contains(commitmentForm));
        QVERIFY(v.commitment()->text() != before);
        QVERIFY(v.runs()->toPlainText().isEmpty());
        // Communicated as the first one was: the screen left open is no communication.
        QVERIFY(v.publicValue()->isReadOnly());
        v.button("cmdMontrer")->click();
        QVERIFY(!v.publicValue()->isReadOnly());
    });

    const QByteArray bytes = readBytes(recordPath("pv.json"));
    const auto verdict = sortivo::verifyRecord(bytes.toStdString());
    QVERIFY2(verdict.conforming, verdict.message.c_str());
    const QJsonObject record = QJsonDocument::fromJson(bytes).object();
    QCOMPARE(record[QLatin1String("engagement")].toString(), before);
    QVERIFY(record[QLatin1String("engagement_communique")].isString());
    const QJsonArray runs = record[QLatin1String("tirages")].toArray();
    QCOMPARE(runs.size(), 2);
    QCOMPARE(runs[0].toObject()[QLatin1String("mode")].toString(), QStringLiteral("un"));
    QCOMPARE(runs[0].toObject()[QLatin1String("entrees")].toArray().size(), 8);
    QCOMPARE(runs[1].toObject()[QLatin1String("mode")].toString(), QStringLiteral("tous"));
    QVERIFY(runs[1].toObject()[QLatin1String("entrees")].isNull());
    // The record holds exactly what the window showed, in draw order.
    QStringList drawn;
    for (const auto& run : runs)
        for (const auto& result : run.toObject()[QLatin1String("resultats")].toArray())
            drawn << result.toString();
    QCOMPARE(drawn.join(QLatin1Char('\n')), shownResults);

    // The new session numbers its runs from 1 again, under the new commitment.
    drawOne({QStringLiteral("Anne")});
    inProofDialog([this](ProofView& v) {
        m_platform->expectSaveFile(recordPath("pv2.json"));
        v.button("cmdEnregistrerPV")->click();
    });
    const QJsonObject next = readRecord(recordPath("pv2.json"));
    QVERIFY(next[QLatin1String("engagement")].toString() != before);
    QCOMPARE(
        next[QLatin1String("tirages")].toArray()[0].toObject()[QLatin1String("numero")].toInt(), 1);
}

void TestProofWindow::savingAskedBeforeReplacing()
{
    drawOne({QStringLiteral("Anne")});
    QVERIFY(writeBytes(recordPath("pv.json"), "ancien"));
    QString kept;
    inProofDialog([&](ProofView& v) {
        kept = v.commitment()->text();
        m_platform->expectSaveFile(recordPath("pv.json"));
        m_platform->expectYesNo(
            QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?"), false);
        v.button("cmdEnregistrerPV")->click();
        // Nothing saved, so the seed is still secret and the session goes on.
        QCOMPARE(v.commitment()->text(), kept);
    });
    QCOMPARE(readBytes(recordPath("pv.json")), QByteArray("ancien"));
}

void TestProofWindow::unsafeNamesKeepTheSession_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("saved");

    QTest::newRow("link to another file") << QStringLiteral("link") << true;
    QTest::newRow("dangling link") << QStringLiteral("dangling") << true;
    QTest::newRow("named pipe") << QStringLiteral("pipe") << false;
    QTest::newRow("folder") << QStringLiteral("folder") << false;
    QTest::newRow("read-only file") << QStringLiteral("readOnly") << false;
}

void TestProofWindow::unsafeNamesKeepTheSession()
{
    QFETCH(QString, kind);
    QFETCH(bool, saved);

    drawOne({QStringLiteral("Anne")});
    const QString target = recordPath("pv.json");
    const QString victim = recordPath("ailleurs");
    if (kind == QLatin1String("link")) {
        QVERIFY(writeBytes(victim, "à garder"));
        QVERIFY(QFile::link(victim, target));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(victim, target));
    } else if (kind == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    } else if (kind == QLatin1String("readOnly")) {
        QVERIFY(writeBytes(target, "ancien"));
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup));
    } else {
        QVERIFY(QDir().mkdir(target));
    }
    const bool readOnly = kind == QLatin1String("readOnly");
    QString kept;
    inProofDialog([&](ProofView& v) {
        kept = v.commitment()->text();
        m_platform->expectSaveFile(target);
        if (saved || readOnly)
            m_platform->expectYesNo(
                QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?"), true);
        if (!saved)
            m_platform->expectWarning(QStringLiteral("Procès-verbal"),
                                      {QStringLiteral("n'a pas pu être enregistré"), target});
        v.button("cmdEnregistrerPV")->click();
        // A record not saved keeps the seed secret and the session going.
        QCOMPARE(v.commitment()->text() == kept, !saved);
    });
    // The link itself is replaced; what it pointed at stays as it was, or absent.
    const QFileInfo info(target);
    QCOMPARE(info.isSymLink(), false);
    QCOMPARE(info.isFile(), saved || readOnly);
    if (saved)
        QVERIFY(readBytes(target).contains(kept.toLatin1()));
    if (readOnly)
        QCOMPARE(readBytes(target), QByteArray("ancien"));
    QCOMPARE(readBytes(victim),
             kind == QLatin1String("link") ? QByteArray("à garder") : QByteArray());
    QCOMPARE(QFileInfo::exists(victim), kind == QLatin1String("link"));
}

void TestProofWindow::fullDiskKeepsTheSession_data()
{
    QTest::addColumn<FailingFiles::Step>("step");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("budget");

    // A file size limit fails the writes as a full disk does; the others fail one step each.
    QTest::newRow("file size limit") << FailingFiles::Step::Nothing << EFBIG << 0;
    QTest::newRow("no new file") << FailingFiles::Step::Create << EACCES << 0;
    QTest::newRow("disk full after 100 bytes") << FailingFiles::Step::Write << ENOSPC << 100;
    QTest::newRow("sync fails") << FailingFiles::Step::Sync << EIO << 0;
    QTest::newRow("rename fails") << FailingFiles::Step::Rename << EXDEV << 0;
}

void TestProofWindow::fullDiskKeepsTheSession()
{
    QFETCH(FailingFiles::Step, step);
    QFETCH(int, error);
    QFETCH(int, budget);

    struct rlimit before {
    };
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_FSIZE, &before); });
    std::signal(SIGXFSZ, SIG_IGN);
    communicated();
    drawOne(numberedNames(2000));
    const QString target = recordPath("pv.json");
    QVERIFY(writeBytes(target, "ancien"));
    if (step == FailingFiles::Step::Nothing) {
        rlimit small = before;
        small.rlim_cur = 4096;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    m_platform->failFiles(step, error, std::size_t(budget));

    QString kept;
    inProofDialog([&](ProofView& v) {
        kept = v.commitment()->text();
        m_platform->expectSaveFile(target);
        m_platform->expectYesNo(
            QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?"), true);
        m_platform->expectWarning(QStringLiteral("Procès-verbal"),
                                  {QStringLiteral("n'a pas pu être enregistré"), target,
                                   QString::fromLocal8Bit(std::strerror(error))});
        v.button("cmdEnregistrerPV")->click();
        QCOMPARE(v.commitment()->text(), kept);
    });
    QCOMPARE(readBytes(target), QByteArray("ancien"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("pv.json")});

    // The window stays: closing asks again, and the record of the same seed is then saved.
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &before) == 0);
    m_platform->failFiles(FailingFiles::Step::Nothing);
    m_platform->expectYesNoCancel(QStringLiteral("Enregistrer le procès-verbal avant de quitter ?"),
                                  Platform::Answer::Yes);
    m_platform->expectSaveFile(target);
    m_platform->expectYesNo(QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?"),
                            true);
    QVERIFY(m_window->close());
    QVERIFY(readBytes(target).contains(kept.toLatin1()));
}

void TestProofWindow::printedRecordRevealsTheSeed()
{
    drawOne({QStringLiteral("Anne"), QStringLiteral("Paul")});
    const QString pdf = recordPath("pv.pdf");
    QString printed;
    inProofDialog([&](ProofView& v) {
        printed = v.commitment()->text();
        m_platform->expectPrinter([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(QPageSize::A4)); // narrower than Letter
            return true;
        });
        m_platform->expectSaveFile(recordPath("pv.json"));
        v.button("cmdImprimerPV")->click();
        // The seed is on paper: the draws to come need another.
        QVERIFY(v.commitment()->text() != printed);
        QVERIFY(v.state()->text().contains(printed.left(16)));
        // Until the next run, the record that was printed can still be saved.
        v.button("cmdEnregistrerPV")->click();
    });
    QVERIFY(QFileInfo(pdf).size() > 0);
    const QJsonObject record = readRecord(recordPath("pv.json"));
    QCOMPARE(record[QLatin1String("engagement")].toString(), printed);
    QCOMPARE(record[QLatin1String("tirages")].toArray().size(), 1);

    // The three ways to check the record stay on one line of the sheet.
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is needed to read the PDF");
    QProcess reader;
    reader.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(reader.waitForFinished(60000) && reader.exitCode() == 0);
    const QStringList lines = QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n');
    QVERIFY2(lines.contains(QStringLiteral("Vérifiable avec verifier_pv.html (navigateur), "
                                           "verifier_pv.py ou sortivo --verifier.")),
             qPrintable(lines.join(u'|')));
}

void TestProofWindow::commitmentSheetPrinted()
{
    const QString pdf = recordPath("engagement.pdf");
    QString shown;
    inProofDialog([&](ProofView& v) {
        shown = v.commitment()->text();
        m_platform->expectPrinter([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        v.button("cmdImprimerEngagement")->click();
        QCOMPARE(v.commitment()->text(), shown);
    });
    QVERIFY(QFileInfo(pdf).size() > 0);
}

void TestProofWindow::quitQuestion_data()
{
    // Before the run: "dialog" shows the commitment to the audience from the proof dialog,
    // "screen" only opens the audience screen, "copy" copies the commitment.
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("answer");      // -1: no question
    QTest::addColumn<QString>("savedAs"); // the save dialog's answer, when it comes
    QTest::addColumn<bool>("closes");

    using A = Platform::Answer;
    QTest::newRow("commitment never shown") << QString() << -1 << QString() << true;
    // A class watching its winners on the projector was never given the commitment.
    QTest::newRow("screen opened, commitment not shown") << "screen" << -1 << QString() << true;
    QTest::newRow("copied: communicated") << "copy" << int(A::No) << QString() << true;
    QTest::newRow("yes saves, then quits") << "dialog" << int(A::Yes) << "pv.json" << true;
    QTest::newRow("yes, save cancelled, stays") << "dialog" << int(A::Yes) << "" << false;
    QTest::newRow("no quits unsaved") << "dialog" << int(A::No) << QString() << true;
    QTest::newRow("cancel stays") << "dialog" << int(A::Cancel) << QString() << false;
}

void TestProofWindow::quitQuestion()
{
    QFETCH(QString, before);
    QFETCH(int, answer);
    QFETCH(QString, savedAs);
    QFETCH(bool, closes);

    if (before == QLatin1String("dialog"))
        communicated();
    else if (before == QLatin1String("copy"))
        inProofDialog([](ProofView& v) { v.button("cmdCopierEngagement")->click(); });
    else if (before == QLatin1String("screen"))
        button(QStringLiteral("cmdEcran"))->click();
    drawOne({QStringLiteral("Anne"), QStringLiteral("Paul")});
    if (answer >= 0)
        m_platform->expectYesNoCancel(saveBeforeQuitting, Platform::Answer(answer));
    if (answer == int(Platform::Answer::Yes))
        m_platform->expectSaveFile(savedAs.isEmpty() ? QString() : recordPath("pv.json"));
    QCOMPARE(m_window->close(), closes);
    QCOMPARE(QFileInfo::exists(recordPath("pv.json")), !savedAs.isEmpty());
    if (!closes) {
        // Asked again on the next try, as nothing was saved.
        m_platform->expectYesNoCancel(saveBeforeQuitting, Platform::Answer::No);
        QVERIFY(m_window->close());
    }
}

void TestProofWindow::palmaresExported_data()
{
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<QString>("answer"); // the name chosen in the save dialog; empty: none shown
    QTest::addColumn<bool>("writeRefused");
    QTest::addColumn<QString>("written"); // the file written; empty: none
    QTest::addColumn<QString>("warning"); // what the warning says besides the path

    QTest::newRow("xlsx") << true << "gagnants.xlsx" << false << "gagnants.xlsx" << QString();
    QTest::newRow("ods") << true << "gagnants.ods" << false << "gagnants.ods" << QString();
    QTest::newRow("no suffix: the one proposed")
        << true << "gagnants" << false << "gagnants.xlsx" << QString();
    QTest::newRow("a suffix of no format")
        << true << "gagnants.txt" << false << QString() << ".xlsx, .ods ou .csv";
    QTest::newRow("the write refused, told with the path")
        << true << "gagnants.csv" << true << QString()
        << QString::fromLocal8Bit(std::strerror(EACCES));
    QTest::newRow("nothing drawn yet")
        << false << QString() << false << QString() << "Aucun résultat";
}

void TestProofWindow::palmaresExported()
{
    QFETCH(bool, drawn);
    QFETCH(QString, answer);
    QFETCH(bool, writeRefused);
    QFETCH(QString, written);
    QFETCH(QString, warning);
    if (drawn)
        drawOne({QStringLiteral("Zoé")});
    if (writeRefused)
        m_platform->failFiles(FailingFiles::Step::Create, EACCES);
    const QString target = m_dir->filePath(answer);
    inProofDialog([&](ProofView& v) {
        const QString kept = v.commitment()->text();
        if (!answer.isEmpty())
            m_platform->expectSaveFile(target, [&](const QString& proposed) {
                QCOMPARE(QFileInfo(proposed).fileName(),
                         QStringLiteral("palmares-%1.xlsx").arg(kept.left(8)));
            });
        if (!warning.isEmpty())
            m_platform->expectWarning(QStringLiteral("Palmarès"),
                                      answer.isEmpty() ? QStringList{warning}
                                                       : QStringList{target, warning});
        v.button("cmdExporter")->click();
        // Exporting reveals no seed: the session goes on.
        QCOMPARE(v.commitment()->text(), kept);
    });
    if (!answer.isEmpty())
        QVERIFY(m_platform->lastNameFilter().startsWith(QLatin1String("Classeur Excel (*.xlsx)")));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             written.isEmpty() ? QStringList() : QStringList{written});
    if (written.isEmpty())
        return;
    const std::optional<SheetText> sheet =
        onlySheet(readBytes(m_dir->filePath(written)).toStdString());
    QVERIFY(sheet);
    const QList<QStringList>& cells = sheet->rows;
    QCOMPARE(cells.size(), 2);
    QCOMPARE(cells[0][2], QStringLiteral("Gagnant"));
    QCOMPARE(cells[1][2], QStringLiteral("Zoé"));
    QCOMPARE(cells[1][5], QStringLiteral("tiré"));
}

// A list opened from a table: each winner comes with its row, found by its text although the run
// took it out of the list.
void TestProofWindow::palmaresWithTheTableRows()
{
    const QString table = m_dir->filePath(QStringLiteral("inscrits.csv"));
    QVERIFY(writeBytes(table, "Nom;Prénom;Courriel\r\nDupont;Jean;j@x.fr\r\nMartin;Zoé;z@x.fr\r\n"
                              "Petit;Léa;l@x.fr\r\n"));
    m_platform->expectOpenFile(table);
    m_platform->expectModal([](QDialog& dialog) {
        QCOMPARE(dialog.objectName(), QStringLiteral("frmColonnes"));
        QTRY_VERIFY(
            control<QLabel>(dialog, QStringLiteral("lblDecompte"))->text().startsWith(u'3'));
        control<QPushButton>(dialog, QStringLiteral("cmdOK"))->click();
    });
    button(QStringLiteral("cmdOpen"))->click();
    QVERIFY(waitForRun(*m_window, 20000));
    go(1)->click();
    QVERIFY(waitForRun(*m_window, 20000));
    const QString target = m_dir->filePath(QStringLiteral("gagnants.ods"));
    inProofDialog([&](ProofView& v) {
        m_platform->expectSaveFile(target);
        v.button("cmdExporter")->click();
    });
    const std::optional<SheetText> sheet = onlySheet(readBytes(target).toStdString());
    QVERIFY(sheet);
    const QList<QStringList>& cells = sheet->rows;
    QCOMPARE(cells.size(), 2);
    QCOMPARE(cells[0].mid(6, 3), QStringList({QStringLiteral("Nom"), QStringLiteral("Prénom"),
                                              QStringLiteral("Courriel")}));
    const QString winner = cells[1][2];
    QVERIFY(results()->toPlainText().contains(winner));
    QCOMPARE(cells[1][6] + u' ' + cells[1][7], winner);
    QCOMPARE(cells[1][8], cells[1][7].left(1).toLower() + QStringLiteral("@x.fr"));
}

QTEST_MAIN(TestProofWindow)
#include "test_proofwindow.moc"
