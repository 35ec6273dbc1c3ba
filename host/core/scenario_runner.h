// ScenarioRunner: the operator's lines, read from a scenario file, standard
// input or the built-in demo, and carried out on a session.
//
//   press PANEL CONTROL [EVENT]   a button notification (EVENT: button=released)
//   key NAME                      one key on "KB_1" of panel 2, event key.NAME
//   type TEXT                     one key per character
//   wait MS                       the clock moves on; timers tick
//   revertive DEVICE INDEX TEXT   a revertive, as a device sends it
//   dbchange DEVICE DATABASE INDEX TEXT   a database change, likewise
//   parent TEXT                   a parent command; its answer is shown
//   show [PANEL]                  draws one panel, or every loaded one
//   help, quit                    a summary of the lines; stop reading
//
// Blank lines and lines starting with # are skipped. A press on a disabled or
// hidden control, or on a panel that is not on screen, is refused with a
// message, as a real panel sends nothing then. An unknown or malformed line is
// an error naming its line number. The session, host and transcript are the
// caller's and must outlive the runner; `screen` gets what the operator asked
// to see when the transcript goes elsewhere. One thread.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "script_session.h"
#include "simulated_host.h"
#include "transcript.h"

namespace vrelhost {

class ScenarioRunner {
public:
    struct Options {
        bool echoInput = true;           // write each line to the transcript as "# N: line"
        std::ostream* screen = nullptr;  // prompts and help go here
        bool repeatOnScreen = false;     // drawings, answers and refusals too (the transcript is a file)
    };

    ScenarioRunner(ScriptSession& session, SimulatedHost& host, Transcript& transcript, Options options)
        : session_(session), host_(host), transcript_(transcript), options_(options) {}

    enum class Outcome { done, error, quit };
    // Carries out one line; on an error `error` says what is wrong with it.
    Outcome runLine(const std::string& line, std::string& error);

    // Reads lines to the end (or quit). A stream that is not interactive stops
    // at the first bad line: false, with the message written to `errors`. An
    // interactive one prompts, reports bad lines and goes on.
    bool run(std::istream& in, std::ostream& errors, bool interactive, const std::string& source);

    static const char* help();

private:
    Outcome press(const std::string& panel, const std::string& control, const std::string& event,
                  std::string& error);
    Outcome key(const std::string& name, std::string& error);
    Outcome show(const std::string& panel, std::string& error);
    void toScreen(const std::string& text);
    void repeatOnScreen(const std::string& text);

    ScriptSession& session_;
    SimulatedHost& host_;
    Transcript& transcript_;
    Options options_;
    int lineNumber_ = 0;
};

}  // namespace vrelhost
