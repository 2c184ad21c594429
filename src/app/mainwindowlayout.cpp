#include "app/mainwindowlayout.h"

#include "app/mainwindowui.h"
#include "app/windowlayout.h"
#include "widgets/designunits.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cmath>

namespace
{

// The rules were written for the outer size of a window whose frame took 90 twips across and
// 525 down (borders and title bar). Here the window manager draws the frame and Qt reports the
// client area, so the design's frame is added back: the design's client 13125 x 7515 is then
// the outer 13215 x 8040 that the rules expect.
constexpr int frameWidthTwips = 90;
constexpr int frameHeightTwips = 525;

int minimumClientPixels(float outerTwips, int frameTwips)
{
    return int(std::ceil((outerTwips - frameTwips) / twipsPerPixel));
}

// Only the coordinates that the rules compute change; the others stay as designed.
void setLeft(QWidget* widget, double twips)
{
    widget->move(twipsToPixels(twips), widget->y());
}

void setTop(QWidget* widget, double twips)
{
    widget->move(widget->x(), twipsToPixels(twips));
}

} // namespace

QSize minimumClientSize()
{
    return {minimumClientPixels(sortivo::minimumOuterWidth, frameWidthTwips),
            minimumClientPixels(sortivo::minimumOuterHeight, frameHeightTwips)};
}

void applyWindowLayout(MainWindowUi& ui, QSize clientSize)
{
    const float outerWidth = float(clientSize.width() * twipsPerPixel + frameWidthTwips);
    const float outerHeight = float(clientSize.height() * twipsPerPixel + frameHeightTwips);
    // The rules take the fixed sizes as designed, not read back from the controls: pixel
    // sizes rounded from twips would shift every result by a fraction.
    const sortivo::WindowLayout l = sortivo::computeWindowLayout(outerWidth, outerHeight);

    ui.fraBas->setGeometry(ui.fraBas->x(), twipsToPixels(l.fraBasTop), twipsToPixels(l.fraBasWidth),
                           ui.fraBas->height());
    setTop(ui.fraMenu, l.fraMenuTop);
    setLeft(ui.infoButton, l.command1Left);
    ui.txtListe->resize(twipsToPixels(l.txtListeWidth), twipsToPixels(l.txtListeHeight));
    setLeft(ui.fraCentre, l.fraCentreLeft);
    ui.txtResult->setGeometry(twipsToPixels(l.txtResultLeft), ui.txtResult->y(),
                              twipsToPixels(l.txtResultWidth), twipsToPixels(l.txtResultHeight));
    setLeft(ui.lblResult, l.lblResultLeft);
    setLeft(ui.picMnu[0], l.picMnu0Left);
    setLeft(ui.picMnu[1], l.picMnu1Left);
}
