// ScenarioRunner: the operator's lines, read from a scenario file, standard
// input, a demo or a view, and carried out on a session.
//
// The verbs are a table (verbs()): each with its arguments, a one-line help
// and its handler; `help` and vrel-host --help are generated from it. A
// `say` line is the story a scenario tells: it goes into the transcript as a
// narration line, in place of the echo of the line. Blank lines and lines starting
// with # are skipped. A press on a disabled or hidden control, or on a panel
// that is not on screen, is refused with a message, as a real panel sends
// nothing then. An unknown or malformed line is an error naming what is
// wrong. The session, host and transcript are the caller's and must outlive
// the runner; `screen` gets what the operator asked to see when the
// transcript goes elsewhere; the display wall, when given, likewise. One thread.
#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "display_wall.h"
#include "line_reader.h"
#include "script_session.h"
#include "simulated_host.h"
#include "transcript.h"

namespace vrelhost {

class ScenarioRunner {
public:
    struct Options {
        bool echoInput = true;           // write each line to the transcript as "# N: line"
        std::ostream* screen = nullptr;  // prompts and help go here
        bool repeatOnScreen = false;     // drawings and answers too (the transcript is a file)
        std::string keyboardPanel;       // the control `key` and `type` press; none when empty
        std::string keyboardControl;
        // How `wait` moves the clock when several scripts share it; without
        // it, the session's own clock.
        std::function<void(long long milliseconds)> wait;
        std::string helpNote;  // a closing line of help (how lines are addressed), if any
        const DisplayWall* displays = nullptr;  // what `show displays` draws; none: the profile has no displays
    };

    ScenarioRunner(ScriptSession& session, SimulatedHost& host, Transcript& transcript, Options options)
        : session_(session), host_(host), transcript_(transcript), options_(std::move(options)) {}

    // refused: the line was right, but the panel took no press (a hidden or
    // disabled control, a panel off screen), so no event went out; `error`
    // then says why. A scenario goes on after it, as after done.
    enum class Outcome { done, refused, error, quit };

    struct Verb {
        const char* verb;
        const char* arguments;
        const char* help;
        Outcome (ScenarioRunner::*handler)(std::string& rest, std::string& error);
    };
    static const std::vector<Verb>& verbs();
    // One line per verb, from the table.
    static std::string verbHelp();
    // verbHelp() and where this profile's keyboard is.
    std::string help() const;

    // Carries out one line of content (not blank, not a comment); on an error
    // `error` says what is wrong with it.
    Outcome runLine(const std::string& line, std::string& error);

    // One line as read from a scenario: counted as line `number` (the next
    // one when 0), skipped when blank or a comment, echoed, carried out.
    Outcome feed(const std::string& raw, std::string& error, int number = 0);
    int lineNumber() const { return lineNumber_; }
    // Whether the last line fed was echoed into the transcript.
    bool echoedLast() const { return echoedLast_; }

    // Reads lines to the end (or quit). A stream that is not interactive stops
    // at the first bad line: false, with the message written to `errors`. An
    // interactive one prompts, reports bad lines and goes on.
    bool run(std::istream& in, std::ostream& errors, bool interactive, const std::string& source);
    // The same, with lines from a reader that prompts by itself (a terminal).
    bool run(LineReader& in, std::ostream& errors, bool interactive, const std::string& source);

private:
    Outcome pressLine(std::string& rest, std::string& error);
    Outcome keyLine(std::string& rest, std::string& error);
    Outcome typeLine(std::string& rest, std::string& error);
    Outcome waitLine(std::string& rest, std::string& error);
    Outcome revertiveLine(std::string& rest, std::string& error);
    Outcome dbchangeLine(std::string& rest, std::string& error);
    Outcome parentLine(std::string& rest, std::string& error);
    Outcome showLine(std::string& rest, std::string& error);
    Outcome sayLine(std::string& rest, std::string& error);
    Outcome helpLine(std::string& rest, std::string& error);
    Outcome quitLine(std::string& rest, std::string& error);

    Outcome press(const std::string& panel, const std::string& control, const std::string& event,
                  std::string& error);
    Outcome key(const std::string& name, std::string& error);
    void toScreen(const std::string& text);
    void repeatOnScreen(const std::string& text);

    ScriptSession& session_;
    SimulatedHost& host_;
    Transcript& transcript_;
    Options options_;
    int lineNumber_ = 0;
    bool echoedLast_ = false;
};

}  // namespace vrelhost
