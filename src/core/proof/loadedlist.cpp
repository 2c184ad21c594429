#include "core/proof/loadedlist.h"

#include "core/proof/proofprotocol.h"

namespace sortivo
{

LoadedList loadList(std::string listText)
{
    auto entries = std::make_shared<const EntryList>(loadEntries(std::move(listText)));
    std::string fingerprint = entriesFingerprint(*entries);
    const ListFlaws flaws = flawsOf(*entries);
    return {std::move(entries), std::move(fingerprint), flaws};
}

} // namespace sortivo
