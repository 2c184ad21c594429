#include "core/list/numbering.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace sortivo
{

std::string numberingText(std::int32_t n)
{
    if (n < 2)
        n = 1;
    // Digits of 1..n plus a CR LF between each two numbers, so one allocation is enough.
    std::size_t size = 2 * static_cast<std::size_t>(n - 1);
    for (std::int64_t first = 1, digits = 1; first <= n; first *= 10, ++digits)
        size += static_cast<std::size_t>((std::min<std::int64_t>(n, first * 10 - 1) - first + 1) *
                                         digits);
    std::string text;
    text.reserve(size);
    char buf[16];
    for (std::int32_t i = 1; i <= n; ++i) {
        if (i > 1)
            text += "\r\n";
        const auto res = std::to_chars(buf, buf + sizeof buf, i);
        text.append(buf, res.ptr);
    }
    return text;
}

namespace
{

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// French locales group digits with a no-break or narrow no-break space that nobody can type;
// users type a plain space instead and expect it to be understood.
bool groupAcceptsSpace(std::string_view groupSeparator)
{
    return groupSeparator == "\u00A0" || groupSeparator == "\u202F";
}

// Rounds to the nearest whole number, halves to the even neighbour. Done by hand rather than
// with nearbyint so that a rounding mode changed elsewhere cannot change a draw's size.
double roundHalfEven(double x)
{
    if (x < 0)
        return -roundHalfEven(-x);
    const double down = std::floor(x);
    // Exact for x >= 0: below 1 down is 0, above it x and down are within a factor of two.
    const double fraction = x - down;
    if (fraction > 0.5)
        return down + 1;
    if (fraction < 0.5)
        return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

class AnswerReader
{
public:
    AnswerReader(std::string_view s, std::string_view decimal, std::string_view group)
        : m_s(s), m_decimal(decimal), m_group(group), m_spaceGroups(groupAcceptsSpace(group))
    {
    }

    // Rewrites the answer as "-123.45e-6" for from_chars; false when it is not a number.
    bool normalise(std::string& out)
    {
        out.reserve(m_s.size() + 2);
        if (m_pos < m_s.size() && (m_s[m_pos] == '+' || m_s[m_pos] == '-'))
            out += m_s[m_pos++];

        bool anyDigit = false;
        // Groups are of three digits after the first: where "," groups, "2,5" is not 25 and
        // "1,2,3" not 123 but a slip of the keyboard, and a guess would draw the wrong count.
        bool grouped = false;
        std::size_t groupDigits = 0;
        while (m_pos < m_s.size()) {
            if (isDigit(m_s[m_pos])) {
                out += m_s[m_pos++];
                anyDigit = true;
                ++groupDigits;
            } else if (anyDigit && skipGroupSeparator()) {
                if (grouped ? groupDigits != 3 : groupDigits > 3)
                    return false;
                grouped = true;
                groupDigits = 0;
                // A separator counts only between two digits, so "1 000" is a thousand but
                // "1 " followed by a word, ",000" or "1,,000" is not a number.
                if (m_pos >= m_s.size() || !isDigit(m_s[m_pos]))
                    return false;
            } else {
                break;
            }
        }
        if (grouped && groupDigits != 3)
            return false;
        // The decimal separator is looked for after the digits, so where a locale's group and
        // decimal separators are the same the group reading wins between digits; no real
        // locale does that, but the answer must still read one way.
        if (skip(m_decimal)) {
            out += '.';
            while (m_pos < m_s.size() && isDigit(m_s[m_pos])) {
                out += m_s[m_pos++];
                anyDigit = true;
            }
        }
        if (!anyDigit)
            return false;

        if (m_pos < m_s.size() && (m_s[m_pos] == 'e' || m_s[m_pos] == 'E')) {
            out += 'e';
            ++m_pos;
            if (m_pos < m_s.size() && (m_s[m_pos] == '+' || m_s[m_pos] == '-'))
                out += m_s[m_pos++];
            bool exponentDigit = false;
            while (m_pos < m_s.size() && isDigit(m_s[m_pos])) {
                out += m_s[m_pos++];
                exponentDigit = true;
            }
            if (!exponentDigit)
                return false;
        }
        return m_pos == m_s.size();
    }

private:
    bool skip(std::string_view token)
    {
        if (token.empty() || m_s.substr(m_pos, token.size()) != token)
            return false;
        m_pos += token.size();
        return true;
    }

    bool skipGroupSeparator()
    {
        if (skip(m_group))
            return true;
        if (m_spaceGroups && m_pos < m_s.size() && m_s[m_pos] == ' ') {
            ++m_pos;
            return true;
        }
        return false;
    }

    std::string_view m_s;
    std::string_view m_decimal;
    std::string_view m_group;
    bool m_spaceGroups;
    std::size_t m_pos = 0;
};

} // namespace

std::optional<std::int32_t> parseNumberAnswer(std::string_view answer,
                                              std::string_view decimalSeparator,
                                              std::string_view groupSeparator)
{
    while (!answer.empty() && isBlank(answer.front()))
        answer.remove_prefix(1);
    while (!answer.empty() && isBlank(answer.back()))
        answer.remove_suffix(1);

    std::string normal;
    if (!AnswerReader(answer, decimalSeparator, groupSeparator).normalise(normal))
        return std::nullopt;

    // from_chars takes no '+'.
    const char* first = normal.data();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto res = std::from_chars(first, normal.data() + normal.size(), value);
    if (res.ec == std::errc::result_out_of_range)
        return 0; // too big does not fit, and too small rounds to 0: either way the answer is 0
    if (res.ec != std::errc() || res.ptr != normal.data() + normal.size())
        return std::nullopt; // cannot happen after normalise, but no guess is better than one

    const double rounded = roundHalfEven(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return 0;
    return static_cast<std::int32_t>(rounded);
}

} // namespace sortivo
