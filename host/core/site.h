// Site: the devices the simulated host runs, and their state.
//
// A device has a number, an instance name (what SD looks up), a role, name
// databases of 128 entries each (a router's source names, the name sets of a
// name driver) and, for an infodriver, slots 1 to 4096 holding texts. Which
// roles a site may use, and which device's renames are kept, is the profile's
// to say (site_profile.h). Owned by the session; one thread.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vrelhost {

constexpr int databaseEntries = 128;
constexpr int infodriverSlots = 4096;

// The roles every site may use: the control system's own kinds of device,
// which the simulated host serves whatever script runs. An infodriver holds
// slots. A profile adds the roles of its script (SiteProfile::roles).
constexpr const char* routerRole = "router";
constexpr const char* infodriverRole = "infodriver";
const std::vector<std::string>& hostRoles();

struct Device {
    int number = 0;
    std::string instance;
    std::string role;  // "router", "infodriver", a role of the profile, or empty
    std::map<int, std::vector<std::string>> databases;  // entry i at [i - 1]; always 128 entries
    bool hasSlots = false;
    std::map<int, std::string> slots;  // slots that were ever written; the rest hold ""
};

class Site {
public:
    std::vector<Device> devices;

    Device* find(int number);
    const Device* find(int number) const;
    const Device* findInstance(const std::string& instance) const;
    // The first device with this role.
    const Device* withRole(const std::string& role) const;

    // Nothing when the device, database or entry does not exist.
    std::optional<std::string> entry(int device, int database, int index) const;
    bool rename(int device, int database, int index, const std::string& text);
    std::optional<std::string> slot(int device, int slot) const;
    bool writeSlot(int device, int slot, const std::string& text);
};

}  // namespace vrelhost
