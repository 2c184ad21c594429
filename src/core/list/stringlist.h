#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sortivo
{

// Strings kept end to end in one buffer: a run's million results are two allocations.
class StringList
{
public:
    void append(std::string_view s)
    {
        m_chars += s;
        m_ends.push_back(m_chars.size());
    }
    void reserve(std::size_t count, std::size_t chars)
    {
        m_ends.reserve(count);
        m_chars.reserve(chars);
    }

    std::size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::string_view at(std::size_t i) const
    {
        const std::size_t start = i == 0 ? 0 : m_ends[i - 1];
        return std::string_view(m_chars).substr(start, m_ends[i] - start);
    }

private:
    std::string m_chars;
    std::vector<std::size_t> m_ends;
};

} // namespace sortivo
