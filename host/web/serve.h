// vrel-host --serve: one simulation, operated from any number of browsers
// until Ctrl-C, SIGTERM or SIGHUP; then the script is destroyed and the run
// ends with the status a scenario run would have.
#pragma once

#include <string>

#include "simulation.h"

namespace vrelhost {

struct ServeSettings {
    SimulationSettings simulation;  // the transcript goes to its file, or to standard output
    std::string address = "127.0.0.1";
    int port = 8080;  // 0: any free port
};

int serve(const ServeSettings& settings);

}  // namespace vrelhost
