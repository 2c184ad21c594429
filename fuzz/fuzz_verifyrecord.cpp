#include "core/proof/proofverify.h"
#include "fuzzcheck.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// A record comes from whoever hands it over: whatever its bytes, the checker must give a
// verdict, never crash, loop or read out of bounds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sortivo::VerifyResult result = sortivo::verifyRecord(text);
    const std::string_view prefix = !result.conforming        ? "NON CONFORME : "
                                    : result.warnings.empty() ? "CONFORME : "
                                                              : "CONFORME AVEC RÉSERVES : ";
    FUZZ_CHECK(result.message.starts_with(prefix));
    return 0;
}
