#include "signal_cleanup.h"

#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstring>

namespace vrelhost {
namespace {

constexpr int maxPaths = 8;
char paths[maxPaths][PATH_MAX];
volatile std::sig_atomic_t live[maxPaths];
int registered = 0;

constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t signalCount = sizeof endingSignals / sizeof *endingSignals;
struct sigaction previousActions[signalCount];
bool handlerInstalled[signalCount];

void removeLivePaths() {
    for (int i = maxPaths - 1; i >= 0; --i) {
        if (!live[i]) continue;
        if (unlink(paths[i]) != 0) rmdir(paths[i]);
        live[i] = 0;
    }
}

extern "C" void removePathsAndEnd(int signal) {
    removeLivePaths();
    // Then end as the signal would have ended the process.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void installHandler() {
    for (std::size_t i = 0; i < signalCount; ++i) {
        struct sigaction current {};
        handlerInstalled[i] = false;
        if (sigaction(endingSignals[i], nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction action {};
        action.sa_handler = removePathsAndEnd;
        sigemptyset(&action.sa_mask);
        handlerInstalled[i] = sigaction(endingSignals[i], &action, &previousActions[i]) == 0;
    }
}

void restoreHandler() {
    for (std::size_t i = 0; i < signalCount; ++i) {
        if (handlerInstalled[i]) sigaction(endingSignals[i], &previousActions[i], nullptr);
        handlerInstalled[i] = false;
    }
}

}  // namespace

SignalCleanup::SignalCleanup(const std::string& path) {
    if (path.size() >= PATH_MAX) return;
    // Newer paths take higher slots, so the handler removes them first.
    for (int i = 0; i < maxPaths; ++i) {
        if (live[i]) continue;
        bool newerLive = false;
        for (int j = i + 1; j < maxPaths; ++j) newerLive = newerLive || live[j];
        if (newerLive) continue;
        std::memcpy(paths[i], path.c_str(), path.size() + 1);
        if (registered++ == 0) installHandler();
        live[i] = 1;
        slot_ = i;
        return;
    }
}

void SignalCleanup::removeAll() { removeLivePaths(); }

SignalCleanup::~SignalCleanup() {
    if (slot_ < 0) return;
    live[slot_] = 0;
    if (--registered == 0) restoreHandler();
}

}  // namespace vrelhost
