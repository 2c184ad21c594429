#pragma once

#include "core/proofsession.h"

#include <QObject>
#include <QString>

#include <optional>
#include <string>

class Platform;
class ProofDialog;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class RunState;

// The "Preuve du tirage" button and its dialog: showing the commitment, taking the public
// value, saving and printing the record. Revealing the seed ends the session: the next draws
// get a fresh seed, as nobody may know a seed before its draws.
class ProofController : public QObject
{
    Q_OBJECT
public:
    // `session` is the one the draws are made from; this replaces it when the seed is revealed.
    // A run that ends while the dialog is up shows in it at once (`runState`).
    // The commitment is communicated with the list in `list`.
    ProofController(QWidget* window, QPushButton* cmdPreuve, sortivo::ProofSession& session,
                    const QPlainTextEdit& list, const RunState& runState, Platform& platform,
                    QString documentsFolder);

    void openDialog();
    // Asked when the window closes: false when the user chose to stay.
    bool allowQuit();
    // The commitment was shown elsewhere (on the audience's screen): it is communicated.
    void noteShown();

signals:
    // A saved or printed record revealed the seed: the draws go on under a new commitment.
    void commitmentChanged(const QString& commitment);
    void publicValueChanged(const QString& value);
    // "Montrer au public" communicated the commitment: the audience screen shows it.
    void showToAudience();
    // The list fixed with the commitment, as the audience is shown it.
    void listCommunicated(const QString& line);

private:
    // The session whose record the buttons save and print: the current one, or, until the
    // current one has a run, the one whose seed was just revealed.
    sortivo::ProofSession& recordSession();
    bool canReveal(QWidget* parent);
    void revealed(sortivo::ProofSession& session);
    bool saveRecord(QWidget* parent);
    void printRecord(QWidget* parent);
    void printCommitment(QWidget* parent);
    bool printText(QWidget* parent, const std::string& text);
    // Fixes the commitment's list and time, the first time; false while a run or an open
    // is changing the list.
    bool communicate(QWidget* parent);
    void noteCommunicated(const std::string& time, sortivo::CommunicatedList list);
    std::optional<sortivo::CommunicatedList> listToCommunicate(QWidget* parent);
    void fill(ProofDialog& dialog);

    QWidget* m_window;
    sortivo::ProofSession& m_session;
    const QPlainTextEdit& m_list;
    const RunState& m_runState;
    Platform& m_platform;
    QString m_documentsFolder;
    std::optional<sortivo::ProofSession> m_revealed;
};
