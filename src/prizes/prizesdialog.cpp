#include "prizes/prizesdialog.h"

#include "core/proof/prizes.h"
#include "core/text/french.h"
#include "draw/drawsession.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

enum Column { Rank, Prize, Winner, Run, Status, ColumnCount };

} // namespace

PrizesDialog::PrizesDialog(QWidget* owner, DrawSession& session)
    : QDialog(owner), m_session(session)
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

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    // Once every prize has its winner.
    m_showPalmares =
        buttons->addButton(QStringLiteral("Afficher le palmarès"), QDialogButtonBox::ActionRole);
    m_showPalmares->setObjectName(QStringLiteral("cmdPalmares"));
    m_showPalmares->setEnabled(false);
    connect(m_showPalmares, &QPushButton::clicked, this, &PrizesDialog::palmaresAsked);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Titre :"), m_title);
    form->addRow(QStringLiteral("Lots :"), m_prizeLines);
    form->addRow(QString(), m_refusal);
    form->addRow(QString(), m_onePrize);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(new QLabel(QStringLiteral("Palmarès :"), this));
    column->addWidget(m_palmares, 1);
    column->addWidget(buttons);
    resize(640, 520);

    connect(m_prizeLines, &QPlainTextEdit::textChanged, this, &PrizesDialog::readPrizes);
    connect(m_title, &QLineEdit::textChanged, this, &PrizesDialog::changed);
    connect(m_onePrize, &QCheckBox::clicked, this, [this](bool on) {
        // Refused once fixed; the box then shows the rule as it stands.
        if (!m_session.setOnePrizePerPerson(on))
            showRule();
    });
    // The rule is fixed by the commitment's communication or a first run, and a new session
    // starts without it.
    connect(&session, &DrawSession::onePrizePerPersonChanged, this, &PrizesDialog::showRule);
    connect(&session, &DrawSession::communicated, this, &PrizesDialog::showRule);
    connect(&session, &DrawSession::runBegun, this, &PrizesDialog::showRule);
    connect(&session, &DrawSession::renewed, this, &PrizesDialog::showRule);
    showRule();
    // What the palmarès shows changes with every run and with the session itself.
    connect(&session, &DrawSession::runEnded, this, &PrizesDialog::fillPalmares);
    connect(&session, &DrawSession::renewed, this, &PrizesDialog::fillPalmares);
    connect(&session, &DrawSession::palmaresChanged, this, &PrizesDialog::enablePalmares);
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
    m_prizes = sortivo::expandPrizes(m_prizeLines->toPlainText().toStdString());
    m_refusal->setVisible(!m_prizes);
    if (!m_prizes)
        m_refusal->setText(QString::fromStdString(m_prizes.error().text));
    else
        m_session.setPrizes(*m_prizes);
    fillPalmares();
    emit changed();
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
    const std::vector<std::string> none;
    const std::vector<std::string>& prizes = m_prizes ? *m_prizes : none;
    const std::vector<sortivo::RunRecord>& runs = m_session.proof().runs();
    std::vector<sortivo::PrizeRun> prizeRuns;
    // Where each run's results start among all of them.
    std::vector<std::size_t> firstResult;
    std::size_t resultCount = 0;
    for (const sortivo::RunRecord& run : runs) {
        prizeRuns.push_back(
            {run.number, run.results.size(), run.request.mode == sortivo::DrawMode::Teams});
        firstResult.push_back(resultCount);
        resultCount += run.results.size();
    }
    // Nothing is absent yet: the run numbers and ranks are those drawn, so the rule cannot
    // refuse them.
    const sortivo::Expected<sortivo::PrizeAwards> awards =
        sortivo::awardPrizes(prizes.size(), prizeRuns, {});
    if (!awards)
        return;

    struct Row {
        QString rank, prize, winner, run, status;
    };
    std::vector<Row> rows;
    const auto resultCells = [&](std::size_t result, Row& row) {
        const std::size_t i =
            std::size_t(std::upper_bound(firstResult.begin(), firstResult.end(), result) -
                        firstResult.begin()) -
            1;
        row.winner = fromUtf8(runs[i].results.at(result - firstResult[i]));
        row.run = QString::number(runs[i].number);
    };
    for (std::size_t p = 0; p < prizes.size(); ++p) {
        Row row{QString::number(p + 1), fromUtf8(prizes[p]), {}, {}, {}};
        if (const std::optional<std::size_t> winner = awards->winners[p]) {
            resultCells(*winner, row);
            row.status = QStringLiteral("gagnant");
        } else {
            row.status = QStringLiteral("à tirer");
        }
        rows.push_back(row);
    }
    std::size_t reserves = 0;
    for (std::size_t r = 0; r < awards->results.size(); ++r) {
        const sortivo::Standing& standing = awards->results[r];
        if (standing.kind != sortivo::Standing::Kind::Reserve)
            continue;
        if (++reserves > std::size_t(listedReserves))
            continue;
        Row row;
        resultCells(r, row);
        row.status = QStringLiteral("suppléant n° %1").arg(standing.reserve);
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
    }
    m_palmares->resizeColumnsToContents();
}
