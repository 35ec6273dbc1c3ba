// ClockDriver: runs the simulated clock in real time, faster, or not at all,
// through the same "wait MS" lines an operator types, so the transcript holds
// every moment the timers saw and a replay ticks them alike.
//
// The clock follows real time (times `speed`) only while a timer runs: idle
// time changes nothing the script can see, so it is not given to the
// simulation and the transcript gets no empty waits. Before every operator
// line the view calls catchUp(), so a press falls at the same simulated moment
// it fell in real time. Not thread-safe: the view calls it on its simulation thread only.
#pragma once

#include <chrono>
#include <string>

#include <nlohmann/json.hpp>

#include "view_source.h"

namespace vrelhost {

class ClockDriver {
public:
    using Time = std::chrono::steady_clock::time_point;
    static constexpr int fastest = 100;

    ClockDriver(ViewSource& source, Time now);

    // Gives the simulation the time that passed while a timer ran. True when
    // it ran a wait line.
    bool catchUp(Time now);
    // The ticker's turn: a wait line only once a tick is due. True when it ran one.
    bool tick(Time now);
    // How long the ticker may sleep before the next tick can be due.
    std::chrono::milliseconds sleepFor(Time now) const;

    // 0 stops the clock; 1 is real time; up to `fastest`.
    void setSpeed(int speed, Time now);
    // Runs the clock to the next tick and delivers it. False when no timer runs.
    bool step(Time now);

    int speed() const { return speed_; }
    nlohmann::json json() const;

private:
    long long target(Time now) const;
    void anchor(Time now);
    bool waitFor(long long milliseconds);

    ViewSource& source_;
    int speed_ = 1;
    Time anchorReal_;
    long long anchorSimulated_ = 0;
};

}  // namespace vrelhost
