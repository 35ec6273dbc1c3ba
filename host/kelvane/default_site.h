// The site vrel-host runs when no site file is given: a router (device 10)
// with long and short names for 128 sources, the tally infodriver (device 57)
// at brightness 2 showing name set 1, and the UMD name driver (device 60) with
// eight name sets and their titles. Built in code as a site document, so it
// goes through the same checks as a site file.
#pragma once

#include <nlohmann/json.hpp>

namespace vrelhost {

nlohmann::json defaultSiteDocument();

}  // namespace vrelhost
