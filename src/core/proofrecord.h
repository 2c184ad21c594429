#pragma once

#include "core/proofsession.h"

#include <string>
#include <string_view>

namespace sortivo
{

// The record name of each draw button's mode.
std::string_view modeName(DrawMode mode);

// The record of a session, the JSON file a checker reads. It reveals the seed, so it is
// written only when the session ends. `software` names the program and its version.
std::string recordJson(const ProofSession& session, std::string_view software);

} // namespace sortivo
