// The names a shared library exports: the defined, globally visible symbols of
// its dynamic symbol table, read straight from the ELF file (32- or 64-bit),
// without loading it. A script library should export exactly one,
// load_vrel_client_script; anything more is surface the host never asked for.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace validator {

// The exported names, or nothing with `error` set when the file is not a
// readable ELF shared library.
std::optional<std::vector<std::string>> exportedSymbols(const std::string& path, std::string& error);

}  // namespace validator
