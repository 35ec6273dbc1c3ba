#include "config_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace vrelhost {

std::unique_ptr<ConfigFolder> ConfigFolder::create(int namesDevice, std::string& error) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vrel-host-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        error = "cannot create a configuration folder from " + pattern + ": " + std::strerror(errno);
        return nullptr;
    }
    const std::string folder = name.data();
    std::ofstream ini(folder + "/velmorcast.ini");
    ini << "; written by vrel-host for this session\n[StA_UMD_Names_DriverID]\nvalue=" << namesDevice << "\n";
    ini.close();
    if (!ini) {
        error = "cannot write " + folder + "/velmorcast.ini";
        rmdir(folder.c_str());
        return nullptr;
    }
    const char* before = std::getenv("VREL_CONFIG_DIR");
    std::optional<std::string> previous = before ? std::optional<std::string>(before) : std::nullopt;
    setenv("VREL_CONFIG_DIR", folder.c_str(), 1);
    return std::unique_ptr<ConfigFolder>(new ConfigFolder(folder, previous));
}

ConfigFolder::~ConfigFolder() {
    unlink((folder_ + "/velmorcast.ini").c_str());
    rmdir(folder_.c_str());
    if (previous_) setenv("VREL_CONFIG_DIR", previous_->c_str(), 1);
    else unsetenv("VREL_CONFIG_DIR");
}

}  // namespace vrelhost
