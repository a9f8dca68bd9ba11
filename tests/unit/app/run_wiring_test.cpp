// The main loop's hooks that the runner fills from the window: the cursor
// the options ask for at game start, and the freeze while in the background.
#include <gtest/gtest.h>

#include "app/run_wiring.h"
#include "graphics/game_window.h"
#include "graphics/main_window.h"
#include "host/window.h"
#include "world/run_hooks.h"

namespace bw {
namespace {

class RunWiringTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MainWindow_Create(64, 64, 0, nullptr));
        Runner_InstallRunHooks();
    }
    void TearDown() override
    {
        Run_Hooks() = RunHooks{};
        MainWindow_Destroy();
    }
};

TEST_F(RunWiringTest, TheGameStartCursorReachesTheWindow)
{
    ASSERT_NE(Run_Hooks().setCursor, nullptr);
    Run_Hooks().setCursor(0);
    EXPECT_EQ(Window_GetCursor(), 0);
    Run_Hooks().setCursor(-1);
    EXPECT_EQ(Window_GetCursor(), -1);
}

TEST_F(RunWiringTest, TheStepSeesTheWindowInTheBackground)
{
    ASSERT_NE(Run_Hooks().windowInactive, nullptr);
    EXPECT_FALSE(Run_Hooks().windowInactive());
    HostWindow_Handlers().focus(false);
    EXPECT_TRUE(Run_Hooks().windowInactive());
    HostWindow_Handlers().focus(true);
}

}  // namespace
}  // namespace bw
