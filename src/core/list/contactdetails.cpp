#include "core/list/contactdetails.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

namespace sortivo
{

namespace
{

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool looksLikeEmail(std::string_view entry)
{
    for (std::size_t at = entry.find('@'); at != std::string_view::npos;
         at = entry.find('@', at + 1)) {
        if (at == 0 || entry[at - 1] == ' ')
            continue;
        const std::size_t end = std::min(entry.find(' ', at), entry.size());
        const std::string_view domain = entry.substr(at + 1, end - at - 1);
        const std::size_t dot = domain.rfind('.');
        if (dot != std::string_view::npos && dot > 0 && dot + 1 < domain.size())
            return true;
    }
    return false;
}

// The width of the space at `at`: a space, a no-break space or a narrow one, as French writes
// between groups of figures; 0 when there is none.
std::size_t spaceAt(std::string_view text, std::size_t at)
{
    if (at < text.size() && text[at] == ' ')
        return 1;
    if (text.substr(at).starts_with("\xC2\xA0"))
        return 2;
    if (text.substr(at).starts_with("\xE2\x80\xAF"))
        return 3;
    return 0;
}

std::size_t spacesFrom(std::string_view text, std::size_t at)
{
    while (const std::size_t width = spaceAt(text, at))
        at += width;
    return at;
}

std::size_t spacesBefore(std::string_view text, std::size_t at)
{
    for (;;) {
        if (at >= 1 && text[at - 1] == ' ')
            at -= 1;
        else if (at >= 2 && text.substr(at - 2, 2) == "\xC2\xA0")
            at -= 2;
        else if (at >= 3 && text.substr(at - 3, 3) == "\xE2\x80\xAF")
            at -= 3;
        else
            return at;
    }
}

// The character that ends just before `at`, decoded from UTF-8; 0 at the start.
char32_t characterBefore(std::string_view text, std::size_t at)
{
    if (at == 0)
        return 0;
    std::size_t begin = at - 1;
    while (begin > 0 && at - begin < 4 && (static_cast<unsigned char>(text[begin]) & 0xC0) == 0x80)
        --begin;
    const auto lead = static_cast<unsigned char>(text[begin]);
    const std::size_t length = at - begin;
    if (length == 1)
        return lead;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = begin + 1; i < at; ++i)
        code = code << 6 | (static_cast<unsigned char>(text[i]) & 0x3F);
    return code;
}

char32_t characterAt(std::string_view text, std::size_t at)
{
    if (at >= text.size())
        return 0;
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return characterBefore(text, std::min(at + length, text.size()));
}

// Letters of any script; what only looks like one (punctuation, symbols, spaces) is not.
bool isLetter(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return c >= 0xC0 && c != 0xD7 && c != 0xF7 && !(c >= 0x2000 && c <= 0x2BFF) &&
           !(c >= 0x3000 && c <= 0x303F) && !(c >= 0xFE00 && c <= 0xFE6F) &&
           !(c >= 0xFF00 && c <= 0xFF20);
}

bool isCurrencySign(char32_t c)
{
    return c == '$' || c == 0xA3 || c == 0xA5 || c == 0x20AC || (c >= 0x20A0 && c <= 0x20CF);
}

// How two groups of figures are set apart. Brackets do not count as a way of writing the
// number: "(415) 555-0132" and "+33 (0)6 12 34 56 78" each write it one way.
enum class Join { Space, Dot, Dash, Neutral };

struct Group {
    std::size_t begin;
    std::size_t end;
    std::size_t size() const { return end - begin; }
};

// Figures in groups, each joined to the next by one space, dot or dash, or by brackets.
struct Run {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool international = false; // begun with "+"
    std::vector<Group> groups;
    std::vector<Join> joins;
};

std::size_t readDigits(std::string_view text, std::size_t at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

bool digitAt(std::string_view text, std::size_t at)
{
    return at < text.size() && isDigit(text[at]);
}

// Reads the run of figures that begins at `at`, on a figure, a "+" or a "(" before one.
Run readRun(std::string_view text, std::size_t at)
{
    Run run;
    run.begin = at;
    if (text[at] == '+') {
        run.international = true;
        ++at;
    }
    if (text[at] == '(')
        ++at;
    for (;;) {
        const std::size_t end = readDigits(text, at);
        run.groups.push_back({at, end});
        run.end = at = end;
        bool bracket = false;
        Join join = Join::Neutral;
        if (at < text.size() && text[at] == ')') {
            bracket = true;
            ++at;
        }
        if (const std::size_t width = spaceAt(text, at)) {
            join = Join::Space;
            at += width;
        } else if (at < text.size() && (text[at] == '.' || text[at] == '-')) {
            join = text[at] == '.' ? Join::Dot : Join::Dash;
            ++at;
        }
        if (at < text.size() && text[at] == '(') {
            bracket = true;
            ++at;
        }
        if (!digitAt(text, at))
            return run;
        run.joins.push_back(bracket ? Join::Neutral : join);
    }
}

bool startsWith(std::string_view text, const Group& group, std::string_view digits)
{
    return text.substr(group.begin, group.size()).starts_with(digits);
}

int value(std::string_view text, const Group& group)
{
    int number = 0;
    for (std::size_t i = group.begin; i < group.end && number < 100000; ++i)
        number = number * 10 + (text[i] - '0');
    return number;
}

bool isYear(std::string_view text, const Group& group)
{
    const int year = value(text, group);
    return group.size() == 4 && year >= 1900 && year <= 2099;
}

// Day, month and year, or year, month and day, joined alike by dots or dashes.
bool isDate(std::string_view text, const Run& run, std::size_t first)
{
    const Join join = run.joins[first];
    if (join != run.joins[first + 1] || (join != Join::Dot && join != Join::Dash))
        return false;
    const Group& a = run.groups[first];
    const Group& b = run.groups[first + 1];
    const Group& c = run.groups[first + 2];
    const auto inRange = [&](const Group& group, int low, int high) {
        const int number = value(text, group);
        return group.size() <= 2 && number >= low && number <= high;
    };
    return (inRange(a, 1, 31) && inRange(b, 1, 12) && isYear(text, c)) ||
           (isYear(text, a) && inRange(b, 1, 12) && inRange(c, 1, 31));
}

// Glued to letters ("T-2026-01393", "REF2026001393") or following "n°" or "#": a reference,
// whatever its figures.
bool referenceBefore(std::string_view text, const Run& run)
{
    if (run.international)
        return false;
    const char32_t before = characterBefore(text, run.begin);
    if (isLetter(before) || ((before == '-' || before == '_' || before == '/') &&
                             isLetter(characterBefore(text, run.begin - 1))))
        return true;
    const char32_t marker = characterBefore(text, spacesBefore(text, run.begin));
    return marker == '#' || marker == 0xB0 || marker == 0xBA;
}

bool referenceAfter(std::string_view text, const Run& run)
{
    return isLetter(characterAt(text, run.end));
}

bool currencyWord(std::string_view text, std::size_t at)
{
    static constexpr std::array<std::string_view, 8> words{"eur", "chf", "cfa",   "fcfa",
                                                           "usd", "gbp", "franc", "dollar"};
    std::string word;
    for (std::size_t i = at; i < text.size() && i < at + 6; ++i)
        word += char(text[i] >= 'A' && text[i] <= 'Z' ? text[i] - 'A' + 'a' : text[i]);
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view currency) { return word.starts_with(currency); });
}

// Written as a sum of money: cents after it, or a currency before or after it.
bool amountAround(std::string_view text, const Run& run, bool atStart, bool atEnd)
{
    if (atEnd) {
        const std::size_t after = spacesFrom(text, run.end);
        if ((run.end < text.size() && text[run.end] == ',' && digitAt(text, run.end + 1)) ||
            isCurrencySign(characterAt(text, after)) || currencyWord(text, after))
            return true;
    }
    return atStart && isCurrencySign(characterBefore(text, spacesBefore(text, run.begin)));
}

// Figures grouped in thousands: 125 000 000, 1.250.000.
bool inThousands(std::string_view text, const Run& run, std::size_t first, std::size_t last,
                 Join join)
{
    if (join != Join::Space && join != Join::Dot)
        return false;
    const Group& lead = run.groups[first];
    if (lead.size() > 3 || text[lead.begin] == '0')
        return false;
    for (std::size_t i = first + 1; i <= last; ++i)
        if (run.groups[i].size() != 3 || run.joins[i - 1] != join)
            return false;
    return true;
}

// Groups `first` to `last` of a run, all joined one way (`join`, or Neutral for one group).
bool isPhoneNumber(std::string_view text, const Run& run, std::size_t first, std::size_t last,
                   Join join)
{
    const bool plus = run.international && first == 0;
    // A year in front: the year of a reference or of an event.
    if (!plus && first < last && isYear(text, run.groups[first]))
        ++first;
    const Group& lead = run.groups[first];
    // No country code begins with 0: a number padded with zeros is a ticket's.
    if (!plus && startsWith(text, lead, "000"))
        return false;
    const bool international = plus || startsWith(text, lead, "00");
    std::size_t digits = 0;
    bool pairs = true;
    for (std::size_t i = first; i <= last; ++i) {
        digits += run.groups[i].size();
        pairs = pairs && run.groups[i].size() <= 2;
    }
    if (digits < 9 || digits > 15)
        return false;
    if (international)
        return true;
    const bool trunk = text[lead.begin] == '0';
    // Written in one piece, a number that does not begin with the trunk 0 is an identifier.
    if (first == last)
        return trunk && digits <= 11;
    // Pairs make a number as France writes it, 06 12 34 56 78; other pairs and single figures
    // are rather lottery numbers or scores.
    if (pairs)
        return trunk && digits == 10;
    return !(inThousands(text, run, first, last, join) &&
             amountAround(text, run, first == 0, last + 1 == run.groups.size()));
}

bool holdsPhoneNumber(std::string_view text, const Run& run)
{
    const std::size_t count = run.groups.size();
    // Groups that belong to a date or a reference are not part of any phone number.
    std::vector<bool> excluded(count, false);
    for (std::size_t i = 0; i + 2 < count; ++i)
        if (isDate(text, run, i))
            excluded[i] = excluded[i + 1] = excluded[i + 2] = true;
    // From the end glued to letters, as far as its groups are joined the same way.
    if (referenceBefore(text, run)) {
        excluded[0] = true;
        for (std::size_t i = 1;
             i < count && run.joins[i - 1] == run.joins[0] && run.joins[0] != Join::Neutral; ++i)
            excluded[i] = true;
    }
    if (referenceAfter(text, run)) {
        excluded[count - 1] = true;
        for (std::size_t i = count - 1; i > 0 && run.joins[i - 1] == run.joins[count - 2] &&
                                        run.joins[count - 2] != Join::Neutral;
             --i)
            excluded[i - 1] = true;
    }

    // Each stretch of groups joined one way, neighbouring stretches sharing their end group.
    const auto joinAfter = [&](std::size_t group) {
        return group == 0 && run.international ? Join::Neutral : run.joins[group];
    };
    std::size_t first = 0;
    while (first < count) {
        if (excluded[first]) {
            ++first;
            continue;
        }
        std::optional<Join> join;
        std::size_t last = first;
        std::size_t next = count;
        while (last + 1 < count && !excluded[last + 1]) {
            const Join between = joinAfter(last);
            if (between != Join::Neutral) {
                if (join && *join != between) {
                    next = last;
                    break;
                }
                join = between;
            }
            ++last;
        }
        if (isPhoneNumber(text, run, first, last, join.value_or(Join::Neutral)))
            return true;
        first = next == count ? last + 1 : next;
    }
    return false;
}

bool looksLikePhone(std::string_view entry)
{
    // Most entries hold too few figures for any phone number: they cost one look at each byte.
    if (std::count_if(entry.begin(), entry.end(), isDigit) < 9)
        return false;
    for (std::size_t at = 0; at < entry.size();) {
        const bool starts = isDigit(entry[at]) ||
                            ((entry[at] == '+' || entry[at] == '(') && digitAt(entry, at + 1)) ||
                            (entry[at] == '+' && at + 1 < entry.size() && entry[at + 1] == '(' &&
                             digitAt(entry, at + 2));
        if (!starts) {
            ++at;
            continue;
        }
        const Run run = readRun(entry, at);
        if (holdsPhoneNumber(entry, run))
            return true;
        at = std::max(run.end, at + 1);
    }
    return false;
}

} // namespace

bool looksLikeContactDetails(std::string_view entry)
{
    return looksLikeEmail(entry) || looksLikePhone(entry);
}

bool holdsContactDetails(const EntryList& entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (looksLikeContactDetails(entries.at(i)))
            return true;
    return false;
}

} // namespace sortivo
