// ViewActions: what the browser view's action requests do to the simulation,
// apart from how they arrive. A press or a key becomes one operator line,
// which runAction carries out after the "wait" that brings the clock up to
// real time; whether the panel takes it is the runner's to say, by the same
// rule a typed line meets (operator_rules.h). The clock request moves the
// ClockDriver.
//
//   press  {"panel","control"[,"event"][,"position"]}
//   key    {"key"[,"position"]}
//   clock  {"speed": 0..100} or {"step": true}
//
// A body is checked only so far as a line can be made of it: each word one
// word (printable, no blank), the position a number. A position is 1 unless
// given. Replies: 200 {"line"} when the line ran; 400 a malformed body or a
// bad line (no such panel or control, not a key, no such position); 409 when
// the panel took no press (disabled, hidden, off screen) or the position's
// script no longer runs.
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

private:
    // The operator line `line` at `position`, and what came of it.
    ActionReply runAction(int position, const std::string& line);

    ViewSource& source_;
    ClockDriver& clock_;
};

}  // namespace vrelhost
