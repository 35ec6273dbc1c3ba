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

// SIGPIPE too: a console piped into a program that stopped reading (grep -m1)
// ends the session as Ctrl-C does, not with the lock left behind.
constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
volatile std::sig_atomic_t lastLine = 0;

// "vrel-host: ended by SIGPIPE at line 12; the lines after it are not run",
// with what a signal handler may call.
void sayWhy(int signal) {
    char text[160];
    std::size_t used = 0;
    auto add = [&](const char* part) {
        for (; *part && used < sizeof text - 1; ++part) text[used++] = *part;
    };
    add("\nvrel-host: ended by ");
    add(signal == SIGINT    ? "Ctrl-C (SIGINT)"
        : signal == SIGTERM ? "SIGTERM"
        : signal == SIGHUP  ? "SIGHUP"
                            : "SIGPIPE (its output was closed)");
    char digits[16];
    int count = 0;
    for (long n = lastLine; count == 0 || n > 0; n /= 10) digits[count++] = static_cast<char>('0' + n % 10);
    add(" at line ");
    while (count > 0 && used < sizeof text - 1) text[used++] = digits[--count];
    add("; the lines after it are not run\n");
    (void)!write(STDERR_FILENO, text, used);
}
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
    sayWhy(signal);
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

void SignalCleanup::lineRun(int number) {
    lastLine = number;
}

SignalCleanup::~SignalCleanup() {
    if (slot_ < 0) return;
    live[slot_] = 0;
    if (--registered == 0) restoreHandler();
}

}  // namespace vrelhost
