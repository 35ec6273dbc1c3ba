// vrel-host --serve: one simulation, operated from any number of browsers
// until Ctrl-C, SIGTERM or SIGHUP; then the script is destroyed and the run
// ends with the status a scenario run would have.
#pragma once

#include <string>

namespace vrelhost {

struct ServeSettings {
    std::string library;     // the script library
    std::string panels;      // the folder of the panel files (the creation text)
    std::string site;        // site file, or empty for the built-in site
    std::string transcript;  // transcript file, or empty for standard output
    std::string address = "127.0.0.1";
    int port = 8080;
};

int serve(const ServeSettings& settings);

}  // namespace vrelhost
