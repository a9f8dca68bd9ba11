#include "platform/timer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "host/clock.h"
#include "platform/messages.h"

namespace bw {
namespace {

// Virtual time: it moves only when the code under test sleeps or pumps.
struct VirtualTime {
    int64_t now = 7000000;
    int64_t pumpStep = 100;       // microseconds one pass of the message pump takes
    int pumps = 0;
    std::vector<int64_t> sleeps;  // milliseconds asked of the host, in order
};
VirtualTime g_time;

// Past this many pumps the clock leaps ahead, so a wait that never ends
// fails the test instead of hanging the suite.
constexpr int kRunawayPumps = 100000;

class TimerTest : public testing::Test {
protected:
    TimerTest()
    {
        Restart();
        ProcessMessages_SetPump(
            [] { g_time.now += ++g_time.pumps >= kRunawayPumps ? int64_t{1} << 40 : g_time.pumpStep; });
    }
    ~TimerTest() override
    {
        ProcessMessages_SetPump(nullptr);
        Host_SetClock(m_previousClock);
    }

    static void Restart()
    {
        g_time = VirtualTime{};
        Timer_Init();
    }

    const HostClock m_previousClock = Host_SetClock(
        {[] { return g_time.now; }, [](int64_t ms) { g_time.sleeps.push_back(ms); g_time.now += ms * 1000; }});
};

TEST_F(TimerTest, TimeCountsFromInit)
{
    g_time.now += 1234;
    EXPECT_EQ(Timer_GetTime(), 1234);
    Timer_Init();
    EXPECT_EQ(Timer_GetTime(), 0);
}

// The host sleeps all whole milliseconds but the last; the pump spends the rest.
TEST_F(TimerTest, WaitLastsTheTimeAskedSleepingAllButTheLastMillisecond)
{
    const struct { int64_t asked, waited; std::vector<int64_t> sleeps; } cases[] = {
        {std::numeric_limits<int64_t>::min(), 0, {}}, {-1, 0, {}}, {0, 0, {}}, {1500, 1500, {}}, {1999, 1999, {}},
        {2000, 2000, {1}}, {2999, 2999, {1}}, {3000, 3000, {2}}, {1000000, 1000000, {999}},
        {5000000, 3000000, {2999}},  // one wait is cut to three seconds
    };
    for (const auto& c : cases) {
        for (void (*wait)(int64_t) : {Timer_Sleep, Run_Sleep}) {
            SCOPED_TRACE(testing::Message() << c.asked << (wait == Run_Sleep ? " Run_Sleep" : " Timer_Sleep"));
            Restart();
            const int64_t before = g_time.now;
            wait(c.asked);
            EXPECT_EQ(g_time.sleeps, c.sleeps);
            EXPECT_EQ(g_time.pumps > 0, c.waited > 0);
            EXPECT_GE(g_time.now - before, c.waited);
            EXPECT_LT(g_time.now - before, c.waited + g_time.pumpStep);
        }
    }
}

TEST_F(TimerTest, ClockRunningBackwardsEndsTheWait)
{
    g_time.pumpStep = -10;
    Timer_Sleep(1500);
    EXPECT_EQ(g_time.pumps, 1);
}

}  // namespace
}  // namespace bw
