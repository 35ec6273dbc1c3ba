// Profile files: a script's profile (site_profile.h) read from a small JSON
// file, so that a script built anywhere brings its own site, demo and panel
// files to vrel-host without being compiled into it.
//
//   { "name": "source_browser",          the profile's name (required)
//     "library": "libsource_browser.so", the script library (required)
//     "panels": "panels",                the folder of its panel files (required)
//     "site": "site.json",               its default site, a site file (required)
//     "demo": "tour.txt",                operator lines run by --demo
//     "demoOpening": "A sentence",       shown before the demo creates the script
//     "roles": ["names"],                device roles beyond the host's own (site.h)
//     "keptRole": "names",               the one device whose renames are kept
//     "keptRoleMeaning": "the name driver",
//     "configEntry": "FILE.SECTION",     gets the kept device's number; needs keptRole
//     "keyboard": { "panel": "2", "control": "KB_1" },
//     "displays": { ... } }                 what the displays show (display_layout_json.h)
//
// Paths are relative to the profile file's folder. A library given as a bare
// file name that is not beside the profile is looked for where the built-in
// profile's library is (beside vrel-host, then its installed tree). Every problem is reported with
// the file and the field: a missing or unreadable file, bad JSON, an unknown
// field, a wrong type, a path that does not exist, a default site the profile
// cannot run.
#pragma once

#include <memory>
#include <string>

#include "site_profile.h"

namespace vrelhost {

// The profile in `path`, or nothing with `error` saying what is wrong. With
// `libraryOverridden` (--script names the library) a library path of the
// profile that does not exist is no error. The result owns its demo and site.
std::unique_ptr<SiteProfile> readProfileFile(const std::string& path, bool libraryOverridden,
                                             std::string& error);

}  // namespace vrelhost
