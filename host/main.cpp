// vrel-host: runs a script component the way the panel host does, without the
// control system. Loads the library, creates the script with the folder of the
// panel files, feeds it the operator's lines and shows what it sends.
//
// Exit status: 0 when everything ran; 1 for a bad command line, site file
// (also one that could not take a rename), library or scenario line; 2 when
// a validator was asked of a build without one; 3 when the script broke the
// host protocol.
#include <unistd.h>

#include <climits>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include <CLI/CLI.hpp>

#include "config_folder.h"
#include "default_site.h"
#include "demo_scenario.h"
#include "protocol_log.h"
#include "scenario_runner.h"
#include "script_library.h"
#include "script_session.h"
#include "simulated_host.h"
#include "site_file.h"
#include "transcript.h"
#ifdef VREL_HOST_WITH_VIEW
#include "serve.h"
#endif

#ifdef VREL_HOST_WITH_VALIDATOR
#include "validator/validator.h"
#endif

namespace {

struct Arguments {
    std::string scenario;
    std::string script;
    std::string site;
    std::string transcript;
    std::string panels;
    std::string writeSite;
    bool demo = false;
    std::string validate;
    std::optional<unsigned long long> seed;
    int repeat = 1;
};

// The folder this executable lives in (empty when it cannot be told).
std::string executableFolder() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return std::string();
    std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/'));
}

bool isFolder(const std::string& path) { return access((path + "/.").c_str(), F_OK) == 0; }

std::string defaultPanelsFolder() {
    const std::string beside = executableFolder() + "/panels";
    return isFolder(beside) ? beside : std::string(VREL_HOST_SOURCE_PANELS);
}

int fail(const std::string& message) {
    std::cerr << "vrel-host: " << message << "\n";
    return 1;
}

int runValidation(const Arguments& args) {
#ifdef VREL_HOST_WITH_VALIDATOR
    return runValidator(args.validate, args.seed, args.repeat);
#else
    (void)args;
    std::cerr << "vrel-host: this build has no validator\n";
    return 2;
#endif
}

int runSession(const Arguments& args) {
    using namespace vrelhost;
    Site site;
    std::optional<SiteFile> siteFile;
    std::string error;
    if (args.site.empty()) {
        site = *siteFromJson(defaultSiteDocument(), error);
    } else {
        siteFile = SiteFile::open(args.site, site, error);
        if (!siteFile) return fail(error);
    }

    const std::string libraryPath = args.script.empty() ? executableFolder() + "/libkelvane.so" : args.script;
    std::unique_ptr<ScriptLibrary> library = ScriptLibrary::open(libraryPath, error);
    if (!library) return fail(error);

    std::ifstream scenarioFile;
    if (!args.scenario.empty()) {
        scenarioFile.open(args.scenario);
        if (!scenarioFile) return fail("cannot read scenario " + args.scenario);
    }
    std::ofstream transcriptFile;
    if (!args.transcript.empty()) {
        transcriptFile.open(args.transcript, std::ios::trunc);
        if (!transcriptFile) return fail("cannot write transcript " + args.transcript);
    }

    std::unique_ptr<ConfigFolder> config = ConfigFolder::create(site.namesDriver()->number, error);
    if (!config) return fail(error);

    const bool toFile = transcriptFile.is_open();
    Transcript transcript(toFile ? static_cast<std::ostream&>(transcriptFile) : std::cout,
                          toFile ? Transcript::Form::exact : Transcript::Form::console);
    ProtocolLog log(transcript);
    SimulatedHost host(site, transcript, log);
    if (siteFile) host.keepSiteIn(&*siteFile);

    bool linesOk = true;
    {
        ScriptSession session(host, transcript, log);
        const std::string creationText = args.panels.empty() ? defaultPanelsFolder() : args.panels;
        if (!session.create(library->entry(), creationText)) {
            transcript.flush();
            return fail("the library " + libraryPath + " created no script");
        }
        const bool interactive = !args.demo && args.scenario.empty() && isatty(STDIN_FILENO);
        ScenarioRunner::Options options;
        options.echoInput = toFile || !interactive;
        // Always the console: help asked for in piped or file lines is shown too.
        options.screen = &std::cout;
        options.repeatOnScreen = toFile;
        ScenarioRunner runner(session, host, transcript, options);
        if (interactive) std::cout << "vrel-host: type help for the lines it takes, quit to stop\n";

        std::istringstream demo(args.demo ? demoScenario() : "");
        std::istream& in = args.demo ? demo : args.scenario.empty() ? std::cin : scenarioFile;
        const std::string source = args.demo ? "demo" : args.scenario.empty() ? "stdin" : args.scenario;
        linesOk = runner.run(in, std::cerr, interactive, source);
        session.destroy();
    }
    transcript.flush();
    if (host.unsavedRenames() > 0) {
        // The site file no longer holds what the session did: not a success.
        std::cerr << "vrel-host: " << host.unsavedRenames() << " rename(s) could not be saved; the first: "
                  << host.saveError() << "\n";
        return 1;
    }
    if (!linesOk) return 1;
    if (log.count() > 0) {
        std::cerr << "vrel-host: " << log.count() << " protocol error(s), see the lines starting with !!\n";
        return 3;
    }
    return 0;
}

int writeDefaultSite(const std::string& path) {
    std::string error;
    if (!vrelhost::writeFileAtomically(path, vrelhost::defaultSiteDocument().dump(2) + "\n", error))
        return fail(error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    CLI::App app{"vrel-host: run a script component as the panel host does"};
    app.add_option("scenario", args.scenario, "Operator lines to run (default: standard input)");
    app.add_option("--script", args.script, "Script library to load (default: libkelvane.so beside vrel-host)");
    app.add_option("--site", args.site, "Site file (JSON); renames are written back to it");
    app.add_option("--transcript", args.transcript, "Write the exact transcript to this file");
    app.add_option("--panels", args.panels, "Folder of the panel files, passed to the script at creation");
    app.add_flag("--demo", args.demo, "Run the built-in demo");
    app.add_option("--write-site", args.writeSite, "Write the built-in default site to this file and stop");
    CLI::Option* validate =
        app.add_option("--validate", args.validate, "Check a script library against the host protocol");
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
        ->check(CLI::Range(1, INT_MAX))
        ->needs(validate);
    // The browser view: the same session, operated from a browser.
    struct {
        std::string address = "127.0.0.1";
        int port = 8080;
    } view;
    CLI::Option* serve = app.add_flag("--serve", "Serve the panels to a browser until Ctrl-C. There is no login: "
                                                 "anyone who reaches the address operates the panels");
    app.add_option("--port", view.port, "Port of --serve (default 8080; 0 takes any free one)")
        ->check(CLI::Range(0, 65535))->needs(serve);
    app.add_option("--listen", view.address, "Address of --serve (default 127.0.0.1, this machine only)")
        ->needs(serve);
    serve->excludes("scenario")->excludes("--demo");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help answers 0; every other problem with the command line is status 1.
        return app.exit(e) == 0 ? 0 : 1;
    }

    if (!args.validate.empty()) return runValidation(args);
    if (*serve) {
#ifdef VREL_HOST_WITH_VIEW
        const std::string library = args.script.empty() ? executableFolder() + "/libkelvane.so" : args.script;
        const std::string panels = args.panels.empty() ? defaultPanelsFolder() : args.panels;
        return vrelhost::serve({library, panels, args.site, args.transcript, view.address, view.port});
#else
        std::cerr << "vrel-host: this build has no browser view\n";
        return 2;
#endif
    }
    if (!args.writeSite.empty()) return writeDefaultSite(args.writeSite);
    if (args.demo && !args.scenario.empty()) return fail("--demo and a scenario file exclude each other");
    return runSession(args);
}
