// Gamepad records: thresholds, dead zones, the code mapping, vibration, and
// the poll against controllers that exist only inside SDL.
#include <gtest/gtest.h>

#include "support/virtual_controllers.h"
#include "world/gamepad.h"
#include "world/input.h"

namespace bw {
namespace {

constexpr int32_t kGpFace1 = 32769;
constexpr int32_t kGpShoulderLB = 32775;
constexpr int32_t kGpAxisLH = 32785;
constexpr int32_t kGpAxisLV = 32786;
constexpr int32_t kSlotLeftTrigger = 10;

// A record with the given values, as a poll leaves it.
CGamepad PadWith(std::vector<float> buttons, std::vector<float> axes)
{
    CGamepad pad;
    pad.connected = true;
    buttons.resize(kGamepadButtonCount, 0.0f);
    axes.resize(kGamepadAxisCount, 0.0f);
    pad.SetValues(buttons, axes);
    return pad;
}

TEST(GamepadRecordTest, TriggerCrossingTheThresholdIsPressedThenReleased)
{
    std::vector<float> buttons(kGamepadButtonCount, 0.0f);
    CGamepad pad = PadWith(buttons, {});
    for (const auto& [value, down, pressed, released] :
         {std::tuple{0.4f, false, false, false}, std::tuple{0.6f, true, true, false},
          std::tuple{0.7f, true, false, false}, std::tuple{0.45f, false, false, true}}) {
        buttons[kSlotLeftTrigger] = value;
        pad.SetValues(buttons, std::vector<float>(kGamepadAxisCount, 0.0f));
        SCOPED_TRACE(value);
        EXPECT_EQ(pad.ButtonCheck(kSlotLeftTrigger), down);
        EXPECT_EQ(pad.ButtonPressed(kSlotLeftTrigger), pressed);
        EXPECT_EQ(pad.ButtonReleased(kSlotLeftTrigger), released);
        EXPECT_FLOAT_EQ(pad.ButtonValue(kSlotLeftTrigger), value);
    }
}

TEST(GamepadRecordTest, DeadZoneRescalesWhatLiesOutsideIt)
{
    struct Case {
        float stick;
        float expected;
    };
    for (const Case& c : {Case{0.1f, 0.0f}, Case{0.6f, 0.5f}, Case{-1.0f, -1.0f}, Case{-0.6f, -0.5f}}) {
        CGamepad pad = PadWith({}, {c.stick});
        pad.axisDeadzone = 0.2f;
        EXPECT_NEAR(pad.AxisValue(0), c.expected, 1e-6) << c.stick;
        EXPECT_NEAR(pad.AxisValue(kGamepadCodeNegate | 0), -c.expected, 1e-6) << c.stick;
    }
}

TEST(GamepadRecordTest, AxisReadAsButtonTakesOneHalfBeyondTheDeadZone)
{
    CGamepad pad = PadWith({}, {-0.8f});
    pad.axisDeadzone = 0.3f;
    EXPECT_TRUE(pad.ButtonCheck(kGamepadCodeOther | kGamepadCodeNegative | 0));
    EXPECT_FALSE(pad.ButtonCheck(kGamepadCodeOther | 0));
    EXPECT_FLOAT_EQ(pad.ButtonValue(kGamepadCodeOther | kGamepadCodeNegative | 0), 0.8f);
    EXPECT_FALSE(pad.ButtonCheck(kGamepadCodeOther | 9));  // no such axis
}

TEST(GamepadRecordTest, CodesThatNameNothingReadZero)
{
    const CGamepad pad = PadWith(std::vector<float>(kGamepadButtonCount, 1.0f), {1.0f, 1.0f, 1.0f, 1.0f});
    EXPECT_FALSE(pad.ButtonCheck(-1));
    EXPECT_FALSE(pad.ButtonCheck(kGamepadButtonCount));
    EXPECT_FLOAT_EQ(pad.AxisValue(kGamepadAxisCount), 0.0f);
    EXPECT_FLOAT_EQ(pad.AxisValue(-3), 0.0f);
    EXPECT_FLOAT_EQ(pad.AxisValue(kGamepadCodeOther | 99), 0.0f);
    EXPECT_FLOAT_EQ(pad.AxisValue(kGamepadCodeOther | 3), 1.0f);  // a button read as an axis
}

TEST(GamepadRecordTest, VibrationIsClampedToTheUnit)
{
    CGamepad pad;
    pad.SetVibration(1.5f, -0.5f);
    EXPECT_FLOAT_EQ(pad.vibrationLeft, 1.0f);
    EXPECT_FLOAT_EQ(pad.vibrationRight, 0.0f);
}

TEST(GamepadRecordTest, ConstantsMapToSlotsAndAxes)
{
    struct Case {
        int32_t code;
        int32_t slot;
    };
    for (const Case& c : {Case{kGpFace1, 12}, Case{32772, 15}, Case{32773, 8}, Case{kGpShoulderLB, 10},
                          Case{32777, 5}, Case{32778, 4}, Case{32781, 0}, Case{32784, 3}, Case{40000, 0},
                          Case{7, 7}}) {
        EXPECT_EQ(IO_GamepadMapButton(c.code), c.slot) << c.code;
    }
    EXPECT_EQ(IO_GamepadMapAxis(kGpAxisLH), 0);
    EXPECT_EQ(IO_GamepadMapAxis(kGpAxisLV), kGamepadCodeNegate | 1);
    EXPECT_EQ(IO_GamepadMapAxis(32788), kGamepadCodeNegate | 3);
    EXPECT_EQ(IO_GamepadMapAxis(32799), 0);
}

class GamepadPollTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        IO_Init(InputRecordRequest{});
        IO_Gamepad_Init();
    }
    void TearDown() override { IO_Shutdown(); }

    // Steps until pad 0 is connected; the number of steps it took.
    static int32_t StepsToConnect()
    {
        for (int32_t step = 1; step <= 8; ++step) {
            IO_Update();
            if (IO_GamepadDevices(0)->connected) {
                return step;
            }
        }
        return -1;
    }
};

TEST_F(GamepadPollTest, PluggedPadIsFoundWithinFourStepsWithItsDescription)
{
    ASSERT_TRUE(IO_Gamepad_Supported());
    ASSERT_EQ(IO_GamepadCount(), kGamepadCount);
    EXPECT_FALSE(IO_GamepadDevices(0)->connected);
    test::VirtualPad device;
    const int32_t steps = StepsToConnect();
    EXPECT_GE(steps, 1);
    EXPECT_LE(steps, kGamepadCount);
    EXPECT_EQ(IO_GamepadDevices(0)->description, "Xbox 360 Controller (XInput STANDARD GAMEPAD)");
    EXPECT_EQ(IO_GamepadDevices(0)->ButtonCount(), kGamepadButtonCount);
}

TEST_F(GamepadPollTest, SecondInitKeepsTheRecords)
{
    IO_GamepadDevices(1)->buttonThreshold = 0.25f;
    IO_Gamepad_Init();
    EXPECT_FLOAT_EQ(IO_GamepadDevices(1)->buttonThreshold, 0.25f);
    IO_Gamepad_Free();
    EXPECT_EQ(IO_GamepadCount(), 0);
    EXPECT_EQ(IO_GamepadDevices(0), nullptr);
}

TEST_F(GamepadPollTest, ButtonsTriggersAndSticksArriveInThePadsForm)
{
    test::VirtualPad device;
    ASSERT_GT(StepsToConnect(), 0);
    device.SetButton(SDL_CONTROLLER_BUTTON_A, true);
    device.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    device.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);  // pushed up
    device.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 16384);
    IO_Update();
    const CGamepad& pad = *IO_GamepadDevices(0);
    EXPECT_TRUE(pad.ButtonCheck(IO_GamepadMapButton(kGpFace1)));
    EXPECT_FLOAT_EQ(pad.ButtonValue(IO_GamepadMapButton(kGpShoulderLB)), 255.0f / 256.0f);
    EXPECT_LT(pad.AxisValue(IO_GamepadMapAxis(kGpAxisLV)), -0.99f);
    EXPECT_FLOAT_EQ(pad.AxisValue(IO_GamepadMapAxis(kGpAxisLH)), 0.5f);
}

TEST_F(GamepadPollTest, UnpluggedPadKeepsItsRecordWithEverythingZero)
{
    {
        test::VirtualPad device;
        device.SetButton(SDL_CONTROLLER_BUTTON_B, true);
        ASSERT_GT(StepsToConnect(), 0);
    }
    IO_Update();
    const CGamepad& pad = *IO_GamepadDevices(0);
    EXPECT_FALSE(pad.connected);
    EXPECT_TRUE(pad.description.empty());
    EXPECT_EQ(pad.ButtonCount(), 0);
    EXPECT_FLOAT_EQ(pad.ButtonValue(13), 0.0f);
}

TEST_F(GamepadPollTest, FullVibrationReachesThePadAsTheLargestSpeed)
{
    test::VirtualPad device;
    ASSERT_GT(StepsToConnect(), 0);
    IO_GamepadDevices(0)->SetVibration(1.0f, 0.5f);
    IO_Update();
    ASSERT_FALSE(device.Rumbles().empty());
    EXPECT_EQ(device.Rumbles().back(), (std::pair<uint16_t, uint16_t>{65535, 32768}));
}

}  // namespace
}  // namespace bw
