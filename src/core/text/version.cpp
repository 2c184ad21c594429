#include "core/text/version.h"

namespace sortivo
{

std::string versionString(int major, int minor, int revision)
{
    return std::to_string(major) + '.' + std::to_string(minor) + std::to_string(revision);
}

} // namespace sortivo
