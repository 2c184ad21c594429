#pragma once

#include "core/draw/drawwords.h"
#include "core/draw/resulttext.h"
#include "core/list/entrylist.h"
#include "core/list/person.h"

#include <algorithm>

#include <string>
#include <vector>

// Words for tests that need many different draws but no session: the key is the hash of a
// label.
inline sortivo::DrawWords testWords(unsigned label)
{
    return sortivo::DrawWords(sortivo::sha256("test words " + std::to_string(label)));
}

// The draw as first written: erase the drawn entry and let the rest shift down, and under the
// rule of one prize per person every entry of the winner's person with it. Slow, and obviously
// right; the fast engine must give the very same texts for the same words.
struct NaiveDrawResult {
    std::string resultText;
    std::string listText;
};

inline NaiveDrawResult naiveDraw(const sortivo::EntryList& list, std::string resultText,
                                 int drawCount, int teamSize, sortivo::DrawWords words,
                                 bool onePerPerson = false)
{
    std::vector<std::string_view> entries;
    entries.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        entries.push_back(list.at(i));
    sortivo::ResultText result(std::move(resultText), teamSize);
    for (int i = 0; i < drawCount && !entries.empty(); ++i) {
        const auto p = sortivo::uniformBelow(words, std::uint32_t(entries.size()));
        const std::string_view drawn = entries[p];
        result.append(drawn);
        entries.erase(entries.begin() + p);
        if (onePerPerson)
            std::erase_if(entries, [&](std::string_view e) {
                return sortivo::personOf(e) == sortivo::personOf(drawn);
            });
    }
    return {result.release(), sortivo::joinListText(entries)};
}
