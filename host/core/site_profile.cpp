#include "site_profile.h"

#include <algorithm>

#include "site.h"

namespace vrelhost {

bool siteSuitsProfile(const Site& site, const SiteProfile& profile, std::string& error) {
    std::vector<std::string> known = {"router", "infodriver"};
    known.insert(known.end(), profile.roles.begin(), profile.roles.end());
    int kept = 0;
    for (std::size_t i = 0; i < site.devices.size(); ++i) {
        const std::string& role = site.devices[i].role;
        if (!role.empty() && std::find(known.begin(), known.end(), role) == known.end()) {
            std::string list;
            for (const std::string& k : known) list += (list.empty() ? "" : ", ") + k;
            error = "devices[" + std::to_string(i) + "].role: unknown role \"" + role + "\" (known: " + list + ")";
            return false;
        }
        kept += !profile.keptRole.empty() && role == profile.keptRole ? 1 : 0;
    }
    if (!profile.keptRole.empty() && kept != 1) {
        error = "exactly one device must have the role \"" + profile.keptRole + "\" (" + profile.keptRoleMeaning +
                "); found " + std::to_string(kept);
        return false;
    }
    return true;
}

}  // namespace vrelhost
