#include "simulation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <iostream>
#include <optional>
#include <sstream>

#include "config_folder.h"
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
    std::vector<Instance> instances;
    std::ostream* screen = nullptr;
    int lineNumber = 0;
    bool badLine = false;
    bool finished = false;
    int status = 0;

    std::ostream& errors() { return settings.errors ? *settings.errors : std::cerr; }
    Instance& at(int instance) { return instances[static_cast<std::size_t>(instance - 1)]; }
    void flushAll() {
        for (Instance& i : instances) i.transcript->flush();
    }
    void waitAll(long long milliseconds);
    LineResult runLine(const std::string& line, int number);
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
        error = "@" + number.substr(0, 8) + " names no position; there " +
                (instances == 1 ? std::string("is only @1") : "are @1 to @" + std::to_string(instances));
        return false;
    }
    instance = static_cast<int>(k);
    rest = end < line.size() ? line.substr(end + 1) : std::string();
    if (rest.find_first_not_of(" \t\r") == std::string::npos) {
        error = "@" + number + " needs a line after it";
        return false;
    }
    return true;
}

// Temporary files a save of the site left when it was cut short (a kill, a
// power cut) are this session's to remove now that it holds the site.
void removeStaleTemporaries(const std::string& site, std::ostream& errors) {
    std::string removed;
    int count = 0;
    for (const std::string& path : staleTemporariesOf(targetOf(site))) {
        if (::unlink(path.c_str()) != 0) continue;
        removed += (removed.empty() ? "" : ", ") + path;
        ++count;
    }
    if (count > 0)
        errors << "vrel-host: removed " << count << " temporary file(s) left by a save of " << site
               << " that was cut short: " << removed << "\n";
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
    lineNumber = number > 0 ? number : lineNumber + 1;
    int k = 1;
    bool addressed = false;
    std::string content;
    if (!addressOf(line, static_cast<int>(instances.size()), k, content, addressed, result.message)) {
        result.outcome = Outcome::error;
        return result;
    }
    Instance& target = at(k);
    if (finished || !target.session->alive()) {
        result.outcome = Outcome::error;
        result.message = instances.size() == 1 ? "the script no longer runs"
                                               : "position " + std::to_string(k) + " no longer runs";
        return result;
    }
    result.outcome = target.runner->feed(content, result.message, lineNumber);
    if (result.outcome == Outcome::quit && addressed) {
        // "@K quit": this position goes, the others keep running.
        target.session->destroy();
        target.transcript->flush();
        bool anyAlive = false;
        for (const Instance& i : instances) anyAlive = anyAlive || i.session->alive();
        result.outcome = anyAlive ? Outcome::done : Outcome::quit;
    }
    if (result.outcome == Outcome::error) flushAll();
    return result;
}

Simulation::Simulation(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

Simulation::~Simulation() {
    if (parts_ && !parts_->finished) finish();
}

std::unique_ptr<Simulation> Simulation::start(const SimulationSettings& settings, std::string& error) {
    if (!settings.profile) {
        error = "no site profile";
        return nullptr;
    }
    if (settings.instances < 1 || settings.instances > maxInstances) {
        error = "instances must be 1 to " + std::to_string(maxInstances) + ", not " +
                std::to_string(settings.instances);
        return nullptr;
    }
    const SiteProfile& profile = *settings.profile;
    auto p = std::make_unique<Parts>();
    p->settings = settings;
    std::string problem;

    if (settings.siteFile.empty() && !profile.defaultSite) {
        error = "the profile " + profile.name + " has no default site; give a site file";
        return nullptr;
    }
    if (settings.siteFile.empty()) {
        std::optional<Site> site = siteFromJson(profile.defaultSite(), error);
        if (!site) {
            error = "the default site of " + profile.name + ": " + error;
            return nullptr;
        }
        p->site = std::move(*site);
    } else {
        // What is not an ordinary file gets no lock beside it (no /dev/zero.lock).
        if (!isReadableFile(settings.siteFile, problem)) {
            error = "site file " + settings.siteFile + ": cannot be read: " + problem;
            return nullptr;
        }
        // Locked before it is read: what this session reads is what no other one writes.
        if (settings.saveRenames) {
            p->lock = SiteLock::take(settings.siteFile, error);
            if (!p->lock) return nullptr;
        }
        if (p->lock) removeStaleTemporaries(settings.siteFile, p->errors());
        p->siteFile = SiteFile::open(settings.siteFile, p->site, error);
        if (!p->siteFile) return nullptr;
    }
    if (!siteSuitsProfile(p->site, profile, problem)) {
        error = (settings.siteFile.empty() ? "the default site" : "site file " + settings.siteFile) + ": " + problem;
        return nullptr;
    }
    if (p->siteFile) p->siteFile->keep(p->site, settings.saveRenames ? profile.keptRole : std::string());
    if (!panelFolderExists(settings.panels, error)) return nullptr;

    p->library = ScriptLibrary::open(settings.library, error);
    if (!p->library) return nullptr;

    // Both checked before either is written, so a refusal leaves nothing behind.
    const Existing existing = settings.replaceFiles ? Existing::replace : Existing::keep;
    const bool copySite = p->siteFile && !settings.siteCopyFile.empty();
    if (!settings.transcriptStream && !settings.transcriptFile.empty() &&
        !mayWriteUserFile(settings.transcriptFile, existing, problem)) {
        error = "transcript " + settings.transcriptFile + ": " + problem;
        return nullptr;
    }
    if (copySite && !mayWriteUserFile(settings.siteCopyFile, existing, problem)) {
        error = "the copy of the site " + settings.siteCopyFile + ": " + problem;
        return nullptr;
    }
    std::ostream* out = settings.transcriptStream;
    Transcript::Form form = Transcript::Form::exact;
    if (!out && !settings.transcriptFile.empty()) {
        p->transcriptFile = createUserFile(settings.transcriptFile, existing, problem);
        if (!p->transcriptFile) {
            error = "transcript " + settings.transcriptFile + ": " + problem;
            return nullptr;
        }
        out = p->transcriptFile.get();
    }
    // The site as it was at start, for a replay after this session's renames changed it.
    if (copySite && !replaceUserFile(settings.siteCopyFile, p->siteFile->textAsRead(), existing, problem)) {
        error = "the copy of the site " + settings.siteCopyFile + ": " + problem;
        return nullptr;
    }
    const bool toConsole = !out;
    if (toConsole) {
        out = settings.console ? settings.console : &std::cout;
        form = Transcript::Form::console;
    }
    if (settings.siteFile.empty() && settings.saveRenames && !profile.keptRole.empty())
        p->errors() << "vrel-host: no site file: renames live in memory only and are gone when the session ends "
                       "(--write-site FILE once, then --site FILE, keeps them)\n";

    if (!profile.configEntry.empty()) {
        // No kept role: the entry is written empty, never with a device that merely has no role.
        const Device* kept = profile.keptRole.empty() ? nullptr : p->site.withRole(profile.keptRole);
        p->config = ConfigFolder::create(profile.configEntry, kept ? std::to_string(kept->number) : "", error);
        if (!p->config) return nullptr;
    }

    ScenarioRunner::Options options;
    options.echoInput = settings.echoInput;
    options.screen = toConsole ? out : settings.console;
    options.repeatOnScreen = !toConsole;
    options.keyboardPanel = profile.keyboardPanel;
    options.keyboardControl = profile.keyboardControl;
    Parts* parts = p.get();
    options.wait = [parts](long long milliseconds) { parts->waitAll(milliseconds); };
    p->screen = options.screen;
    if (settings.instances > 1)
        options.helpNote = "(@K LINE sends LINE to position K, 1 to " + std::to_string(settings.instances) +
                           "; a line without @K goes to position 1; @K quit ends position K alone, "
                           "quit ends them all)\n";

    const bool several = settings.instances > 1;
    p->instances.resize(static_cast<std::size_t>(settings.instances));
    for (int k = 1; k <= settings.instances; ++k) {
        Instance& i = p->at(k);
        i.transcript = std::make_unique<Transcript>(*out, form);
        if (several) {
            i.transcript->setPrefix(instancePrefix(k));
            Transcript* self = i.transcript.get();
            i.transcript->beforeWriting([parts, self] {
                for (Instance& other : parts->instances)
                    if (other.transcript.get() != self) other.transcript->flush();
            });
        }
        if (settings.listener) i.transcript->listen(settings.listener);
        if (!toConsole) i.transcript->showMessagesOn(settings.console);
        i.log = std::make_unique<ProtocolLog>(*i.transcript);
        i.host = std::make_unique<SimulatedHost>(p->site, *i.transcript, *i.log, &p->exchange, k);
        if (p->siteFile) i.host->keepSiteIn(&*p->siteFile);
        i.session = std::make_unique<ScriptSession>(*i.host, *i.transcript, *i.log);
        i.runner = std::make_unique<ScenarioRunner>(*i.session, *i.host, *i.transcript, options);
    }

    // Created one after the other: what an earlier instance registers for
    // reaches it while a later one starts up.
    for (Instance& i : p->instances) {
        if (toConsole && settings.foldStartup) i.transcript->beginFold();
        const bool created = i.session->create(p->library->entry(), settings.panels);
        i.transcript->endFold("the script's start-up");
        if (!created) {
            p->flushAll();
            error = "the library " + settings.library + " created no script";
            return nullptr;
        }
    }
    return std::unique_ptr<Simulation>(new Simulation(std::move(p)));
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
        const LineResult result = p.runLine(line, 0);
        if (result.outcome == Outcome::quit) break;
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
    if (parts_->finished) return false;
    for (const Instance& i : parts_->instances)
        if (i.session->alive()) return true;
    return false;
}

bool Simulation::alive(int instance) const {
    return !parts_->finished && instance >= 1 && instance <= instances() &&
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
    if (transcriptFailed) {
        const std::string& file = p.settings.transcriptFile;
        errors << "vrel-host: cannot write the transcript" << (file.empty() ? std::string() : " " + file)
               << "; it is incomplete\n";
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
