// The view model: what the browser draws, as JSON, read from a ViewSource.
//
//   panelsJson  every loaded panel with its size, whether it is on screen,
//               and each control's kind, text, look, states and place; a list
//               carries the rows its layout binds to it (the names of a site
//               database), a group its number of pages
//   siteJson    the site's devices: number, instance, role, name databases,
//               the infodriver slots that were written
//
// Texts can hold any bytes: they are kept as they are, and bytes that are not
// UTF-8 become U+FFFD only when the JSON is written (toText).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "view_source.h"

namespace vrelhost {

nlohmann::json panelsJson(const ViewSource& source);
nlohmann::json siteJson(const std::vector<Device>& devices);

// The database a list's layout binds it to, given its panel's controls:
// "database=N", or "database=PREFIX@LOOK" for the number ending the name of
// the PREFIX control that shows LOOK. Nothing when none is bound or chosen.
std::optional<int> boundDatabase(const Control& list, const std::vector<Control>& panel);

// Compact JSON text; invalid UTF-8 replaced, never thrown.
std::string toText(const nlohmann::json& value);

}  // namespace vrelhost
