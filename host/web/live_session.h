// LiveSession: a ViewSource over the host's own pieces: the site (and its
// file), the script library, the configuration folder, the transcript, the
// simulated host, the script session and the scenario runner, wired as a
// scenario run wires them. Every line the view sends is written to the
// transcript as "# N: line" and carried out by the scenario runner.
//
// Owns all of these; finish() destroys the script and gives the exit status a
// scenario run would give. One thread (the view serializes calls).
#pragma once

#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "config_folder.h"
#include "protocol_log.h"
#include "scenario_runner.h"
#include "script_library.h"
#include "script_session.h"
#include "simulated_host.h"
#include "site.h"
#include "site_file.h"
#include "transcript.h"
#include "view_source.h"

namespace vrelhost {

// Passes text on to another stream and hands each whole line to a listener;
// the lines written before there is one (the start-up) wait for it.
class LineTap : public std::streambuf {
public:
    explicit LineTap(std::ostream& out) : out_(out) {}
    void listen(std::function<void(const std::string&)> listener);

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* data, std::streamsize n) override;
    int sync() override;

private:
    static constexpr std::size_t keptEarly = 10000;
    std::ostream& out_;
    std::string line_;
    std::function<void(const std::string&)> listener_;
    std::vector<std::string> early_;
};

class LiveSession : public ViewSource {
public:
    struct Settings {
        std::string library;     // path of the script library
        std::string panels;      // the creation text: the folder of the panel files
        std::string site;        // site file; empty for the built-in site
        std::string transcript;  // transcript file; empty for standard output
    };
    // Nothing, with `error` set, when a piece cannot be set up.
    static std::unique_ptr<LiveSession> start(const Settings& settings, std::string& error);
    ~LiveSession() override;

    bool runLine(const std::string& line, std::string& error) override;
    const PanelSlots& panels() const override { return host_->panels(); }
    const Site& site() const override { return site_; }
    long long clock() const override { return host_->timers().now(); }
    std::optional<long long> nextTick() const override { return host_->timers().nextDue(); }
    bool alive() const override { return session_ && session_->alive(); }
    std::string keyboardPanel() const override { return "2"; }
    std::string keyboardControl() const override { return "KB_1"; }
    void onTranscriptLine(std::function<void(const std::string&)> listener) override {
        tap_->listen(std::move(listener));
    }

    // Destroys the script; the exit status of a scenario run (0, 1 or 3),
    // with the reason written to `errors`.
    int finish(std::ostream& errors);

private:
    LiveSession() = default;

    Site site_;
    std::optional<SiteFile> siteFile_;
    std::unique_ptr<ScriptLibrary> library_;
    std::ofstream transcriptFile_;
    std::unique_ptr<LineTap> tap_;
    std::unique_ptr<std::ostream> tapStream_;
    std::unique_ptr<ConfigFolder> config_;
    std::unique_ptr<Transcript> transcript_;
    std::unique_ptr<ProtocolLog> log_;
    std::unique_ptr<SimulatedHost> host_;
    std::unique_ptr<ScriptSession> session_;
    std::unique_ptr<ScenarioRunner> runner_;
    int lineNumber_ = 0;
};

}  // namespace vrelhost
