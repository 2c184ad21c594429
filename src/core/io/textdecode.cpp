#include "core/io/textdecode.h"

#include "core/text/utf8.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace sortivo
{

namespace
{

// A byte of a Windows-1252 file, already as UTF-8.
struct Cp1252Char {
    std::array<char, 3> bytes;
    std::uint8_t length;
};

constexpr std::array<char32_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

constexpr Cp1252Char encodeUtf8(char32_t c)
{
    Cp1252Char out{};
    if (c < 0x80) {
        out.bytes = {static_cast<char>(c), 0, 0};
        out.length = 1;
    } else if (c < 0x800) {
        out.bytes = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0};
        out.length = 2;
    } else {
        out.bytes = {static_cast<char>(0xE0 | (c >> 12)),
                     static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                     static_cast<char>(0x80 | (c & 0x3F))};
        out.length = 3;
    }
    return out;
}

constexpr std::array<Cp1252Char, 256> makeCp1252Table()
{
    std::array<Cp1252Char, 256> table{};
    for (char32_t b = 0; b < 256; ++b)
        table[b] = encodeUtf8(b >= 0x80 && b < 0xA0 ? cp1252High[b - 0x80] : b);
    return table;
}

constexpr std::array<Cp1252Char, 256> cp1252Table = makeCp1252Table();

// Controls other than TAB, LF, VT, FF and CR do not occur in a list someone typed; a file
// holding them is a binary file opened by mistake, and showing it as a list would be garbage.
constexpr bool isRefusedControl(unsigned char b)
{
    return b < 0x09 || (b > 0x0D && b < 0x20);
}

struct Scan {
    bool text = true;
    bool utf8 = true;
    std::size_t highBytes = 0; // bytes >= 0x80, which grow when read as Windows-1252
    std::size_t loneEnds = 0;  // lone CRs and LFs, which grow into CR LF
    bool boxBreaks = false;    // UTF-8 characters that a text box would not keep in a line
};

// Appends a line of valid UTF-8 with each box break turned into a space.
void appendWithoutBoxBreaks(std::string& out, std::string_view line)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i + 3 <= line.size(); ++i) {
        if ((line[i] == '\xE2' || line[i] == '\xEF') && isBoxBreak(line.substr(i, 3))) {
            out.append(line.substr(start, i - start));
            out += ' ';
            start = i + 3;
            i += 2;
        }
    }
    out.append(line.substr(start));
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x10000) {
        const Cp1252Char e = encodeUtf8(c);
        out.append(e.bytes.data(), e.length);
        return;
    }
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

// The byte order of a file that opens with a UTF-16 byte-order mark.
enum class Utf16 { None, LittleEndian, BigEndian };

Utf16 utf16Order(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return Utf16::LittleEndian;
    if (bytes.starts_with("\xFE\xFF"))
        return Utf16::BigEndian;
    return Utf16::None;
}

// The whole file, mark included, as UTF-8. A surrogate without its partner becomes U+FFFD
// rather than costing the entry; an odd byte at the end is no UTF-16 at all.
bool utf16ToUtf8(std::string_view bytes, Utf16 order, std::string& out)
{
    if (bytes.size() % 2 != 0)
        return false;
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto lo = static_cast<unsigned char>(bytes[order == Utf16::LittleEndian ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(bytes[order == Utf16::LittleEndian ? i + 1 : i]);
        return char32_t(hi) << 8 | lo;
    };
    out.reserve(bytes.size() / 2 * 3);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 2 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, u >= 0xD800 && u <= 0xDFFF ? char32_t(0xFFFD) : u);
    }
    return true;
}

std::size_t utf8Length(std::string_view s)
{
    std::size_t n = 0;
    for (const char c : s)
        n += !isUtf8Continuation(static_cast<unsigned char>(c));
    return n;
}

Scan scan(std::string_view bytes)
{
    Scan result;
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            if (b < 0x20) {
                if (isRefusedControl(b)) {
                    result.text = false;
                    return result;
                }
                if ((b == '\n' && (i == 0 || bytes[i - 1] != '\r')) ||
                    (b == '\r' && (i + 1 == n || bytes[i + 1] != '\n')))
                    ++result.loneEnds;
            }
            ++i;
            continue;
        }
        ++result.highBytes;
        if (result.utf8) {
            const std::size_t len = utf8SequenceLength(bytes, i);
            if (len == 3 && isBoxBreak(bytes.substr(i, 3)))
                result.boxBreaks = true;
            if (len != 0) {
                // Continuation bytes are never controls, so they need no look of their own.
                result.highBytes += len - 1;
                i += len;
                continue;
            }
            result.utf8 = false;
        }
        ++i;
    }
    return result;
}

} // namespace

DecodedList decodeListFile(std::string_view bytes, const DecodeLimits& limits)
{
    std::string widened;
    if (const Utf16 order = utf16Order(bytes); order != Utf16::None) {
        if (!utf16ToUtf8(bytes, order, widened))
            return {DecodedList::Status::NotText, {}};
        bytes = widened;
    }
    if (bytes.ends_with('\x1A'))
        bytes.remove_suffix(1);

    const Scan s = scan(bytes);
    if (!s.text)
        return {DecodedList::Status::NotText, {}};

    if (s.utf8 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);

    DecodedList result;
    std::string& out = result.listText;
    // Enough for the whole file, so the text never moves while it grows: a lone CR or LF
    // becomes a CR LF, and a Windows-1252 byte takes at most three bytes in UTF-8.
    out.reserve(bytes.size() + s.loneEnds + (s.utf8 ? 0 : 2 * s.highBytes));

    const std::size_t n = bytes.size();
    std::size_t pos = 0;
    std::size_t lines = 0;
    while (pos < n) {
        std::size_t end = pos;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end == pos) {
            result.unread = unreadLinesAfter(bytes.substr(pos), lines);
            break;
        }
        if (++lines > limits.maxLines)
            return {DecodedList::Status::TooManyLines, {}};
        const std::string_view line = bytes.substr(pos, end - pos);
        if (line.size() > limits.maxLineChars &&
            (s.utf8 ? utf8Length(line) : line.size()) > limits.maxLineChars)
            return {DecodedList::Status::LineTooLong, {}};
        if (!out.empty())
            out += "\r\n";
        if (s.utf8 && s.boxBreaks) {
            appendWithoutBoxBreaks(out, line);
        } else if (s.utf8) {
            out.append(line);
        } else {
            for (std::size_t k = pos; k < end; ++k) {
                const Cp1252Char& c = cp1252Table[static_cast<unsigned char>(bytes[k])];
                out.append(c.bytes.data(), c.length);
            }
        }
        if (end == n)
            break;
        pos = end + (bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n' ? 2 : 1);
    }
    // A big file with a blank line near the top leaves most of the reserve unused.
    if (out.capacity() > 2 * out.size() + 4096)
        out.shrink_to_fit();
    return result;
}

std::optional<std::string> decodeTextFile(std::string_view bytes)
{
    std::string widened;
    if (const Utf16 order = utf16Order(bytes); order != Utf16::None) {
        if (!utf16ToUtf8(bytes, order, widened))
            return std::nullopt;
        bytes = widened;
    }
    if (bytes.ends_with('\x1A'))
        bytes.remove_suffix(1);
    const Scan s = scan(bytes);
    if (!s.text)
        return std::nullopt;
    if (s.utf8) {
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() + 2 * s.highBytes);
    for (const char b : bytes) {
        const Cp1252Char& c = cp1252Table[static_cast<unsigned char>(b)];
        out.append(c.bytes.data(), c.length);
    }
    return out;
}

std::string encodeResultFile(std::string_view resultText)
{
    std::string bytes;
    bytes.reserve(resultText.size() + 2);
    bytes.append(resultText);
    bytes += "\r\n";
    return bytes;
}

} // namespace sortivo
