// DisplayLayout: where a site keeps what its under-monitor displays show, as
// a profile declares it (site_profile.h): which device's slots choose the
// live name set and the brightness, which device holds the name sets and
// their titles, and which device's own names stand for set 0. The simulator
// reads the site through it and names no device itself. A plain value.
#pragma once

#include <string>
#include <vector>

namespace vrelhost {

// A device of the site: the one with this instance name, else the first
// with this role (either may be empty).
struct DeviceChoice {
    std::string instance;
    std::string role;
};

struct DisplayLayout {
    int displays = 0;  // sources 1 to displays, each with its display; 0: the profile declares none

    DeviceChoice selector;  // the device whose slots say what the displays show
    int setSlot = 0;        // its slot holding the live set's number, 0 to sets
    int brightnessSlot = 0;  // its slot holding the brightness, 1 to the number of names below
    std::vector<std::string> brightnessNames;  // level 1 first, in the operator's words

    DeviceChoice names;        // the device holding the name sets
    int sets = 0;              // set n (1 to sets) is its database firstSetDatabase + n - 1, entry k for source k
    int firstSetDatabase = 1;
    int titleDatabase = 0;     // entry n: the title of set n

    DeviceChoice fallback;     // set 0: this device's own names ...
    int fallbackDatabase = 0;  // ... in this database, entry k for source k
    std::string fallbackTitle;

    int brightnessLevels() const { return static_cast<int>(brightnessNames.size()); }
};

}  // namespace vrelhost
