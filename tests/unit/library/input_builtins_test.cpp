// The keyboard, mouse and joystick built-ins over the step's input state and
// over joysticks that exist only inside SDL.
#include <gtest/gtest.h>

#include "graphics/main_window.h"
#include "host/window.h"
#include "library/input_builtins.h"
#include "platform/messages.h"
#include "support/virtual_controllers.h"
#include "unit/library/library_test_support.h"
#include "world/gamepad.h"
#include "world/input.h"
#include "world/run_clock.h"
#include "world/run_loop.h"

namespace bw {
namespace {

using test::CallBuiltin;

class InputBuiltinsTest : public test::LibraryTest {
protected:
    void SetUp() override
    {
        test::LibraryTest::SetUp();
        static const bool registered = [] {
            Function_Input_Register();
            return true;
        }();
        (void)registered;
        IO_Init(InputRecordRequest{});
        IO_Gamepad_Init();  // the controller support, which the joysticks share
        IO_Update();
    }
    void TearDown() override
    {
        IO_Shutdown();
        test::LibraryTest::TearDown();
    }
};

double Call(const char* name, std::initializer_list<test::ScriptValue> arguments = {})
{
    return CallBuiltin(name, arguments).Real();
}

TEST_F(InputBuiltinsTest, KeyZeroAndOneAskForNoKeyAndAnyKey)
{
    EXPECT_EQ(Call("keyboard_check", {1.0}), 0.0);
    EXPECT_EQ(Call("keyboard_check", {0.0}), 1.0);
    IO_OnKeyDown('A', false);
    IO_Update();
    EXPECT_EQ(Call("keyboard_check", {1.0}), 1.0);
    EXPECT_EQ(Call("keyboard_check", {0.0}), 0.0);
    EXPECT_EQ(Call("keyboard_check", {65.0}), 1.0);
    EXPECT_EQ(Call("keyboard_check_pressed", {65.4}), 1.0);
    EXPECT_EQ(Call("keyboard_check_pressed", {300.0}), 0.0);
    EXPECT_EQ(Call("keyboard_check_released", {1.0}), 0.0);
}

TEST_F(InputBuiltinsTest, MouseButtonMinusOneAndZeroAskForAnyAndNone)
{
    EXPECT_EQ(Call("mouse_check_button", {0.0}), 1.0);
    IO_OnMouseDown(2);
    IO_Update();
    EXPECT_EQ(Call("mouse_check_button", {-1.0}), 1.0);
    EXPECT_EQ(Call("mouse_check_button", {0.0}), 0.0);
    EXPECT_EQ(Call("mouse_check_button", {2.0}), 1.0);
    EXPECT_EQ(Call("mouse_check_button", {4.0}), 0.0);
    EXPECT_EQ(Call("mouse_check_button_pressed", {2.0}), 1.0);
    EXPECT_EQ(Call("mouse_check_button_released", {-1.0}), 0.0);
    Call("mouse_clear", {2.0});
    EXPECT_EQ(Call("mouse_check_button", {2.0}), 0.0);
}

TEST_F(InputBuiltinsTest, KeyMapBuiltinsRedirectAndRestoreKeys)
{
    Call("keyboard_set_map", {37.0, 65.0});
    EXPECT_EQ(Call("keyboard_get_map", {37.0}), 65.0);
    IO_OnKeyDown(37, false);
    IO_Update();
    EXPECT_EQ(Call("keyboard_check", {65.0}), 1.0);
    Call("keyboard_unset_map");
    EXPECT_EQ(Call("keyboard_get_map", {37.0}), 37.0);
    Call("keyboard_clear", {65.0});
    EXPECT_EQ(Call("keyboard_check", {65.0}), 0.0);
}

TEST_F(InputBuiltinsTest, SentKeysAreHeldAtOnceAndPressedAtTheNextStep)
{
    Call("keyboard_key_press", {'M' * 1.0});
    EXPECT_EQ(Call("keyboard_check_direct", {'M' * 1.0}), 1.0);
    EXPECT_EQ(Call("keyboard_check", {'M' * 1.0}), 0.0);
    IO_Update();
    EXPECT_EQ(Call("keyboard_check_pressed", {'M' * 1.0}), 1.0);
    Call("keyboard_key_release", {'M' * 1.0});
    EXPECT_EQ(Call("keyboard_check_direct", {'M' * 1.0}), 0.0);
    IO_Update();
    EXPECT_EQ(Call("keyboard_check_released", {'M' * 1.0}), 1.0);
}

TEST_F(InputBuiltinsTest, WaitsEndWhenTheGameIsQuitting)
{
    const uint8_t running = GameRunningFlag;
    GameRunningFlag = 0;
    Call("keyboard_wait");
    Call("mouse_wait");
    GameRunningFlag = running;
    EXPECT_EQ(IO_GetLastKey(), 0);
    EXPECT_EQ(IO_GetMouseLastButton(0), 0);
}

// The window is closed while the game waits for a key that never comes.
TEST_F(InputBuiltinsTest, AWaitEndsWhenTheWindowIsClosedDuringIt)
{
    static int pumps = 0;
    pumps = 0;
    ProcessMessages_SetPump([] {
        if (++pumps == 3) {
            MainWindow_OnClose();
        }
    });
    const uint8_t running = GameRunningFlag;
    GameRunningFlag = 1;
    Call("keyboard_wait");
    ProcessMessages_SetPump(nullptr);
    EXPECT_EQ(GameRunningFlag, 0);
    GameRunningFlag = running;
}

// On the virtual clock each look for the key moves time on, as a frame's
// wait does; a wait that watched that clock alone would never end.
TEST_F(InputBuiltinsTest, AWaitOnTheVirtualClockMovesItUntilTheKeyComes)
{
    const VirtualClockScope clock(0);
    static int pumps = 0;
    pumps = 0;
    ProcessMessages_SetPump([] {
        if (++pumps == 4) {
            IO_OnKeyDown('K', false);
        }
    });
    const uint8_t running = GameRunningFlag;
    GameRunningFlag = 1;
    Call("keyboard_wait");
    ProcessMessages_SetPump(nullptr);
    GameRunningFlag = running;
    EXPECT_EQ(IO_PendingLastKey(), 'K');
    EXPECT_GT(VirtualClock_Now(), 0);
}

TEST_F(InputBuiltinsTest, NumLockWishChangesTheRunnersViewAndIsLogged)
{
    ASSERT_GE(HostDisplay_Count(), 0);  // the keyboard state lives with SDL's video
    const bool before = Call("keyboard_get_numlock") != 0.0;
    testing::internal::CaptureStdout();
    Call("keyboard_set_numlock", {before ? 0.0 : 1.0});
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("keyboard_set_numlock"), std::string::npos) << log;
    EXPECT_EQ(Call("keyboard_get_numlock") != 0.0, !before);
    testing::internal::CaptureStdout();
    Call("keyboard_set_numlock", {before ? 0.0 : 1.0});  // already as wished
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    IO_Update();
    EXPECT_EQ(Call("keyboard_check_pressed", {144.0}), 1.0);
}

TEST_F(InputBuiltinsTest, WithoutJoysticksEverythingReadsItsDefault)
{
    EXPECT_EQ(Call("joystick_exists", {1.0}), 0.0);
    EXPECT_EQ(Call("joystick_direction", {1.0}), 101.0);
    EXPECT_EQ(Call("joystick_pov", {1.0}), -1.0);
    EXPECT_EQ(Call("joystick_xpos", {1.0}), 0.0);
    EXPECT_EQ(CallBuiltin("joystick_name", {1.0}).Text(), "");
    EXPECT_EQ(Call("joystick_buttons", {1.0}), 0.0);
}

TEST_F(InputBuiltinsTest, StickPositionGivesTheNumberPadDirection)
{
    test::VirtualJoystick stick(2, 4, 1);
    struct Case { int16_t x; int16_t y; double key; };
    for (const Case& c : {Case{-22767, -22767, 103}, Case{0, 0, 101}, Case{32767, 0, 102}, Case{0, 32767, 98},
                          Case{-32768, 32767, 97}}) {
        stick.SetAxis(0, c.x);
        stick.SetAxis(1, c.y);
        EXPECT_EQ(Call("joystick_direction", {1.0}), c.key) << c.x << "," << c.y;
    }
}

TEST_F(InputBuiltinsTest, AxisPositionsRunFromMinusOneThroughZeroAtTheCentre)
{
    test::VirtualJoystick stick(3, 4, 1);
    stick.SetAxis(0, -32768);
    stick.SetAxis(2, 32767);
    EXPECT_DOUBLE_EQ(Call("joystick_xpos", {1.0}), -1.0);
    EXPECT_DOUBLE_EQ(Call("joystick_ypos", {1.0}), 0.0);
    EXPECT_NEAR(Call("joystick_zpos", {1.0}), 1.0, 1e-4);
    EXPECT_DOUBLE_EQ(Call("joystick_rpos", {1.0}), 0.0);  // an axis it does not have
}

TEST_F(InputBuiltinsTest, HatGivesDegreesAndMinusOneWhenCentred)
{
    test::VirtualJoystick stick(2, 4, 1);
    EXPECT_EQ(Call("joystick_pov", {1.0}), -1.0);
    stick.SetHat(SDL_HAT_RIGHT);
    EXPECT_EQ(Call("joystick_pov", {1.0}), 90.0);
    stick.SetHat(SDL_HAT_LEFTUP);
    EXPECT_EQ(Call("joystick_pov", {1.0}), 315.0);
}

TEST_F(InputBuiltinsTest, ButtonsAndCapabilitiesOfEachJoystick)
{
    test::VirtualJoystick first(2, 4, 1, "First Stick");
    test::VirtualJoystick second(3, 10, 0, "Second Stick");
    first.SetButton(2, true);
    EXPECT_EQ(Call("joystick_check_button", {1.0, 3.0}), 1.0);
    EXPECT_EQ(Call("joystick_check_button", {1.0, 2.0}), 0.0);
    EXPECT_EQ(Call("joystick_check_button", {1.0, 33.0}), 0.0);
    EXPECT_EQ(Call("joystick_check_button", {2.0, 3.0}), 0.0);
    EXPECT_EQ(CallBuiltin("joystick_name", {2.0}).Text(), "Second Stick");
    EXPECT_EQ(Call("joystick_axes", {2.0}), 3.0);
    EXPECT_EQ(Call("joystick_buttons", {2.0}), 10.0);
    EXPECT_EQ(Call("joystick_has_pov", {1.0}), 1.0);
    EXPECT_EQ(Call("joystick_has_pov", {2.0}), 0.0);  // a z axis is not a hat
    EXPECT_EQ(Call("joystick_exists", {7.0}), 1.0);  // any other id is the first
}

}  // namespace
}  // namespace bw
