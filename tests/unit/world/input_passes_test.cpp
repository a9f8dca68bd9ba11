// The keyboard, joystick and mouse passes: which events the step's input
// raises, in which order.
#include <string>
#include <vector>

#include "support/virtual_controllers.h"
#include "unit/world/run_fixture.h"
#include "world/gamepad.h"
#include "world/input.h"
#include "world/input_passes.h"

namespace bw::test {
namespace {

using Lines = std::vector<std::string>;

class InputPassTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        IO_Init(InputRecordRequest{});
        IO_Gamepad_Init();  // the controller support, which the joysticks share
        IO_Update();
    }
    void TearDown() override
    {
        IO_Shutdown();
        RunTest::TearDown();
    }

    // "type:number" of each note, in order.
    static Lines Events()
    {
        Lines lines;
        for (const Note& note : Notes()) {
            lines.push_back(std::to_string(note.type) + ":" + std::to_string(note.number));
        }
        return lines;
    }
};

TEST_F(InputPassTest, KeyEventsRunPerKeyThenOnceForAnyOrNoKey)
{
    LoadObjects({Object("keys", {{kEventKeyboard, 39, "note()"},
                                 {kEventKeyboard, 1, "note()"},
                                 {kEventKeyPress, 39, "note()"},
                                 {kEventKeyPress, 1, "note()"},
                                 {kEventKeyRelease, 0, "note()"},
                                 {kEventKeyRelease, 39, "note()"}})});
    AddInstance(0);
    IO_OnKeyDown(39, false);
    IO_Update();
    Run_HandleKeyboard();
    EXPECT_EQ(Events(), (Lines{"5:39", "9:39", "5:1", "9:1", "10:0"}));
    Notes().clear();
    IO_OnKeyUp(39);
    IO_Update();
    Run_HandleKeyboard();
    EXPECT_EQ(Events(), (Lines{"10:39"}));
}

TEST_F(InputPassTest, KeysBelowEightRaiseNoKeyEvents)
{
    LoadObjects({Object("low", {{kEventKeyboard, 7, "note()"}, {kEventKeyboard, 0, "note()"}})});
    AddInstance(0);
    IO_OnKeyDown(7, false);
    IO_Update();
    Run_HandleKeyboard();
    EXPECT_EQ(Events(), (Lines{"5:0"}));
}

TEST_F(InputPassTest, MouseButtonsAndWheelRaiseTheGlobalEvents)
{
    LoadObjects({Object("mouse", {{kEventMouse, 50, "note()"},
                                  {kEventMouse, 12, "note()"},
                                  {kEventMouse, 53, "note()"},
                                  {kEventMouse, 13, "note()"},
                                  {kEventMouse, 56, "note()"},
                                  {kEventMouse, 60, "note()"},
                                  {kEventMouse, 61, "note()"}})});
    AddInstance(0);
    IO_OnMouseDown(1);
    IO_OnMouseWheel(true);
    IO_Update();
    Run_HandleMouse();
    EXPECT_EQ(Events(), (Lines{"6:50", "6:12", "6:53", "6:60"}));
    Notes().clear();
    IO_OnMouseUp(1);
    IO_Update();
    Run_HandleMouse();
    EXPECT_EQ(Events(), (Lines{"6:13", "6:56"}));
}

TEST_F(InputPassTest, MouseOverNeedsAShapeUnderThePointer)
{
    LoadObjects({Object("shapeless", {{kEventMouse, 3, "note()"}, {kEventMouse, 10, "note()"}})});
    AddInstance(0);
    IO_Update();
    Run_HandleMouse();
    EXPECT_TRUE(Events().empty());
}

TEST_F(InputPassTest, JoystickDirectionsAndButtonsRaiseTheirEvents)
{
    LoadObjects({Object("stick", {{kEventMouse, 16, "note()"},
                                  {kEventMouse, 19, "note()"},
                                  {kEventMouse, 22, "note()"},
                                  {kEventMouse, 31, "note()"}})});
    AddInstance(0);
    VirtualJoystick first(2, 8, 0);
    first.SetAxis(0, -32768);  // left
    first.SetAxis(1, 32767);   // down
    first.SetButton(1, true);  // button 2
    Run_HandleJoystick();
    EXPECT_EQ(Events(), (Lines{"6:16", "6:19", "6:22"}));
}

}  // namespace
}  // namespace bw::test
