// positions-bench: how the simulated host grows with the number of operator
// positions on one site. For each count it starts a session of that many
// instances of the script (through the export, as vrel-host does) and reports
//   - start-up: the time until every instance has started (each reads every
//     name of the router and the name driver, one read per command);
//   - memory per instance: heap in use after the start-up, over the count
//     (the script's panel object and names plus the host's panels and
//     transcript state for that instance);
//   - rename spread: from the rename (RM) leaving position 1 until every
//     position has handled its database change (the median of several).
// Every rename is checked to have reached every position; a count where one
// did not ends the program with status 1.
//
// positions-bench LIBRARY PANELS [COUNT...]   (default counts 1 8 32)
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "kelvane_profile.h"
#include "simulation.h"

namespace {

using Clock = std::chrono::steady_clock;

// The transcript is written, as in a session, but goes nowhere.
struct Discard : std::streambuf {
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

double microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

struct Figures {
    int count = 0;
    double startMs = 0;
    double bytesPerInstance = 0;
    double spreadUs = 0;
    bool allReached = true;
};

bool measure(const std::string& library, const std::string& panels, int count, int renames, Figures& out) {
    Discard discard;
    std::ostream transcript(&discard);
    Clock::time_point renameSent;
    int changes = 0;
    bool sent = false;
    const std::string rm = count > 1 ? "[1] > RM " : "> RM ";
    vrelhost::SimulationSettings settings;
    settings.profile = &vrelhost::kelvaneProfile();
    settings.library = library;
    settings.panels = panels;
    settings.instances = count;
    settings.transcriptStream = &transcript;
    settings.listener = [&](const std::string& line) {
        if (!sent && line.compare(0, rm.size(), rm) == 0) {
            sent = true;
            renameSent = Clock::now();
        }
        if (line.find("< database device ") != std::string::npos) ++changes;
    };

    const std::size_t heapBefore = mallinfo2().uordblks;
    const Clock::time_point start = Clock::now();
    std::string error;
    std::unique_ptr<vrelhost::Simulation> simulation = vrelhost::Simulation::start(settings, error);
    const Clock::time_point started = Clock::now();
    if (!simulation) {
        std::cerr << "positions-bench: " << error << "\n";
        return false;
    }
    out.count = count;
    out.startMs = microseconds(started - start) / 1000.0;
    out.bytesPerInstance = static_cast<double>(mallinfo2().uordblks - heapBefore) / count;

    auto run = [&](const std::string& line) {
        if (simulation->runLine(line).outcome != vrelhost::Simulation::Outcome::done) {
            std::cerr << "positions-bench: the line \"" << line << "\" was refused\n";
            return false;
        }
        return true;
    };
    if (!run("@1 press 1 Name_Editor") || !run("@1 press 2 NameSet_3")) return false;
    std::vector<double> spreads;
    for (int i = 0; i < renames; ++i) {
        if (!run("@1 press 2 SrcName index=17")) return false;
        for (int k = 0; k < 8; ++k)
            if (!run("@1 key backspace")) return false;
        if (!run("@1 type Cam " + std::to_string(i % 100)) || !run("@1 key return")) return false;
        sent = false;
        changes = 0;
        if (!run("@1 press 2 Update")) return false;
        const Clock::time_point handled = Clock::now();
        // runLine returns once every delivery the rename caused was made.
        if (!sent || changes != count) out.allReached = false;
        spreads.push_back(microseconds(handled - renameSent));
    }
    std::sort(spreads.begin(), spreads.end());
    out.spreadUs = spreads[spreads.size() / 2];
    return simulation->finish() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: positions-bench LIBRARY PANELS [COUNT...]\n";
        return 1;
    }
    std::vector<int> counts;
    for (int i = 3; i < argc; ++i) {
        const int n = std::atoi(argv[i]);
        if (n < 1 || n > vrelhost::maxInstances) {
            std::cerr << "positions-bench: a count is 1 to " << vrelhost::maxInstances << ", not " << argv[i]
                      << "\n";
            return 1;
        }
        counts.push_back(n);
    }
    if (counts.empty()) counts = {1, 8, 32};

    std::printf("%-10s %14s %14s %22s %18s\n", "positions", "start-up ms", "ms/position", "heap KiB/position",
                "rename spread us");
    bool ok = true;
    for (int count : counts) {
        Figures f;
        if (!measure(argv[1], argv[2], count, 21, f)) return 1;
        std::printf("%-10d %14.2f %14.3f %22.1f %18.1f%s\n", f.count, f.startMs, f.startMs / f.count,
                    f.bytesPerInstance / 1024.0, f.spreadUs, f.allReached ? "" : "  NOT EVERY POSITION");
        ok = ok && f.allReached;
    }
    return ok ? 0 : 1;
}
