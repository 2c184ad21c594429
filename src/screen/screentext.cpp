#include "screen/screentext.h"

#include "core/text/french.h"

#include <QTextBoundaryFinder>

#include <cstdint>

namespace
{

// A line typed with Shift+Enter holds a separator of its own; on the screen it reads as a space.
QString oneLine(QString text)
{
    text.replace(QChar::LineSeparator, u' ');
    return text;
}

} // namespace

QString figures(qint64 number)
{
    return QString::fromStdString(
        sortivo::frenchNumber(std::uint64_t(number), sortivo::Thousands::Space));
}

QString plural(int count, std::string_view one, std::string_view many)
{
    return QString::fromStdString(
        sortivo::frenchCount(std::uint64_t(count), one, many, sortivo::Thousands::Space));
}

QString shownText(const QString& text, qsizetype maxChars)
{
    // A character takes one or two UTF-16 units.
    if (text.size() <= maxChars)
        return oneLine(text);
    qsizetype chars = 0;
    qsizetype cut = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate())
            continue;
        if (chars++ == maxChars)
            cut = i;
    }
    if (chars <= maxChars)
        return oneLine(text);
    // Whether a character begins at the cut depends on the characters before it and the next.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text.left(cut + 2));
    graphemes.setPosition(cut);
    if (!graphemes.isAtBoundary()) {
        // A letter with more accents than fit is cut among them.
        const qsizetype before = graphemes.toPreviousBoundary();
        if (before > 0)
            cut = before;
    }
    return QChar(0x2068) + oneLine(text.left(cut)) + QChar(0x2069) + QStringLiteral("… (") +
           plural(int(chars), "caractère", "caractères") + u')';
}

QString shownText(std::string_view utf8, qsizetype maxChars)
{
    return shownText(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), maxChars);
}
