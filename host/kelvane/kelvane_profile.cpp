#include "kelvane_profile.h"

#include "default_site.h"
#include "demo_scenario.h"

namespace vrelhost {
namespace {

// What the under-monitor displays show: the tally infodriver's slot 212 is
// the live name set (1 to 8: the name driver's database of that number; 0:
// the router's own short names), its slot 211 the brightness; the name
// driver's database 9 holds the sets' titles.
DisplayLayout umdDisplays() {
    DisplayLayout d;
    d.displays = 128;
    d.selector = {"CTA Tally Infodriver", "infodriver"};
    d.setSlot = 212;
    d.brightnessSlot = 211;
    d.brightnessNames = {"Low", "Medium", "High"};
    d.names = {"", "names"};  // the device whose number the configuration entry gives the script
    d.sets = 8;
    d.firstSetDatabase = 1;
    d.titleDatabase = 9;
    d.fallback = {"StC SDI Router", "router"};
    d.fallbackDatabase = 2;
    d.fallbackTitle = "Matrix Short Names";
    return d;
}

}  // namespace

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
        p.displays = umdDisplays();
        p.keyboardPanel = "2";
        p.keyboardControl = "KB_1";
        return p;
    }();
    return profile;
}

}  // namespace vrelhost
