// vrel-host --serve: one simulation, operated from any number of browsers
// until Ctrl-C, SIGTERM or SIGHUP; then the script is destroyed and the run
// ends with the status a scenario run would have.
//
// The address is taken before the script starts, so a port in use (or not
// permitted, or an address that is not this machine's) is said at once with
// status 1. On an address beyond this machine the view prints a warning and
// a URL with a fresh access token, which every request must carry.
#pragma once

#include <string>

#include "simulation.h"

namespace vrelhost {

struct ServeSettings {
    SimulationSettings simulation;  // the transcript goes to its file, or to standard output
    std::string address = "127.0.0.1";
    int port = 8080;  // 0: any free port
    int requestTimeoutSeconds = 10;  // for a request to arrive whole
};

int serve(const ServeSettings& settings);

}  // namespace vrelhost
