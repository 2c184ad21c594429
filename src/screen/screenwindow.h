#pragma once

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class PagedList;

// frmEcran: what the audience sees, big, with a strip above it for the organiser's settings of
// the show.
// Full screen it shows no control and hides the pointer once the mouse rests. It only shows; the
// screen controller fills it. The Up and Down arrows turn the pages of the results.
class ScreenWindow : public QWidget
{
    Q_OBJECT
public:
    // A window of its own that `owner` keeps and takes down with it.
    explicit ScreenWindow(QWidget* owner);

    // The part the audience sees, under the settings.
    QWidget* view() const { return m_view; }
    void toggleFullScreen();
    // The first `count` cells of the team grid, made as needed; the others are hidden.
    QList<QLabel*> teamCells(int count);

    QCheckBox* chkAnimation;
    QLabel* lblEcranTitre;
    QLabel* lblEcranEngagement;
    QLabel* lblEcranValeur;
    QLabel* lblEcranLot;
    QLabel* lblEcranGagnant;
    PagedList* lstEcranResultats;
    QLabel* lblEcranCompte;
    QWidget* fraEcranEquipes;

    // The pointer hides after this long without moving, full screen.
    static constexpr int pointerRestMs = 2000;

signals:
    // A click on the view: it ends the reveal.
    void skipAsked();
    // The view changed size: its texts must be fitted again.
    void viewResized();
    // Page Down or the Right arrow, as a presenter's remote sends them.
    void nextAsked();
    // Shown, closed, put on another screen, or in or out of full screen.
    void placementChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void pointerMoved();

    QWidget* m_strip;
    QWidget* m_view;
    QList<QLabel*> m_teamCells;
    QTimer m_pointerRest;
};
