#pragma once

#include "core/text/expected.h"

#include <QDialog>
#include <QString>

#include <string>
#include <vector>

class DrawSession;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// frmLots, "Sortivo – Lots et palmarès": the event's title and the prizes, typed on the
// operator's screen rather than in front of the room, and who wins what so far. It owns what is
// typed there; the audience screen only reads it.
class PrizesDialog : public QDialog
{
    Q_OBJECT
public:
    // The rule of one prize per person is chosen here and set on `session` until the
    // commitment fixes it.
    PrizesDialog(QWidget* owner, DrawSession& session);

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
    void fillPalmares();
    void showRule();
    void enablePalmares();

    DrawSession& m_session;
    QLineEdit* m_title;
    QPlainTextEdit* m_prizeLines;
    QCheckBox* m_onePrize;
    QLabel* m_refusal;
    QTableWidget* m_palmares;
    QPushButton* m_showPalmares;
    sortivo::Expected<std::vector<std::string>> m_prizes = std::vector<std::string>();
};
