#include "host/clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace bw {
namespace {

std::vector<int64_t> g_sleeps;

int64_t FixedNow()
{
    return 42;
}

void RecordSleep(int64_t milliseconds)
{
    g_sleeps.push_back(milliseconds);
}

TEST(HostClockTest, SystemClockNeverRunsBackwards)
{
    int64_t previous = Host_ClockMicroseconds();
    for (int i = 0; i < 10000; ++i) {
        const int64_t now = Host_ClockMicroseconds();
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST(HostClockTest, SystemSleepLastsAtLeastTheRequestedTime)
{
    const int64_t before = Host_ClockMicroseconds();
    Host_SleepMilliseconds(2);
    EXPECT_GE(Host_ClockMicroseconds() - before, 2000);
}

TEST(HostClockTest, InstalledClockServesUntilThePreviousIsPutBack)
{
    g_sleeps.clear();
    const HostClock previous = Host_SetClock({FixedNow, RecordSleep});
    EXPECT_EQ(Host_ClockMicroseconds(), 42);
    Host_SleepMilliseconds(7);
    EXPECT_EQ(g_sleeps, std::vector<int64_t>{7});

    Host_SetClock(previous);
    EXPECT_EQ(previous.nowMicroseconds, Host_SystemClock().nowMicroseconds);
    EXPECT_NE(Host_ClockMicroseconds(), 42);
}

TEST(HostClockTest, NonPositiveSleepNeverReachesTheClock)
{
    g_sleeps.clear();
    const HostClock previous = Host_SetClock({FixedNow, RecordSleep});
    Host_SleepMilliseconds(0);
    Host_SleepMilliseconds(-5);
    Host_SetClock(previous);
    EXPECT_TRUE(g_sleeps.empty());
}

}  // namespace
}  // namespace bw
