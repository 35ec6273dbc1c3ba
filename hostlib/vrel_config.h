// vrel_config: one site configuration entry and its attributes.
//
// The entry "file.section" is section [section] of the INI file file.ini in the
// folder named by the environment variable VREL_CONFIG_DIR (the folder "config"
// under the working directory when it is unset). The file is read once, when the
// entry is built; `attr(name)` is then the value of key `name` in that section.
// A missing folder, file, section or key gives the empty text: a site without
// configuration still starts, it only lacks the setting.
#pragma once

#include <map>
#include <string>

#include "vrel_string.h"

class vrel_config {
public:
    vrel_config() = default;
    explicit vrel_config(const vrel_string& entry);

    vrel_string attr(const vrel_string& name) const;

    // The folder entries are read from, as described above.
    static std::string directory();

private:
    std::map<std::string, std::string> attributes_;
};
