#include "clock_driver.h"

#include <algorithm>

#include "operator_rules.h"

namespace vrelhost {

ClockDriver::ClockDriver(ViewSource& source, Time now) : source_(source) { anchor(now); }

void ClockDriver::anchor(Time now) {
    anchorReal_ = now;
    anchorSimulated_ = source_.clock();
}

long long ClockDriver::target(Time now) const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - anchorReal_).count();
    return anchorSimulated_ + std::max<long long>(elapsed, 0) * speed_;
}

bool ClockDriver::waitFor(long long milliseconds) {
    // One clock for every position: any running one may say "wait".
    const int position = source_.firstAlive();
    if (position == 0) return false;
    const std::string wait = "wait " + std::to_string(std::min(milliseconds, longestWait));
    return source_.runLine(source_.lineFor(position, wait)).outcome == ViewSource::LineResult::Outcome::done;
}

bool ClockDriver::catchUp(Time now) {
    if (!source_.nextTick() || !source_.anyAlive()) {
        anchor(now);  // nothing waits on the clock: it stands
        return false;
    }
    const long long behind = target(now) - source_.clock();
    if (behind <= 0) return false;
    const bool ran = waitFor(behind);
    if (source_.clock() != target(now)) anchor(now);  // a capped wait: go on from here
    return ran;
}

bool ClockDriver::tick(Time now) {
    const std::optional<long long> due = source_.nextTick();
    if (!due) {
        anchor(now);
        return false;
    }
    return target(now) >= *due && catchUp(now);
}

std::chrono::milliseconds ClockDriver::sleepFor(Time now) const {
    constexpr long long longest = 250;  // also how soon a new timer or speed is noticed
    const std::optional<long long> due = source_.nextTick();
    if (!due || speed_ == 0) return std::chrono::milliseconds(longest);
    const long long ahead = (*due - target(now) + speed_ - 1) / speed_;
    return std::chrono::milliseconds(std::clamp<long long>(ahead, 1, longest));
}

void ClockDriver::setSpeed(int speed, Time now) {
    catchUp(now);
    speed_ = std::clamp(speed, 0, fastest);
    anchor(now);
}

bool ClockDriver::step(Time now) {
    catchUp(now);
    const std::optional<long long> due = source_.nextTick();
    if (!due || !source_.anyAlive()) return false;
    waitFor(std::max(*due - source_.clock(), 0LL));
    anchor(now);
    return true;
}

nlohmann::json ClockDriver::json() const {
    const std::optional<long long> due = source_.nextTick();
    return {{"now", source_.clock()},
            {"speed", speed_},
            {"nextTick", due ? nlohmann::json(*due) : nlohmann::json()}};
}

}  // namespace vrelhost
