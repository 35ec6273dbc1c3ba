// The host's timers on the simulated clock: a tick at each interval from the
// start, a restart counting again from now, ties in the order of starting,
// nothing past the moment asked for, and the clock moved only by a wait.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "timer_set.h"

namespace vrelhost {
namespace {

// Every tick up to `until`, as (timer, time), then the clock set there.
std::vector<std::pair<int, long long>> ticksUntil(TimerSet& timers, long long until) {
    std::vector<std::pair<int, long long>> ticks;
    while (std::optional<int> id = timers.takeNextTick(until)) ticks.emplace_back(*id, timers.now());
    timers.settle(until);
    return ticks;
}

TEST(TimerSet, TicksInTimeOrderAndARestartCountsFromNow) {
    TimerSet timers;
    EXPECT_EQ(timers.nextDue(), std::nullopt);
    timers.start(2, 200);
    timers.start(1, 100);
    EXPECT_EQ(timers.nextDue(), std::optional<long long>(100));
    EXPECT_EQ(ticksUntil(timers, 400),
              (std::vector<std::pair<int, long long>>{{1, 100}, {2, 200}, {1, 200}, {1, 300}, {2, 400}, {1, 400}}))
        << "due together: the timer started first ticks first";
    EXPECT_EQ(timers.now(), 400);
    timers.settle(450);
    timers.start(2, 200);  // running: started again from 450
    EXPECT_TRUE(timers.running(2));
    EXPECT_EQ(ticksUntil(timers, 649), (std::vector<std::pair<int, long long>>{{1, 500}, {1, 600}}));
    EXPECT_EQ(timers.nextDue(), std::optional<long long>(650));
    timers.stop(1);
    EXPECT_FALSE(timers.running(1));
    EXPECT_EQ(ticksUntil(timers, 1050), (std::vector<std::pair<int, long long>>{{2, 650}, {2, 850}, {2, 1050}}));
    EXPECT_EQ(timers.now(), 1050);
    EXPECT_EQ(timers.takeNextTick(1050), std::nullopt) << "nothing is due twice";
}

}  // namespace
}  // namespace vrelhost
