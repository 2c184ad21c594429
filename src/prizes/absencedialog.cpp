#include "prizes/absencedialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

AbsenceDialog::AbsenceDialog(QWidget* owner, const QString& winner, const QString& prize)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Déclarer absent"));
    m_reason = new QComboBox(this);
    m_reason->setObjectName(QStringLiteral("cmbMotif"));
    m_reason->setEditable(true);
    m_reason->addItems(
        {QStringLiteral("absent"), QStringLiteral("inéligible"), QStringLiteral("renonce")});
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A record cannot hold an absence without its reason.
    connect(m_reason, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { m_ok->setEnabled(!text.trimmed().isEmpty()); });

    QString what = prize.isEmpty()
                       ? QStringLiteral("« %1 » sera déclaré absent.").arg(winner)
                       : QStringLiteral("« %1 » sera déclaré absent, et le lot « %2 » remis en "
                                        "jeu.")
                             .arg(winner, prize);
    auto* text = new QLabel(what + QStringLiteral(" Une absence ne s'annule pas."), this);
    text->setWordWrap(true);
    auto* form = new QFormLayout(this);
    form->addRow(text);
    form->addRow(QStringLiteral("Motif :"), m_reason);
    form->addRow(buttons);
}

QString AbsenceDialog::reason() const
{
    return m_reason->currentText().trimmed();
}
