#pragma once

#include "core/list/celltable.h"
#include "core/list/entrylist.h"
#include "core/list/listflaws.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sortivo
{

// The table a list was taken from, so that a winner can be shown with the rest of its row: its
// cells, each column's title, and for each entry of `entries`, in order, its row.
struct ListTable {
    CellTable cells;
    std::vector<std::string> names;
    std::vector<std::uint32_t> entryRows;
    std::shared_ptr<const EntryList> entries;
};

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
    // The table, when the list was taken from one.
    std::shared_ptr<const ListTable> table = nullptr;
};

LoadedList loadList(std::string listText);

} // namespace sortivo
