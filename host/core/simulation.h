// Simulation is the outermost session class: one whole run of vrel-host, from
// settings to exit status, holding the site, the SimulatedHost, the
// ScriptSession and the operator's lines; main, the tests and the view drive it.
//
// Simulation: one session of the simulator, from the settings to the exit
// status. It opens the site (a site file, which it locks and whose leftover
// temporary files it removes, or the profile's default site, which it says
// lives in memory only), checks the panel folder, loads the script library,
// writes the script's configuration, opens the transcript (never over an
// existing file unless told to) and creates the script; then carries out operator lines one at
// a time or from a stream; finish() destroys the script and says how the
// session went. vrel-host's main, the tests and a browser view all drive a
// session through it.
//
// Exit status from finish(): 0 when all went well; 1 when a line was bad (in
// runLines without a terminal, also lines left after every position quit),
// renames are missing from the site file, the host refused a rename, the host
// failed on a command or the transcript could not be written; 3 when the
// script broke the host protocol. The first line of the transcript (or of the
// console) that cannot be written ends the session there: said at once, and
// no further line runs.
//
// Several instances (operator positions) may run in one session: each its
// own script, panels, timers and transcript prefix, all on one site (its
// devices, databases, slots and registrations, site_exchange.h) and one
// clock. An operator line "@K LINE" goes to instance K, any other line to
// instance 1; "@K quit" destroys instance K alone and leaves the others
// running; plain quit ends the session.
//
// Owns everything it opens. The profile must outlive it. One thread.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display_wall.h"
#include "panel_slots.h"
#include "scenario_runner.h"
#include "site.h"
#include "site_profile.h"

namespace vrelhost {

struct SimulationSettings {
    const SiteProfile* profile = nullptr;
    std::string library;         // the script library to load
    bool libraryOfProfile = false;  // it is the profile's own: a failure to load it names the profile
    std::string siteFile;        // empty: the profile's default site
    bool saveRenames = true;     // false: a site file is only read
    std::string transcriptFile;  // the exact transcript goes there ...
    // Whether an existing transcript (and site copy) is replaced or refused.
    // vrel-host sets it from --force, so a user's file is never replaced
    // unasked; a program driving a session of its own owns its files.
    bool replaceFiles = true;
    // With a site file and a transcript file: the site's text as read at
    // start is kept there (for a replay), never through a link, and the
    // transcript's first line names it with its fingerprint.
    std::string siteCopyFile;
    std::ostream* transcriptStream = nullptr;  // ... or there (exact form) ...
    std::ostream* console = nullptr;  // ... else to the console, folded; also drawings, answers, help
    std::string panels;          // the creation text: the folder of the panel files
    int instances = 1;           // instances of the script on the one site, 1 to maxInstances
    bool echoInput = true;       // each operator line into the transcript as "# N: line"
    bool foldStartup = false;    // the console shows the script's start-up as one line
    std::ostream* errors = nullptr;  // finish()'s messages (default: standard error)
    // Sees every transcript line in the exact form as it is written,
    // from the script's creation on.
    std::function<void(const std::string& line)> listener;
    // Hears what the displays show (display_wall.h), when the profile declares
    // them: everything once the scripts are created, then each change as the
    // site changes, on the session's thread.
    std::function<void(const DisplayState& state, const DisplayChange& change)> displaysListener;
};

// Instances of the script one session runs at most.
constexpr int maxInstances = 64;

class Simulation {
public:
    // The running session, or nothing with `error` saying what could not be
    // opened (the site file and its problem, the library, the transcript).
    static std::unique_ptr<Simulation> start(const SimulationSettings& settings, std::string& error);
    // Whether the site of `settings` can be run (read and checked, not
    // taken): for a caller that says something before the session starts.
    static bool checkSite(const SimulationSettings& settings, std::string& error);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    using Outcome = ScenarioRunner::Outcome;
    struct LineResult {
        Outcome outcome;
        std::string message;  // what was wrong with the line, on an error
    };
    // One operator line, exactly as a scenario line: numbered, echoed,
    // refused where a panel would refuse it. `number` 0 takes the next one.
    // "@K " in front addresses instance K.
    LineResult runLine(const std::string& line, int number = 0);
    // Lines from a stream, as ScenarioRunner::run; a bad line counts against
    // the exit status when the stream is not interactive.
    bool runLines(std::istream& in, bool interactive, const std::string& source);
    bool runLines(LineReader& in, bool interactive, const std::string& source);
    // Whether a script still runs (not after quit or finish()): any
    // instance's, or instance K's.
    bool alive() const;
    bool alive(int instance) const;
    int instances() const;
    std::string help() const;

    // What the operator sees; `instance` counts from 1.
    const std::map<std::string, PanelSlots::Slot>& panels(int instance = 1) const;
    // Moves whenever instance K's panels may have changed (PanelSlots::version).
    std::uint64_t panelsVersion(int instance) const;
    const std::vector<Device>& devices() const;
    // What the displays show; nothing when the profile declares no displays.
    const DisplayState* displays() const;
    long long clock() const;  // milliseconds of simulated time
    std::optional<long long> nextTick() const;  // when any timer ticks next; nothing while none runs
    std::size_t protocolErrors() const;
    int unsavedRenames() const;  // renames the site file does not hold (none after a later good save)
    // The file beside the site that holds the renames the site file could
    // not take (another program changed it); empty while there is none.
    std::string renamesKeptBeside() const;

    // Destroys the script (if it still runs) and returns the exit status;
    // the reason for a status other than 0 goes to `errors`. Once.
    int finish();

private:
    struct Parts;
    explicit Simulation(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> parts_;
};

}  // namespace vrelhost
