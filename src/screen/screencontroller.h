#pragma once

#include "screen/palmareslines.h"
#include "screen/screenfit.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sortivo
{
struct RunRecord;
}

class EntryBlocks;
class QLabel;
class QPushButton;
class QScreen;
class QTextDocument;
class QWidget;
class BusyState;
class DrawSession;
class PrizesDialog;
class ScreenWindow;

// The audience screen: it follows the session's results with who wins what, the list, the
// commitment once communicated and the public value, reveals the results of short runs after a
// roll of names, shows a team run's teams side by side, and the whole palmarès when asked. It
// only reads: nothing it does reaches the boxes or the proof session. Each change costs what
// changed, whatever the lists' length: who wins what is worked out once per change, only the
// page of results shown is laid out, and of a line only its beginning.
class ScreenController : public QObject
{
    Q_OBJECT
public:
    struct Sources {
        const DrawSession& session;
        const QTextDocument& results;
        const QTextDocument& list;
        const EntryBlocks& listEntries;
        // The event's title.
        const PrizesDialog& prizes;
    };
    ScreenController(QWidget* owner, const Sources& sources, const BusyState& busyState,
                     const QString& commitment);

    // Where the screen stands, by name the screen it is on.
    struct Placement {
        enum class State { Closed, Window, FullScreen };
        State state = State::Closed;
        QString screen;
    };
    Placement placement() const;
    // Opens the screen as it stood in a session resumed; where it would open anew when that
    // screen is gone.
    void restore(const Placement& placement);

    // Opens the screen where the audience looks, or brings it to the front when it is open.
    void show();
    // Shows every result by who wins what, with the title, instead of the latest winner, until
    // the next run begins.
    void showPalmares();
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
    void placementChanged();

private:
    void place();
    void placeOn(QScreen* screen, bool fullScreen);
    void scheduleRefresh();
    void refresh();
    void fitLabels();
    void fit(QLabel* label, const QString& text, const TextRoom& room, const QFont& font);
    int resultLines() const;
    // Who wins what as the session stands, worked out again only when it changed.
    const PalmaresLines& palmares();
    // The results shown: all of them, but during a roll only those it revealed, and none while
    // teams are shown.
    std::size_t shownResults();
    void startRoll(std::size_t firstNew, std::size_t last);
    void nextRollResult();
    void rollStep();
    void stopRoll();
    QStringList rollPool(std::size_t firstNew, std::size_t last);
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
    bool m_showPalmares = false;

    // The session as the palmarès was last worked out from.
    struct PalmaresOf {
        std::string commitment;
        std::size_t runs = 0;
        std::size_t absences = 0;
        std::vector<std::string> prizes;
        bool operator==(const PalmaresOf&) const = default;
    };
    std::optional<PalmaresOf> m_palmaresOf;
    PalmaresLines m_palmares;

    // The teams of the last run, lines `first` to `last` of the results, while the results
    // still end with them.
    struct Teams {
        int first;
        int last;
        int people;
    };
    std::optional<Teams> m_teams;
    QTimer m_refresh;

    // The roll: while it goes on, only the first m_revealed results are shown.
    std::optional<std::size_t> m_revealed;
    std::size_t m_rollLast = 0;
    QStringList m_rollPool;
    QList<int> m_rollDelays;
    qsizetype m_rollStep = 0;
    QString m_rollText;
    QTimer m_roll;
};

// cmdEcran, "Écran du public", in the bottom bar `bar` left of `cmdPreuve`, the two of them as
// wide as the wider, hidden rather than laid over `link` on a narrow window.
QPushButton* addScreenButton(QWidget* bar, QWidget* link, QPushButton* cmdPreuve);
