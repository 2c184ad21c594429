#include "proof/proofdialog.h"

#include "widgets/appicons.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

namespace
{

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* wrapped(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

ProofDialog::ProofDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPreuve"));
    setWindowTitle(QStringLiteral("Preuve du tirage"));
    setWindowIcon(programIcon());
    setModal(true);

    txtEngagement = named(new QLineEdit(this), "txtEngagement");
    txtEngagement->setReadOnly(true);
    txtEngagement->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtEngagement->setMinimumWidth(
        txtEngagement->fontMetrics().horizontalAdvance(QString(66, QLatin1Char('0'))));
    cmdCopierEngagement =
        named(new QPushButton(QStringLiteral("Copier"), this), "cmdCopierEngagement");
    cmdImprimerEngagement = named(new QPushButton(QStringLiteral("Imprimer l'engagement…"), this),
                                  "cmdImprimerEngagement");
    cmdMontrer = named(new QPushButton(QStringLiteral("Montrer au public"), this), "cmdMontrer");
    lblListe = named(new QLabel(this), "lblListe");
    lblListe->setFont(txtEngagement->font());
    lblListe->setTextInteractionFlags(Qt::TextSelectableByMouse);

    txtValeurPublique = named(new QLineEdit(this), "txtValeurPublique");

    txtTirages = named(new QPlainTextEdit(this), "txtTirages");
    txtTirages->setReadOnly(true);
    txtTirages->setLineWrapMode(QPlainTextEdit::NoWrap);
    lblEtat = named(wrapped(QString(), this), "lblEtat");

    cmdEnregistrerPV = named(new QPushButton(QStringLiteral("Enregistrer le procès-verbal…"), this),
                             "cmdEnregistrerPV");
    cmdImprimerPV =
        named(new QPushButton(QStringLiteral("Imprimer le procès-verbal…"), this), "cmdImprimerPV");
    cmdExporter =
        named(new QPushButton(QStringLiteral("Exporter le palmarès…"), this), "cmdExporter");
    cmdFermer = named(new QPushButton(QStringLiteral("Fermer"), this), "cmdFermer");
    cmdFermer->setDefault(true);
    connect(cmdFermer, &QPushButton::clicked, this, &QDialog::accept);
    connect(txtValeurPublique, &QLineEdit::textEdited, this, &ProofDialog::publicValueEdited);
    // clicked, not toggled: only the user's change is news, not what display() shows.
    connect(cmdCopierEngagement, &QPushButton::clicked, this, &ProofDialog::copyCommitmentClicked);
    connect(cmdImprimerEngagement, &QPushButton::clicked, this,
            &ProofDialog::printCommitmentClicked);
    connect(cmdMontrer, &QPushButton::clicked, this, &ProofDialog::showToAudienceClicked);
    connect(cmdEnregistrerPV, &QPushButton::clicked, this, &ProofDialog::saveRecordClicked);
    connect(cmdImprimerPV, &QPushButton::clicked, this, &ProofDialog::printRecordClicked);
    connect(cmdExporter, &QPushButton::clicked, this, &ProofDialog::exportPalmaresClicked);

    auto* outer = new QHBoxLayout(this);
    auto* grid = new QGridLayout;
    outer->addLayout(grid, 3);
    outer->addWidget(eventGroup(), 2);
    int row = 0;
    grid->addWidget(
        wrapped(QStringLiteral(
                    "Montrez cet engagement à l'assistance avant le premier tirage : montrez-le, "
                    "copiez-le ou imprimez-le. Il scelle la graine secrète d'où découleront les "
                    "tirages, et la liste telle qu'elle est alors. Le procès-verbal, enregistré "
                    "après les tirages, révélera la graine, "
                    "et chacun pourra vérifier que les tirages n'ont été ni truqués ni "
                    "recommencés."),
                this),
        row++, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Engagement :"), this), row, 0);
    grid->addWidget(txtEngagement, row++, 1, 1, 2);
    grid->addWidget(lblListe, row++, 1, 1, 2);
    auto* communication = new QHBoxLayout;
    communication->addStretch(1);
    communication->addWidget(cmdMontrer);
    communication->addWidget(cmdCopierEngagement);
    communication->addWidget(cmdImprimerEngagement);
    grid->addLayout(communication, row++, 0, 1, 3);
    grid->addWidget(
        wrapped(QStringLiteral("Valeur publique : un texte que l'assistance fournit après avoir vu "
                               "l'engagement et avant le premier tirage (des dés lancés dans la "
                               "salle, un numéro de loto). Elle se saisit une fois l'engagement "
                               "communiqué et ne change plus ensuite."),
                this),
        row++, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Valeur publique :"), this), row, 0);
    grid->addWidget(txtValeurPublique, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Tirages enregistrés :"), this), row++, 0, 1, 3);
    grid->addWidget(txtTirages, row++, 0, 1, 3);
    grid->addWidget(lblEtat, row++, 0, 1, 3);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(cmdEnregistrerPV, QDialogButtonBox::ActionRole);
    buttons->addButton(cmdImprimerPV, QDialogButtonBox::ActionRole);
    buttons->addButton(cmdExporter, QDialogButtonBox::ActionRole);
    buttons->addButton(cmdFermer, QDialogButtonBox::AcceptRole);
    grid->addWidget(buttons, row++, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row - 3, 1);
}

QGroupBox* ProofDialog::eventGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Procès-verbal"), this);
    txtOrganisateur = named(new QLineEdit(group), "txtOrganisateur");
    txtLieu = named(new QLineEdit(group), "txtLieu");
    txtReglement = named(new QLineEdit(group), "txtReglement");
    cmdReglementFichier =
        named(new QPushButton(QStringLiteral("Fichier…"), group), "cmdReglementFichier");
    m_rulesFingerprint = new QLabel(group);
    m_rulesFingerprint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_rulesFingerprint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_rulesFingerprint->setWordWrap(true);
    txtAutorisation = named(new QLineEdit(group), "txtAutorisation");
    tblTemoins = named(new QTableWidget(1, 2, group), "tblTemoins");
    tblTemoins->setHorizontalHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Qualité")});
    tblTemoins->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tblTemoins->verticalHeader()->hide();
    tblTemoins->setToolTip(QStringLiteral(
        "Les personnes présentes et leur qualité : commissaire de justice, témoin, organisateur…"));

    for (QLineEdit* field : {txtOrganisateur, txtLieu, txtReglement, txtAutorisation})
        connect(field, &QLineEdit::textEdited, this, &ProofDialog::eventEdited);
    // A reference typed anew no longer names the file whose fingerprint was taken.
    connect(txtReglement, &QLineEdit::textEdited, this, [this] {
        m_rulesSha256.clear();
        showRulesFingerprint();
    });
    connect(cmdReglementFichier, &QPushButton::clicked, this, &ProofDialog::rulesFileClicked);
    connect(tblTemoins, &QTableWidget::itemChanged, this, &ProofDialog::witnessEdited);

    auto* rules = new QHBoxLayout;
    rules->addWidget(txtReglement, 1);
    rules->addWidget(cmdReglementFichier);
    auto* form = new QFormLayout(group);
    form->addRow(wrapped(QStringLiteral("Ce qu'en dira le procès-verbal imprimé, tout facultatif. "
                                        "Chaque personne présente y aura sa case de signature."),
                         group));
    form->addRow(QStringLiteral("Organisateur :"), txtOrganisateur);
    form->addRow(QStringLiteral("Lieu :"), txtLieu);
    form->addRow(QStringLiteral("Règlement :"), rules);
    form->addRow(QString(), m_rulesFingerprint);
    form->addRow(QStringLiteral("Autorisation :"), txtAutorisation);
    form->addRow(new QLabel(QStringLiteral("Personnes présentes :"), group));
    form->addRow(tblTemoins);
    // Wide enough for a place or an organiser's name, and the rules' fingerprint in four lines
    // at most.
    group->setMinimumWidth(m_rulesFingerprint->fontMetrics().horizontalAdvance(
                               QStringLiteral("Empreinte : 00000000 00000000 00000000")) +
                           4 * fontMetrics().averageCharWidth());
    return group;
}

void ProofDialog::displayEvent(const sortivo::EventDetails& event)
{
    const auto text = [](const std::string& s) { return QString::fromStdString(s); };
    txtOrganisateur->setText(text(event.organizer));
    txtLieu->setText(text(event.place));
    txtReglement->setText(text(event.rules));
    txtAutorisation->setText(text(event.authorization));
    m_rulesSha256 = text(event.rulesSha256);
    showRulesFingerprint();
    const QSignalBlocker quiet(tblTemoins);
    tblTemoins->setRowCount(int(event.witnesses.size()) + 1);
    for (int row = 0; row < int(event.witnesses.size()); ++row) {
        tblTemoins->setItem(row, 0, new QTableWidgetItem(text(event.witnesses[row].name)));
        tblTemoins->setItem(row, 1, new QTableWidgetItem(text(event.witnesses[row].capacity)));
    }
}

sortivo::EventDetails ProofDialog::event() const
{
    // One line each: a pasted line break would end the field in the journal and on paper.
    const auto text = [](QString s) {
        return s.replace(QLatin1Char('\n'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '))
            .trimmed()
            .toStdString();
    };
    sortivo::EventDetails event;
    event.organizer = text(txtOrganisateur->text());
    event.place = text(txtLieu->text());
    event.rules = text(txtReglement->text());
    event.rulesSha256 = m_rulesSha256.toStdString();
    event.authorization = text(txtAutorisation->text());
    for (int row = 0; row < tblTemoins->rowCount(); ++row) {
        const auto cell = [&](int column) {
            const QTableWidgetItem* item = tblTemoins->item(row, column);
            return item ? text(item->text()) : std::string();
        };
        sortivo::Witness witness{cell(0), cell(1)};
        if (!witness.name.empty() || !witness.capacity.empty())
            event.witnesses.push_back(std::move(witness));
    }
    return event;
}

void ProofDialog::setRulesFile(const QString& name, const QString& sha256)
{
    if (txtReglement->text().trimmed().isEmpty())
        txtReglement->setText(name);
    m_rulesSha256 = sha256;
    showRulesFingerprint();
    emit eventEdited();
}

void ProofDialog::showRulesFingerprint()
{
    QStringList groups;
    for (qsizetype i = 0; i < m_rulesSha256.size(); i += 8)
        groups << m_rulesSha256.mid(i, 8);
    m_rulesFingerprint->setText(groups.isEmpty() ? QString()
                                                 : QStringLiteral("Empreinte : ") +
                                                       groups.join(QLatin1Char(' ')));
    m_rulesFingerprint->setVisible(!groups.isEmpty());
}

void ProofDialog::witnessEdited()
{
    // Always one empty row at the end to type the next person in.
    const int last = tblTemoins->rowCount() - 1;
    for (int column = 0; column < 2; ++column)
        if (const QTableWidgetItem* item = tblTemoins->item(last, column);
            item && !item->text().trimmed().isEmpty()) {
            tblTemoins->insertRow(last + 1);
            break;
        }
    emit eventEdited();
}

void ProofDialog::display(const View& view)
{
    txtEngagement->setText(view.commitment);
    lblListe->setText(view.listLine);
    txtValeurPublique->setText(view.publicValue);
    txtValeurPublique->setReadOnly(!view.publicValueOpen);
    txtValeurPublique->setPlaceholderText(view.publicValueHint);
    txtTirages->setPlainText(view.runs);
    lblEtat->setText(view.state);
}
