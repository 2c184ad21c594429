#pragma once

#include <QDialog>
#include <QString>

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

signals:
    void publicValueEdited(const QString& text);
    void copyCommitmentClicked();
    void printCommitmentClicked();
    void showToAudienceClicked();
    void saveRecordClicked();
    void printRecordClicked();
    void exportPalmaresClicked();

private:
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
