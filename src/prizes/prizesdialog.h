#pragma once

#include "core/text/expected.h"

#include <QDialog>
#include <QString>

#include <cstddef>
#include <string>
#include <vector>

class DrawSession;
class Platform;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// frmLots, "Sortivo – Lots et palmarès": the event's title and the prizes, typed on the
// operator's screen rather than in front of the room, and who wins what so far. It edits
// them; the session keeps them, fixes the prizes with the commitment and journals them, and
// the audience screen reads them from there.
class PrizesDialog : public QDialog
{
    Q_OBJECT
public:
    // The rule of one prize per person is chosen here and set on `session` until the
    // commitment fixes it.
    // "Ouvrir…" starts in `documentsFolder`.
    PrizesDialog(QWidget* owner, DrawSession& session, Platform& platform,
                 const QString& documentsFolder);

    // Shows it, or brings it to the front when it is open.
    void showOnTop();

    QString title() const;

    // The most reserves the palmarès lists one by one; the others are counted in a last row.
    static constexpr int listedReserves = 100;

signals:
    // The title or the prizes changed.
    void changed();
    // "Afficher le palmarès": the audience is to see who won what.
    void palmaresAsked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void readPrizes();
    // Replaces the prizes typed, as a paste would, so that Ctrl+Z brings them back.
    void takeOpenedPrizes(const QString& lines);
    void showSessionPrizes();
    void fillPalmares();
    void showRule();
    void updateAbsentButton();
    void declareAbsent();
    void enablePalmares();

    DrawSession& m_session;
    Platform& m_platform;
    QLineEdit* m_title;
    QPlainTextEdit* m_prizeLines;
    QPushButton* m_openPrizes;
    QCheckBox* m_onePrize;
    QLabel* m_refusal;
    QTableWidget* m_palmares;
    QPushButton* m_absent;
    QPushButton* m_showPalmares;
};
