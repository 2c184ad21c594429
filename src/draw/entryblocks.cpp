#include "draw/entryblocks.h"

#include "core/list/entrylist.h"
#include "widgets/textboxtext.h"

#include <QStringEncoder>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace
{

// A break within a line, or the mark where a frame or a table cell begins or ends: the box's
// blocks are then no longer lines that can be taken out one by one.
bool holdsLineBreak(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c == QChar::LineSeparator || c == u'\r' || c == u'\n' || c == u'\uFDD0' ||
               c == u'\uFDD1';
    });
}

// Looks at the text between two positions a piece at a time, so that a whole new list is not
// copied at once.
bool rangeHoldsLineBreak(QTextDocument& document, int from, int to)
{
    constexpr int piece = 1 << 20;
    QTextCursor cursor(&document);
    for (int start = from; start < to; start += piece) {
        cursor.setPosition(start);
        cursor.setPosition(std::min(to, start + piece), QTextCursor::KeepAnchor);
        if (holdsLineBreak(cursor.selectedText()))
            return true;
    }
    return false;
}

} // namespace

EntryBlocks::EntryBlocks(QTextDocument& list, QObject* parent) : QObject(parent), m_list(list)
{
    m_blocksAreEntries = !rangeHoldsLineBreak(m_list, 0, m_list.characterCount() - 1);
    connect(&m_list, &QTextDocument::contentsChange, this, &EntryBlocks::contentsChanged);
}

void EntryBlocks::contentsChanged(int position, int /*removed*/, int added)
{
    // The last position holds the document's own closing separator.
    const int end = std::min(position + added, m_list.characterCount() - 1);
    const bool wholeText = position == 0 && end >= m_list.characterCount() - 1;
    // A break, once in, is not looked for again on removals: only a new text clears it.
    if (wholeText)
        m_blocksAreEntries = !rangeHoldsLineBreak(m_list, 0, end);
    else if (m_blocksAreEntries && added > 0)
        m_blocksAreEntries = !rangeHoldsLineBreak(m_list, position, end);
}

std::int32_t EntryBlocks::entryCount() const
{
    if (m_list.isEmpty())
        return 0;
    if (m_blocksAreEntries)
        return m_list.blockCount();
    return std::int32_t(entries().size());
}

sortivo::EntryList EntryBlocks::entries() const
{
    if (!m_blocksAreEntries)
        return sortivo::loadEntries(boxText(m_list));
    if (m_list.isEmpty())
        return {};
    // One pass over the document's text, cut where each block ends: no UTF-8 copy of the
    // whole text to rewrite its separators and then search for them again.
    const QString raw = m_list.toRawText();
    std::string lines;
    std::vector<std::size_t> starts;
    starts.reserve(std::size_t(m_list.blockCount()) + 1);
    // Most lists are mostly ASCII: a byte per character, and CR LF where a block ends.
    lines.reserve(std::size_t(raw.size()) + std::size_t(m_list.blockCount()) + 16);
    QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    for (qsizetype from = 0;;) {
        const qsizetype end = raw.indexOf(QChar::ParagraphSeparator, from);
        const QStringView line = QStringView(raw).mid(from, (end < 0 ? raw.size() : end) - from);
        if (!starts.empty())
            lines += "\r\n";
        starts.push_back(lines.size());
        const std::size_t at = lines.size();
        lines.resize(at + std::size_t(utf8.requiredSpace(line.size())));
        lines.resize(std::size_t(utf8.appendToBuffer(lines.data() + at, line) - lines.data()));
        // Half a surrogate pair: written as the box's text is, so that the list communicated
        // and the list drawn from are the same bytes.
        if (utf8.hasError()) {
            lines.resize(at);
            lines += line.toString().toStdString();
            utf8.resetState();
        }
        if (end < 0)
            break;
        from = end + 1;
    }
    starts.push_back(lines.size() + 2);
    return sortivo::EntryList(std::move(lines), std::move(starts));
}
