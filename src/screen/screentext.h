#pragma once

#include <QString>

#include <string_view>

// Of a longer text the screen lays out only this many characters: an entry of 100,000
// characters would take the window most of a second, and be drawn too small to see.
inline constexpr qsizetype shownChars = 300;

// A text as the screen shows it: on one line, and of a longer one its first `maxChars`
// characters, then its length. The cut keeps a letter with its accents and a group of emoji
// whole, and whatever direction the beginning sets is closed before the length, which reads
// left to right.
QString shownText(const QString& text, qsizetype maxChars = shownChars);
QString shownText(std::string_view utf8, qsizetype maxChars = shownChars);

// French figures on the screen: 12 345, with a plain space.
QString figures(qint64 number);

// "1 tiré", "12 345 tirés".
QString plural(int count, std::string_view one, std::string_view many);
