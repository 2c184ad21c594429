#include "core/list/numbering.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace
{

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// "[+-]digits[<decimal point>digits]" with at most `most` digits on each side, split into its
// parts.
struct Plain {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
};

std::optional<Plain> plainNumber(std::string_view s, std::string_view decimalPoint,
                                 std::size_t most)
{
    Plain p;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        p.negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::size_t i = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    p.whole = s.substr(0, i);
    if (!decimalPoint.empty() && s.substr(i).starts_with(decimalPoint)) {
        std::size_t j = i + decimalPoint.size();
        while (j < s.size() && isDigit(s[j]))
            ++j;
        p.fraction = s.substr(i + decimalPoint.size(), j - i - decimalPoint.size());
        i = j;
    }
    if (i != s.size() || p.whole.empty() || p.whole.size() > most || p.fraction.size() > most)
        return std::nullopt;
    return p;
}

// Exact decimal rounding, halves to even, worked on the digits rather than on a double.
std::int64_t roundedHalfEven(const Plain& p)
{
    std::int64_t whole = 0;
    for (char c : p.whole)
        whole = whole * 10 + (c - '0');
    int versusHalf = 0; // the fraction compared with one half
    if (!p.fraction.empty()) {
        versusHalf = p.fraction.front() > '5' ? 1 : p.fraction.front() < '5' ? -1 : 0;
        if (versusHalf == 0 && p.fraction.find_first_not_of('0', 1) != std::string_view::npos)
            versusHalf = 1;
    }
    if (versusHalf > 0 || (versusHalf == 0 && !p.fraction.empty() && whole % 2 == 1))
        ++whole;
    return p.negative ? -whole : whole;
}

} // namespace

// Byte 0 holds the lengths of the decimal separator (low nibble) and the group separator
// (high nibble), each up to 7 bytes; the separators follow, then the answer. Separators of
// any bytes, empty ones and ones made of digits or signs included, must never break the
// reader even though no locale has them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto take = [&](std::size_t n) {
        const std::string_view piece = rest.substr(0, n);
        rest.remove_prefix(piece.size());
        return piece;
    };
    const std::string_view decimal = take(data[0] & 0x07);
    const std::string_view group = take((data[0] >> 4) & 0x07);
    const std::string_view answer = rest;

    const std::optional<std::int32_t> got = sortivo::parseNumberAnswer(answer, decimal, group);

    const std::string_view bare = trimBlanks(answer);
    if (bare.empty())
        FUZZ_CHECK(!got.has_value());

    // Plain whole numbers read as themselves whatever the separators are: digits are taken
    // before any separator is looked for.
    if (const auto p = plainNumber(bare, {}, 15)) {
        const std::int64_t value = roundedHalfEven(*p);
        const bool fits = value >= INT32_MIN && value <= INT32_MAX;
        FUZZ_CHECK(got.has_value() && *got == (fits ? value : 0));
    }

    // With an English locale, short decimals round to the even neighbour as exact decimals
    // would: a double holds six digits on each side of the point far more closely than the
    // distance from any of them to the next half.
    if (decimal == "." && group == ",") {
        if (const auto p = plainNumber(bare, ".", 6)) {
            FUZZ_CHECK(got.has_value() && *got == roundedHalfEven(*p));
        }
    }
    return 0;
}
