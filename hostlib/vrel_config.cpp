#include "vrel_config.h"

#include <cstdlib>
#include <fstream>

namespace {

std::string trimmed(const std::string& s) {
    const char* blanks = " \t\r\n";
    std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    std::size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

}  // namespace

std::string vrel_config::directory() {
    const char* dir = std::getenv("VREL_CONFIG_DIR");
    return (dir && *dir) ? std::string(dir) : std::string("config");
}

vrel_config::vrel_config(const vrel_string& entry) {
    const std::string& name = entry.str();
    std::size_t dot = name.find('.');
    if (dot == std::string::npos || dot == 0) return;
    const std::string file = directory() + "/" + name.substr(0, dot) + ".ini";
    const std::string section = name.substr(dot + 1);

    std::ifstream in(file);
    std::string line;
    bool inSection = false;
    bool first = true;
    while (std::getline(in, line)) {
        // Editors on Windows may save a UTF-8 byte-order mark: without this the
        // first section header would not be recognised.
        if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        first = false;
        line = trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            inSection = line.back() == ']' && trimmed(line.substr(1, line.size() - 2)) == section;
            continue;
        }
        if (!inSection) continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        // The first definition of a key wins, as in most INI readers.
        attributes_.emplace(trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1)));
    }
}

vrel_string vrel_config::attr(const vrel_string& name) const {
    auto it = attributes_.find(name.str());
    return it == attributes_.end() ? vrel_string() : vrel_string(it->second);
}
