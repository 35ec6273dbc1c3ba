// InstallLayout: where vrel-host looks for what it loads by default, the panel
// files and the script library of the built-in profile, as this project's
// build and install put them, so that a vrel-host copied or installed
// elsewhere never silently reads the source tree it was built from.
//
// The candidates, in order: beside the executable (the build tree keeps
// build/panels/ and build/libkelvane.so there); then the installed tree,
// relative to the executable (bin/ -> share/kelvane/panels, lib/kelvane/), so
// an installed tree can be moved or unpacked anywhere; and, only for the
// vrel-host of the build tree itself, the source tree's panel files.
// A plain value; reads the file system only in the find functions.
#pragma once

#include <string>
#include <vector>

namespace vrelhost {

class InstallLayout {
public:
    // `executableFolder` may be empty (unknown): then only the build-tree
    // fallback remains.
    explicit InstallLayout(std::string executableFolder);
    // The layout of the running program (its folder from /proc/self/exe).
    static InstallLayout ofThisProgram();

    const std::string& executableFolder() const { return executableFolder_; }
    std::vector<std::string> panelFolders() const;
    // `fileName`: the library file, e.g. "libkelvane.so".
    std::vector<std::string> scriptLibraries(const std::string& fileName) const;
    // The first candidate that exists, or the first candidate when none does
    // (so the error names a path the user can act on).
    std::string findPanelFolder() const;
    std::string findScriptLibrary(const std::string& fileName) const;

private:
    std::string executableFolder_;
};

// For --help: where the defaults are looked for, in order, one path a line.
std::string defaultsHelp(const InstallLayout& layout, const std::string& libraryFileName);

}  // namespace vrelhost
