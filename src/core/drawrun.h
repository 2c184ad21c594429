#pragma once

#include "core/drawpool.h"
#include "core/drawrandom.h"
#include "core/entrylist.h"
#include "core/resulttext.h"

#include <cstdint>
#include <string>

namespace sortivo
{

// One draw request from its first to its last draw: takes entries at random out of the list
// and appends them to the result text. The window drives it a few draws at a time so that it
// can repaint and hear the stop button in between.
class DrawRun
{
public:
    // drawCount may exceed the entries: the run then ends when the list is empty.
    DrawRun(EntryList entries, std::string resultText, std::int32_t drawCount, int teamSize);

    bool finished() const { return m_drawsDone >= m_drawCount || m_pool.remaining() == 0; }
    // Up to `maxDraws` draws; their outcome does not depend on how a run is cut into calls.
    void drawMany(DrawRng& rng, std::int32_t maxDraws);
    void drawAll(DrawRng& rng);

    std::int32_t drawCount() const { return m_drawCount; }
    std::int32_t drawsDone() const { return m_drawsDone; }
    std::size_t remainingCount() const { return m_pool.remaining(); }

    // The entries left, in their list order, as a list text.
    std::string remainingListText() const;
    const std::string& resultText() const { return m_result.text(); }
    std::string releaseResultText() { return m_result.release(); }

private:
    EntryList m_entries;
    DrawPool m_pool;
    ResultText m_result;
    std::int32_t m_drawCount;
    std::int32_t m_drawsDone = 0;
};

// Progress as users read it: a whole percentage, halves away from zero, then "%".
std::int64_t percentOf(std::int64_t done, std::int64_t total);
std::string percentText(std::int64_t percent);

} // namespace sortivo
