#include "timer_set.h"

namespace vrelhost {

void TimerSet::start(int id, long long interval) { timers_[id] = Timer{interval, now_ + interval, starts_++}; }

void TimerSet::stop(int id) { timers_.erase(id); }

std::optional<int> TimerSet::takeNextTick(long long until) {
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due > until) continue;
        if (next == timers_.end() || it->second.due < next->second.due ||
            (it->second.due == next->second.due && it->second.started < next->second.started))
            next = it;
    }
    if (next == timers_.end()) return std::nullopt;
    now_ = next->second.due;
    next->second.due += next->second.interval;
    return next->first;
}

std::optional<long long> TimerSet::nextDue() const {
    std::optional<long long> due;
    for (const auto& entry : timers_)
        if (!due || entry.second.due < *due) due = entry.second.due;
    return due;
}

}  // namespace vrelhost
