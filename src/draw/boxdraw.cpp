#include "draw/boxdraw.h"

#include "draw/entryblocks.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <functional>

namespace
{

void removeRange(QTextDocument& document, int from, int to)
{
    QTextCursor cursor(&document);
    // Outside an edit block every move of a cursor lays out its line to find where it stands
    // on screen, which for an entry of many thousand characters takes a good part of a second.
    cursor.beginEditBlock();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
}

// Removes a line with one of the breaks beside it; the last line of all leaves nothing.
void removeLine(QTextDocument& document, const QTextBlock& block)
{
    const int textEnd = block.position() + block.length() - 1;
    if (const QTextBlock next = block.next(); next.isValid())
        removeRange(document, block.position(), next.position());
    else if (const QTextBlock previous = block.previous(); previous.isValid())
        removeRange(document, block.position() - 1, textEnd);
    else
        removeRange(document, block.position(), textEnd);
}

} // namespace

BoxDraw::BoxDraw(QTextDocument& list, QTextDocument& results, const EntryBlocks& blocks,
                 sortivo::DrawRun run)
    : m_list(list), m_results(results), m_blocksAreEntries(blocks.blocksAreEntries()),
      m_run(std::move(run))
{
    // The text the run starts from is in the box already.
    m_run.takeResultText();
}

void BoxDraw::flushResults()
{
    const std::string text = m_run.takeResultText();
    if (text.empty())
        return;
    QTextCursor cursor(&m_results);
    // As in removeRange: no line laid out to place the cursor.
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    cursor.endEditBlock();
}

bool BoxDraw::writeBackList(std::size_t bytes)
{
    if (!m_rewrite) {
        flushResults();
        // Nothing is left to write back, whatever the lines were.
        if (m_run.remainingCount() == 0) {
            m_list.clear();
            return true;
        }
        if (m_blocksAreEntries && m_run.removedCount() <= inPlaceLimit) {
            removeDrawnLines();
            return true;
        }
        m_rewrite.emplace(m_run.remainingListText());
        m_list.clear();
    }
    m_rewrite->feed(m_list, bytes);
    return m_rewrite->done();
}

void BoxDraw::removeDrawnLines()
{
    // From the last line up, so that the line numbers still to visit stay where they were.
    const std::vector<std::size_t> lines = m_run.removedPlaces();
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        removeLine(m_list, m_list.findBlockByNumber(int(*line)));
    // A rewrite starts writing line breaks at the first entry that is not empty.
    while (m_list.blockCount() > 1 && m_list.firstBlock().length() == 1)
        removeLine(m_list, m_list.firstBlock());
}
