#pragma once

namespace sortivo
{

// The four draws, numbered as the window's draw buttons are, which the record and the command
// line name in their own words.
enum class DrawMode { Chosen = 0, One = 1, All = 2, Teams = 3 };

} // namespace sortivo
