#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// A text as a screen label shows it: its font's pixel size and the text with line breaks put in
// place of some of its spaces (nothing else of it changes).
struct FittedText {
    QString text;
    int pixelSize = 0;
    int lines = 1;
};

// What a screen label may take: its box, the largest pixel size it is drawn at, and the lines it
// may wrap onto at spaces.
struct TextRoom {
    QRect box;
    int maxPixels = 1;
    int maxLines = 1;
    // Wrapping is chosen only when one line would be drawn smaller than this.
    int oneLineFloor = 0;
};

// The largest size at which `text`, drawn in `font` and centred in `room.box`, fits the box
// whole: on one line, or wrapped at spaces on up to `room.maxLines` lines. A text that fits at no
// size is drawn at one pixel rather than cut.
FittedText fitText(const QString& text, QFont font, const TextRoom& room);

// Texts side by side in a grid of cells, read column after column, all drawn at one size.
struct TextGrid {
    int pixelSize = 1;
    // The texts with their line breaks, and their cells in the area.
    QStringList texts;
    QList<QRect> cells;
};

// The grid of `texts` in an area of `size` whose columns let them be drawn largest, at most at
// `maxPixels`, each whole in its cell on up to two lines.
TextGrid fitGrid(const QStringList& texts, const QFont& font, QSize size, int maxPixels);

// Where the audience's texts go for a view of `size`, in proportion to it, so that the picture
// is the same on any screen. Before the first run the commitment is the large text.
struct ScreenBoxes {
    TextRoom title;
    TextRoom commitment;
    TextRoom publicValue;
    TextRoom prize;
    TextRoom winner;
    QRect results;
    int resultsPixels = 1;
    TextRoom count;
};
ScreenBoxes screenBoxes(QSize size, bool commitmentLarge);

// How far `text` drawn with `font` reaches when laid out as a label lays it out in `box`.
QRect drawnRect(const QString& text, const QFont& font, const QRect& box);
