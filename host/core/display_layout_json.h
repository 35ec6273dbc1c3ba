// A DisplayLayout (display_layout.h) as a profile file writes it, in the
// "displays" field of the profile (profile_file.h):
//
//   { "count": 128,                                    sources with a display
//     "selector": {"instance": "Tally", "role": "infodriver"},
//     "setSlot": 212, "brightnessSlot": 211, "brightnessNames": ["Low", "Medium", "High"],
//     "names": {"role": "names"}, "sets": 8, "firstSetDatabase": 1, "titleDatabase": 9,
//     "fallback": {"role": "router"}, "fallbackDatabase": 2, "fallbackTitle": "Router names" }
//
// A device is chosen by instance name, else by role (at least one given).
// Every field is required but firstSetDatabase (1) and the fallback's three
// (none: set 0 shows empty names under an empty title). Pure function.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "display_layout.h"

namespace vrelhost {

// False with `problem` naming the field ("displays.setSlot: expected a slot, 1 to 4096").
bool displayLayoutFromJson(const nlohmann::json& value, DisplayLayout& layout, std::string& problem);

}  // namespace vrelhost
