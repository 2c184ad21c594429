#include "core/io/textdecode.h"
#include "fuzzcheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace
{

using sortivo::DecodedList;

// One code point of a strict UTF-8 text and the bytes it took; nullopt at an ill-formed
// sequence. Written from the code point ranges rather than the lead byte tables, so that it
// does not share a mistake with the decoder.
struct CodePoint {
    char32_t value;
    std::size_t length;
};

std::optional<CodePoint> nextCodePoint(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80)
        return CodePoint{lead, 1};
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (s.size() - i < length)
        return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return std::nullopt;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const char32_t lowest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < lowest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return CodePoint{value, length};
}

std::optional<std::vector<char32_t>> codePoints(std::string_view s)
{
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto cp = nextCodePoint(s, i);
        if (!cp)
            return std::nullopt;
        out.push_back(cp->value);
        i += cp->length;
    }
    return out;
}

bool isRefusedControl(unsigned char b)
{
    return b < 0x09 || (b >= 0x0E && b <= 0x1F);
}

// The lines a reader keeps: CR LF, CR and LF each end a line, and the first empty line ends
// the list.
std::vector<std::string_view> keptLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end == start)
            break;
        lines.push_back(bytes.substr(start, end - start));
        if (end == bytes.size())
            break;
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

std::vector<std::string_view> splitAtCrLf(std::string_view text)
{
    std::vector<std::string_view> lines;
    if (text.empty())
        return lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 2;
    }
}

// 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no Windows-1252 character and keep their own value;
// the other bytes of 0x80-0x9F are typographic characters above U+00FF.
bool isCp1252Reading(unsigned char byte, char32_t cp)
{
    if (byte < 0x80 || byte >= 0xA0)
        return cp == byte;
    if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)
        return cp == byte;
    return cp > 0xFF;
}

// A text box would break a line at U+2028 or U+2029 and drop U+FDD0 and U+FDD1: the reader
// puts a space in their place.
std::string withoutBoxBreaks(std::string_view line)
{
    std::string out(line);
    for (const char* c : {"\u2028", "\u2029", "\uFDD0", "\uFDD1"})
        for (std::size_t at = out.find(c); at != std::string::npos; at = out.find(c, at + 1))
            out.replace(at, 3, " ");
    return out;
}

void checkListText(const std::string& text)
{
    FUZZ_CHECK(codePoints(text).has_value());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r')
            FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n');
        if (text[i] == '\n')
            FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
    }
    FUZZ_CHECK(!text.ends_with("\r\n"));
    FUZZ_CHECK(!text.starts_with("\r\n"));
    FUZZ_CHECK(text.find("\r\n\r\n") == std::string::npos);
    for (const char* c : {"\u2028", "\u2029", "\uFDD0", "\uFDD1"})
        FUZZ_CHECK(text.find(c) == std::string::npos);
}

// The line count and line length limits refuse exactly the lists that pass them.
void checkLimits(std::string_view bytes, const DecodedList& whole)
{
    if (whole.status != DecodedList::Status::Ok)
        return;
    const std::vector<std::string_view> lines = splitAtCrLf(whole.listText);
    std::size_t longest = 0;
    for (std::string_view line : lines)
        longest = std::max(longest, codePoints(line)->size());
    if (!lines.empty()) {
        const DecodedList fewer = sortivo::decodeListFile(bytes, {lines.size() - 1, longest});
        FUZZ_CHECK(fewer.status == DecodedList::Status::TooManyLines);
        const DecodedList shorter = sortivo::decodeListFile(bytes, {lines.size(), longest - 1});
        FUZZ_CHECK(shorter.status ==
                   (longest == 0 ? DecodedList::Status::Ok : DecodedList::Status::LineTooLong));
    }
    const DecodedList exact = sortivo::decodeListFile(bytes, {lines.size(), longest});
    FUZZ_CHECK(exact.status == DecodedList::Status::Ok && exact.listText == whole.listText);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DecodedList d = sortivo::decodeListFile(bytes);
    checkLimits(bytes, d);

    // UTF-16 is checked for what every list text must be; its lines are the other readings'.
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        FUZZ_CHECK(d.status == DecodedList::Status::Ok || d.status == DecodedList::Status::NotText);
        if (size % 2 != 0)
            FUZZ_CHECK(d.status == DecodedList::Status::NotText);
        checkListText(d.listText);
        return 0;
    }

    // A DOS end-of-file mark may close the file.
    if (bytes.ends_with('\x1A'))
        bytes.remove_suffix(1);
    bool refused = false;
    for (unsigned char b : bytes)
        refused = refused || isRefusedControl(b);
    FUZZ_CHECK((d.status == DecodedList::Status::NotText) == refused);
    if (refused) {
        FUZZ_CHECK(d.listText.empty());
        return 0;
    }

    const std::string& text = d.listText;
    checkListText(text);

    const bool utf8 = codePoints(bytes).has_value();
    if (utf8 && bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    const std::vector<std::string_view> expected = keptLines(bytes);
    const std::vector<std::string_view> lines = splitAtCrLf(text);
    FUZZ_CHECK(lines.size() == expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (utf8) {
            FUZZ_CHECK(lines[i] == withoutBoxBreaks(expected[i]));
            continue;
        }
        // Windows-1252 gives one character per byte.
        const std::vector<char32_t> cps = *codePoints(lines[i]);
        FUZZ_CHECK(cps.size() == expected[i].size());
        for (std::size_t k = 0; k < cps.size(); ++k)
            FUZZ_CHECK(isCp1252Reading(static_cast<unsigned char>(expected[i][k]), cps[k]));
    }

    // A list saved as a result and opened again must come back whole. A text opening with a
    // BOM character is the one exception: that character is taken for the file's mark.
    if (!text.starts_with("\xEF\xBB\xBF")) {
        const DecodedList again = sortivo::decodeListFile(sortivo::encodeResultFile(text));
        FUZZ_CHECK(again.status == DecodedList::Status::Ok);
        FUZZ_CHECK(again.listText == text);
    }
    return 0;
}
