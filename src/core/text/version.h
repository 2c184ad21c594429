#pragma once

#include <string>

namespace sortivo
{

// The version as the About box and the title show it: minor and revision run together after
// the dot, so 1.0.3 reads "1.03" and 1.3.0 reads "1.30", like the program always showed it.
std::string versionString(int major, int minor, int revision);

} // namespace sortivo
