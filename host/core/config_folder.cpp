#include "config_folder.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace vrelhost {
namespace {

// The folder of the session, for a signal that ends the process before the
// folder's owner can remove it (Ctrl-C at the prompt, a kill). Plain arrays:
// the handler may only call functions that are safe inside a signal handler.
char liveIni[PATH_MAX];
char liveFolder[PATH_MAX];
volatile std::sig_atomic_t folderLive = 0;

constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previousActions[sizeof endingSignals / sizeof *endingSignals];
bool handlerInstalled[sizeof endingSignals / sizeof *endingSignals];

extern "C" void removeFolderAndEnd(int signal) {
    if (folderLive) {
        unlink(liveIni);
        rmdir(liveFolder);
        folderLive = 0;
    }
    // Then end as the signal would have ended the process.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Only where the signal would end the process anyway: a signal that is
// ignored (nohup) or has a handler of its own is left as it is.
void removeFolderOnSignals(const std::string& ini, const std::string& folder) {
    if (ini.size() >= sizeof liveIni) return;
    std::memcpy(liveIni, ini.c_str(), ini.size() + 1);
    std::memcpy(liveFolder, folder.c_str(), folder.size() + 1);
    folderLive = 1;
    for (std::size_t i = 0; i < sizeof endingSignals / sizeof *endingSignals; ++i) {
        struct sigaction current {};
        handlerInstalled[i] = false;
        if (sigaction(endingSignals[i], nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = removeFolderAndEnd;
        sigemptyset(&action.sa_mask);
        handlerInstalled[i] = sigaction(endingSignals[i], &action, &previousActions[i]) == 0;
    }
}

void keepSignalsAsBefore() {
    folderLive = 0;
    for (std::size_t i = 0; i < sizeof endingSignals / sizeof *endingSignals; ++i) {
        if (handlerInstalled[i]) sigaction(endingSignals[i], &previousActions[i], nullptr);
        handlerInstalled[i] = false;
    }
}

}  // namespace

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
    removeFolderOnSignals(folder + "/velmorcast.ini", folder);
    return std::unique_ptr<ConfigFolder>(new ConfigFolder(folder, previous));
}

ConfigFolder::~ConfigFolder() {
    keepSignalsAsBefore();
    unlink((folder_ + "/velmorcast.ini").c_str());
    rmdir(folder_.c_str());
    if (previous_) setenv("VREL_CONFIG_DIR", previous_->c_str(), 1);
    else unsetenv("VREL_CONFIG_DIR");
}

}  // namespace vrelhost
