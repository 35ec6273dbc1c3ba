// ConfigFolder: the configuration a script reads, written for one session.
//
// A configuration entry FILE.SECTION is section [SECTION] of FILE.ini in the
// folder VREL_CONFIG_DIR names. create() makes a private temporary folder
// holding FILE.ini with that section and `value=VALUE`, and points
// VREL_CONFIG_DIR at it. The folder is removed, and the variable restored,
// when the object goes; also when Ctrl-C, SIGTERM or SIGHUP ends the process
// first (see signal_cleanup.h). Create it before the script and let it go
// after the script is destroyed; one at a time per process.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "signal_cleanup.h"

namespace vrelhost {

// Whether `entry` is FILE.SECTION: a dot with text on both sides, no folder.
bool isConfigEntry(const std::string& entry);

class ConfigFolder {
public:
    // `entry` is FILE.SECTION; nothing with `error` set when it is not one
    // or the folder cannot be written.
    static std::unique_ptr<ConfigFolder> create(const std::string& entry, const std::string& value,
                                                std::string& error);
    ~ConfigFolder();
    ConfigFolder(const ConfigFolder&) = delete;
    ConfigFolder& operator=(const ConfigFolder&) = delete;

    const std::string& path() const { return folder_; }

private:
    ConfigFolder(std::string folder, std::string ini, std::optional<std::string> previous)
        : folder_(std::move(folder)), ini_(std::move(ini)), previous_(std::move(previous)),
          folderOnSignal_(folder_), iniOnSignal_(ini_) {}
    std::string folder_;
    std::string ini_;
    std::optional<std::string> previous_;  // VREL_CONFIG_DIR before, if it was set
    SignalCleanup folderOnSignal_;         // registered first, so removed after the file in it
    SignalCleanup iniOnSignal_;
};

}  // namespace vrelhost
