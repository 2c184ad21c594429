#pragma once

namespace sortivo
{

// Sizes of the main window's fixed parts in twips, as laid out in the designer.
struct LayoutInputs {
    float fraMenuHeight = 255;
    float command1Width = 1695;
    float txtListeTop = 720;
    float txtListeLeft = 60;
    float fraCentreWidth = 2270;
    float picMnu0Width = 855;
    float picMnu1Width = 1215;
};

// Where the parts that follow the window's size go, in twips.
struct WindowLayout {
    float fraBasWidth = 0;
    float fraBasTop = 0;
    float fraMenuTop = 0;
    float command1Left = 0;
    float txtListeHeight = 0;
    float txtResultHeight = 0;
    float txtListeWidth = 0;
    float fraCentreLeft = 0;
    float txtResultLeft = 0;
    float txtResultWidth = 0;
    float lblResultLeft = 0;
    float picMnu0Left = 0;
    float picMnu1Left = 0;
};

// Below these outer sizes the list boxes would get a negative width or height.
inline constexpr float minimumOuterWidth = 2570;
inline constexpr float minimumOuterHeight = 2080;

// Lays out the window for an outer size in twips. Computed in single precision, each value
// from the ones before it, so that odd sizes land on the same half twips as they always did.
WindowLayout computeWindowLayout(float outerWidth, float outerHeight, const LayoutInputs& in = {});

} // namespace sortivo
