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
#include "site_file.h"
#include "site_lock.h"
#include "transcript.h"
#include "user_file.h"

namespace vrelhost {

// Declared in the order they are made; they go in reverse, so the script is
// destroyed before its host, configuration and library.
struct Simulation::Parts {
    SimulationSettings settings;
    std::unique_ptr<SiteLock> lock;
    Site site;
    std::optional<SiteFile> siteFile;
    std::unique_ptr<ScriptLibrary> library;
    std::unique_ptr<std::ostream> transcriptFile;
    std::unique_ptr<ConfigFolder> config;
    std::unique_ptr<Transcript> transcript;
    std::unique_ptr<ProtocolLog> log;
    std::unique_ptr<SimulatedHost> host;
    std::unique_ptr<ScriptSession> session;
    std::unique_ptr<ScenarioRunner> runner;
    bool badLine = false;
    bool finished = false;
    int status = 0;

    std::ostream& errors() { return settings.errors ? *settings.errors : std::cerr; }
};

namespace {

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

Simulation::Simulation(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

Simulation::~Simulation() {
    if (parts_ && !parts_->finished) finish();
}

std::unique_ptr<Simulation> Simulation::start(const SimulationSettings& settings, std::string& error) {
    if (!settings.profile) {
        error = "no site profile";
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

    p->transcript = std::make_unique<Transcript>(*out, form);
    if (settings.listener) p->transcript->listen(settings.listener);
    if (!toConsole) p->transcript->showMessagesOn(settings.console);
    p->log = std::make_unique<ProtocolLog>(*p->transcript);
    p->host = std::make_unique<SimulatedHost>(p->site, *p->transcript, *p->log);
    if (p->siteFile) p->host->keepSiteIn(&*p->siteFile);
    p->session = std::make_unique<ScriptSession>(*p->host, *p->transcript, *p->log);

    ScenarioRunner::Options options;
    options.echoInput = settings.echoInput;
    options.screen = toConsole ? out : settings.console;
    options.repeatOnScreen = !toConsole;
    options.keyboardPanel = profile.keyboardPanel;
    options.keyboardControl = profile.keyboardControl;
    p->runner = std::make_unique<ScenarioRunner>(*p->session, *p->host, *p->transcript, options);

    if (toConsole && settings.foldStartup) p->transcript->beginFold();
    const bool created = p->session->create(p->library->entry(), settings.panels);
    p->transcript->endFold("the script's start-up");
    if (!created) {
        p->transcript->flush();
        error = "the library " + settings.library + " created no script";
        return nullptr;
    }
    return std::unique_ptr<Simulation>(new Simulation(std::move(p)));
}

Simulation::LineResult Simulation::runLine(const std::string& line, int number) {
    LineResult result{Outcome::done, std::string()};
    if (parts_->finished || !parts_->session->alive()) {
        result.outcome = Outcome::error;
        result.message = "the script no longer runs";
        return result;
    }
    result.outcome = parts_->runner->feed(line, result.message, number);
    if (result.outcome == Outcome::error) parts_->transcript->flush();
    return result;
}

bool Simulation::runLines(std::istream& in, bool interactive, const std::string& source) {
    if (!parts_->runner->run(in, parts_->errors(), interactive, source)) parts_->badLine = true;
    return !parts_->badLine;
}

bool Simulation::runLines(LineReader& in, bool interactive, const std::string& source) {
    if (!parts_->runner->run(in, parts_->errors(), interactive, source)) parts_->badLine = true;
    return !parts_->badLine;
}

bool Simulation::alive() const { return !parts_->finished && parts_->session->alive(); }

std::string Simulation::help() const { return parts_->runner->help(); }

const std::map<std::string, PanelSlots::Slot>& Simulation::panels() const { return parts_->host->panels().all(); }

const std::vector<Device>& Simulation::devices() const { return parts_->site.devices; }

long long Simulation::clock() const { return parts_->host->timers().now(); }

std::optional<long long> Simulation::nextTick() const { return parts_->host->timers().nextDue(); }

std::size_t Simulation::protocolErrors() const { return parts_->log->count(); }

int Simulation::unsavedRenames() const { return parts_->host->unsavedRenames(); }

int Simulation::finish() {
    Parts& p = *parts_;
    if (p.finished) return p.status;
    p.finished = true;
    p.session->destroy();
    p.transcript->flush();
    std::ostream& errors = p.errors();
    // Every reason is said; any of the first kind is status 1.
    bool failed = p.badLine;
    if (p.host->unsavedRenames() > 0) {
        // The site file no longer holds what the session did: not a success.
        errors << "vrel-host: " << p.host->unsavedRenames() << " rename(s) could not be saved; the first: "
               << p.host->saveError() << "\n";
        failed = true;
    }
    if (p.host->refusedRenames() > 0) {
        errors << "vrel-host: the host refused " << p.host->refusedRenames()
               << " rename(s) the script sent, so they are not done; the first: " << p.host->firstRefusedRename()
               << "\n";
        failed = true;
    }
    if (p.transcript->failed()) {
        const std::string& file = p.settings.transcriptFile;
        errors << "vrel-host: cannot write the transcript" << (file.empty() ? std::string() : " " + file)
               << "; it is incomplete\n";
        failed = true;
    }
    if (p.log->refusals() > 0) {
        // The host itself failed on a command: what the script asked was not done.
        errors << "vrel-host: the host failed on " << p.log->refusals()
               << " command(s) and refused them, see the lines starting with \"! refused: the host failed\"\n";
        failed = true;
    }
    if (p.log->count() > 0)
        errors << "vrel-host: " << p.log->count() << " protocol error(s), see the lines starting with !!\n";
    p.status = failed ? 1 : p.log->count() > 0 ? 3 : 0;
    return p.status;
}

}  // namespace vrelhost
