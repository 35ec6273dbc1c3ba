// The built-in demo as a tour: a sentence before the script is created, the
// demo's own lines (their `say` lines introduce each step), and a closing
// summary on the screen: what was renamed, what is live, where the renames
// were saved. The opening and the summary go to the screen only, never into
// the transcript, so a saved transcript replays as any other.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "simulation.h"

namespace vrelhost {

// The entries whose text differs between two snapshots of the devices, in
// the order of the devices, databases and entries.
std::vector<Rename> renamesBetween(const std::vector<Device>& before, const std::vector<Device>& after);

// The closing summary, one "* " line each. `siteFile` is empty when the
// session ran on the profile's default site; `keptBeside` names the file the
// renames the site file could not take went to, if any.
std::string tourSummary(const SiteProfile& profile, const std::vector<Rename>& renames,
                        const std::vector<Device>& devices, const std::string& siteFile, int unsavedRenames,
                        const std::string& keptBeside = std::string());

// Starts the session of `settings` (its profile's demo), runs the tour and
// returns the session's exit status; nothing, with `error` saying why, when
// the session could not start.
std::optional<int> runTour(const SimulationSettings& settings, std::ostream& screen, std::string& error);

}  // namespace vrelhost
