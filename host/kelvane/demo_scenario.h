// The built-in demo (vrel-host --demo): the product end to end on the default
// site, in the operator's own lines (see scenario_runner.h), each step
// introduced by its `say` line; and the words of the tour around it (tour.h).
#pragma once

#include <string>
#include <vector>

#include "site_profile.h"

namespace vrelhost {

const char* demoScenario();
// The demo with two operator positions on one site (--demo --instances 2):
// what one position renames and confirms, the other sees arrive.
const char* positionsDemoScenario();
// Shown before the script is created.
const char* demoOpening();
// A rename of the name driver, as the operator knows it.
std::string describeDemoRename(const Rename& rename);
// The name set in use, as the tally infodriver reports it, with its title.
std::string describeLiveSet(const std::vector<Device>& devices);

}  // namespace vrelhost
