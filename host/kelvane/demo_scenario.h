// The built-in demo (vrel-host --demo): the product end to end on the default
// site, in the operator's own lines (see scenario_runner.h).
#pragma once

namespace vrelhost {

const char* demoScenario();

}  // namespace vrelhost
