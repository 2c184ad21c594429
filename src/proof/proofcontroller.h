#pragma once

#include "core/proof/proofsession.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class DrawSession;
class ListBoxState;
class Platform;
class ProofDialog;
class QPlainTextEdit;
class QPushButton;
class QTextDocument;
class QWidget;

// The "Preuve du tirage" button and its dialog: showing the commitment, taking the public
// value, saving and printing the record. Revealing the seed ends the session: the next draws
// get a fresh seed, as nobody may know a seed before its draws.
class ProofController : public QObject
{
    Q_OBJECT
public:
    // `session` is the one the draws are made in; this renews it when the seed is revealed.
    // A run that ends while the dialog is up shows in it at once. The commitment is
    // communicated with the list in `list`.
    ProofController(QWidget* window, QPushButton* cmdPreuve, DrawSession& session,
                    const QPlainTextEdit& list, Platform& platform, QString documentsFolder);

    void openDialog();
    // Where the list came from: a table's columns go into the palmarès.
    void setListState(const ListBoxState& state) { m_listState = &state; }
    // Asked when the window closes: false when the user chose to stay.
    bool allowQuit();
    // Saves the record of a session that a crashed window left, which the user chose not to
    // take up again.
    bool saveCrashedRecord(const sortivo::ProofSession& session);

signals:
    // "Montrer au public" communicated the commitment: the audience screen shows it.
    void showToAudience();
    // The record of the session the draws were made in was saved; a new session follows.
    void recordSaved();

private:
    // The session whose record the buttons save and print: the current one, or, until the
    // current one has a run, the one whose seed was just revealed.
    const sortivo::ProofSession& recordSession() const;
    // Takes the fingerprint of the rules' file the user picks.
    void chooseRulesFile(ProofDialog& dialog);
    bool canReveal(QWidget* parent);
    void revealed(const sortivo::ProofSession& session);
    bool saveRecord(QWidget* parent);
    bool saveRecordOf(QWidget* parent, const sortivo::ProofSession& session);
    void printRecord(QWidget* parent);
    // Writes who won what as a spreadsheet; reveals nothing and ends nothing.
    void exportPalmares(QWidget* parent);
    void printCommitment(QWidget* parent);
    // Prints `text` in a fixed font, after the document `before` gives, if any.
    bool printText(QWidget* parent, const std::string& text,
                   const std::function<std::unique_ptr<QTextDocument>()>& before = {});
    // Fixes the commitment's list and time, the first time; false while a run or an open
    // is changing the list.
    bool communicate(QWidget* parent);
    std::optional<sortivo::CommunicatedList> listToCommunicate(QWidget* parent);
    void fill(ProofDialog& dialog);

    QWidget* m_window;
    DrawSession& m_session;
    const QPlainTextEdit& m_list;
    Platform& m_platform;
    QString m_documentsFolder;
    // The session whose seed was last revealed.
    std::optional<sortivo::ProofSession> m_revealed;
    const ListBoxState* m_listState = nullptr;
};
