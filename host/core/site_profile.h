// SiteProfile: what the simulator needs to know about one script component
// and the site it expects, so that the simulator itself runs any script.
//
// A profile names the library to load by default, the site to run when no
// site file is given, the built-in demo, the roles its devices may have, the
// one device whose renames are kept in the site file and whose number goes
// into the script's configuration, and the keyboard control that the operator
// lines `key` and `type` press. Profiles are plain data with static lifetime.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vrelhost {

struct SiteProfile {
    std::string name;            // how the operator knows the profile
    std::string defaultLibrary;  // the library file loaded from beside vrel-host
    nlohmann::json (*defaultSite)() = nullptr;  // the site document run without a site file
    const char* (*demo)() = nullptr;            // operator lines of the built-in demo

    // Roles a device may have beyond "router" and "infodriver".
    std::vector<std::string> roles;
    // Exactly one device has this role. Its databases are written back to
    // the site file after each rename, and its number is the value of the
    // configuration entry (FILE.SECTION: section SECTION of FILE.ini).
    std::string keptRole;
    std::string keptRoleMeaning;  // for messages: "the UMD name driver"
    std::string configEntry;

    // The control that `key` and `type` press (empty: the panel has none).
    std::string keyboardPanel;
    std::string keyboardControl;
};

}  // namespace vrelhost

namespace vrelhost {

class Site;

// Whether `site` is one the profile's script can run on: every role known, and
// exactly one device with the kept role. False with `error` naming the problem.
bool siteSuitsProfile(const Site& site, const SiteProfile& profile, std::string& error);

}  // namespace vrelhost
