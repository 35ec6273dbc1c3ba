// ConfigFolder: the configuration a script reads, written for one session.
//
// Creates a private temporary folder holding velmorcast.ini with the entry
// [StA_UMD_Names_DriverID] value=<device>, and points VREL_CONFIG_DIR at it so
// the script's configuration read finds the site's name driver. The folder is
// removed, and the variable restored, when the object goes; also when Ctrl-C,
// SIGTERM or SIGHUP ends the process first (unless the signal was ignored or
// handled already). Create it before the script and let it go after the
// script is destroyed; one at a time per process.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace vrelhost {

class ConfigFolder {
public:
    static std::unique_ptr<ConfigFolder> create(int namesDevice, std::string& error);
    ~ConfigFolder();
    ConfigFolder(const ConfigFolder&) = delete;
    ConfigFolder& operator=(const ConfigFolder&) = delete;

    const std::string& path() const { return folder_; }

private:
    ConfigFolder(std::string folder, std::optional<std::string> previous)
        : folder_(std::move(folder)), previous_(std::move(previous)) {}
    std::string folder_;
    std::optional<std::string> previous_;  // VREL_CONFIG_DIR before, if it was set
};

}  // namespace vrelhost
