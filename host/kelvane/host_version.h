// The version vrel-host reports (--version): the project's one version, set
// in project() and shared with the component, its packages and the DLL's
// version record. A constant text with static lifetime.
#pragma once

namespace vrelhost {

const char* hostVersion();

}  // namespace vrelhost
