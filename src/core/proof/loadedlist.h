#pragma once

#include "core/list/entrylist.h"
#include "core/list/listflaws.h"

#include <memory>
#include <string>

namespace sortivo
{

// A list text loaded with what a draw on it asks first: its fingerprint and its flaws. Worked
// out where the text was read, so that the first draw need not read, hash and check a list of
// millions of entries again.
struct LoadedList {
    std::shared_ptr<const EntryList> entries;
    std::string fingerprint;
    ListFlaws flaws;
    // Taken from a table that had a column left out of the entry: its duplicates may be
    // namesakes.
    bool columnLeftOut = false;
};

LoadedList loadList(std::string listText);

} // namespace sortivo
