// vrel-host: runs a script component the way the panel host does, without the
// control system. Parses the command line and hands the session to a
// Simulation (simulation.h), which loads the library, creates the script with
// the folder of the panel files, feeds it the operator's lines and shows what
// it sends. What is particular to one script is its profile (site_profile.h).
//
// Exit status: 0 when everything ran; 1 for a bad command line, site file
// (also renames it does not hold at the end), library or scenario line, a
// rename the host refused, a transcript that could not be written, a replay
// that differs, or a command the host itself failed on (also --serve in a
// build without the browser view, which a cross build is); 3 when the script
// broke the host protocol.
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <climits>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string>

#include "file_identity.h"
#include "host_version.h"
#include "install_layout.h"
#include "interactive_prompt.h"
#include "kelvane_profile.h"
#include "profile_file.h"
#include "replay.h"
#include "simulation.h"
#include "site_file.h"
#include "site_lock.h"
#include "tour.h"
#include "umd_options.h"
#include "whole_number_option.h"
#include "user_file.h"
#include "validator/validator.h"
#ifdef VREL_HOST_WITH_VIEW
#include "serve.h"
#endif

namespace {

struct Arguments {
    std::string scenario;
    std::string script;
    std::string site;
    std::string transcript;
    std::string panels;
    std::string writeSite;
    bool force = false;
    std::string replay;
    std::string profile;
    bool demo = false;
    std::string validate;
    std::optional<unsigned long long> seed;
    int repeat = 1;
    int instances = 1;
    vrelhost::UmdOptions umd;
    vrelhost::UmdSender* umdSender = nullptr;  // hears every session's displays when --umd-out is given
    std::string siteCopy;  // --site-copy; empty: beside the transcript
    // The browser view's own options.
    std::string address = "127.0.0.1";
    int port = 8080;
    int requestTimeout = 10;
};

// The end of --help: the operator lines, from the table `help` shows, and
// the exit statuses.
std::string helpFooter() {
    std::string text = "Operator lines (from a scenario file, standard input or the prompt):\n";
    std::istringstream verbs(vrelhost::ScenarioRunner::verbHelp());
    for (std::string line; std::getline(verbs, line);) text += "  " + line + "\n";
    text += "  Blank lines and lines starting with # are skipped.\n"
            "\n"
            "Exit status:\n"
            "  0  everything ran\n"
            "  1  a bad command line, site file (or renames it does not hold at the end), library or\n"
            "     scenario line, a rename the host refused, a transcript that could not be written, a\n"
            "     replay that differs, or a command the host itself failed on and refused\n"
            "  3  the script broke the host protocol (with --validate: a case failed)\n\n";
    return text + vrelhost::defaultsHelp(vrelhost::InstallLayout::ofThisProgram(),
                                         vrelhost::kelvaneProfile().defaultLibrary);
}

// The scripts built into vrel-host; the first is the default. A script built
// elsewhere brings a profile file instead (profile_file.h).
const vrelhost::SiteProfile* const profiles[] = {&vrelhost::kelvaneProfile()};

const vrelhost::SiteProfile* profileNamed(const std::string& name) {
    if (name.empty()) return profiles[0];
    for (const vrelhost::SiteProfile* p : profiles)
        if (p->name == name) return p;
    return nullptr;
}

// --profile names a profile file rather than a built-in profile when it is
// not a built-in name and looks like a path or names a file.
bool namesProfileFile(const std::string& value) {
    struct stat info {};
    const bool json = value.size() > 5 && value.compare(value.size() - 5, 5, ".json") == 0;
    return value.find('/') != std::string::npos || json || ::stat(value.c_str(), &info) == 0;
}

// The library and panel folder of a session: the command line's, else the
// profile's own, else looked for where vrel-host is installed.
std::string libraryOf(const Arguments& args, const vrelhost::SiteProfile& profile) {
    if (!args.script.empty()) return args.script;
    if (!profile.libraryPath.empty()) return profile.libraryPath;
    return vrelhost::InstallLayout::ofThisProgram().findScriptLibrary(profile.defaultLibrary);
}

std::string panelsOf(const Arguments& args, const vrelhost::SiteProfile& profile) {
    if (!args.panels.empty()) return args.panels;
    if (!profile.panelFolder.empty()) return profile.panelFolder;
    return vrelhost::InstallLayout::ofThisProgram().findPanelFolder();
}

int fail(const std::string& message) {
    std::cerr << "vrel-host: " << message << "\n";
    return 1;
}

// With a site file and a transcript, the site as it was at start is kept
// beside the transcript, so that a replay finds the site the session began on
// (the session's renames change the site file itself).
std::string siteCopyOf(const Arguments& args) {
    if (args.site.empty() || args.transcript.empty()) return std::string();
    return args.siteCopy.empty() ? vrelhost::siteCopyBeside(args.transcript) : args.siteCopy;
}

// The files the session writes are never among the panel files the script
// reads: a file of that folder is loaded, not replaced.
bool outsidePanelFolder(const Arguments& args, const vrelhost::SiteProfile& profile, std::string& error) {
    const std::string panels = panelsOf(args, profile);
    if (panels.empty()) return true;
    const std::string folder = vrelhost::targetOf(panels);
    for (const std::string& written : {args.transcript, siteCopyOf(args)}) {
        if (written.empty()) continue;
        const std::string target = vrelhost::targetOf(written);
        if (target.compare(0, folder.size() + 1, folder + "/") == 0 &&
            target.find('/', folder.size() + 1) == std::string::npos) {
            error = written + " is in the panel folder " + panels +
                    ", whose files the script loads; refused, so that no panel file is replaced";
            return false;
        }
    }
    return true;
}

// Two options naming one file would read a file while writing it, or write
// it twice: the second would destroy the first (a site replaced by the
// transcript, a scenario truncated before it is read).
// `profileFile` is the profile file read, if any.
bool pathsDistinct(const Arguments& args, const vrelhost::SiteProfile& profile,
                   const std::string& profileFile, std::string& error) {
    const std::string siteCopy = siteCopyOf(args);
    const std::string library = libraryOf(args, profile);
    const std::pair<const char*, const std::string*> paths[] = {
        {"the scenario", &args.scenario},
        {"--site", &args.site},
        {"--transcript", &args.transcript},
        {"the script library", &library},
        {"--replay", &args.replay},
        {"--profile", &profileFile},
        {"the copy of the site beside the transcript", &siteCopy},
    };
    for (std::size_t i = 0; i < std::size(paths); ++i) {
        for (std::size_t j = i + 1; j < std::size(paths); ++j) {
            if (paths[i].second->empty() || paths[j].second->empty()) continue;
            if (vrelhost::sameFile(*paths[i].second, *paths[j].second)) {
                error = std::string(paths[i].first) + " and " + paths[j].first + " name the same file (" +
                        *paths[j].second + "); refused, so that neither is lost";
                return false;
            }
        }
    }
    // What a profile file named is only read (--site may well name its site): never written over.
    const std::pair<const char*, const std::string*> profileFiles[] = {
        {"the profile's site", &profile.siteFile}, {"the profile's demo", &profile.demoFile}};
    for (const auto& [read, path] : profileFiles)
        for (const std::string* written : {&args.transcript, &siteCopy})
            if (!path->empty() && !written->empty() && vrelhost::sameFile(*path, *written)) {
                error = std::string(read) + " is " + *written + "; refused, so that it is not replaced";
                return false;
            }
    return outsidePanelFolder(args, profile, error);
}

int runValidation(const Arguments& args) {
    // A library that is not there is a mistake on the command line, as for a
    // session; the validator's status 3 is for a library that fails its cases.
    std::string error;
    if (!vrelhost::isReadableFile(args.validate, error)) return fail("cannot load script library " + args.validate + ": " + error);
    return runValidator(args.validate, args.seed, args.repeat);
}

// What every session shares, whatever drives it (lines, a replay, the browser
// view): the library and the panel files as given, else the profile's, else
// looked for where this vrel-host lives.
vrelhost::SimulationSettings sessionSettings(const Arguments& args, const vrelhost::SiteProfile& profile) {
    vrelhost::SimulationSettings settings;
    settings.profile = &profile;
    settings.library = libraryOf(args, profile);
    settings.libraryOfProfile = args.script.empty();
    settings.siteFile = args.site;
    settings.transcriptFile = args.transcript;
    settings.replaceFiles = args.force;
    settings.siteCopyFile = siteCopyOf(args);
    settings.panels = panelsOf(args, profile);
    settings.instances = args.instances;
    if (vrelhost::UmdSender* umd = args.umdSender)
        settings.displaysListener = [umd](const vrelhost::DisplayState& state, const vrelhost::DisplayChange& change) {
            umd->displaysChanged(state, change);
        };
    return settings;
}

int runSession(const Arguments& args, const vrelhost::SiteProfile& profile) {
    vrelhost::SimulationSettings settings = sessionSettings(args, profile);
    settings.console = &std::cout;

    std::istringstream scenarioFile;
    if (!args.scenario.empty()) {
        std::string text, error;
        if (!vrelhost::readUserFile(args.scenario, text, error))
            return fail("cannot read scenario " + args.scenario + ": " + error);
        scenarioFile.str(std::move(text));
    }
    const bool interactive = !args.demo && args.scenario.empty() && isatty(STDIN_FILENO);
    settings.echoInput = !args.transcript.empty() || !interactive;
    settings.foldStartup = interactive;

    std::string error;
    if (args.demo) {
        if (!profile.demo) return fail("the profile " + profile.name + " has no demo");
        const std::optional<int> status = vrelhost::runTour(settings, std::cout, error);
        return status ? *status : fail(error);
    }
    std::unique_ptr<vrelhost::Simulation> simulation = vrelhost::Simulation::start(settings, error);
    if (!simulation) return fail(error);
    if (interactive) {
        std::cout << "vrel-host: type help for the lines it takes, Tab to complete, quit to stop\n";
        vrelhost::runPrompt(*simulation);
    } else {
        std::istream& in = args.scenario.empty() ? std::cin : scenarioFile;
        simulation->runLines(in, false, args.scenario.empty() ? "stdin" : args.scenario);
    }
    return simulation->finish();
}

int runReplay(const Arguments& args, const vrelhost::SiteProfile& profile) {
    // The panel folder comes from the transcript's creation line.
    return vrelhost::replayTranscript(args.replay, sessionSettings(args, profile), std::cout);
}

int writeDefaultSite(const std::string& path, bool force, const vrelhost::SiteProfile& profile) {
    std::string problem;
    if (!profile.defaultSite) return fail("the profile " + profile.name + " has no default site");
    const vrelhost::Existing existing = force ? vrelhost::Existing::replace : vrelhost::Existing::keep;
    // An existing site may hold a week's renames: the message says so before the way round it.
    if (!vrelhost::mayWriteUserFile(path, existing, problem))
        return fail(path + (vrelhost::userFileExists(path) && !force ? " may hold renames: " : ": ") + problem);
    // A writer of the site like any other: not while a session holds it.
    std::string error;
    const std::unique_ptr<vrelhost::SiteLock> lock =
        vrelhost::SiteLock::take(path, error, "it is not replaced");
    if (!lock) return fail(error);
    if (!vrelhost::replaceUserFile(path, profile.defaultSite().dump(2) + "\n", existing, problem))
        return fail(path + ": " + problem);
    return 0;
}

// The options of a session: what it runs, on which site, where it writes.
void addSessionOptions(CLI::App& app, Arguments& args) {
    app.add_option("scenario", args.scenario, "Operator lines to run (default: standard input)");
    app.add_option("--script", args.script, "Script library to load (default: the profile's library, looked for as below)");
    CLI::Option* site =
        app.add_option("--site", args.site, "Site file (JSON); renames are written back to it");
    CLI::Option* transcript = app.add_option(
        "--transcript", args.transcript,
        "Write the exact transcript to this file (not over one that exists, without --force); with "
        "--site, the site as it was at start is kept beside it as FILE.site.json");
    app.add_option("--site-copy", args.siteCopy,
                   "With --site and --transcript: keep the site as it was at start in this file instead of "
                   "TRANSCRIPT.site.json")
        ->needs(site)
        ->needs(transcript);
    app.add_option("--panels", args.panels, "Folder of the panel files, passed to the script at creation (default: below)");
    app.add_flag("--demo", args.demo, "Run the built-in tour: each step with its sentence, a summary at the end");
    app.add_option("--profile", args.profile,
                   "The script's profile: a built-in name, or a profile file (JSON) naming its library, panels, "
                   "site, demo and keyboard (default: kelvane)");
    app.add_option("--write-site", args.writeSite, "Write the built-in default site to this file and stop");
    app.add_flag(
        "--force", args.force,
        "With --write-site, --transcript or --site-copy: replace a file that exists (never a lock, nor a "
        "file the session reads)");
    app.add_option("--instances", args.instances,
                   "Operator positions: instances of the script on the one site, each with its own panels; "
                   "@K LINE addresses position K (default 1)")
        ->check(vrelhost::wholeNumber(1, vrelhost::maxInstances, "a number of positions"));
}

// --replay and --validate, and what each of them refuses beside it.
void addCheckOptions(CLI::App& app, Arguments& args) {
    CLI::Option* replay = app.add_option("--replay", args.replay,
                                         "Run the operator lines of a saved transcript again and compare");
    CLI::Option* validate =
        app.add_option("--validate", args.validate, "Check a script library against the host protocol");
    // What a validation or a replay does not use is refused, not ignored without a word.
    for (const char* name : {"scenario", "--transcript", "--site", "--panels", "--demo", "--write-site",
                             "--script", "--profile", "--site-copy"})
        validate->excludes(app.get_option(name));
    for (const char* name : {"scenario", "--transcript", "--panels", "--demo", "--write-site", "--site-copy"})
        replay->excludes(app.get_option(name));
    replay->excludes(validate);
    // A replay runs as many positions as its transcript shows.
    replay->excludes(app.get_option("--instances"));
    validate->excludes(app.get_option("--instances"));
    // Both only shape a validation; given to a session they would be ignored without a word.
    app.add_option("--seed", args.seed, "Seed of the validator's random runs")
        ->check(CLI::Validator(
            [](std::string& text) {
                const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
                return digits ? std::string() : "expected a seed as printed by an earlier run, not " + text;
            },
            "SEED"))
        ->needs(validate);
    app.add_option("--repeat", args.repeat, "How many times the validator repeats each run")
        ->check(vrelhost::wholeNumber(1, INT_MAX, "a number of runs"))
        ->needs(validate);
}

// The browser view: the same session, operated from a browser.
CLI::Option* addViewOptions(CLI::App& app, Arguments& args) {
    CLI::Option* serve = app.add_flag("--serve", "Serve the panels to a browser until Ctrl-C. There is no login: "
                                                 "anyone who reaches the address operates the panels");
    app.add_option("--port", args.port, "Port of --serve (default 8080; 0 takes any free one)")
        ->check(vrelhost::wholeNumber(0, 65535, "a port"))
        ->needs(serve);
    app.add_option("--listen", args.address,
                   "Address of --serve (default 127.0.0.1, this machine only; any other prints a warning and "
                   "an address with an access token)")
        ->needs(serve);
    app.add_option("--request-timeout", args.requestTimeout,
                   "With --serve: seconds a client has to send a whole request (default 10)")
        ->check(vrelhost::wholeNumber(1, 600, "a number of seconds"))
        ->needs(serve);
    for (const char* name : {"scenario", "--demo", "--write-site", "--replay", "--validate"})
        serve->excludes(app.get_option(name));
    return serve;
}

// --umd-out and its companions; a session's options, so not with the other checks.
void addDisplayOutputOptions(CLI::App& app, Arguments& args) {
    CLI::Option* umdOut = vrelhost::addUmdOptions(app, args.umd);
    for (const char* name : {"--write-site", "--replay", "--validate"}) umdOut->excludes(app.get_option(name));
}

// --profile: a built-in profile, or one read from a profile file
// (profile_file.h), which `fromFile` then owns; null with `error` said.
const vrelhost::SiteProfile* chooseProfile(const Arguments& args,
                                           std::unique_ptr<vrelhost::SiteProfile>& fromFile,
                                           std::string& error) {
    const vrelhost::SiteProfile* chosen = profileNamed(args.profile);
    if (!chosen && namesProfileFile(args.profile)) {
        fromFile = vrelhost::readProfileFile(args.profile, !args.script.empty(), error);
        return fromFile.get();
    }
    if (chosen) return chosen;
    std::string known;
    for (const vrelhost::SiteProfile* p : profiles) known += (known.empty() ? "" : ", ") + p->name;
    error = "no profile \"" + args.profile + "\"; known: " + known + ", or a profile file";
    return nullptr;
}

// What the command line asks for, once it is known to be sound.
int dispatch(Arguments& args, const vrelhost::SiteProfile& profile, const std::string& profileFile,
             bool serve) {
    if (args.force && args.writeSite.empty() && args.transcript.empty())
        return fail("--force replaces the file of --write-site or --transcript; without either it does nothing");
    if (!args.validate.empty()) return runValidation(args);
    if (!args.writeSite.empty()) return writeDefaultSite(args.writeSite, args.force, profile);
    std::string error;
    if (!pathsDistinct(args, profile, profileFile, error)) return fail(error);
    std::unique_ptr<vrelhost::UmdSender> umd;
    if (!vrelhost::openUmdSender(args.umd, profile, std::cerr, umd, error)) return fail(error);
    args.umdSender = umd.get();
    if (!args.replay.empty()) return runReplay(args, profile);
    if (serve) {
#ifdef VREL_HOST_WITH_VIEW
        vrelhost::ServeSettings settings{sessionSettings(args, profile), args.address, args.port,
                                         args.requestTimeout};
        return vrelhost::serve(settings);
#else
        return fail("this build has no browser view");
#endif
    }
    if (args.demo && !args.scenario.empty()) return fail("--demo and a scenario file exclude each other");
    return runSession(args, profile);
}

}  // namespace

static int run(int argc, char** argv) {
    Arguments args;
    CLI::App app{"vrel-host: run a script component as the panel host does"};
    app.footer(helpFooter());
    app.set_version_flag("--version", vrelhost::hostVersion());
    addSessionOptions(app, args);
    addCheckOptions(app, args);
    CLI::Option* serve = addViewOptions(app, args);
    addDisplayOutputOptions(app, args);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help answers 0; every other problem with the command line is status 1.
        return app.exit(e) == 0 ? 0 : 1;
    }
    std::unique_ptr<vrelhost::SiteProfile> profileFromFile;
    std::string error;
    const vrelhost::SiteProfile* profile = chooseProfile(args, profileFromFile, error);
    if (!profile) return fail(error);
    return dispatch(args, *profile, profileFromFile ? args.profile : std::string(), serve->count() > 0);
}

int main(int argc, char** argv) {
    // Out of memory is a failure said in words, never a quiet end.
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "vrel-host: out of memory\n";
        return 1;
    }
}
