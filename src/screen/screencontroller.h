#pragma once

#include "screen/screenfit.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <utility>

namespace sortivo
{
struct RunRecord;
}

class EntryBlocks;
class QLabel;
class QPushButton;
class QTextDocument;
class QWidget;
class BusyState;
class PrizesDialog;
class ScreenWindow;

// The audience screen: it follows the results, the list, the commitment once communicated and
// the public value, reveals the results of short runs after a roll of names, and shows a team
// run's teams side by side. It only reads: nothing it does reaches the boxes or the proof
// session. Each change costs what changed, whatever the lists' length: the boxes' last lines
// and counts are read, never their whole text, and of a line only its beginning is laid out.
class ScreenController : public QObject
{
    Q_OBJECT
public:
    struct Sources {
        const QTextDocument& results;
        const QTextDocument& list;
        const EntryBlocks& listEntries;
        const PrizesDialog& prizes;
    };
    ScreenController(QWidget* owner, const Sources& sources, const BusyState& busyState,
                     const QString& commitment);

    // Opens the screen where the audience looks, or brings it to the front when it is open.
    void show();
    // While the reveal's roll runs, Space and Enter in this window or in the owner's end it
    // and do nothing else; so does a click on the screen.
    bool rolling() const { return m_revealed.has_value(); }
    void endRoll();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void setCommitment(const QString& commitment);
    void setPublicValue(const QString& value);
    // The commitment was communicated with this list line: from now on both are shown.
    void setListLine(const QString& line);
    // The session's record was saved: its commitment stays, marked closed, until the next
    // session's is communicated, so that the room photographs what matches the record.
    void closeSession();
    // A draw has begun on the boxes; it has ended having drawn `draws` entries.
    void runBegun(const sortivo::RunRecord& run);
    void runEnded(int draws);

signals:
    // The presenter asked for the next winner on the screen, while no roll ran.
    void drawOneAsked();

private:
    void place();
    void scheduleRefresh();
    void refresh();
    void fitLabels();
    void fit(QLabel* label, const QString& text, const TextRoom& room, const QFont& font);
    int resultLines() const;
    QString resultLine(int number) const;
    QString prize(int number) const;
    void startRoll(int firstNew, int last);
    void nextRollResult();
    void rollStep();
    void stopRoll();
    QStringList rollPool(int firstNew, int last) const;
    void fitTeams(const QRect& area);

    QWidget* m_owner;
    Sources m_sources;
    const BusyState& m_busyState;
    ScreenWindow* m_window;
    QString m_commitment;
    QString m_publicValue;
    QString m_listLine;
    // The closed session's commitment and list line, while no new one is communicated.
    std::optional<std::pair<QString, QString>> m_closed;
    bool m_sessionHasRuns = false;
    int m_linesAtRunStart = 0;
    bool m_teamRun = false;

    // The teams of the last run, lines `first` to `last` of the results, while the results
    // still end with them.
    struct Teams {
        int first;
        int last;
        int people;
    };
    std::optional<Teams> m_teams;
    QTimer m_refresh;

    // The roll: while it goes on, only the results up to m_revealed are shown.
    std::optional<int> m_revealed;
    int m_rollLast = 0;
    QStringList m_rollPool;
    QList<int> m_rollDelays;
    qsizetype m_rollStep = 0;
    QString m_rollText;
    QTimer m_roll;
};

// cmdEcran, "Écran du public", in the bottom bar `bar` left of `cmdPreuve`, the two of them as
// wide as the wider, hidden rather than laid over `link` on a narrow window.
QPushButton* addScreenButton(QWidget* bar, QWidget* link, QPushButton* cmdPreuve);
