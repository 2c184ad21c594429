#include "proof/proofcontroller.h"

#include "core/io/sha256.h"
#include "core/list/contactdetails.h"
#include "core/proof/minutes.h"
#include "core/proof/palmaresrows.h"
#include "core/proof/proofrecord.h"
#include "core/proof/proofreport.h"
#include "core/text/buildversion.h"
#include "core/text/version.h"
#include "draw/drawsession.h"
#include "exports/palmaresexport.h"
#include "platform/filereplacement.h"
#include "platform/platform.h"
#include "print/minutesdocument.h"
#include "print/printjob.h"
#include "proof/proofdialog.h"
#include "session/busystate.h"
#include "session/listboxstate.h"
#include "widgets/textboxtext.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>

#include <algorithm>

namespace
{

std::string software()
{
    namespace b = sortivo::build;
    return "Sortivo " + sortivo::versionString(b::versionMajor, b::versionMinor, b::versionPatch);
}

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

ProofController::ProofController(QWidget* window, QPushButton* cmdPreuve, DrawSession& session,
                                 const QPlainTextEdit& list, Platform& platform,
                                 QString documentsFolder)
    : QObject(window), m_window(window), m_session(session), m_list(list), m_platform(platform),
      m_documentsFolder(std::move(documentsFolder))
{
    connect(cmdPreuve, &QPushButton::clicked, this, &ProofController::openDialog);
}

const sortivo::ProofSession& ProofController::recordSession() const
{
    const sortivo::ProofSession& current = m_session.proof();
    return m_revealed && current.runs().empty() && !current.runInProgress() ? *m_revealed : current;
}

std::optional<sortivo::CommunicatedList> ProofController::listToCommunicate(QWidget* parent)
{
    if (const auto& list = m_session.proof().communicatedList())
        return list;
    // The list is half written while a run or an open fills it: not one the audience can see.
    if (m_session.busyState().running()) {
        m_platform.showWarning(parent, QStringLiteral("Preuve du tirage"),
                               QStringLiteral("Un tirage ou une ouverture de fichier est en "
                                              "cours : l'engagement pourra être communiqué à "
                                              "sa fin."));
        return std::nullopt;
    }
    m_platform.setBusyCursor(true);
    sortivo::CommunicatedList list =
        sortivo::communicatedListOf(sortivo::loadEntries(boxText(m_list)));
    m_platform.setBusyCursor(false);
    return list;
}

bool ProofController::communicate(QWidget* parent)
{
    std::optional<sortivo::CommunicatedList> list = listToCommunicate(parent);
    if (!list)
        return false;
    m_session.noteCommunicated(sortivo::isoTimeNow(), std::move(*list));
    return true;
}

void ProofController::fill(ProofDialog& dialog)
{
    const sortivo::ProofSession& session = m_session.proof();
    ProofDialog::View view;
    view.commitment = QString::fromStdString(session.commitment());
    const auto& list = session.communicatedList();
    view.listLine =
        list ? fromUtf8(sortivo::listLine(*list, sortivo::shownListDigits))
             : QStringLiteral("Liste : elle sera fixée quand l'engagement sera communiqué.");
    if (const auto& prizes = session.communicatedPrizes())
        view.listLine +=
            QStringLiteral("\n") + fromUtf8(sortivo::prizesLine(*prizes, sortivo::shownListDigits));
    view.publicValue = fromUtf8(session.publicValue());
    // A value typed before the audience saw the commitment could have been chosen with it.
    view.publicValueOpen = session.publicValueOpen();
    view.publicValueHint = session.communicatedAt()
                               ? QStringLiteral("par exemple : dés 3, 5 et 6")
                               : QStringLiteral("à saisir une fois l'engagement communiqué");
    QStringList runs;
    for (const sortivo::RunRecord& run : session.runs())
        runs << fromUtf8(sortivo::runSummary(run));
    view.runs = runs.join(QLatin1Char('\n'));
    QString& state = view.state;
    if (&recordSession() != &session)
        state = QStringLiteral("Le procès-verbal de l'engagement précédent (%1…) peut encore être "
                               "enregistré ou imprimé, jusqu'au prochain tirage.")
                    .arg(QString::fromStdString(m_revealed->commitment().substr(0, 16)));
    else if (session.runs().empty())
        state = QStringLiteral("Aucun tirage depuis cet engagement.");
    if (session.publicValueOpen() && session.publicValue().empty())
        state = QStringLiteral("Aucune valeur publique : sans elle, le procès-verbal ne montre pas "
                               "que la graine n'a pas été choisie. ") +
                state;
    if (session.publicValueLocked())
        state = QStringLiteral("La valeur publique est fixée : un tirage a été fait. ") + state;
    // The record publishes every entry: an organiser who pasted a ticketing export may not
    // mean to publish the entrants' addresses with it.
    const auto& recorded = recordSession().runs();
    if (std::any_of(recorded.begin(), recorded.end(), [](const sortivo::RunRecord& run) {
            return run.entries && sortivo::holdsContactDetails(*run.entries);
        }))
        state += QStringLiteral("\nLes entrées contiennent des adresses électroniques ou des "
                                "numéros de téléphone : le procès-verbal les publiera.");
    dialog.display(view);
}

void ProofController::openDialog()
{
    ProofDialog dialog(m_window);
    // Opening the dialog shows the commitment to the organiser only; it is communicated by
    // what puts it before the audience.
    fill(dialog);
    dialog.displayEvent(m_session.proof().event());
    connect(&dialog, &ProofDialog::eventEdited, &dialog,
            [this, &dialog] { m_session.setEvent(dialog.event()); });
    connect(&dialog, &ProofDialog::rulesFileClicked, &dialog,
            [this, &dialog] { chooseRulesFile(dialog); });
    connect(&dialog, &ProofDialog::publicValueEdited, &dialog,
            [this, &dialog](const QString& text) {
                if (!m_session.setPublicValue(text.toStdString()))
                    fill(dialog);
            });
    connect(&dialog, &ProofDialog::copyCommitmentClicked, &dialog, [this, &dialog] {
        if (!communicate(&dialog))
            return;
        const sortivo::ProofSession& session = m_session.proof();
        const auto& list = *session.communicatedList();
        QString text = QString::fromStdString(session.commitment()) + QLatin1Char('\n') +
                       fromUtf8(sortivo::listLine(list, list.fingerprint.size()));
        if (session.onePrizePerPerson())
            text += QLatin1Char('\n') + fromUtf8(std::string(sortivo::onePrizeLine));
        if (const auto& prizes = session.communicatedPrizes())
            text += QLatin1Char('\n') +
                    fromUtf8(sortivo::prizesLine(*prizes, prizes->fingerprint.size()));
        QGuiApplication::clipboard()->setText(text);
        fill(dialog);
    });
    connect(&dialog, &ProofDialog::showToAudienceClicked, &dialog, [this, &dialog] {
        if (!communicate(&dialog))
            return;
        fill(dialog);
        emit showToAudience();
    });
    connect(&dialog, &ProofDialog::printCommitmentClicked, &dialog, [this, &dialog] {
        printCommitment(&dialog);
        fill(dialog);
    });
    connect(&dialog, &ProofDialog::saveRecordClicked, &dialog, [this, &dialog] {
        saveRecord(&dialog);
        fill(dialog);
    });
    connect(&dialog, &ProofDialog::printRecordClicked, &dialog, [this, &dialog] {
        printRecord(&dialog);
        fill(dialog);
    });
    connect(&dialog, &ProofDialog::exportPalmaresClicked, &dialog,
            [this, &dialog] { exportPalmares(&dialog); });
    // A long draw goes on behind the dialog; the run it made belongs in the list.
    connect(&m_session.busyState(), &BusyState::ended, &dialog, [this, &dialog] { fill(dialog); });
    m_platform.runModal(dialog);
}

void ProofController::chooseRulesFile(ProofDialog& dialog)
{
    const QString path = m_platform.askOpenFileName(&dialog, m_documentsFolder,
                                                    QStringLiteral("Tous les fichiers (*)"));
    if (path.isEmpty())
        return;
    // Rules are a few pages: read at once, behind a busy pointer.
    QFile file(path);
    std::optional<sortivo::Digest> digest;
    m_platform.setBusyCursor(true);
    if (file.open(QIODevice::ReadOnly)) {
        sortivo::Sha256 hasher;
        QByteArray block;
        while (!(block = file.read(1 << 20)).isEmpty())
            hasher.update(block.constData(), std::size_t(block.size()));
        if (file.error() == QFileDevice::NoError)
            digest = hasher.finish();
    }
    m_platform.setBusyCursor(false);
    if (!digest) {
        m_platform.showWarning(&dialog, QStringLiteral("Règlement"),
                               QStringLiteral("Le fichier n'a pas pu être lu.\n%1\n%2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    dialog.setRulesFile(QFileInfo(path).fileName(),
                        QString::fromStdString(sortivo::toHex(*digest)));
}

bool ProofController::canReveal(QWidget* parent)
{
    if (&recordSession() == &m_session.proof() && m_session.proof().runInProgress()) {
        m_platform.showWarning(parent, QStringLiteral("Procès-verbal"),
                               QStringLiteral("Un tirage est en cours : le procès-verbal pourra "
                                              "être enregistré à sa fin."));
        return false;
    }
    return true;
}

void ProofController::revealed(const sortivo::ProofSession& session)
{
    if (&session == &m_session.proof())
        m_revealed = m_session.renew();
}

bool ProofController::saveRecord(QWidget* parent)
{
    return canReveal(parent) && saveRecordOf(parent, recordSession());
}

bool ProofController::saveCrashedRecord(const sortivo::ProofSession& session)
{
    return saveRecordOf(m_window, session);
}

bool ProofController::saveRecordOf(QWidget* parent, const sortivo::ProofSession& session)
{
    const QString proposed =
        QDir(m_documentsFolder)
            .filePath(QStringLiteral("proces-verbal-%1.json")
                          .arg(QString::fromStdString(session.commitment().substr(0, 8))));
    const QString path =
        m_platform.askSaveFileName(parent, proposed, QStringLiteral("Procès-verbal (*.json)"));
    if (path.isEmpty())
        return false;
    const auto warn = [&](const QString& reason) {
        m_platform.showWarning(
            parent, QStringLiteral("Procès-verbal"),
            QStringLiteral("Le procès-verbal n'a pas pu être enregistré.\n%1\n%2")
                .arg(QDir::toNativeSeparators(path), reason));
    };
    // Renaming over a pipe, a device or a folder would replace it; a link is replaced itself,
    // never followed to write elsewhere.
    const QFileInfo info(path);
    if (!info.isSymLink() && info.exists() && !info.isFile()) {
        warn(info.isDir() ? QStringLiteral("C'est un dossier.")
                          : QStringLiteral("Ce n'est pas un fichier ordinaire."));
        return false;
    }
    if ((info.isSymLink() || info.exists()) &&
        !m_platform.askYesNo(parent,
                             QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?")))
        return false;

    m_platform.setBusyCursor(true);
    const std::string json = sortivo::recordJson(session, software());
    // The same replacement as Save and printing: every step checked, so that a full disk
    // keeps the session and its seed instead of revealing a seed into an empty file.
    const sortivo::Expected<void, SaveFailure> saved =
        saveReplacing(path, m_platform.files(), json);
    m_platform.setBusyCursor(false);
    if (!saved) {
        const SaveFailure& failure = saved.error();
        warn(failure.readOnly ? QStringLiteral("Il est en lecture seule.") : failure.reason);
        return false;
    }
    if (&session == &m_session.proof())
        emit recordSaved();
    revealed(session);
    return true;
}

void ProofController::printRecord(QWidget* parent)
{
    if (!canReveal(parent))
        return;
    const sortivo::ProofSession& session = recordSession();
    const std::string time = sortivo::isoTimeNow();
    // The people's part first, checked by replaying the record; the record as checkers read it
    // follows as the annex.
    const auto minutes = [&session, &time] {
        return minutesDocument(sortivo::minutesOf(session, software(), time));
    };
    if (printText(parent,
                  "ANNEXE : procès-verbal technique, pour les vérificateurs\r\n\r\n" +
                      sortivo::recordReport(session, software(), time),
                  minutes))
        revealed(session);
}

void ProofController::exportPalmares(QWidget* parent)
{
    const QString title = QStringLiteral("Palmarès");
    const sortivo::ProofSession& session = recordSession();
    if (&session == &m_session.proof() && session.runInProgress()) {
        m_platform.showWarning(parent, title,
                               QStringLiteral("Un tirage est en cours : le palmarès pourra être "
                                              "exporté à sa fin."));
        return;
    }
    if (std::all_of(session.runs().begin(), session.runs().end(),
                    [](const sortivo::RunRecord& run) { return run.results.empty(); })) {
        m_platform.showWarning(parent, title,
                               QStringLiteral("Aucun résultat : il n'y a pas encore de palmarès "
                                              "à exporter."));
        return;
    }
    // Named after the session, never after the list's file: a spreadsheet opened as the list
    // must not be offered for replacement by its winners.
    const QString proposed =
        QDir(m_documentsFolder)
            .filePath(QStringLiteral("palmares-%1.xlsx")
                          .arg(QString::fromStdString(session.commitment().substr(0, 8))));
    QString path = m_platform.askSaveFileName(
        parent, proposed,
        QStringLiteral("Classeur Excel (*.xlsx);;Classeur OpenDocument (*.ods);;CSV, séparé par "
                       "des points-virgules (*.csv)"));
    if (path.isEmpty())
        return;
    // A name typed without a suffix gets the one proposed; another suffix names no format.
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");
    const auto warn = [&](const QString& reason) {
        m_platform.showWarning(parent, title,
                               QStringLiteral("Le palmarès n'a pas pu être enregistré.\n%1\n%2")
                                   .arg(QDir::toNativeSeparators(path), reason));
    };
    const std::optional<sortivo::PalmaresFormat> format = sortivo::palmaresFormatOf(path);
    if (!format) {
        warn(QStringLiteral("Le nom du fichier doit finir par .xlsx, .ods ou .csv, qui en choisit "
                            "le format."));
        return;
    }
    const QFileInfo info(path);
    if (!info.isSymLink() && info.exists() && !info.isFile()) {
        warn(info.isDir() ? QStringLiteral("C'est un dossier.")
                          : QStringLiteral("Ce n'est pas un fichier ordinaire."));
        return;
    }
    if ((info.isSymLink() || info.exists()) &&
        !m_platform.askYesNo(parent,
                             QStringLiteral("Ce fichier existe déjà, voulez-vous le remplacer ?")))
        return;

    m_platform.setBusyCursor(true);
    const sortivo::Expected<sortivo::PalmaresPage> palmares = sortivo::palmaresRowsOf(session);
    const std::shared_ptr<const sortivo::ListTable> table =
        m_listState ? m_listState->table() : nullptr;
    sortivo::Expected<std::string> bytes =
        palmares ? sortivo::exportBytes(
                       sortivo::palmaresTable(
                           palmares->rows, table ? sortivo::sourceColumnsOf(*table, palmares->rows)
                                                 : sortivo::SourceColumns()),
                       *format)
                 : sortivo::Expected<std::string>(palmares.error());
    const sortivo::Expected<void, SaveFailure> saved =
        bytes ? saveReplacing(path, m_platform.files(), *bytes)
              : sortivo::Expected<void, SaveFailure>(
                    SaveFailure{false, fromUtf8(bytes.error().text)});
    m_platform.setBusyCursor(false);
    if (!saved)
        warn(saved.error().readOnly ? QStringLiteral("Il est en lecture seule.")
                                    : saved.error().reason);
}

void ProofController::printCommitment(QWidget* parent)
{
    std::optional<sortivo::CommunicatedList> list = listToCommunicate(parent);
    if (!list)
        return;
    const std::string time = sortivo::isoTimeNow();
    const sortivo::ProofSession& session = m_session.proof();
    if (printText(parent, sortivo::commitmentSheet(session.commitment(), *list, time,
                                                   session.onePrizePerPerson(), session.prizes())))
        m_session.noteCommunicated(time, std::move(*list));
}

bool ProofController::printText(QWidget* parent, const std::string& text,
                                const std::function<std::unique_ptr<QTextDocument>()>& before)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    if (!m_platform.askPrinter(parent, printer))
        return false;
    m_platform.setBusyCursor(true);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(10);
    const auto plan = planPrint(printer, font, text);
    const std::unique_ptr<QTextDocument> document = before ? before() : nullptr;
    const bool printed = plan && printPlan(printer, *plan, document.get());
    m_platform.setBusyCursor(false);
    if (!printed)
        m_platform.showWarning(parent, QStringLiteral("Impression"),
                               QStringLiteral("L'impression a échoué."));
    return printed;
}

bool ProofController::allowQuit()
{
    if (!m_session.proof().hasRunsSinceCommunication())
        return true;
    switch (m_platform.askYesNoCancel(
        m_window, QStringLiteral("Enregistrer le procès-verbal avant de quitter ?"))) {
    case Platform::Answer::Yes:
        return saveRecord(m_window);
    case Platform::Answer::No:
        return true;
    case Platform::Answer::Cancel:
        break;
    }
    return false;
}
