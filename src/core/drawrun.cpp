#include "core/drawrun.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>
#include <vector>

namespace sortivo
{

DrawRun::DrawRun(EntryList entries, std::string resultText, std::int32_t drawCount, int teamSize,
                 DrawWords words)
    : DrawRun(std::make_shared<const EntryList>(std::move(entries)), std::move(resultText),
              drawCount, teamSize, std::move(words))
{
}

DrawRun::DrawRun(std::shared_ptr<const EntryList> entries, std::string resultText,
                 std::int32_t drawCount, int teamSize, DrawWords words)
    : m_entries(std::move(entries)), m_pool(m_entries->size()),
      m_result(std::move(resultText), teamSize), m_words(std::move(words)), m_drawCount(drawCount)
{
    reserveForDraws();
}

DrawRun::DrawRun(std::shared_ptr<const EntryList> entries, DrawPool left, std::string resultText,
                 std::int32_t drawCount, int teamSize, DrawWords words)
    : m_entries(std::move(entries)), m_pool(std::move(left)), m_startPool(m_pool),
      m_result(std::move(resultText), teamSize), m_words(std::move(words)), m_drawCount(drawCount)
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

void DrawRun::drawMany(std::int32_t maxDraws)
{
    // Positions are chosen a batch ahead so that the entries' memory is fetched for the whole
    // batch at once rather than one cache miss after another.
    constexpr std::size_t batchSize = 32;
    // Taken a few at a time, so that where each entry starts is asked for as soon as it is
    // known and has come in by the time its characters are asked for.
    constexpr std::size_t takeChunk = 4;
    std::array<std::uint32_t, batchSize> ranks{};
    std::array<std::size_t, batchSize> picked{};
    while (maxDraws > 0 && !finished()) {
        const auto batch =
            std::size_t(std::min({std::int32_t(batchSize), maxDraws, m_drawCount - m_drawsDone,
                                  std::int32_t(std::min(m_pool.remaining(), batchSize))}));
        const auto left = std::uint32_t(m_pool.remaining());
        for (std::size_t i = 0; i < batch; ++i)
            ranks[i] = uniformBelow(m_words, left - std::uint32_t(i));
        for (std::size_t i = 0; i < batch; i += takeChunk) {
            const std::size_t n = std::min(takeChunk, batch - i);
            m_pool.takeInOrder(std::span(ranks).subspan(i, n), std::span(picked).subspan(i, n));
            for (std::size_t j = i; j < i + n; ++j)
                m_entries->prefetchBounds(picked[j]);
        }
        for (std::size_t i = 0; i < batch; ++i)
            m_entries->prefetchChars(picked[i]);
        for (std::size_t i = 0; i < batch; ++i) {
            const std::string_view entry = m_entries->at(picked[i]);
            m_result.append(entry);
            m_drawnIndexes.push_back(picked[i]);
        }
        m_drawsDone += std::int32_t(batch);
        maxDraws -= std::int32_t(batch);
    }
}

void DrawRun::drawAll()
{
    drawMany(m_drawCount);
}

std::vector<std::size_t> DrawRun::drawnPlaces() const
{
    std::vector<std::size_t> drawn = m_drawnIndexes;
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
