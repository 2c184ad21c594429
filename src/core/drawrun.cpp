#include "core/drawrun.h"

#include <cmath>
#include <utility>
#include <vector>

namespace sortivo
{

DrawRun::DrawRun(EntryList entries, std::string resultText, std::int32_t drawCount, int teamSize)
    : m_entries(std::move(entries)), m_pool(m_entries.size()),
      m_result(std::move(resultText), teamSize), m_drawCount(drawCount)
{
}

void DrawRun::drawOne(DrawRng& rng)
{
    const auto rank = uniformBelow(rng, std::uint32_t(m_pool.remaining()));
    m_result.append(m_entries.at(m_pool.takeAt(rank)));
    ++m_drawsDone;
}

void DrawRun::drawAll(DrawRng& rng)
{
    while (!finished())
        drawOne(rng);
}

std::string DrawRun::remainingListText() const
{
    std::vector<std::string_view> rest;
    rest.reserve(m_pool.remaining());
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (!m_pool.isTaken(i))
            rest.push_back(m_entries.at(i));
    return joinListText(rest);
}

std::int64_t percentOf(std::int64_t done, std::int64_t total)
{
    return std::llround(double(done) / double(total) * 100.0);
}

std::string percentText(std::int64_t percent)
{
    return std::to_string(percent) + "%";
}

} // namespace sortivo
