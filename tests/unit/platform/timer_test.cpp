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
    int64_t now = 0;
    int64_t pumpStep = 100;  // microseconds one pass of the message pump takes
    int pumps = 0;
    std::vector<int64_t> sleeps;  // milliseconds asked of the host, in order
};
VirtualTime g_time;

// A wait that never ends would hang the suite; past this many pumps the clock
// leaps far ahead so the faulty wait returns and the pump count shows it.
constexpr int kRunawayPumps = 100000;

int64_t VirtualNow()
{
    return g_time.now;
}

void VirtualSleep(int64_t milliseconds)
{
    g_time.sleeps.push_back(milliseconds);
    g_time.now += milliseconds * 1000;
}

void VirtualPump()
{
    ++g_time.pumps;
    g_time.now += g_time.pumps >= kRunawayPumps ? int64_t{1} << 40 : g_time.pumpStep;
}

class TimerTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_previousClock = Host_SetClock({VirtualNow, VirtualSleep});
        ProcessMessages_SetPump(VirtualPump);
        Restart();
    }

    void TearDown() override
    {
        ProcessMessages_SetPump(nullptr);
        Host_SetClock(m_previousClock);
    }

    static void Restart()
    {
        g_time = VirtualTime{};
        g_time.now = 7000000;
        Timer_Init();
    }

    // Virtual microseconds that pass during one call.
    template <typename Wait>
    static int64_t Elapsed(Wait wait)
    {
        const int64_t before = g_time.now;
        wait();
        return g_time.now - before;
    }

private:
    HostClock m_previousClock{};
};

TEST_F(TimerTest, TimeCountsFromInit)
{
    g_time.now += 1234;
    EXPECT_EQ(Timer_GetTime(), 1234);
    Timer_Init();
    EXPECT_EQ(Timer_GetTime(), 0);
}

TEST_F(TimerTest, LongWaitIsCutToThreeSeconds)
{
    const int64_t elapsed = Elapsed([] { Timer_Sleep(5000000); });
    EXPECT_GE(elapsed, 3000000);
    EXPECT_LT(elapsed, 3000000 + g_time.pumpStep);
    EXPECT_EQ(g_time.sleeps, std::vector<int64_t>{2999});
}

TEST_F(TimerTest, RunSleepWaitsLikeTimerSleep)
{
    const int64_t elapsed = Elapsed([] { Run_Sleep(2500); });
    EXPECT_GE(elapsed, 2500);
    EXPECT_LT(elapsed, 2500 + g_time.pumpStep);
    EXPECT_EQ(g_time.sleeps, std::vector<int64_t>{1});
}

TEST_F(TimerTest, ShortWaitPumpsMessagesWithoutSleeping)
{
    const int64_t elapsed = Elapsed([] { Timer_Sleep(1500); });
    EXPECT_TRUE(g_time.sleeps.empty());
    EXPECT_EQ(g_time.pumps, 15);
    EXPECT_EQ(elapsed, 1500);
}

TEST_F(TimerTest, HostSleepLeavesTheLastMillisecondToThePump)
{
    struct Case {
        int64_t microseconds;
        std::vector<int64_t> sleeps;
    };
    const Case cases[] = {
        {1999, {}}, {2000, {1}}, {2999, {1}}, {3000, {2}}, {1000000, {999}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.microseconds);
        Restart();
        const int64_t elapsed = Elapsed([&] { Timer_Sleep(c.microseconds); });
        EXPECT_EQ(g_time.sleeps, c.sleeps);
        EXPECT_GE(g_time.pumps, 1);
        EXPECT_GE(elapsed, c.microseconds);
        EXPECT_LT(elapsed, c.microseconds + g_time.pumpStep);
    }
}

TEST_F(TimerTest, NonPositiveWaitDoesNothing)
{
    for (const int64_t microseconds : {int64_t{0}, int64_t{-1}, std::numeric_limits<int64_t>::min()}) {
        SCOPED_TRACE(microseconds);
        Restart();
        EXPECT_EQ(Elapsed([&] { Timer_Sleep(microseconds); }), 0);
        EXPECT_EQ(g_time.pumps, 0);
        EXPECT_TRUE(g_time.sleeps.empty());
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
