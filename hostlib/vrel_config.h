// vrel_config: one site configuration entry and its attributes.
//
// The entry "file.section" is section [section] of the INI file file.ini in the
// folder named by the environment variable VREL_CONFIG_DIR (the folder "config"
// under the working directory when it is unset or empty). The file is read
// once, when the entry is built; `attr(name)` is then the value of key `name`
// in that section. A missing folder, file, section or key gives the empty text:
// a site without configuration still starts, it only lacks the setting.
//
// The object owns a compact copy of its section: one "key=value\n" line per
// key, trimmed, in file order. The file is read through a stack buffer, so a
// section of a few short keys costs no heap allocation at all.
#pragma once

#include <string>
#include <string_view>

#include "vrel_string.h"

class vrel_config {
public:
    vrel_config() = default;
    explicit vrel_config(const vrel_string& entry) : vrel_config(entry.c_str()) {}
    explicit vrel_config(const char* entry);

    vrel_string attr(const vrel_string& name) const;

    // The folder entries are read from, as described above.
    static std::string directory();

private:
    void readSection(int fd, std::string_view section);
    void keepLine(std::string_view line, bool& inSection, std::string_view section);
    // The value of `key` in keys_ (its length in *length), or null when the section lacks it.
    const char* find(std::string_view key, std::size_t* length = nullptr) const;

    std::string keys_;  // "key=value\n" per key of the section, the first definition of each
};
