// The 50 ms tick's arithmetic: regular ticks, ticks merged while a handler
// runs long, and stopping and restarting.
#include <gtest/gtest.h>

#include <vector>

#include "platform/tick_timer.h"

namespace {

// Drives the timer the way the event wait does: at each of the given
// moments, take a tick if one is due. Returns the moments that gave a tick.
std::vector<std::int64_t> ticksAt(TickTimer& t, const std::vector<std::int64_t>& moments) {
    std::vector<std::int64_t> got;
    for (std::int64_t now : moments)
        if (t.takeTick(now)) got.push_back(now);
    return got;
}

}  // namespace

TEST(TickTimer, TicksEveryPeriodWhenTheLoopWaitsForEach) {
    TickTimer t;
    t.start(1000, 50);
    EXPECT_EQ(t.msUntilDue(1000), 50);
    EXPECT_EQ(t.msUntilDue(1030), 20);
    EXPECT_FALSE(t.takeTick(1049));
    std::vector<std::int64_t> moments;
    for (std::int64_t now = 1000; now <= 1500; now += 10) moments.push_back(now);
    EXPECT_EQ(ticksAt(t, moments),
              (std::vector<std::int64_t>{1050, 1100, 1150, 1200, 1250, 1300, 1350, 1400, 1450, 1500}));
}

TEST(TickTimer, HandlerRunningLongGivesOneTickNotABacklog) {
    TickTimer t;
    t.start(0, 50);
    ASSERT_TRUE(t.takeTick(50));
    // A spoken answer holds the program from 50 to 350: six periods fall due.
    EXPECT_EQ(t.msUntilDue(350), 0);
    EXPECT_TRUE(t.takeTick(350));
    // The next tick keeps to the 50 ms grid after now, not one per missed period.
    EXPECT_FALSE(t.takeTick(350));
    EXPECT_FALSE(t.takeTick(399));
    EXPECT_EQ(t.msUntilDue(360), 40);
    EXPECT_TRUE(t.takeTick(400));

    // Off the grid: held from 400 to 713, one tick at 713, next at 750.
    EXPECT_TRUE(t.takeTick(713));
    EXPECT_EQ(t.msUntilDue(713), 37);
    EXPECT_FALSE(t.takeTick(749));
    EXPECT_TRUE(t.takeTick(750));
}

TEST(TickTimer, LateByLessThanAPeriodKeepsTheGrid) {
    TickTimer t;
    t.start(0, 50);
    EXPECT_TRUE(t.takeTick(70));  // 20 ms late
    EXPECT_EQ(t.msUntilDue(70), 30);
    EXPECT_TRUE(t.takeTick(100));
}

TEST(TickTimer, StopAndStart) {
    TickTimer t;
    EXPECT_FALSE(t.running());
    EXPECT_EQ(t.msUntilDue(0), -1);  // never started: sleep until another event
    EXPECT_FALSE(t.takeTick(1000000));

    t.start(0, 50);
    EXPECT_TRUE(t.running());
    t.stop();
    EXPECT_FALSE(t.running());
    EXPECT_EQ(t.msUntilDue(500), -1);
    EXPECT_FALSE(t.takeTick(500));

    // Restarting counts the period from the restart, not from the old grid.
    t.start(510, 50);
    EXPECT_FALSE(t.takeTick(550));
    EXPECT_TRUE(t.takeTick(560));

    // A period of 0 or less means stopped.
    t.start(600, 0);
    EXPECT_FALSE(t.running());
    t.start(600, -5);
    EXPECT_FALSE(t.takeTick(10000));
}
