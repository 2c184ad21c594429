#include "proof/proofdialog.h"

#include "widgets/appicons.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

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

    auto* grid = new QGridLayout(this);
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
