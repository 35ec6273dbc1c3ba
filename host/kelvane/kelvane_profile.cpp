#include "kelvane_profile.h"

#include "default_site.h"
#include "demo_scenario.h"

namespace vrelhost {

const SiteProfile& kelvaneProfile() {
    static const SiteProfile profile = [] {
        SiteProfile p;
        p.name = "kelvane";
        p.defaultLibrary = "libkelvane.so";
        p.defaultSite = &defaultSiteDocument;
        p.demo = &demoScenario;
        p.positionsDemo = &positionsDemoScenario;
        p.tourOpening = demoOpening();
        p.describeRename = &describeDemoRename;
        p.describeLive = &describeLiveSet;
        p.roles = {"names"};
        p.keptRole = "names";
        p.keptRoleMeaning = "the UMD name driver";
        p.keptDatabases = {1, 2, 3, 4, 5, 6, 7, 8, 9};  // the eight name sets and their titles
        p.configEntry = "velmorcast.StA_UMD_Names_DriverID";
        p.keyboardPanel = "2";
        p.keyboardControl = "KB_1";
        return p;
    }();
    return profile;
}

}  // namespace vrelhost
