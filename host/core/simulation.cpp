#include "simulation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>

#include "config_folder.h"
#include "operator_rules.h"
#include "protocol_log.h"
#include "script_library.h"
#include "script_session.h"
#include "simulated_host.h"
#include "site_exchange.h"
#include "site_file.h"
#include "site_lock.h"
#include "transcript.h"
#include "transcript_format.h"
#include "user_file.h"

namespace vrelhost {

namespace {

// One instance of the script, with what it alone owns. Declared in the
// order they are made; they go in reverse.
struct Instance {
    std::unique_ptr<Transcript> transcript;
    std::unique_ptr<ProtocolLog> log;
    std::unique_ptr<SimulatedHost> host;
    std::unique_ptr<ScriptSession> session;
    std::unique_ptr<ScenarioRunner> runner;
};

}  // namespace

// Declared in the order they are made; they go in reverse, so the scripts are
// destroyed before their hosts, the exchange, configuration and library.
struct Simulation::Parts {
    SimulationSettings settings;
    std::unique_ptr<SiteLock> lock;
    Site site;
    std::optional<SiteFile> siteFile;
    std::unique_ptr<ScriptLibrary> library;
    std::unique_ptr<std::ostream> transcriptFile;
    std::unique_ptr<ConfigFolder> config;
    SiteExchange exchange;
    std::unique_ptr<DisplayWall> wall;
    std::vector<Instance> instances;
    std::ostream* out = nullptr;  // where the transcripts go
    bool toConsole = false;       // ... the console, folded
    std::ostream* screen = nullptr;
    int lineNumber = 0;
    bool badLine = false;
    bool finished = false;
    bool allQuit = false;  // every position quit on its own (@K quit)
    std::string ended;     // why the session ended before its lines did
    bool started = false;  // start() is over: a failure from now on is said here, not by start()
    int status = 0;

    std::ostream& errors() { return settings.errors ? *settings.errors : std::cerr; }
    Instance& at(int instance) { return instances[static_cast<std::size_t>(instance - 1)]; }
    void flushAll() {
        for (Instance& i : instances) i.transcript->flush();
    }
    void waitAll(long long milliseconds);
    LineResult runLine(const std::string& line, int number);
    std::string outputName() const;
    void endSession(const std::string& why);
    void checkConsole();
    void reportLinesLeft(LineReader& in, const std::string& source);

    // The steps of a start, in order; each says what stopped it in `error`.
    bool openSite(std::string& error);
    bool loadLibrary(std::string& error);
    bool openTranscript(std::string& error);
    bool keepSiteCopy(std::string& error);
    bool writeConfiguration(std::string& error);
    void watchDisplays();
    ScenarioRunner::Options runnerOptions();
    void makeInstances();
    bool createScripts(std::string& error);
};

namespace {

std::size_t spaceAt(const std::string& text, std::size_t from) {
    const std::size_t blank = text.find(' ', from);
    return blank == std::string::npos ? text.size() : blank;
}

// "@K LINE" -> K and LINE; a line without "@" goes to instance 1.
bool addressOf(const std::string& line, int instances, int& instance, std::string& rest, bool& addressed,
               std::string& error) {
    const std::size_t start = line.find_first_not_of(" \t");
    addressed = start != std::string::npos && line[start] == '@';
    instance = 1;
    rest = line;
    if (!addressed) return true;
    const std::size_t end = spaceAt(line, start);
    const std::string number = line.substr(start + 1, end - start - 1);
    long long k = 0;
    const bool digits =
        !number.empty() && number.size() < 4 && number.find_first_not_of("0123456789") == std::string::npos;
    if (digits) k = std::stoll(number);
    if (!digits || k < 1 || k > instances) {
        error = "@" + shownText(number) + " names no position; there " +
                (instances == 1 ? std::string("is only @1") : "are @1 to @" + std::to_string(instances));
        return false;
    }
    instance = static_cast<int>(k);
    rest = end < line.size() ? line.substr(end + 1) : std::string();
    if (rest.find_first_not_of(" \t\r") == std::string::npos) {
        error = "@" + shownText(number) + " needs a line after it";
        return false;
    }
    return true;
}

// Temporary files a save of the site left when it was cut short (a kill, a
// power cut) are this session's to remove now that it holds the site.
void removeStaleTemporaries(const std::string& site, std::ostream& errors) {
    std::string removed;
    int count = 0;
    for (const std::string& path : staleTemporariesOf(targetOf(site), siteFileStart)) {
        if (::unlink(path.c_str()) != 0) continue;
        removed += (removed.empty() ? "" : ", ") + path;
        ++count;
    }
    if (count > 0)
        errors << "vrel-host: removed " << count << " temporary file(s) left by a save of " << site
               << " that was cut short: " << removed << "\n";
}

// The copy of the site beside a transcript is a file of the session's own
// naming: written only as an ordinary file, never through a link.
bool maySiteCopy(const std::string& path, Existing existing, std::string& problem) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        problem =
            "it is a symbolic link, and the copy is never written through one (name another file with "
            "--site-copy FILE)";
        return false;
    }
    if (mayWriteUserFile(path, existing, problem)) return true;
    if (existing == Existing::keep && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        !isSessionLock(path))
        problem = "it exists, and is replaced only with --force (or name another file with --site-copy FILE)";
    return false;
}

bool panelFolderExists(const std::string& folder, std::string& error) {
    struct stat info {};
    if (folder.empty() || (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode))) return true;
    error = "the panel folder " + folder + (userFileExists(folder) ? " is not a folder" : " does not exist") +
            "; the script would start without its panels (give the folder with --panels)";
    return false;
}

}  // namespace

// One clock for every instance: ticks come in time order across them (at the
// same moment, in ascending instance number), and each instance's clock is
// moved to a tick before any script hears of it, so a timer started from a
// report starts from the right time.
void Simulation::Parts::waitAll(long long milliseconds) {
    const long long until = instances.front().host->timers().now() + milliseconds;
    for (;;) {
        Instance* next = nullptr;
        long long due = 0;
        for (Instance& i : instances) {
            const std::optional<long long> when = i.session->nextTick();
            if (when && *when <= until && (!next || *when < due)) {
                next = &i;
                due = *when;
            }
        }
        if (!next) break;
        for (Instance& i : instances)
            if (i.host->timers().now() < due) i.host->timers().settle(due);
        next->session->tickBefore(until);
    }
    for (Instance& i : instances) i.host->timers().settle(until);
}

Simulation::LineResult Simulation::Parts::runLine(const std::string& line, int number) {
    LineResult result{Outcome::done, std::string()};
    // A line that comes with its number (a file's) keeps it whatever happens;
    // one without takes the next number only when it becomes a line.
    if (number > 0) lineNumber = number;
    int k = 1;
    bool addressed = false;
    std::string content;
    if (!addressOf(line, static_cast<int>(instances.size()), k, content, addressed, result.message)) {
        result.outcome = Outcome::error;
        return result;
    }
    Instance& target = at(k);
    if (finished || !ended.empty() || !target.session->alive()) {
        result.outcome = Outcome::error;
        result.message = !ended.empty()          ? ended
                         : instances.size() == 1 ? "the script no longer runs"
                                                 : "position " + std::to_string(k) + " no longer runs";
        return result;
    }
    if (number <= 0) ++lineNumber;
    SignalCleanup::lineRun(lineNumber);
    result.outcome = target.runner->feed(content, result.message, lineNumber);
    // A line that went into the transcript and was wrong is followed by why.
    if (result.outcome == Outcome::error && target.runner->echoedLast())
        target.transcript->note(result.message);
    if (result.outcome == Outcome::quit && addressed) {
        // "@K quit": this position goes, the others keep running.
        target.session->destroy();
        target.transcript->flush();
        bool anyAlive = false;
        for (const Instance& i : instances) anyAlive = anyAlive || i.session->alive();
        allQuit = !anyAlive;
        result.outcome = anyAlive ? Outcome::done : Outcome::quit;
    }
    if (result.outcome == Outcome::error) flushAll();
    checkConsole();
    if (!ended.empty() && result.outcome != Outcome::quit) {
        result.outcome = Outcome::error;
        result.message = ended;
    }
    return result;
}

std::string Simulation::Parts::outputName() const {
    if (toConsole) return "the console (standard output)";
    return settings.transcriptFile.empty() ? std::string("the transcript")
                                           : "the transcript " + settings.transcriptFile;
}

// The session ends here: no further line runs, and finish() fails it.
void Simulation::Parts::endSession(const std::string& why) {
    if (!ended.empty()) return;
    ended = why + "; the session ends here, and the lines after it are not run";
    std::ostream* console = toConsole ? nullptr : settings.console;
    if (console && *console) *console << "! " << escapeText(ended) << '\n' << std::flush;
    if (started) errors() << "vrel-host: " << ended << "\n" << std::flush;
}

// A console that can no longer be written (its reader has gone, SIGPIPE
// ignored) ends the session as a signal would: nobody sees what happens next.
void Simulation::Parts::checkConsole() {
    std::ostream* console = toConsole ? out : settings.console;
    if (console && !*console) endSession("cannot write the console (standard output): its reader has gone");
}

// After every position quit, the lines still to come are not run: said, and a failure.
void Simulation::Parts::reportLinesLeft(LineReader& in, const std::string& source) {
    int left = 0;
    std::string line;
    while (in.read(line)) {
        const std::size_t start = line.find_first_not_of(" \t\r");
        if (start != std::string::npos && line[start] != '#') ++left;
    }
    if (left == 0) return;
    errors() << source << ":" << lineNumber << ": every position has quit, so the " << left
             << " line(s) after this one are not run\n";
    badLine = true;
}

Simulation::Simulation(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

Simulation::~Simulation() {
    if (parts_ && !parts_->finished) finish();
}

namespace {

bool settingsUsable(const SimulationSettings& settings, std::string& error) {
    if (!settings.profile) {
        error = "no site profile";
        return false;
    }
    if (settings.instances < 1 || settings.instances > maxInstances) {
        error = "instances must be 1 to " + std::to_string(maxInstances) + ", not " +
                std::to_string(settings.instances);
        return false;
    }
    if (settings.siteFile.empty() && !settings.profile->defaultSite) {
        error = "the profile " + settings.profile->name + " has no default site; give a site file";
        return false;
    }
    return true;
}

// A save replaces the file by a rename, which keeps one name only: a site
// with several hard links would be split at its first save.
bool singleName(const std::string& path, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_nlink <= 1) return true;
    error = "site file " + path + ": " + hardLinksMessage(info.st_nlink);
    return false;
}

// The site a session runs on, read and checked, without taking it.
bool readSite(const SimulationSettings& settings, Site& site, std::optional<SiteFile>& file,
              std::string& error) {
    const SiteProfile& profile = *settings.profile;
    std::string problem;
    if (settings.siteFile.empty()) {
        std::optional<Site> builtIn = siteFromJson(profile.defaultSite(), problem);
        if (!builtIn) {
            error = "the default site of " + profile.name + ": " + problem;
            return false;
        }
        site = std::move(*builtIn);
    } else {
        file = SiteFile::open(settings.siteFile, site, error);
        if (!file) return false;
    }
    if (!siteSuitsProfile(site, profile, problem)) {
        error = (settings.siteFile.empty() ? "the default site" : "site file " + settings.siteFile) + ": " +
                problem;
        return false;
    }
    return true;
}

}  // namespace

bool Simulation::Parts::openSite(std::string& error) {
    std::string problem;
    if (!settings.siteFile.empty()) {
        // What is not an ordinary file gets no lock beside it (no /dev/zero.lock).
        if (!isReadableFile(settings.siteFile, problem)) {
            error = "site file " + settings.siteFile + ": cannot be read: " + problem;
            return false;
        }
        if (settings.saveRenames && !singleName(settings.siteFile, error)) return false;
        // Locked before it is read: what this session reads is what no other one writes.
        if (settings.saveRenames) {
            lock = SiteLock::take(settings.siteFile, error);
            if (!lock) return false;
            removeStaleTemporaries(settings.siteFile, errors());
        }
    }
    if (!readSite(settings, site, siteFile, error)) return false;
    if (siteFile) siteFile->keep(site, settings.saveRenames ? settings.profile->keptRole : std::string());
    return true;
}

bool Simulation::Parts::loadLibrary(std::string& error) {
    if (!panelFolderExists(settings.panels, error)) return false;
    library = ScriptLibrary::open(settings.library, error);
    if (!library && settings.libraryOfProfile)
        error +=
            " (the script library of the profile " + settings.profile->name + "; --script names another)";
    return library != nullptr;
}

// Both checked before either is written, so a refusal leaves nothing behind.
bool Simulation::Parts::openTranscript(std::string& error) {
    const Existing existing = settings.replaceFiles ? Existing::replace : Existing::keep;
    std::string problem;
    out = settings.transcriptStream;
    const bool toFile = !out && !settings.transcriptFile.empty();
    if (toFile && !mayWriteUserFile(settings.transcriptFile, existing, problem)) {
        error = "transcript " + settings.transcriptFile + ": " + problem;
        return false;
    }
    if (siteFile && !settings.siteCopyFile.empty() &&
        !maySiteCopy(settings.siteCopyFile, existing, problem)) {
        error = "the copy of the site " + settings.siteCopyFile + ": " + problem;
        return false;
    }
    if (toFile) {
        transcriptFile = createUserFile(settings.transcriptFile, existing, problem);
        if (!transcriptFile) {
            error = "transcript " + settings.transcriptFile + ": " + problem;
            return false;
        }
        out = transcriptFile.get();
    }
    toConsole = !out;
    if (toConsole) out = settings.console ? settings.console : &std::cout;
    return keepSiteCopy(error);
}

// The site as it was at start, for a replay after this session's renames
// changed it; the transcript's first line names it and its fingerprint.
bool Simulation::Parts::keepSiteCopy(std::string& error) {
    if (!siteFile || settings.siteCopyFile.empty()) return true;
    std::string problem;
    if (!replaceUserFile(settings.siteCopyFile, siteFile->textAsRead(), Existing::replace, problem)) {
        error = "the copy of the site " + settings.siteCopyFile + ": " + problem;
        return false;
    }
    if (toConsole) return true;
    *out << escapeText(siteCopyLine(settings.siteCopyFile, siteFile->textAsRead())) << '\n' << std::flush;
    if (*out) return true;
    error = "transcript " + settings.transcriptFile + ": cannot be written";
    return false;
}

bool Simulation::Parts::writeConfiguration(std::string& error) {
    const SiteProfile& profile = *settings.profile;
    if (settings.siteFile.empty() && settings.saveRenames && !profile.keptRole.empty())
        errors() << "vrel-host: no site file: renames live in memory only and are gone when the session ends "
                    "(--write-site FILE once, then --site FILE, keeps them)\n";
    if (profile.configEntry.empty()) return true;
    // No kept role: the entry is written empty, never with a device that merely has no role.
    const Device* kept = profile.keptRole.empty() ? nullptr : site.withRole(profile.keptRole);
    config = ConfigFolder::create(profile.configEntry, kept ? std::to_string(kept->number) : "", error);
    return config != nullptr;
}

// The displays follow every write and rename of the site, whoever made it.
void Simulation::Parts::watchDisplays() {
    const SiteProfile& profile = *settings.profile;
    if (profile.displays.displays <= 0) return;
    wall = std::make_unique<DisplayWall>(profile.displays);
    wall->refresh(site);
    exchange.watch([this] {
        const DisplayChange change = wall->refresh(site);
        if (change.any() && settings.displaysListener) settings.displaysListener(wall->state(), change);
    });
}

ScenarioRunner::Options Simulation::Parts::runnerOptions() {
    ScenarioRunner::Options options;
    options.displays = wall.get();
    options.echoInput = settings.echoInput;
    options.screen = toConsole ? out : settings.console;
    options.repeatOnScreen = !toConsole;
    options.keyboardPanel = settings.profile->keyboardPanel;
    options.keyboardControl = settings.profile->keyboardControl;
    options.wait = [this](long long milliseconds) { waitAll(milliseconds); };
    if (settings.instances > 1)
        options.helpNote = "(@K LINE sends LINE to position K, 1 to " + std::to_string(settings.instances) +
                           "; a line without @K goes to position 1; @K quit ends position K alone, "
                           "quit ends them all)\n";
    return options;
}

void Simulation::Parts::makeInstances() {
    const ScenarioRunner::Options options = runnerOptions();
    screen = options.screen;
    const bool several = settings.instances > 1;
    instances.resize(static_cast<std::size_t>(settings.instances));
    for (int k = 1; k <= settings.instances; ++k) {
        Instance& i = at(k);
        i.transcript = std::make_unique<Transcript>(
            *out, toConsole ? Transcript::Form::console : Transcript::Form::exact);
        if (several) {
            i.transcript->setPrefix(instancePrefix(k));
            Transcript* self = i.transcript.get();
            i.transcript->beforeWriting([this, self] {
                for (Instance& other : instances)
                    if (other.transcript.get() != self) other.transcript->flush();
            });
        }
        i.transcript->onFailure([this] {
            const int cause = errno;
            endSession(
                "cannot write " + outputName() + ": " +
                (cause == EPIPE ? std::string("its reader has gone") : std::string(std::strerror(cause))));
        });
        if (settings.listener) i.transcript->listen(settings.listener);
        if (!toConsole) i.transcript->showMessagesOn(settings.console);
        i.log = std::make_unique<ProtocolLog>(*i.transcript);
        i.host = std::make_unique<SimulatedHost>(site, *i.transcript, *i.log, &exchange, k);
        if (siteFile) i.host->keepSiteIn(&*siteFile);
        i.session = std::make_unique<ScriptSession>(*i.host, *i.transcript, *i.log);
        i.runner = std::make_unique<ScenarioRunner>(*i.session, *i.host, *i.transcript, options);
    }
}

// Created one after the other: what an earlier instance registers for
// reaches it while a later one starts up.
bool Simulation::Parts::createScripts(std::string& error) {
    for (Instance& i : instances) {
        if (toConsole && settings.foldStartup) i.transcript->beginFold();
        const bool created = i.session->create(library->entry(), settings.panels);
        i.transcript->endFold("the script's start-up");
        if (!created) {
            flushAll();
            error = "the library " + settings.library + " created no script";
            return false;
        }
        if (!ended.empty()) {
            error = ended;
            return false;
        }
    }
    return true;
}

std::unique_ptr<Simulation> Simulation::start(const SimulationSettings& settings, std::string& error) {
    if (!settingsUsable(settings, error)) return nullptr;
    auto p = std::make_unique<Parts>();
    p->settings = settings;
    if (!p->openSite(error) || !p->loadLibrary(error) || !p->openTranscript(error) ||
        !p->writeConfiguration(error))
        return nullptr;
    p->watchDisplays();
    p->makeInstances();
    if (!p->createScripts(error)) return nullptr;
    if (p->wall && settings.displaysListener) settings.displaysListener(p->wall->state(), DisplayChange::all());
    p->started = true;
    return std::unique_ptr<Simulation>(new Simulation(std::move(p)));
}

bool Simulation::checkSite(const SimulationSettings& settings, std::string& error) {
    Site site;
    std::optional<SiteFile> file;
    if (!settingsUsable(settings, error)) return false;
    if (!settings.siteFile.empty() && settings.saveRenames && !singleName(settings.siteFile, error))
        return false;
    return readSite(settings, site, file, error);
}

Simulation::LineResult Simulation::runLine(const std::string& line, int number) {
    return parts_->runLine(line, number);
}

bool Simulation::runLines(std::istream& in, bool interactive, const std::string& source) {
    StreamLineReader reader(in, interactive ? parts_->screen : nullptr, "vrel> ");
    const bool ok = runLines(reader, interactive, source);
    if (interactive && parts_->screen) *parts_->screen << "\n" << std::flush;
    return ok;
}

bool Simulation::runLines(LineReader& in, bool interactive, const std::string& source) {
    Parts& p = *parts_;
    std::string line;
    while (alive()) {
        if (!in.read(line)) {
            // A line past any operator line's length: the wrong input, not a line to cut.
            if (in.failure().empty()) break;
            p.errors() << source << ":" << p.lineNumber + 1 << ": " << in.failure() << "\n";
            p.badLine = true;
            break;
        }
        const LineResult result = p.runLine(line, p.lineNumber + 1);
        if (!p.ended.empty()) break;  // said when it happened
        if (result.outcome == Outcome::quit) {
            if (p.allQuit && !interactive) p.reportLinesLeft(in, source);
            break;
        }
        if (result.outcome == Outcome::error) {
            p.errors() << source << ":" << p.lineNumber << ": " << result.message << "\n";
            if (!interactive) {
                p.badLine = true;
                break;
            }
        }
    }
    return !p.badLine;
}

bool Simulation::alive() const {
    if (parts_->finished || !parts_->ended.empty()) return false;
    for (const Instance& i : parts_->instances)
        if (i.session->alive()) return true;
    return false;
}

bool Simulation::alive(int instance) const {
    return !parts_->finished && parts_->ended.empty() && instance >= 1 && instance <= instances() &&
           parts_->at(instance).session->alive();
}

int Simulation::instances() const { return static_cast<int>(parts_->instances.size()); }

std::string Simulation::help() const { return parts_->at(1).runner->help(); }

const std::map<std::string, PanelSlots::Slot>& Simulation::panels(int instance) const {
    return parts_->at(instance < 1 || instance > instances() ? 1 : instance).host->panels().all();
}

std::uint64_t Simulation::panelsVersion(int instance) const {
    return parts_->at(instance < 1 || instance > instances() ? 1 : instance).host->panels().version();
}

const std::vector<Device>& Simulation::devices() const { return parts_->site.devices; }

const DisplayState* Simulation::displays() const {
    return parts_->wall ? &parts_->wall->state() : nullptr;
}

long long Simulation::clock() const { return parts_->at(1).host->timers().now(); }

std::optional<long long> Simulation::nextTick() const {
    std::optional<long long> next;
    for (const Instance& i : parts_->instances) {
        const std::optional<long long> due = i.session->nextTick();
        if (due && (!next || *due < *next)) next = due;
    }
    return next;
}

std::size_t Simulation::protocolErrors() const {
    std::size_t count = 0;
    for (const Instance& i : parts_->instances) count += i.log->count();
    return count;
}

// Counted once for the site: every instance's host counts on the one exchange.
int Simulation::unsavedRenames() const { return parts_->exchange.unsavedRenames(); }

std::string Simulation::renamesKeptBeside() const {
    return parts_->siteFile ? parts_->siteFile->beside() : std::string();
}

int Simulation::finish() {
    Parts& p = *parts_;
    if (p.finished) return p.status;
    p.finished = true;
    std::size_t refusals = 0, breaches = 0;
    int refusedRenames = 0;
    bool transcriptFailed = false;
    std::string firstRefused;
    for (Instance& i : p.instances) {
        i.session->destroy();
        i.transcript->flush();
    }
    for (Instance& i : p.instances) {
        if (firstRefused.empty() && i.host->refusedRenames() > 0) firstRefused = i.host->firstRefusedRename();
        refusedRenames += i.host->refusedRenames();
        transcriptFailed = transcriptFailed || i.transcript->failed();
        refusals += i.log->refusals();
        breaches += i.log->count();
    }
    std::ostream& errors = p.errors();
    // Every reason is said; any of the first kind is status 1.
    bool failed = p.badLine;
    if (unsavedRenames() > 0) {
        // The site file no longer holds what the session did: not a success.
        errors << "vrel-host: " << unsavedRenames()
               << " rename(s) could not be saved; the first: " << p.exchange.saveError() << "\n";
        failed = true;
    }
    if (refusedRenames > 0) {
        errors << "vrel-host: the host refused " << refusedRenames
               << " rename(s) the script sent, so they are not done; the first: " << firstRefused << "\n";
        failed = true;
    }
    if (transcriptFailed || !p.ended.empty()) {
        errors << "vrel-host: cannot write " << p.outputName() << "; it is incomplete\n";
        failed = true;
    }
    if (refusals > 0) {
        // The host itself failed on a command: what the script asked was not done.
        errors << "vrel-host: the host failed on " << refusals
               << " command(s) and refused them, see the lines starting with \"! refused: the host failed\"\n";
        failed = true;
    }
    if (breaches > 0)
        errors << "vrel-host: " << breaches << " protocol error(s), see the lines starting with !!\n";
    p.status = failed ? 1 : breaches > 0 ? 3 : 0;
    return p.status;
}

}  // namespace vrelhost
