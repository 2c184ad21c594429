#include "core/text/linewrap.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace
{

float byteCount(std::string_view s)
{
    return float(s.size());
}

// Spaces narrower than letters, as in a proportional font, so that a line's width is not a
// multiple of its word widths.
float narrowSpaces(std::string_view s)
{
    float width = 0;
    for (char c : s)
        width += c == ' ' ? 0.5f : 1.0f;
    return width;
}

std::vector<std::string_view> words(std::string_view s)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start <= s.size()) {
        std::size_t end = s.find(' ', start);
        if (end == std::string_view::npos)
            end = s.size();
        if (end > start)
            out.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::vector<std::string_view> paragraphs(std::string_view text)
{
    std::vector<std::string_view> out;
    if (text.empty())
        return out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        out.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return out;
        start = end + 2;
    }
}

} // namespace

// Byte 0 is the page width in half units, signed so that pages narrower than nothing are
// tried too; bit 0 of byte 1 picks the measure; the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const float maxWidth = float(static_cast<std::int8_t>(data[0])) / 2.0f;
    const sortivo::MeasureText measure =
        (data[1] & 1) != 0 ? sortivo::MeasureText(narrowSpaces) : sortivo::MeasureText(byteCount);
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    const std::vector<std::string> lines = sortivo::wrapLines(text, maxWidth, measure);

    // Walk the paragraphs and the lines together: each paragraph owns the next lines.
    std::size_t next = 0;
    for (std::string_view paragraph : paragraphs(text)) {
        if (!(measure(paragraph) > maxWidth)) {
            FUZZ_CHECK(next < lines.size());
            FUZZ_CHECK(lines[next] == paragraph);
            ++next;
            continue;
        }
        // A wrapped line never opens with a space and is never empty, so the paragraph's
        // lines are exactly those that use up its words.
        const std::vector<std::string_view> expected = words(paragraph);
        std::vector<std::string_view> got;
        const std::size_t first = next;
        while (got.size() < expected.size()) {
            FUZZ_CHECK(next < lines.size());
            const std::string& line = lines[next];
            FUZZ_CHECK(!line.empty() && line.front() != ' ');
            FUZZ_CHECK(line.find("\r\n") == std::string::npos);
            // Too wide is allowed only for one word that no break can shorten.
            if (measure(line) > maxWidth)
                FUZZ_CHECK(line.find(' ') == std::string::npos);
            for (std::string_view w : words(line))
                got.push_back(w);
            ++next;
        }
        FUZZ_CHECK(got == expected);
        // Greedy: a line was ended only because the next word did not fit after it.
        for (std::size_t i = first; i + 1 < next; ++i) {
            const std::string joined = lines[i] + ' ' + std::string(words(lines[i + 1]).front());
            FUZZ_CHECK(measure(joined) > maxWidth);
        }
    }
    FUZZ_CHECK(next == lines.size());
    return 0;
}
