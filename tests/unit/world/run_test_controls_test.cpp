// The BW_TEST_* controls of unattended runs: how their values read, and
// that the virtual clock makes a run's timing reproducible.
#include <cstdlib>

#include "unit/world/run_fixture.h"
#include "world/run_test_controls.h"

namespace bw::test {
namespace {

TEST(RunTestControls, FrameLimitReadsPositiveDecimalsOnly)
{
    struct Case {
        const char* text;
        int64_t frames;
    };
    for (const Case& c : {Case{nullptr, 0}, Case{"", 0}, Case{"20", 20}, Case{"007", 7}, Case{"-5", 0},
                          Case{"12x", 0}, Case{" 3", 0}, Case{"99999999999999999999999", 0}}) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(unset)");
        EXPECT_EQ(Run_ParseTestFrameLimit(c.text), c.frames);
    }
}

TEST(RunTestControls, VirtualClockIsOnOnlyForOne)
{
    EXPECT_TRUE(Run_ParseTestFlag("1"));
    EXPECT_FALSE(Run_ParseTestFlag(nullptr));
    EXPECT_FALSE(Run_ParseTestFlag("0"));
    EXPECT_FALSE(Run_ParseTestFlag("yes"));
}

TEST(RunTestControls, TheEnvironmentIsReadByName)
{
    setenv("BW_TEST_VIRTUAL_CLOCK", "1", 1);
    setenv("BW_TEST_FRAMES", "20", 1);
    const RunTestControls controls = Run_ReadTestControls();
    unsetenv("BW_TEST_VIRTUAL_CLOCK");
    unsetenv("BW_TEST_FRAMES");
    EXPECT_TRUE(controls.virtualClock);
    EXPECT_EQ(controls.frameLimit, 20);
}

class RunVirtualClockTest : public RunTest {};

TEST_F(RunVirtualClockTest, TwoRunsOfTheSameFramesTimeAlike)
{
    room.speed = 60;
    auto run = [] {
        Run_ResetLoopState();
        VirtualClockScope scope(5000);
        GameRunningFlag = 1;
        Run_EnterMainLoop();
        for (int32_t i = 0; i < 125; ++i) {
            Run_MainLoopTick();
        }
        return std::vector<int64_t>{Timer_GetTime(), Display_State().deltaTime, Display_State().fps};
    };
    const std::vector<int64_t> first = run();
    EXPECT_EQ(first, (std::vector<int64_t>{125 * 16666, 16666, 60}));
    EXPECT_EQ(run(), first);
}

}  // namespace
}  // namespace bw::test
