// The component's cost against its floor, for start-up, one rename round trip,
// a revertive, a database change and a parent command; then what a started
// panel costs in allocations and memory.
//
// Before anything is timed, each action's floor is checked to hold the very
// same conversation with the host as the component (every command text and
// hand-back, in order, and the debug line of a rename): a floor that sent less
// would flatter nothing but itself. A mismatch ends the program with status 1.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Kelvane.h"
#include "allocation_counter.h"
#include "debug_output.h"
#include "floors.h"
#include "footprint.h"
#include "panel_driver.h"
#include "prepared_host.h"
#include "ratio_reporter.h"
#include "scenario.h"
#include "vrel_config.h"

namespace {

using Transcript = std::vector<std::string>;

// The debug channel: discarded while timing, kept in the transcript while
// checking (a rename must leave its line there on both sides).
Transcript* g_debugTranscript = nullptr;
void debugSink(const char* text, void*) {
    if (g_debugTranscript) g_debugTranscript->push_back(std::string("(debug) ") + text);
}

int configuredNamesDevice() {
    return vrel_config("velmorcast.StA_UMD_Names_DriverID").attr("value").toInt();
}

// The brightness shown before each report, by the report's turn (see PanelDriver).
constexpr int levelShownBefore[2] = {3, 2};

Transcript transcriptOf(PreparedHost& host, const std::function<void()>& action) {
    Transcript transcript;
    host.record(&transcript);
    g_debugTranscript = &transcript;
    action();
    g_debugTranscript = nullptr;
    host.record(nullptr);
    return transcript;
}

bool sameConversation(const char* action, const Transcript& component, const Transcript& floor) {
    for (std::size_t i = 0; i < component.size() || i < floor.size(); ++i) {
        const char* c = i < component.size() ? component[i].c_str() : "(nothing)";
        const char* f = i < floor.size() ? floor[i].c_str() : "(nothing)";
        if (std::string(c) != f) {
            std::fprintf(stderr, "%s: floor differs from the component at text %zu:\n  component: %s\n  floor:     %s\n",
                         action, i + 1, c, f);
            return false;
        }
    }
    std::printf("%-10s floor checked: %zu texts, the same as the component's\n", action, component.size());
    return true;
}

bool checkFloors(int namesDevice) {
    PreparedHost host;
    bool same = sameConversation(
        "startup",
        transcriptOf(host, [&] { std::unique_ptr<Kelvane, vrel_script_deleter> panel(new Kelvane(&host, "")); host.record(nullptr); }),
        transcriptOf(host, [&] { floors::startup(host, namesDevice); }));

    PanelDriver driver(host, namesDevice);
    same &= sameConversation("rename", transcriptOf(host, [&] { driver.renameRoundTrip(); }),
                             transcriptOf(host, [&] { floors::renameRoundTrip(host, namesDevice); }));
    same &= sameConversation("revertive",
                             transcriptOf(host, [&] { driver.brightnessRevertive(); driver.brightnessRevertive(); }),
                             transcriptOf(host, [&] {
                                 floors::brightnessRevertive(host, levelShownBefore[1], scenario::brightnessLevels[1]);
                                 floors::brightnessRevertive(host, levelShownBefore[0], scenario::brightnessLevels[0]);
                             }));
    same &= sameConversation("database", transcriptOf(host, [&] { driver.titleChange(); }),
                             transcriptOf(host, [&] { floors::titleChange(host, scenario::liveNameSet,
                                                                           scenario::renamedTitle); }));
    std::string componentAnswer;
    driver.parentQuery(&componentAnswer);
    std::unique_ptr<char[]> floorAnswer(floors::parentQuery(scenario::parentQuery, scenario::myParam));
    same &= sameConversation("parent", {componentAnswer}, {floorAnswer ? floorAnswer.get() : "(null)"});
    if (host.badHandBacks() != 0) {
        std::fprintf(stderr, "the host was handed back %zu pointers it never gave out\n", host.badHandBacks());
        same = false;
    }
    return same;
}

// Heap allocations of one run of `action`, after one run to warm up.
std::size_t allocationsOf(const std::function<void()>& action) {
    action();
    const alloc_count::Snapshot before = alloc_count::now();
    action();
    return alloc_count::now().allocations - before.allocations;
}

void countAllocations(benchmark::State& state, const alloc_count::Snapshot& before) {
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(alloc_count::now().allocations - before.allocations),
                                                  benchmark::Counter::kAvgIterations);
}

void registerBenchmarks(int namesDevice) {
    benchmark::RegisterBenchmark("startup/component", [](benchmark::State& state) {
        PreparedHost host;
        const alloc_count::Snapshot before = alloc_count::now();
        for (auto _ : state) {
            Kelvane* panel = new Kelvane(&host, "");
            benchmark::DoNotOptimize(panel);
            state.PauseTiming();  // shut-down is not part of start-up
            vrel_destroy_script(panel);
            state.ResumeTiming();
        }
        countAllocations(state, before);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("startup/floor", [namesDevice](benchmark::State& state) {
        PreparedHost host;
        const alloc_count::Snapshot before = alloc_count::now();
        for (auto _ : state) {
            floors::startup(host, namesDevice);
            state.PauseTiming();  // the same timer overhead as the component's side
            state.ResumeTiming();
        }
        countAllocations(state, before);
    })->Unit(benchmark::kMicrosecond);

    struct Action {
        const char* name;
        std::function<void(PanelDriver&)> component;
        std::function<void(PreparedHost&, int turn)> floor;
    };
    const Action actions[] = {
        {"rename", [](PanelDriver& d) { d.renameRoundTrip(); },
         [namesDevice](PreparedHost& h, int) { floors::renameRoundTrip(h, namesDevice); }},
        {"revertive", [](PanelDriver& d) { d.brightnessRevertive(); },
         [](PreparedHost& h, int turn) {
             floors::brightnessRevertive(h, levelShownBefore[turn], scenario::brightnessLevels[turn]);
         }},
        {"database", [](PanelDriver& d) { d.titleChange(); },
         [](PreparedHost& h, int) { floors::titleChange(h, scenario::liveNameSet, scenario::renamedTitle); }},
        {"parent", [](PanelDriver& d) { d.parentQuery(); },
         [](PreparedHost&, int) { delete[] floors::parentQuery(scenario::parentQuery, scenario::myParam); }},
    };
    for (const Action& action : actions) {
        benchmark::RegisterBenchmark((std::string(action.name) + "/component").c_str(),
                                     [namesDevice, run = action.component](benchmark::State& state) {
                                         PreparedHost host;
                                         PanelDriver driver(host, namesDevice);
                                         const alloc_count::Snapshot before = alloc_count::now();
                                         for (auto _ : state) run(driver);
                                         countAllocations(state, before);
                                     });
        benchmark::RegisterBenchmark((std::string(action.name) + "/floor").c_str(),
                                     [run = action.floor](benchmark::State& state) {
                                         PreparedHost host;
                                         int turn = 1;  // the component's side starts on the second level
                                         const alloc_count::Snapshot before = alloc_count::now();
                                         for (auto _ : state) {
                                             run(host, turn);
                                             turn ^= 1;
                                         }
                                         countAllocations(state, before);
                                     });
    }
}

// Start-up's allocations beyond its floor's: one for the panel object, which
// the export hands over to the host, and one for every name the panel keeps
// that is too long for a string's inline storage (the floor reads each name
// into a stack buffer and drops it; the panel keeps all 1,288). Counted from
// the prepared host's names, not assumed: with them, the eight set titles.
double startupAllocationAllowance() {
    const PreparedHost host;
    const std::size_t inlineCapacity = std::string().capacity();
    constexpr int sources = 128;
    std::size_t longNames = 0;
    auto count = [&](int database, int last) {
        for (int i = 1; i <= last; ++i) longNames += std::strlen(host.name(database, i)) > inlineCapacity;
    };
    count(0, sources);  // router long names
    count(2, sources);  // router short names
    for (int set = 1; set <= 8; ++set) count(set, sources);
    count(9, 8);  // the set titles
    return 1.0 + static_cast<double>(longNames);
}

void printFootprint(int namesDevice) {
    PreparedHost host;
    const Footprint footprint = measureFootprint(host);
    std::printf("\nstarted panel: object %zu bytes; start-up makes %zu heap allocations (%zu bytes);\n"
                "  each started panel keeps %.1f KiB of heap and adds %.1f KiB resident\n",
                footprint.objectSize, footprint.startupAllocations, footprint.startupBytes,
                footprint.heapPerPanel / 1024, footprint.residentPerPanel / 1024);

    PanelDriver driver(host, namesDevice);
    std::printf("heap allocations per action, component (floor):\n"
                "  rename round trip %zu (%zu), revertive %zu (%zu), database change %zu (%zu), parent command %zu (%zu)\n",
                allocationsOf([&] { driver.renameRoundTrip(); }),
                allocationsOf([&] { floors::renameRoundTrip(host, namesDevice); }),
                allocationsOf([&] { driver.brightnessRevertive(); }),
                allocationsOf([&] { floors::brightnessRevertive(host, 2, "3"); }),
                allocationsOf([&] { driver.titleChange(); }),
                allocationsOf([&] { floors::titleChange(host, scenario::liveNameSet, scenario::renamedTitle); }),
                allocationsOf([&] { driver.parentQuery(); }),
                allocationsOf([&] { delete[] floors::parentQuery(scenario::parentQuery, scenario::myParam); }));
}

// Repetitions, interleaved at random so that a busy spell of the machine falls
// on both sides of a pair alike; the table takes the median of each. Flags on
// the command line come later and win.
std::vector<char*> withDefaultFlags(int argc, char** argv) {
    static char repetitions[] = "--benchmark_repetitions=9";
    static char interleaved[] = "--benchmark_enable_random_interleaving=true";
    static char minTime[] = "--benchmark_min_time=0.1";
    std::vector<char*> args{argv[0], repetitions, interleaved, minTime};
    args.insert(args.end(), argv + 1, argv + argc);
    args.push_back(nullptr);
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    // The site configuration names the UMD names driver; use the repository's
    // example unless the caller points elsewhere.
    setenv("VREL_CONFIG_DIR", KELVANE_CONFIG_DIR, 0);
    std::vector<char*> args = withDefaultFlags(argc, argv);
    int argCount = static_cast<int>(args.size()) - 1;
    benchmark::Initialize(&argCount, args.data());
    if (benchmark::ReportUnrecognizedArguments(argCount, args.data())) return 1;
    vrel::setDebugSink(&debugSink, nullptr);

    const int namesDevice = configuredNamesDevice();
    if (!checkFloors(namesDevice)) return 1;

    registerBenchmarks(namesDevice);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // The protocol hands a parent command's answer over in a buffer, so that
    // action may take one more allocation than its floor; start-up, see above.
    reporter.printRatios({{"startup", 1.0, startupAllocationAllowance()},
                          {"rename", 1.5, 0},
                          {"revertive", 1.5, 0},
                          {"database", 1.5, 0},
                          {"parent", 1.5, 1}});
    printFootprint(namesDevice);
    benchmark::Shutdown();
    return 0;
}
