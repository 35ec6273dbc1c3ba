// What the in-process host suites set a session up with: the settings that
// run this build's component with its panel files, and a fresh folder
// holding a site file with the profile's default site.
#pragma once

#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "kelvane_profile.h"
#include "simulation.h"
#include "user_file.h"

namespace vrelhost {

inline SimulationSettings kelvaneSettings() {
    SimulationSettings settings;
    settings.profile = &kelvaneProfile();
    settings.library = KELVANE_LIBRARY;
    settings.panels = VREL_HOST_PANELS;
    return settings;
}

// A session of the component, started on construction: its transcript in
// `transcript` and, line by line, in `lines`; finish()'s messages in
// `errors`. `adjust` changes the settings before the start; `simulation` is
// empty, with `error` saying why, when the start failed.
struct KelvaneSession {
    explicit KelvaneSession(const std::function<void(SimulationSettings&)>& adjust = {}) {
        SimulationSettings settings = kelvaneSettings();
        settings.transcriptStream = &transcript;
        settings.errors = &errors;
        settings.listener = [this](const std::string& line) { lines.push_back(line); };
        if (adjust) adjust(settings);
        simulation = Simulation::start(settings, error);
    }

    std::ostringstream transcript, errors;
    std::vector<std::string> lines;
    std::string error;
    std::unique_ptr<Simulation> simulation;
};

// The folder goes with everything in it when the object goes. `folder` is
// the folder's own path (links resolved), as the host names it in messages.
struct TempSite {
    explicit TempSite(const std::string& stem) : temp(stem) {
        std::string problem;
        if (!replaceUserFile(path, kelvaneProfile().defaultSite().dump(2), Existing::keep, problem))
            throw std::runtime_error("cannot write " + path + ": " + problem);
    }
    std::string at(const std::string& name) const { return folder + "/" + name; }

    TempFolder temp;
    const std::string folder = targetOf(temp.path()), path = folder + "/site.json";
};

}  // namespace vrelhost
