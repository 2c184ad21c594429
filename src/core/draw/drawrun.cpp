#include "core/draw/drawrun.h"

#include "core/draw/drawloop.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace sortivo
{

DrawRun::DrawRun(EntryList entries, std::string resultText, std::int32_t drawCount, int teamSize,
                 DrawWords words)
    : DrawRun(std::make_shared<const EntryList>(std::move(entries)),
              ResultText(std::move(resultText), teamSize), drawCount, std::move(words))
{
}

DrawRun::DrawRun(std::shared_ptr<const EntryList> entries, ResultText result,
                 std::int32_t drawCount, DrawWords words)
    : m_entries(std::move(entries)), m_pool(m_entries->size()), m_result(std::move(result)),
      m_words(std::move(words)), m_drawCount(drawCount)
{
    reserveForDraws();
}

DrawRun::DrawRun(std::shared_ptr<const EntryList> entries, DrawPool left, ResultText result,
                 std::int32_t drawCount, DrawWords words)
    : m_entries(std::move(entries)), m_pool(std::move(left)), m_startPool(m_pool),
      m_result(std::move(result)), m_words(std::move(words)), m_drawCount(drawCount)
{
    reserveForDraws();
}

void DrawRun::reserveForDraws()
{
    // Room for what this run will append, estimated from the average entry, so that a long
    // run does not copy its growing result over and over.
    if (const std::size_t n = m_pool.remaining(); n > 0 && m_drawCount > 0) {
        const std::size_t draws = std::min<std::size_t>(n, std::size_t(m_drawCount));
        const std::size_t averageEntry = m_entries->charCount() / m_entries->size();
        m_result.reserve(draws * (averageEntry + 3));
        m_drawnIndexes.reserve(draws);
    }
}

void DrawRun::withdrawPersons(std::shared_ptr<const PersonGroups> persons)
{
    m_persons = std::move(persons);
}

std::shared_ptr<const PersonGroups> groupPersons(const EntryList& entries)
{
    return std::make_shared<const PersonGroups>(
        entries.size(), [&entries](std::size_t i) { return entries.at(i); });
}

void DrawRun::drawMany(std::int32_t maxDraws)
{
    if (finished() || maxDraws <= 0)
        return;
    const auto draws = std::size_t(std::min(maxDraws, m_drawCount - m_drawsDone));
    const std::size_t before = m_drawnIndexes.size();
    if (m_persons) {
        drawOnePerPerson(
            m_pool, m_words, draws, *m_persons,
            [&](std::size_t i) {
                m_result.append(m_entries->at(i));
                m_drawnIndexes.push_back(i);
            },
            [&](std::size_t i) { m_withdrawnIndexes.push_back(i); });
        m_drawsDone += std::int32_t(m_drawnIndexes.size() - before);
        return;
    }
    drawFromPool<32>(
        m_pool, m_words, draws, [&](std::size_t i) { m_entries->prefetchBounds(i); },
        [&](std::size_t i) { m_entries->prefetchChars(i); },
        [&](std::size_t i) {
            m_result.append(m_entries->at(i));
            m_drawnIndexes.push_back(i);
        });
    m_drawsDone += std::int32_t(m_drawnIndexes.size() - before);
}

void DrawRun::drawAll()
{
    drawMany(m_drawCount);
}

std::vector<std::size_t> DrawRun::removedPlaces() const
{
    std::vector<std::size_t> drawn = m_drawnIndexes;
    drawn.insert(drawn.end(), m_withdrawnIndexes.begin(), m_withdrawnIndexes.end());
    std::sort(drawn.begin(), drawn.end());
    return m_startPool ? m_startPool->ranksOf(drawn) : drawn;
}

std::string DrawRun::remainingListText() const
{
    std::vector<std::string_view> rest;
    rest.reserve(m_pool.remaining());
    forEachRemaining([&](std::string_view entry) { rest.push_back(entry); });
    return joinListText(rest);
}

} // namespace sortivo
