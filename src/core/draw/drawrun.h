#pragma once

#include "core/draw/drawpool.h"
#include "core/draw/drawwords.h"
#include "core/draw/persongroups.h"
#include "core/draw/resulttext.h"
#include "core/list/entrylist.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sortivo
{

// One draw request from its first to its last draw: takes entries at random out of the list
// and appends them to the result text. The window drives it a few draws at a time so that it
// can repaint and hear the stop button in between.
class DrawRun
{
public:
    // drawCount may exceed the entries: the run then ends when the list is empty. Every
    // position comes from `words`, so the run's key decides the whole draw.
    DrawRun(std::shared_ptr<const EntryList> entries, ResultText result, std::int32_t drawCount,
            DrawWords words);
    DrawRun(EntryList entries, std::string resultText, std::int32_t drawCount, int teamSize,
            DrawWords words);
    // Draws from what `left` still holds of `entries`: the entries another run left.
    DrawRun(std::shared_ptr<const EntryList> entries, DrawPool left, ResultText result,
            std::int32_t drawCount, DrawWords words);

    // Under the rule of one prize per person, each entry drawn withdraws the other entries of
    // its person still left. Given before the first draw.
    void withdrawPersons(std::shared_ptr<const PersonGroups> persons);
    const std::shared_ptr<const PersonGroups>& persons() const { return m_persons; }

    bool finished() const { return m_drawsDone >= m_drawCount || m_pool.remaining() == 0; }
    // Up to `maxDraws` draws; their outcome does not depend on how a run is cut into calls.
    void drawMany(std::int32_t maxDraws);
    void drawAll();

    std::int32_t drawCount() const { return m_drawCount; }
    std::int32_t drawsDone() const { return m_drawsDone; }
    std::size_t remainingCount() const { return m_pool.remaining(); }

    const EntryList& entries() const { return *m_entries; }
    const std::shared_ptr<const EntryList>& sharedEntries() const { return m_entries; }
    // Which entries are left.
    const DrawPool& pool() const { return m_pool; }
    // Calls visit(entry) for each entry left, in list order.
    template <typename Visit> void forEachRemaining(Visit visit) const
    {
        m_pool.forEachRemaining([&](std::size_t i) { visit(m_entries->at(i)); });
    }

    // The entries left, in their list order, as a list text.
    std::string remainingListText() const;
    const std::string& resultText() const { return m_result.text(); }
    std::string releaseResultText() { return m_result.release(); }
    // Hands over the result text so far; the entries drawn later are appended to it where it
    // went, with the separators that text calls for. A window showing the results takes them
    // this way as they come.
    std::string takeResultText() { return m_result.take(); }
    // The 0-based list positions of the entries drawn so far, in draw order.
    const std::vector<std::size_t>& drawnIndexes() const { return m_drawnIndexes; }
    // How many entries left the list so far: those drawn and those their persons withdrew.
    std::size_t removedCount() const { return m_drawnIndexes.size() + m_withdrawnIndexes.size(); }
    // Where the entries that left stood among the entries the run started from, in list
    // order: the lines they are on in a box that shows those entries.
    std::vector<std::size_t> removedPlaces() const;

private:
    void reserveForDraws();

    // Shared with the record of the run, which may have to write them out.
    std::shared_ptr<const EntryList> m_entries;
    DrawPool m_pool;
    // What was left when the run started, for a run on the entries another run left.
    std::optional<DrawPool> m_startPool;
    ResultText m_result;
    DrawWords m_words;
    std::vector<std::size_t> m_drawnIndexes;
    std::shared_ptr<const PersonGroups> m_persons;
    std::vector<std::size_t> m_withdrawnIndexes;
    std::int32_t m_drawCount;
    std::int32_t m_drawsDone = 0;
};

// The entries of `entries` grouped by person, for a run under the rule of one prize per person.
std::shared_ptr<const PersonGroups> groupPersons(const EntryList& entries);

} // namespace sortivo
