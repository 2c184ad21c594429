#pragma once

#include "core/proof/eventdetails.h"

#include <QDialog>
#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// frmPreuve: the session's commitment, the public value, the runs made so far and what can be
// done with them. It shows what it is given; the proof controller acts on its buttons.
class ProofDialog : public QDialog
{
    Q_OBJECT
public:
    // What the dialog shows of a session.
    struct View {
        QString commitment;
        QString listLine;
        QString publicValue;
        // Whether the public value can still be typed, and what its empty box says.
        bool publicValueOpen = false;
        QString publicValueHint;
        // The rule of one prize per person, and whether it can still change.
        QString runs;
        QString state;
    };

    explicit ProofDialog(QWidget* parent = nullptr);

    void display(const View& view);
    // What the procès-verbal tells of the event, as the session holds it; the dialog owns it
    // from there until it closes.
    void displayEvent(const sortivo::EventDetails& event);
    sortivo::EventDetails event() const;
    // A rules file was chosen: its name fills the rules' reference if that is empty.
    void setRulesFile(const QString& name, const QString& sha256);

signals:
    void eventEdited();
    void rulesFileClicked();
    void publicValueEdited(const QString& text);
    void copyCommitmentClicked();
    void printCommitmentClicked();
    void showToAudienceClicked();
    void saveRecordClicked();
    void printRecordClicked();
    void exportPalmaresClicked();

private:
    QGroupBox* eventGroup();
    void witnessEdited();
    void showRulesFingerprint();

    QString m_rulesSha256;
    QLineEdit* txtOrganisateur;
    QLineEdit* txtLieu;
    QLineEdit* txtReglement;
    QPushButton* cmdReglementFichier;
    QLabel* m_rulesFingerprint;
    QLineEdit* txtAutorisation;
    QTableWidget* tblTemoins;
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
    QPushButton* cmdExporter;
    QPushButton* cmdFermer;
};
