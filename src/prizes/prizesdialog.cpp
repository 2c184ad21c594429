#include "prizes/prizesdialog.h"

#include "core/proof/prizes.h"
#include "core/text/french.h"
#include "draw/drawsession.h"
#include "platform/platform.h"
#include "prizes/absencedialog.h"
#include "prizes/prizesfileopener.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextCursor>
#include <QVBoxLayout>

namespace
{

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

enum Column { Rank, Prize, Winner, Run, Status, ColumnCount };

// Where a row's result is kept, and whether it may still be declared absent.
constexpr int resultRole = Qt::UserRole;
constexpr int declarableRole = Qt::UserRole + 1;

} // namespace

PrizesDialog::PrizesDialog(QWidget* owner, DrawSession& session, Platform& platform,
                           const QString& documentsFolder)
    : QDialog(owner), m_session(session), m_platform(platform)
{
    setObjectName(QStringLiteral("frmLots"));
    setWindowTitle(QStringLiteral("Sortivo – Lots et palmarès"));

    m_title = new QLineEdit(QStringLiteral("Tirage au sort"), this);
    m_title->setObjectName(QStringLiteral("txtEcranTitre"));
    m_prizeLines = new QPlainTextEdit(this);
    m_prizeLines->setObjectName(QStringLiteral("txtLots"));
    m_prizeLines->setPlaceholderText(
        QStringLiteral("Un lot par ligne, dans l'ordre des tirages ; « 3 × Bon d'achat » pour "
                       "trois lots pareils"));
    m_prizeLines->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_prizeLines->setTabChangesFocus(true);
    m_openPrizes = new QPushButton(QStringLiteral("Ouvrir…"), this);
    m_openPrizes->setObjectName(QStringLiteral("cmdLotsOuvrir"));
    m_openPrizes->setToolTip(
        QStringLiteral("Les lots d'un fichier texte, un par ligne, ou d'une colonne d'un tableau"));
    auto* opener = new PrizesFileOpener(this, platform, documentsFolder);
    connect(m_openPrizes, &QPushButton::clicked, opener, &PrizesFileOpener::open);
    connect(opener, &PrizesFileOpener::opened, this, &PrizesDialog::takeOpenedPrizes);
    m_onePrize = new QCheckBox(QStringLiteral("Un seul lot par personne"), this);
    m_onePrize->setObjectName(QStringLiteral("chkUnLotParPersonne"));
    m_onePrize->setToolTip(
        QStringLiteral("Chaque entrée tirée retire aussitôt les autres billets de la même "
                       "personne, « Nom (billet 2/5) » étant un billet de « Nom ». La règle est "
                       "fixée quand l'engagement est communiqué."));
    m_refusal = new QLabel(this);
    m_refusal->setObjectName(QStringLiteral("lblLotsRefus"));
    m_refusal->setWordWrap(true);
    m_refusal->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_refusal->hide();

    m_palmares = new QTableWidget(0, ColumnCount, this);
    m_palmares->setObjectName(QStringLiteral("tblPalmares"));
    m_palmares->setHorizontalHeaderLabels({QStringLiteral("Rang"), QStringLiteral("Lot"),
                                           QStringLiteral("Gagnant"), QStringLiteral("Tirage"),
                                           QStringLiteral("Statut")});
    m_palmares->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_palmares->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_palmares->setSelectionMode(QAbstractItemView::SingleSelection);
    m_palmares->verticalHeader()->hide();
    m_palmares->horizontalHeader()->setStretchLastSection(true);
    m_absent = new QPushButton(QStringLiteral("Déclarer absent…"), this);
    m_absent->setObjectName(QStringLiteral("cmdAbsent"));
    m_absent->setEnabled(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_absent, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    // Once every prize has its winner.
    m_showPalmares =
        buttons->addButton(QStringLiteral("Afficher le palmarès"), QDialogButtonBox::ActionRole);
    m_showPalmares->setObjectName(QStringLiteral("cmdPalmares"));
    m_showPalmares->setEnabled(false);
    connect(m_showPalmares, &QPushButton::clicked, this, &PrizesDialog::palmaresAsked);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Titre :"), m_title);
    auto* prizeColumn = new QVBoxLayout;
    prizeColumn->addWidget(m_prizeLines);
    prizeColumn->addWidget(m_openPrizes, 0, Qt::AlignLeft);
    form->addRow(QStringLiteral("Lots :"), prizeColumn);
    form->addRow(QString(), m_refusal);
    form->addRow(QString(), m_onePrize);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(new QLabel(QStringLiteral("Palmarès :"), this));
    column->addWidget(m_palmares, 1);
    column->addWidget(buttons);
    resize(640, 520);

    connect(m_prizeLines, &QPlainTextEdit::textChanged, this, &PrizesDialog::readPrizes);
    connect(m_title, &QLineEdit::textChanged, this, [this](const QString& title) {
        m_session.setTitle(title);
        emit changed();
    });
    connect(m_onePrize, &QCheckBox::clicked, this, [this](bool on) {
        // Refused once fixed; the box then shows the rule as it stands.
        if (!m_session.setOnePrizePerPerson(on))
            showRule();
    });
    connect(m_palmares, &QTableWidget::itemSelectionChanged, this,
            &PrizesDialog::updateAbsentButton);
    connect(m_absent, &QPushButton::clicked, this, &PrizesDialog::declareAbsent);
    // The rule and the prizes are fixed by the commitment's communication (the rule by a first
    // run too), and a new session starts without the rule.
    connect(&session, &DrawSession::onePrizePerPersonChanged, this, &PrizesDialog::showRule);
    connect(&session, &DrawSession::communicated, this, &PrizesDialog::showRule);
    connect(&session, &DrawSession::runBegun, this, &PrizesDialog::showRule);
    connect(&session, &DrawSession::renewed, this, &PrizesDialog::showRule);
    connect(&session, &DrawSession::prizesChanged, this, &PrizesDialog::showSessionPrizes);
    showRule();
    connect(&session, &DrawSession::palmaresChanged, this, &PrizesDialog::fillPalmares);
    connect(&session, &DrawSession::palmaresChanged, this, &PrizesDialog::enablePalmares);
    // An absence is declared between runs only.
    connect(&session, &DrawSession::runBegun, this, &PrizesDialog::updateAbsentButton);
    m_session.setTitle(m_title->text());
}

void PrizesDialog::showOnTop()
{
    show();
    raise();
    activateWindow();
}

void PrizesDialog::showRule()
{
    const sortivo::ProofSession& proof = m_session.proof();
    m_onePrize->setChecked(proof.onePrizePerPerson());
    m_onePrize->setEnabled(!proof.onePrizePerPersonLocked());
    // Prizes ordered once the winners are known would let the first one go to a friend.
    m_prizeLines->setReadOnly(proof.prizesLocked());
    m_openPrizes->setEnabled(!proof.prizesLocked());
    m_prizeLines->setToolTip(
        proof.prizesLocked() ? QStringLiteral("Les lots ont été communiqués avec l'engagement : "
                                              "ils ne changent plus jusqu'à la fin de la "
                                              "séance.")
                             : QString());
}

QString PrizesDialog::title() const
{
    return m_title->text();
}

void PrizesDialog::showEvent(QShowEvent* event)
{
    fillPalmares();
    enablePalmares();
    QDialog::showEvent(event);
}

void PrizesDialog::readPrizes()
{
    const auto prizes = sortivo::expandPrizes(m_prizeLines->toPlainText().toStdString());
    m_refusal->setVisible(!prizes);
    if (!prizes) {
        m_refusal->setText(QString::fromStdString(prizes.error().text));
        return;
    }
    m_session.setPrizes(*prizes);
    emit changed();
}

void PrizesDialog::showSessionPrizes()
{
    // A resumed session brings its own title and prizes; those typed here are already its own.
    const sortivo::ProofSession& proof = m_session.proof();
    if (proof.title() && m_title->text().toStdString() != *proof.title())
        m_title->setText(fromUtf8(*proof.title()));
    // A line still refused is left to be mended, unless the prizes are fixed without it.
    const auto typed = sortivo::expandPrizes(m_prizeLines->toPlainText().toStdString());
    if (typed ? *typed != proof.prizes() : proof.prizesLocked()) {
        QStringList lines;
        for (const std::string& prize : proof.prizes())
            lines << fromUtf8(prize);
        m_prizeLines->setPlainText(lines.join(QLatin1Char('\n')));
    }
    showRule();
}

void PrizesDialog::enablePalmares()
{
    // Hidden, it is brought up to date when it shows.
    if (!isVisible())
        return;
    const std::vector<std::optional<std::size_t>> winners = m_session.proof().awards().winners;
    m_showPalmares->setEnabled(!winners.empty() &&
                               std::all_of(winners.begin(), winners.end(),
                                           [](const auto& winner) { return winner.has_value(); }));
}

void PrizesDialog::fillPalmares()
{
    // Hidden, it is filled when it shows.
    if (!isVisible())
        return;
    const sortivo::ProofSession& proof = m_session.proof();
    const std::vector<std::string>& prizes = proof.prizes();
    const std::vector<sortivo::RunRecord>& runs = proof.runs();
    const std::vector<sortivo::DeclaredAbsence>& absences = proof.absences();
    const sortivo::PrizeAwards awards = proof.awards();
    const sortivo::ResultPlaces places(proof.prizeRuns());
    using Kind = sortivo::Standing::Kind;

    struct Row {
        QString rank, prize, winner, run, status;
        int result = -1;
        bool declarable = false;
    };
    std::vector<Row> rows;
    const auto withResult = [&](std::size_t result, Row row) {
        const sortivo::ResultPlaces::Place place = places(result);
        row.winner = fromUtf8(runs[place.run].results.at(place.rank - 1));
        row.run = QString::number(runs[place.run].number);
        row.result = int(result);
        return row;
    };
    // A prize an absent winner left, while nobody has it: why it is back in play.
    std::vector<QString> freedBecause(prizes.size());
    for (const sortivo::Standing& standing : awards.results)
        if (standing.kind == Kind::Absent && standing.prize)
            freedBecause[*standing.prize] = fromUtf8(absences[standing.absence].absence.reason);

    for (std::size_t p = 0; p < prizes.size(); ++p) {
        Row row{QString::number(p + 1), fromUtf8(prizes[p]), {}, {}, {}};
        if (const std::optional<std::size_t> winner = awards.winners[p]) {
            row = withResult(*winner, row);
            row.status = QStringLiteral("gagnant");
            row.declarable = true;
        } else if (!freedBecause[p].isEmpty()) {
            row.status = QStringLiteral("remis en jeu (%1)").arg(freedBecause[p]);
        } else {
            row.status = QStringLiteral("à tirer");
        }
        rows.push_back(row);
    }
    for (std::size_t r = 0; r < awards.results.size(); ++r) {
        const sortivo::Standing& standing = awards.results[r];
        if (standing.kind != Kind::Absent)
            continue;
        Row row = withResult(r, {});
        if (standing.prize)
            row.prize = fromUtf8(prizes[*standing.prize]);
        row.status =
            QStringLiteral("absent : %1").arg(fromUtf8(absences[standing.absence].absence.reason));
        rows.push_back(row);
    }
    std::size_t reserves = 0;
    for (std::size_t r = 0; r < awards.results.size(); ++r) {
        const sortivo::Standing& standing = awards.results[r];
        if (standing.kind != Kind::Reserve || ++reserves > std::size_t(listedReserves))
            continue;
        Row row = withResult(r, {});
        row.status = QStringLiteral("suppléant n° %1").arg(standing.reserve);
        row.declarable = true;
        rows.push_back(row);
    }
    if (reserves > std::size_t(listedReserves))
        rows.push_back({{},
                        {},
                        {},
                        {},
                        QString::fromStdString(
                            "et " + sortivo::frenchCount(reserves - std::size_t(listedReserves),
                                                         "autre suppléant", "autres suppléants"))});

    m_palmares->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const Row& row = rows[std::size_t(r)];
        const QString cells[ColumnCount] = {row.rank, row.prize, row.winner, row.run, row.status};
        for (int c = 0; c < ColumnCount; ++c) {
            QTableWidgetItem* item = m_palmares->item(r, c);
            if (!item)
                m_palmares->setItem(r, c, item = new QTableWidgetItem);
            item->setText(cells[c]);
        }
        m_palmares->item(r, Rank)->setData(resultRole, row.result);
        m_palmares->item(r, Rank)->setData(declarableRole, row.declarable);
        QFont font = m_palmares->item(r, Winner)->font();
        font.setStrikeOut(row.status.startsWith(QStringLiteral("absent")));
        m_palmares->item(r, Winner)->setFont(font);
    }
    m_palmares->resizeColumnsToContents();
    updateAbsentButton();
}

void PrizesDialog::updateAbsentButton()
{
    const QList<QTableWidgetItem*> selected = m_palmares->selectedItems();
    const bool declarable =
        !selected.isEmpty() &&
        m_palmares->item(selected.first()->row(), Rank)->data(declarableRole).toBool();
    m_absent->setEnabled(declarable && !m_session.proof().runInProgress());
}

void PrizesDialog::declareAbsent()
{
    const QList<QTableWidgetItem*> selected = m_palmares->selectedItems();
    if (selected.isEmpty() || m_session.proof().runInProgress())
        return;
    const int row = selected.first()->row();
    const int result = m_palmares->item(row, Rank)->data(resultRole).toInt();
    if (result < 0)
        return;
    const sortivo::ProofSession& proof = m_session.proof();
    const sortivo::ResultPlaces::Place place =
        sortivo::ResultPlaces(proof.prizeRuns())(std::size_t(result));
    AbsenceDialog dialog(this, m_palmares->item(row, Winner)->text(),
                         m_palmares->item(row, Prize)->text());
    m_platform.runModal(dialog);
    if (dialog.result() != QDialog::Accepted)
        return;
    const sortivo::Expected<void> declared = m_session.declareAbsent(
        proof.runs()[place.run].number, place.rank, dialog.reason().toStdString());
    if (!declared)
        m_platform.showWarning(this, QStringLiteral("Déclarer absent"),
                               QString::fromStdString(declared.error().text));
}

void PrizesDialog::takeOpenedPrizes(const QString& lines)
{
    // Fixed meanwhile by the commitment's communication: what was read comes too late.
    if (m_prizeLines->isReadOnly())
        return;
    QTextCursor cursor(m_prizeLines->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(lines);
}
