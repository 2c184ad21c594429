#include "core/list/listfileentries.h"

#include "core/io/textdecode.h"
#include "core/text/utf8.h"

#include <algorithm>
#include <cstring>

namespace sortivo
{

namespace
{

// True when decodeListFile would keep `bytes` as they are but for the line ends: UTF-8 text
// with no control other than TAB, LF, VT, FF and CR, every sequence well formed (no overlong
// form, surrogate or code point above U+10FFFF), and none of the characters it turns into
// spaces. Runs of eight plain ASCII bytes are passed over a word at a time.
bool isKeptAsItIs(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            // No byte at or above 0x80 and none below 0x20.
            if (((w | (w - 0x20 * ones)) & highs) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char b = p[i];
        if (b < 0x80) {
            if (b < 0x09 || (b > 0x0D && b < 0x20))
                return false;
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(bytes, i);
        if (length == 0 || (length == 3 && isBoxBreak(bytes.substr(i, 3))))
            return false;
        i += length;
    }
    return true;
}

} // namespace

std::optional<ListFileEntries> ListFileEntries::read(std::string bytes)
{
    ListFileEntries entries;
    if (isKeptAsItIs(bytes)) {
        const bool mark = std::string_view(bytes).substr(0, 3) == "\xEF\xBB\xBF";
        entries.cut(std::move(bytes), mark ? 3 : 0);
        return entries;
    }
    DecodedList decoded = decodeListFile(bytes);
    if (decoded.status != DecodedList::Status::Ok)
        return std::nullopt;
    bytes = std::string();
    entries.cut(std::move(decoded.listText), 0);
    entries.m_unread = decoded.unread;
    return entries;
}

DecodedList::Status ListFileEntries::checkLimits(const DecodeLimits& limits) const
{
    const std::size_t lines = std::min(size(), limits.maxLines);
    for (std::size_t i = 0; i < lines; ++i) {
        const std::string_view entry = at(i);
        // Characters are never more than bytes: only a long line is counted.
        if (entry.size() > limits.maxLineChars &&
            std::size_t(std::count_if(entry.begin(), entry.end(), [](char c) {
                return (c & 0xC0) != 0x80;
            })) > limits.maxLineChars)
            return DecodedList::Status::LineTooLong;
    }
    return size() > limits.maxLines ? DecodedList::Status::TooManyLines : DecodedList::Status::Ok;
}

void ListFileEntries::cut(std::string text, std::size_t offset)
{
    const std::size_t n = text.size();
    char* data = text.data();
    // Where the next CR and LF lie, each looked for again only once passed, so a file with
    // one kind of line end only is still read in one pass.
    const auto findFrom = [&](char c, std::size_t from) {
        const void* found = std::memchr(data + from, c, n - from);
        return found ? std::size_t(static_cast<const char*>(found) - data) : n;
    };
    std::size_t nextLf = findFrom('\n', offset);
    std::size_t nextCr = findFrom('\r', offset);
    std::size_t write = offset;
    std::size_t read = offset;
    while (read < n) {
        if (nextLf < read)
            nextLf = findFrom('\n', read);
        if (nextCr < read)
            nextCr = findFrom('\r', read);
        const std::size_t end = std::min(nextLf, nextCr);
        // Reading stops at the first empty line.
        if (end == read) {
            m_unread = unreadLinesAfter(std::string_view(text).substr(read), m_starts.size());
            break;
        }
        const std::size_t length = end - read;
        const std::size_t lineEnd =
            end < n && data[end] == '\r' && end + 1 < n && data[end + 1] == '\n' ? 2 : 1;
        if (write != read)
            std::memmove(data + write, data + read, length);
        m_starts.push_back(std::uint32_t(write));
        write += length;
        if (write == n) {
            text.push_back('\n');
            data = text.data();
        } else {
            data[write] = '\n';
        }
        ++write;
        if (end == n)
            break;
        read = end + lineEnd;
    }
    m_starts.push_back(std::uint32_t(write));
    m_text = std::move(text);
}

} // namespace sortivo
