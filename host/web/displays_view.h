// The "displays" section of the browser view's state document: what the
// under-monitor displays show (display_wall.h), for the page's wall of tiles
// (page/displays.js draws it from this section alone).
//
//   null when the profile declares no displays, else
//   { "set": 3, "title": "News", "brightness": 2, "brightnessName": "Medium",
//     "levels": 3, "names": ["N-CAM1", ...] }   names[k - 1] for source k
//
// Texts are kept as the site holds them (toText() replaces bytes that are not
// UTF-8 when the JSON is written).
#pragma once

#include <nlohmann/json.hpp>

#include "display_wall.h"

namespace vrelhost {

nlohmann::json displaysJson(const DisplayState* state, int levels);

}  // namespace vrelhost
