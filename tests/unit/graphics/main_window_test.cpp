#include "graphics/main_window.h"

#include <gtest/gtest.h>

#include "frame_tick_fixture.h"
#include "graphics/display.h"
#include "graphics/game_window.h"
#include "graphics/screen.h"
#include "host/window.h"
#include "world/run_loop.h"

namespace bw {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        MainWindow_Destroy();
        MainWindow_SetAltEnterAllowed(false);
        GR_SetFullscreenWish(false);
    }
};

TEST_F(MainWindowTest, AWindowLargerThanTheScreenIsClampedToIt)
{
    ASSERT_TRUE(MainWindow_Create(40000, 30000, 0, nullptr));
    int32_t w = 0;
    int32_t h = 0;
    HostWindow_GetClientSize(w, h);
    EXPECT_EQ(w, GR_Display_GetWidth());
    EXPECT_EQ(h, GR_Display_GetHeight());
    EXPECT_EQ(Window_GetCaption(), "Brackwell:Runner");
    EXPECT_EQ(Window_GetCursor(), -1);
}

TEST_F(MainWindowTest, AltEnterSwitchesFullScreenOnlyWhenAllowed)
{
    ASSERT_TRUE(MainWindow_Create(64, 64, kHeaderShowCursor, "game"));
    HostWindow_Handlers().altEnter();
    EXPECT_FALSE(Window_GetFullscreen());
    EXPECT_EQ(test::DisplayResetsServedByOneTick(), 0);
    MainWindow_SetAltEnterAllowed(true);
    HostWindow_Handlers().altEnter();
    EXPECT_TRUE(Window_GetFullscreen());
    EXPECT_EQ(test::DisplayResetsServedByOneTick(), 1);
}

TEST_F(MainWindowTest, ClosingTheWindowStopsTheRun)
{
    ASSERT_TRUE(MainWindow_Create(64, 64, 0, nullptr));
    ASSERT_NE(HostWindow_Handlers().close, nullptr);
    GameRunningFlag = 1;
    HostWindow_Handlers().close();
    EXPECT_EQ(GameRunningFlag, 0);
}

}  // namespace
}  // namespace bw
