#pragma once

#include "core/draw/drawrun.h"
#include "widgets/textboxtext.h"

#include <cstdint>
#include <optional>
#include <string_view>

class EntryBlocks;
class QTextDocument;

// One draw request on the two boxes. The drawn entries are appended to the results as they
// are drawn; at the end the list loses them where they stand, or, after many draws or when
// its lines do not map one to one onto entries, is written again with the entries left. The
// boxes end exactly as a rewrite of both texts would leave them.
class BoxDraw
{
public:
    // The line break of the results that a run hands over: the one a box reads as a line of
    // its own, so that the text goes in as it is. No entry holds a line break.
    static constexpr std::string_view lineBreak = "\n";

    // `run` draws from the entries of `list` and starts from the text of `results`, writing
    // its results with `lineBreak`.
    BoxDraw(QTextDocument& list, QTextDocument& results, const EntryBlocks& blocks,
            sortivo::DrawRun run);

    sortivo::DrawRun& run() { return m_run; }
    const sortivo::DrawRun& run() const { return m_run; }

    // Draws up to `maxDraws` entries; they reach the results box at the next flush.
    void draw(std::int32_t maxDraws) { m_run.drawMany(maxDraws); }
    void flushResults();
    // Brings the list in step with the draws, about `bytes` of text at a time; true when done.
    bool writeBackList(std::size_t bytes);

    // Up to this many draws the lines are removed where they stand; past it the list is
    // written again, which costs less than removing many lines one by one.
    static constexpr std::size_t inPlaceLimit = 2000;

private:
    void removeDrawnLines();

    QTextDocument& m_list;
    QTextDocument& m_results;
    bool m_blocksAreEntries;
    sortivo::DrawRun m_run;
    std::optional<BoxTextFeed> m_rewrite;
};
