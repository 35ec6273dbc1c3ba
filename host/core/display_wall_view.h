// The displays as an operator reads them at the prompt (`show displays`):
// a heading with the live set and the brightness, then every source's name
// in rows of eight, each with its source number.
#pragma once

#include <string>

#include "display_wall.h"

namespace vrelhost {

// Several lines, each ending in a line feed. Control bytes in a name are
// escaped and a very long name is cut, so one name never breaks the grid.
std::string drawDisplays(const DisplayState& state);

}  // namespace vrelhost
