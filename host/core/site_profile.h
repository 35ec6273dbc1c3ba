// SiteProfile: what the simulator needs to know about one script component
// and the site it expects, so that the simulator itself runs any script.
//
// A profile names the library to load by default, the site to run when no
// site file is given, the built-in demo, the roles its devices may have, the
// one device whose renames are kept in the site file and whose number goes
// into the script's configuration, where the displays' names live, and the keyboard control that the operator
// lines `key` and `type` press. A built-in profile has static lifetime; one
// read from a profile file (profile_file.h) is owned by whoever read it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "display_layout.h"

namespace vrelhost {

struct Device;

// An entry of a device's database whose text a session changed.
struct Rename {
    int device = 0, database = 0, entry = 0;
    std::string before, after;
};

struct SiteProfile {
    std::string name;            // how the operator knows the profile
    std::string defaultLibrary;  // the library file looked for where vrel-host's build puts it
    std::string libraryPath;     // when set: the library loaded as it is, not looked for
    std::string panelFolder;     // when set: the panel files; else looked for likewise
    // The files a profile file named for its default site and demo (read with
    // it): a session never writes over them. Empty for a built-in profile.
    std::string siteFile, demoFile;
    std::function<nlohmann::json()> defaultSite;  // the site document run without a site file
    std::function<std::string()> demo;            // operator lines of the demo (none: no demo)
    // The demo for two or more operator positions, its lines addressed with
    // @K (none: the demo above, run on position 1).
    std::function<std::string()> positionsDemo;
    // The demo as a tour: the sentence shown before the script is created
    // (none when empty), and for its closing summary, a rename and what is
    // live in the operator's words (each may be empty: the summary then says
    // it plainly).
    std::string tourOpening;
    std::function<std::string(const Rename& rename)> describeRename;
    std::function<std::string(const std::vector<Device>& devices)> describeLive;

    // Roles a device may have beyond the host's own (hostRoles(), site.h).
    std::vector<std::string> roles;
    // Exactly one device has this role (no device when empty). Its databases
    // are written back to the site file after each rename, and its number is
    // the value of the configuration entry (FILE.SECTION: section SECTION of
    // FILE.ini).
    std::string keptRole;
    std::string keptRoleMeaning;  // for messages: what the kept device is, in the operator's words
    // The databases the kept device must hold: a site without one of them is
    // refused at start, since every rename the script sends there would fail.
    std::vector<int> keptDatabases;
    std::string configEntry;  // none when empty; needs the kept role

    // Where the site keeps what the under-monitor displays show (none when
    // displays is 0): `show displays`, the browser's wall and --umd-out read it.
    DisplayLayout displays;

    // The control that `key` and `type` press (empty: the panel has none).
    std::string keyboardPanel;
    std::string keyboardControl;
};

}  // namespace vrelhost

namespace vrelhost {

class Site;

// The roles a site run with `profile` may use: the host's own, then the profile's.
std::vector<std::string> knownRoles(const SiteProfile& profile);

// Whether `site` is one the profile's script can run on: every role known,
// exactly one device with the kept role, and that device holding the kept
// databases. False with `error` naming the problem.
bool siteSuitsProfile(const Site& site, const SiteProfile& profile, std::string& error);

}  // namespace vrelhost
