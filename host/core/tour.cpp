#include "tour.h"

#include <sstream>

namespace vrelhost {
namespace {

std::string plainRename(const Rename& r) {
    return "device " + std::to_string(r.device) + ", database " + std::to_string(r.database) + ", entry " +
           std::to_string(r.entry);
}

const Device* findDevice(const std::vector<Device>& devices, int number) {
    for (const Device& d : devices)
        if (d.number == number) return &d;
    return nullptr;
}

}  // namespace

std::vector<Rename> renamesBetween(const std::vector<Device>& before, const std::vector<Device>& after) {
    std::vector<Rename> renames;
    for (const Device& now : after) {
        const Device* then = findDevice(before, now.number);
        for (const auto& [database, entries] : now.databases) {
            const std::vector<std::string>* old = nullptr;
            if (then) {
                auto found = then->databases.find(database);
                if (found != then->databases.end()) old = &found->second;
            }
            for (std::size_t i = 0; i < entries.size(); ++i) {
                const std::string previous = old && i < old->size() ? (*old)[i] : std::string();
                if (entries[i] != previous)
                    renames.push_back(Rename{now.number, database, static_cast<int>(i + 1), previous, entries[i]});
            }
        }
    }
    return renames;
}

std::string tourSummary(const SiteProfile& profile, const std::vector<Rename>& renames,
                        const std::vector<Device>& devices, const std::string& siteFile, int unsavedRenames,
                        const std::string& keptBeside) {
    std::string text = "\n* The tour is over. What it left behind:\n";
    if (renames.empty()) text += "*   renamed: nothing\n";
    for (const Rename& r : renames) {
        const std::string what = profile.describeRename ? profile.describeRename(r) : plainRename(r);
        text += "*   renamed: " + what + ", \"" + r.before + "\" -> \"" + r.after + "\"\n";
    }
    if (profile.describeLive) text += "*   live: " + profile.describeLive(devices) + "\n";
    // Only the kept device's renames are ever written back (none without a kept role).
    bool anyKept = false;
    for (const Rename& r : renames) {
        const Device* device = findDevice(devices, r.device);
        anyKept = anyKept || (!profile.keptRole.empty() && device && device->role == profile.keptRole);
    }
    if (renames.empty()) {
        text += "*   saved: nothing to save\n";
    } else if (!anyKept) {
        text += "*   saved: nowhere; the profile " + profile.name + " keeps no renames of these devices\n";
    } else if (siteFile.empty()) {
        text += "*   saved: nowhere; the default site lives in memory only. To keep renames, write a site file "
                "with --write-site FILE and run with --site FILE\n";
    } else if (unsavedRenames > 0) {
        text += "*   saved: NOT all; " + std::to_string(unsavedRenames) +
                " rename(s) could not be written to " + siteFile +
                (keptBeside.empty() ? " (vrel-host's message says why)\n"
                                    : "; another program changed it, and they are in " + keptBeside + "\n");
    } else {
        text += "*   saved: in " + siteFile + ", written after each rename\n";
    }
    return text;
}

std::optional<int> runTour(const SimulationSettings& settings, std::ostream& screen, std::string& error) {
    const SiteProfile& profile = *settings.profile;
    // The site is checked before the tour says a word about it.
    if (!Simulation::checkSite(settings, error)) return std::nullopt;
    if (!profile.tourOpening.empty()) screen << "* " << profile.tourOpening << "\n" << std::flush;
    std::unique_ptr<Simulation> simulation = Simulation::start(settings, error);
    if (!simulation) return std::nullopt;
    const std::vector<Device> before = simulation->devices();
    // Several positions tell their own story when the profile has one.
    const bool positions = settings.instances > 1 && profile.positionsDemo;
    std::istringstream lines(positions ? profile.positionsDemo() : profile.demo ? profile.demo() : "");
    simulation->runLines(lines, false, "demo");
    const int unsaved = simulation->unsavedRenames();
    const std::string beside = simulation->renamesKeptBeside();
    // The script is destroyed first, so its last lines come before the summary.
    const int status = simulation->finish();
    screen << tourSummary(profile, renamesBetween(before, simulation->devices()), simulation->devices(),
                          settings.siteFile, unsaved, beside)
           << std::flush;
    return status;
}

}  // namespace vrelhost
