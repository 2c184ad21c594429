#pragma once

#include "core/drawmode.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

class BoxDraw;
class DrawCountChoice;
class EntryBlocks;
class Platform;
class ProgressLabel;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class RunState;
namespace sortivo
{
class ProofSession;
}

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
    // Every run is drawn from `proof`, the session whose record can prove it.
    DrawController(QWidget* window, const Controls& controls, DrawCountChoice& drawCount,
                   ProgressLabel& progress, RunState& runState, Platform& platform,
                   sortivo::ProofSession& proof, const EntryBlocks& listEntries);
    ~DrawController() override;

    void request(sortivo::DrawMode mode);
    void stop();
    void clearResults();

    // How long a slice of a run lasts. Zero makes one draw per slice, so that a test can act
    // at a chosen draw whatever the machine's speed.
    void setEventInterval(std::chrono::milliseconds interval) { m_eventInterval = interval; }

signals:
    // A run is about to draw into the boxes, once the results to keep are settled.
    void runBegun();
    // The run has drawn `draws` entries and the boxes show its outcome.
    void runEnded(int draws);

private:
    int chosenTeamSize() const;
    void nextSlice();
    void drawSlice();
    void endDraws();
    void writeBackSlice();
    void showProgress();
    void finish();
    void setBoxesEditable(bool editable);

    QWidget* m_window;
    Controls m_controls;
    DrawCountChoice& m_drawCount;
    ProgressLabel& m_progress;
    RunState& m_runState;
    Platform& m_platform;
    sortivo::ProofSession& m_proof;
    const EntryBlocks& m_listEntries;
    std::unique_ptr<BoxDraw> m_run;
    bool m_showProgress = false;
    // Whether the list changed since the last run ended; it then shows other entries than the
    // ones that run left.
    bool m_listTouched = true;
    bool m_writingBack = false;
    // Draws, then bytes of list text, per slice, adjusted to what the last slice cost.
    std::int32_t m_drawsPerSlice = 1;
    std::size_t m_bytesPerSlice = 0;
    QTimer m_slices;
    QElapsedTimer m_sinceFlush;
    // A slice of a few times a frame keeps the window lively without slowing a long run.
    std::chrono::milliseconds m_eventInterval{25};
};
