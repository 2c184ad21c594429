#include "core/listflaws.h"

#include <string_view>
#include <unordered_set>

namespace sortivo
{

ListFlaws flawsOf(const EntryList& entries)
{
    ListFlaws flaws;
    std::unordered_set<std::string_view> seen;
    seen.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view entry = entries.at(i);
        if (entry.find_first_not_of(" \t\v\f") == std::string_view::npos)
            ++flaws.emptyLines;
        else if (!seen.insert(entry).second)
            ++flaws.duplicates;
    }
    return flaws;
}

std::optional<std::string> flawsQuestion(const ListFlaws& flaws)
{
    if (!flaws.any())
        return std::nullopt;
    std::string parts;
    if (flaws.emptyLines != 0)
        parts = std::to_string(flaws.emptyLines) +
                (flaws.emptyLines == 1 ? " ligne vide" : " lignes vides");
    if (flaws.duplicates != 0)
        parts += (parts.empty() ? "" : " et ") + std::to_string(flaws.duplicates) +
                 (flaws.duplicates == 1 ? " entrée en double" : " entrées en double");
    return "La liste contient " + parts + ". Tirer quand même ?";
}

} // namespace sortivo
