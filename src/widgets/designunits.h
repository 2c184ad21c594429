#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QStringList>

// The window was designed in twips; 15 of them make one logical pixel, and Qt scales logical
// pixels for high-density screens itself.
inline constexpr double twipsPerPixel = 15.0;

inline int twipsToPixels(double twips)
{
    return qRound(twips / twipsPerPixel);
}

inline QRect twipsRect(double left, double top, double width, double height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

namespace palette
{
inline const QColor lightGreen(192, 255, 192);
inline const QColor darkGreen(0, 128, 0);
inline const QColor blue(0, 0, 255);
inline const QColor purple(192, 0, 192);
} // namespace palette

// The design's faces come first; the others are what a Linux desktop has in their place.
inline QFont comicFont(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")});
    font.setPointSizeF(points);
    return font;
}

inline QFont sansFont(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}
