#include "core/io/textdecode.h"
#include "core/list/entrylist.h"
#include "core/list/listfileentries.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The command line reads a list file in place; whatever the bytes, it must read the entries
// that Open reads.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<sortivo::ListFileEntries> read = sortivo::ListFileEntries::read(bytes);
    const sortivo::DecodedList decoded = sortivo::decodeListFile(bytes);
    FUZZ_CHECK(read.has_value() == (decoded.status == sortivo::DecodedList::Status::Ok));
    if (!read)
        return 0;
    const sortivo::EntryList open = sortivo::loadEntries(decoded.listText);
    FUZZ_CHECK(read->size() == open.size());
    for (std::size_t i = 0; i < open.size(); ++i)
        FUZZ_CHECK(read->at(i) == open.at(i));
    return 0;
}
