// The gamepad built-ins over the device records, with a controller that
// exists only inside SDL.
#include <gtest/gtest.h>

#include "library/gamepad_builtins.h"
#include "support/virtual_controllers.h"
#include "unit/library/library_test_support.h"
#include "world/gamepad.h"
#include "world/input.h"

namespace bw {
namespace {

using test::CallBuiltin;

constexpr double kGpFace2 = 32770;
constexpr double kGpAxisLV = 32786;

class GamepadBuiltinsTest : public test::LibraryTest {
protected:
    void SetUp() override
    {
        test::LibraryTest::SetUp();
        static const bool registered = [] {
            Function_Gamepad_Register();
            return true;
        }();
        (void)registered;
        IO_Init(InputRecordRequest{});
        IO_Gamepad_Init();  // again after the last test's shut-down
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

TEST_F(GamepadBuiltinsTest, DevicesOutsideTheTableGiveTheDefaults)
{
    EXPECT_EQ(Call("gamepad_is_supported"), 1.0);
    EXPECT_EQ(Call("gamepad_get_device_count"), 4.0);
    EXPECT_EQ(Call("gamepad_is_connected", {4.0}), 0.0);
    EXPECT_EQ(Call("gamepad_is_connected", {-1.0}), 0.0);
    const test::ScriptValue description = CallBuiltin("gamepad_get_description", {7.0});
    EXPECT_TRUE(description.IsString());
    EXPECT_EQ(description.Text(), "");
    EXPECT_EQ(Call("gamepad_button_check", {9.0, kGpFace2}), 0.0);
}

TEST_F(GamepadBuiltinsTest, OutOfRangeThresholdIsLoggedAndNotStored)
{
    testing::internal::CaptureStdout();
    Call("gamepad_set_button_threshold", {0.0, 1.5});
    Call("gamepad_set_axis_deadzone", {0.0, -0.1});
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Button threshold is outside the accepted range"), std::string::npos);
    EXPECT_NE(log.find("Axis dead zone is outside the accepted range"), std::string::npos);
    EXPECT_EQ(Call("gamepad_get_button_threshold", {0.0}), 0.5);
    EXPECT_EQ(Call("gamepad_get_axis_deadzone", {0.0}), 0.0);
    Call("gamepad_set_axis_deadzone", {0.0, 0.25});
    EXPECT_EQ(Call("gamepad_get_axis_deadzone", {0.0}), 0.25);
}

TEST_F(GamepadBuiltinsTest, ConnectedPadAnswersThroughTheConstants)
{
    test::VirtualPad device;
    for (int step = 0; step < kGamepadCount; ++step) IO_Update();
    ASSERT_EQ(Call("gamepad_is_connected", {0.0}), 1.0);
    device.SetButton(SDL_CONTROLLER_BUTTON_B, true);
    device.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, 16384);  // pushed down
    IO_Update();
    EXPECT_EQ(Call("gamepad_button_count", {0.0}), 16.0);
    EXPECT_EQ(Call("gamepad_axis_count", {0.0}), 4.0);
    EXPECT_EQ(Call("gamepad_button_check", {0.0, kGpFace2}), 1.0);
    EXPECT_EQ(Call("gamepad_button_check_pressed", {0.0, kGpFace2}), 1.0);
    EXPECT_EQ(Call("gamepad_button_value", {0.0, kGpFace2}), 1.0);
    EXPECT_NEAR(Call("gamepad_axis_value", {0.0, kGpAxisLV}), 0.5, 1e-4);
    device.SetButton(SDL_CONTROLLER_BUTTON_B, false);
    IO_Update();
    EXPECT_EQ(Call("gamepad_button_check_released", {0.0, kGpFace2}), 1.0);
    Call("gamepad_set_vibration", {0.0, 1.5, -0.5});
    EXPECT_EQ(IO_GamepadDevices(0)->vibrationLeft, 1.0f);
    EXPECT_EQ(IO_GamepadDevices(0)->vibrationRight, 0.0f);
}

}  // namespace
}  // namespace bw
