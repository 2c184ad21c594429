#include "core/list/listflaws.h"

#include "core/text/french.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace sortivo
{

ListFlaws flawsOf(const EntryList& entries)
{
    // An open-addressed table of entry indices, a power of two at least twice the entries:
    // a node-based set would allocate once an entry, which on a million entries costs more
    // than the draw the question stands before.
    ListFlaws flaws;
    std::size_t capacity = 16;
    while (capacity < 2 * entries.size())
        capacity *= 2;
    std::vector<std::uint32_t> slots(capacity, 0); // an entry's index + 1, 0 when free
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view entry = entries.at(i);
        if (entry.find_first_not_of(" \t\v\f") == std::string_view::npos) {
            ++flaws.emptyLines;
            continue;
        }
        for (std::size_t slot = hash(entry) & (capacity - 1);; slot = (slot + 1) & (capacity - 1)) {
            if (slots[slot] == 0) {
                slots[slot] = std::uint32_t(i + 1);
                break;
            }
            if (entries.at(slots[slot] - 1) == entry) {
                ++flaws.duplicates;
                break;
            }
        }
    }
    return flaws;
}

std::optional<std::string> flawsQuestion(const ListFlaws& flaws, bool columnLeftOut)
{
    if (!flaws.any())
        return std::nullopt;
    std::string parts;
    // Bare figures, as the question always showed them.
    if (flaws.emptyLines != 0)
        parts = frenchCount(flaws.emptyLines, "ligne vide", "lignes vides", Thousands::None);
    if (flaws.duplicates != 0)
        parts += (parts.empty() ? "" : " et ") + frenchCount(flaws.duplicates, "entrée en double",
                                                             "entrées en double", Thousands::None);
    if (columnLeftOut && flaws.duplicates != 0)
        return "La liste contient " + parts +
               " : des personnes différentes peuvent porter le même nom. Ajoutez une colonne qui "
               "les distingue (matricule, e-mail) ou tirez quand même ?";
    return "La liste contient " + parts + ". Tirer quand même ?";
}

} // namespace sortivo
