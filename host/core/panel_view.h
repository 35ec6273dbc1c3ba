// Drawing a panel as an operator reads it: one line per control with its
// text, look (statesheet), and whether it is enabled and visible.
#pragma once

#include <string>

#include "panel_slots.h"

namespace vrelhost {

// Several lines, each ending in a line feed.
std::string drawPanel(const std::string& id, const PanelSlots::Slot& slot);

}  // namespace vrelhost
