#pragma once

#include "core/draw/drawmode.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

class BoxDraw;
class ListBoxState;
class DrawCountChoice;
class DrawSession;
class EntryBlocks;
class Platform;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class BusyState;

// The four draw buttons, the stop button and the clear button of the main window. A long run
// goes on in slices from a timer, the window serving its events in between.
class DrawController : public QObject
{
    Q_OBJECT
public:
    // The controls that only the draws use.
    struct Controls {
        QPlainTextEdit& list;
        QPlainTextEdit& results;
        QPushButton& stop;
        QComboBox& teamSize;
    };
    // Every run is drawn in `session`, whose record can prove it; `listState` tells where the
    // list box's text came from.
    DrawController(QWidget* window, const Controls& controls, const DrawCountChoice& drawCount,
                   DrawSession& session, Platform& platform, const EntryBlocks& listEntries,
                   ListBoxState& listState);
    ~DrawController() override;

    void request(sortivo::DrawMode mode);
    void stopRun();
    void clearResults();

    // How long a slice of a run lasts. Zero makes one draw per slice, so that a test can act
    // at a chosen draw whatever the machine's speed.
    void setEventInterval(std::chrono::milliseconds interval) { m_eventInterval = interval; }

private:
    int chosenTeamSize() const;
    void gateOpened();
    void startDrawing();
    void nextSlice();
    void drawSlice();
    void endDraws();
    void writeBackSlice();
    void showProgress();
    void finish();
    void setBoxesEditable(bool editable);

    QWidget* m_window;
    Controls m_controls;
    const DrawCountChoice& m_drawCount;
    DrawSession& m_session;
    BusyState& m_busyState;
    Platform& m_platform;
    const EntryBlocks& m_listEntries;
    ListBoxState& m_listState;
    std::unique_ptr<BoxDraw> m_run;
    // Whether the run has started drawing, or still waits for the session's gates to open.
    bool m_drawing = false;
    // A click that came while a gate was closed, answered once they are all open.
    std::optional<sortivo::DrawMode> m_deferred;
    bool m_showProgress = false;
    bool m_writingBack = false;
    // Draws, then bytes of list text, per slice, adjusted to what the last slice cost.
    std::int32_t m_drawsPerSlice = 1;
    std::size_t m_bytesPerSlice = 0;
    QTimer m_slices;
    QElapsedTimer m_sinceFlush;
    // A slice of a few times a frame keeps the window lively without slowing a long run.
    std::chrono::milliseconds m_eventInterval{25};
};
