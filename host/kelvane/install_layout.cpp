#include "install_layout.h"

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <utility>

// Set by the build: paths relative to the installed executable's folder, the
// build tree's executable folder and the source tree's panel files.
#ifndef VREL_HOST_PANELS_FROM_BIN
#error "VREL_HOST_PANELS_FROM_BIN must be defined by the build"
#endif

namespace vrelhost {
namespace {

// "bin/../share/x" reads as "share/x" in messages and --help.
std::string joined(const std::string& folder, const std::string& relative) {
    return std::filesystem::path(folder + "/" + relative).lexically_normal().string();
}

bool exists(const std::string& path) { return !path.empty() && access(path.c_str(), F_OK) == 0; }

std::string firstExisting(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates)
        if (exists(path)) return path;
    return candidates.empty() ? std::string() : candidates.front();
}

}  // namespace

InstallLayout::InstallLayout(std::string executableFolder) : executableFolder_(std::move(executableFolder)) {}

InstallLayout InstallLayout::ofThisProgram() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return InstallLayout(std::string());
    const std::string path(buffer, static_cast<std::size_t>(n));
    return InstallLayout(path.substr(0, path.rfind('/')));
}

std::vector<std::string> InstallLayout::panelFolders() const {
    std::vector<std::string> folders;
    if (!executableFolder_.empty()) {
        folders.push_back(executableFolder_ + "/panels");
        folders.push_back(joined(executableFolder_, VREL_HOST_PANELS_FROM_BIN));
    }
    // The source tree only for the build tree's own executable: an installed
    // or copied vrel-host must not depend on where it was built.
    if (executableFolder_ == VREL_HOST_BUILD_FOLDER) folders.push_back(VREL_HOST_SOURCE_PANELS);
    return folders;
}

std::vector<std::string> InstallLayout::scriptLibraries(const std::string& fileName) const {
    if (executableFolder_.empty()) return {fileName};
    return {executableFolder_ + "/" + fileName,
            joined(executableFolder_, std::string(VREL_HOST_LIBRARY_FROM_BIN) + "/" + fileName)};
}

std::string InstallLayout::findPanelFolder() const { return firstExisting(panelFolders()); }
std::string InstallLayout::findScriptLibrary(const std::string& fileName) const {
    return firstExisting(scriptLibraries(fileName));
}

std::string defaultsHelp(const InstallLayout& layout, const std::string& libraryFileName) {
    std::string text = "Without --panels, the panel files are the first of these folders that exists:\n";
    for (const std::string& path : layout.panelFolders()) text += "  " + path + "\n";
    text += "Without --script, the script library is the first of these that exists:\n";
    for (const std::string& path : layout.scriptLibraries(libraryFileName)) text += "  " + path + "\n";
    return text;
}

}  // namespace vrelhost
