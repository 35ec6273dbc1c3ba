// TimerSet: the host's timers on a simulated clock, in milliseconds.
//
// ET id interval starts a timer (again from now, if it runs); ET id stops it.
// A timer ticks every `interval` from its start until stopped. Ticks come out
// in time order; two due at the same moment come in the order their timers
// were started. The clock moves only when the operator waits. One thread.
#pragma once

#include <map>
#include <optional>

namespace vrelhost {

class TimerSet {
public:
    void start(int id, long long interval);
    void stop(int id);
    bool running(int id) const { return timers_.count(id) != 0; }

    // The id of the next timer due at or before `until`; the clock moves to
    // its tick and the timer is set for its following one. Nothing when no
    // tick is due by then.
    std::optional<int> takeNextTick(long long until);
    // Moves the clock to `until` once every tick up to it was taken.
    void settle(long long until) { now_ = until; }

    long long now() const { return now_; }
    // When the next tick is due; nothing while no timer runs.
    std::optional<long long> nextDue() const;

private:
    struct Timer {
        long long interval;
        long long due;
        unsigned long long started;  // start order, to break ties
    };
    std::map<int, Timer> timers_;
    long long now_ = 0;
    unsigned long long starts_ = 0;
};

}  // namespace vrelhost
