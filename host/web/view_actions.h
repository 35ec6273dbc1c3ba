// ViewActions: what the browser view's requests do to the simulation, apart
// from how they arrive. Each action takes the request's body (a JSON object
// text), checks it as a panel would (an unknown control, a disabled or
// hidden one, a panel off screen: refused, nothing runs) and runs one
// operator line, after the "wait" that brings the clock up to real time.
//
//   press  {"panel","control"[,"event"]}     key  {"key"}
//   clock  {"speed": 0..100} or {"step": true}
//
// A key is "space", "backspace", "return" or any one character (UTF-8) that
// is no control character: the keyboard takes what the operator typed, and
// the script keeps its own limits on a name.
//
// Runs on the one thread that owns the simulation (SimulationThread).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "clock_driver.h"
#include "view_source.h"

namespace vrelhost {

struct ActionReply {
    int status = 200;
    nlohmann::json body;  // an object; on a refusal {"error": "..."}
};

class ViewActions {
public:
    ViewActions(ViewSource& source, ClockDriver& clock) : source_(source), clock_(clock) {}

    ActionReply press(const std::string& body);
    ActionReply key(const std::string& body);
    ActionReply clock(const std::string& body);
    // Panels, clock, site and where renames are saved, as /api/state gives them.
    ActionReply state() const;

    // The panels' part of the state that each change pushes ("state" event).
    nlohmann::json panelsState() const;

private:
    ActionReply run(const std::string& line);

    ViewSource& source_;
    ClockDriver& clock_;
};

// Whether `key` names one key the keyboard takes: space, backspace, return,
// or one UTF-8 character that is not a control character or a blank.
bool isKeyName(const std::string& key);

}  // namespace vrelhost
