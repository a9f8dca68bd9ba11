#include "host/clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace bw {
namespace {

std::vector<int64_t> g_sleeps;
const HostClock kRecordingClock{[] { return int64_t{42}; }, [](int64_t ms) { g_sleeps.push_back(ms); }};

// Also catches a clock counting in the wrong unit.
TEST(HostClockTest, SystemSleepLastsAtLeastTheRequestedTime)
{
    const int64_t before = Host_ClockMicroseconds();
    Host_SleepMilliseconds(2);
    EXPECT_GE(Host_ClockMicroseconds() - before, 2000);
}

TEST(HostClockTest, InstalledClockServesUntilThePreviousIsPutBack)
{
    g_sleeps.clear();
    const HostClock previous = Host_SetClock(kRecordingClock);
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
    const HostClock previous = Host_SetClock(kRecordingClock);
    Host_SleepMilliseconds(0);
    Host_SleepMilliseconds(-5);
    Host_SetClock(previous);
    EXPECT_TRUE(g_sleeps.empty());
}

}  // namespace
}  // namespace bw
