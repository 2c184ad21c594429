#include "app/windowlayout.h"

namespace sortivo
{

WindowLayout computeWindowLayout(float outerWidth, float outerHeight, const LayoutInputs& in)
{
    WindowLayout l;
    l.fraBasWidth = outerWidth - 120;
    l.fraBasTop = outerHeight - 1080;
    l.fraMenuTop = l.fraBasTop - in.fraMenuHeight;
    l.command1Left = l.fraBasWidth - in.command1Width - 120;
    l.txtListeHeight = l.fraMenuTop - in.txtListeTop - 25;
    l.txtResultHeight = l.txtListeHeight;
    // The two text boxes share what the centre column leaves, so an odd width gives each box
    // a half twip; the float keeps it rather than letting the boxes differ by one.
    l.txtListeWidth = (outerWidth - 300 - in.fraCentreWidth) / 2;
    l.fraCentreLeft = l.txtListeWidth + 60;
    l.txtResultLeft = l.txtListeWidth + in.fraCentreWidth;
    l.txtResultWidth = l.txtListeWidth;
    l.lblResultLeft = l.txtResultLeft + 120;
    // The menu pictures stay right-aligned with the box they sit over.
    l.picMnu0Left = in.txtListeLeft + l.txtListeWidth - in.picMnu0Width;
    l.picMnu1Left = l.txtResultLeft + l.txtResultWidth - in.picMnu1Width;
    return l;
}

} // namespace sortivo
