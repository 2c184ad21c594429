#pragma once

#include "core/list/entrylist.h"

#include <cstddef>
#include <optional>
#include <string>

namespace sortivo
{

// What in a list is most likely a slip rather than an entrant: empty lines (or lines of
// blanks only), and entries written again, each copy past the first counted once.
struct ListFlaws {
    std::size_t emptyLines = 0;
    std::size_t duplicates = 0;
    bool any() const { return emptyLines != 0 || duplicates != 0; }
};

ListFlaws flawsOf(const EntryList& entries);

// "La liste contient 2 lignes vides et 1 entrée en double. Tirer quand même ?"; nothing when
// the list has no flaw. A list taken from a table that had a column left out of the entry
// has its duplicates named for what they likely are: people of one name.
std::optional<std::string> flawsQuestion(const ListFlaws& flaws, bool columnLeftOut = false);

} // namespace sortivo
