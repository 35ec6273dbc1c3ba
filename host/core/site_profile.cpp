#include "site_profile.h"

#include <algorithm>

#include "site.h"

namespace vrelhost {
namespace {

// "1 to 9", "2, 5", "1 to 3, 7": runs of three or more written as a range.
std::string numberList(const std::vector<int>& numbers) {
    std::string text;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t end = i;
        while (end + 1 < numbers.size() && numbers[end + 1] == numbers[end] + 1) ++end;
        text += text.empty() ? "" : ", ";
        if (end >= i + 2) {
            text += std::to_string(numbers[i]) + " to " + std::to_string(numbers[end]);
            i = end + 1;
        } else {
            text += std::to_string(numbers[i]);
            ++i;
        }
    }
    return text;
}

}  // namespace

std::vector<std::string> knownRoles(const SiteProfile& profile) {
    std::vector<std::string> known = hostRoles();
    known.insert(known.end(), profile.roles.begin(), profile.roles.end());
    return known;
}

bool siteSuitsProfile(const Site& site, const SiteProfile& profile, std::string& error) {
    const std::vector<std::string> known = knownRoles(profile);
    int kept = 0;
    std::size_t keptAt = 0;
    for (std::size_t i = 0; i < site.devices.size(); ++i) {
        const std::string& role = site.devices[i].role;
        if (!role.empty() && std::find(known.begin(), known.end(), role) == known.end()) {
            std::string list;
            for (const std::string& k : known) list += (list.empty() ? "" : ", ") + k;
            error = "devices[" + std::to_string(i) + "].role: unknown role \"" + role + "\" (known: " + list + ")";
            return false;
        }
        if (!profile.keptRole.empty() && role == profile.keptRole) {
            ++kept;
            keptAt = i;
        }
    }
    if (!profile.keptRole.empty() && kept != 1) {
        error = "exactly one device must have the role \"" + profile.keptRole + "\" (" + profile.keptRoleMeaning +
                "); found " + std::to_string(kept);
        return false;
    }
    if (profile.keptRole.empty()) return true;
    const Device& device = site.devices[keptAt];
    std::vector<int> missing;
    for (int database : profile.keptDatabases)
        if (device.databases.count(database) == 0) missing.push_back(database);
    if (!missing.empty()) {
        error = "devices[" + std::to_string(keptAt) + "].databases: " + profile.keptRoleMeaning + " (device " +
                std::to_string(device.number) + ") has no database " + numberList(missing) + "; the profile " +
                profile.name + " needs " + numberList(profile.keptDatabases);
        return false;
    }
    return true;
}

}  // namespace vrelhost
