#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// frmPreuve: the session's commitment, the public value, the runs made so far and what can be
// done with them. It shows what it is given; the proof controller acts on its buttons.
class ProofDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProofDialog(QWidget* parent = nullptr);

    QLineEdit* txtEngagement;
    QLabel* lblListe;
    QLineEdit* txtValeurPublique;
    QPlainTextEdit* txtTirages;
    QLabel* lblEtat;
    QPushButton* cmdCopierEngagement;
    QPushButton* cmdImprimerEngagement;
    QPushButton* cmdMontrer;
    QPushButton* cmdEnregistrerPV;
    QPushButton* cmdImprimerPV;
    QPushButton* cmdFermer;
};
