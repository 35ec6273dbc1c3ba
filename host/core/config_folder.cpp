#include "config_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace vrelhost {

bool isConfigEntry(const std::string& entry) {
    const std::size_t dot = entry.find('.');
    return dot != std::string::npos && dot != 0 && dot + 1 != entry.size() && entry.find('/') == std::string::npos;
}

std::unique_ptr<ConfigFolder> ConfigFolder::create(const std::string& entry, const std::string& value,
                                                   std::string& error) {
    if (!isConfigEntry(entry)) {
        error = "the configuration entry \"" + entry + "\" is not FILE.SECTION";
        return nullptr;
    }
    const std::size_t dot = entry.find('.');
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vrel-host-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        error = "cannot create a configuration folder from " + pattern + ": " + std::strerror(errno);
        return nullptr;
    }
    const std::string folder = name.data();
    const std::string ini = folder + "/" + entry.substr(0, dot) + ".ini";
    std::ofstream out(ini);
    out << "; written by vrel-host for this session\n[" << entry.substr(dot + 1) << "]\nvalue=" << value << "\n";
    out.close();
    if (!out) {
        error = "cannot write " + ini;
        unlink(ini.c_str());
        rmdir(folder.c_str());
        return nullptr;
    }
    const char* before = std::getenv("VREL_CONFIG_DIR");
    std::optional<std::string> previous = before ? std::optional<std::string>(before) : std::nullopt;
    setenv("VREL_CONFIG_DIR", folder.c_str(), 1);
    return std::unique_ptr<ConfigFolder>(new ConfigFolder(folder, ini, previous));
}

ConfigFolder::~ConfigFolder() {
    unlink(ini_.c_str());
    rmdir(folder_.c_str());
    if (previous_) setenv("VREL_CONFIG_DIR", previous_->c_str(), 1);
    else unsetenv("VREL_CONFIG_DIR");
}

}  // namespace vrelhost
