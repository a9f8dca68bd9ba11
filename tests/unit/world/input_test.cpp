// The input layer between the window's handlers and a step: what one step
// sees of keys, characters, mouse buttons and the wheel.
#include <gtest/gtest.h>

#include <string>

#include "platform/strings.h"
#include "world/input.h"

namespace bw {
namespace {

constexpr int32_t kRight = 39;

class InputTest : public ::testing::Test {
protected:
    // The first update starts the raw state from the current one; the
    // handlers' input counts from there.
    void SetUp() override
    {
        IO_Init(InputRecordRequest{});
        IO_Update();
    }
    void TearDown() override { IO_Shutdown(); }
};

struct KeyView {
    bool down;
    bool pressed;
    bool released;
};

KeyView Key(int32_t key)
{
    return {IO_KeyDown(key), IO_KeyPressed(key), IO_KeyReleased(key)};
}

TEST_F(InputTest, HeldKeyIsPressedInItsFirstStepOnlyAndDownInAll)
{
    IO_OnKeyDown(kRight, false);
    IO_Update();
    EXPECT_TRUE(Key(kRight).down);
    EXPECT_TRUE(Key(kRight).pressed);
    IO_OnKeyDown(kRight, true);  // the system's auto-repeat
    IO_Update();
    EXPECT_TRUE(Key(kRight).down);
    EXPECT_FALSE(Key(kRight).pressed);
    IO_OnKeyDown(kRight, false);  // a second down without an up between
    IO_Update();
    EXPECT_FALSE(Key(kRight).pressed);
    EXPECT_EQ(IO_GetKey(), kRight);
    EXPECT_EQ(IO_GetLastKey(), kRight);
}

TEST_F(InputTest, KeyPressedAndReleasedBetweenStepsShowsBothAndNotDown)
{
    IO_OnKeyDown(kRight, false);
    IO_OnKeyUp(kRight);
    IO_Update();
    const KeyView view = Key(kRight);
    EXPECT_FALSE(view.down);
    EXPECT_TRUE(view.pressed);
    EXPECT_TRUE(view.released);
    EXPECT_EQ(IO_GetKey(), 0);
    EXPECT_EQ(IO_GetLastKey(), kRight);
    IO_Update();
    EXPECT_FALSE(Key(kRight).pressed);
    EXPECT_FALSE(Key(kRight).released);
}

TEST_F(InputTest, MappedKeyIsReportedAsItsTargetAndKeysOutsideTheTableAsNothing)
{
    IO_SetKeyMap('A', 'B');
    IO_OnKeyDown('A', false);
    IO_Update();
    EXPECT_TRUE(Key('B').down);
    EXPECT_TRUE(Key('B').pressed);
    EXPECT_FALSE(Key('A').down);
    EXPECT_EQ(IO_GetKey(), 'B');
    IO_OnKeyUp('A');
    IO_Update();
    EXPECT_TRUE(Key('B').released);
    IO_ResetKeyMap();
    EXPECT_EQ(IO_KeyMap('A'), 'A');
    EXPECT_EQ(IO_KeyMap(300), 300);
    // Keys outside the table read as nothing, mapped there or asked for.
    IO_SetKeyMap('C', 400);
    IO_OnKeyDown('C', false);
    IO_Update();
    EXPECT_FALSE(Key('C').down);
    EXPECT_EQ(IO_GetKey(), 0);
    EXPECT_FALSE(IO_KeyDown(-1));
    EXPECT_FALSE(IO_KeyPressed(256));
}

std::u16string Typed(int32_t count, char16_t first)
{
    std::u16string text;
    for (int32_t i = 0; i < count; ++i) {
        text.push_back(static_cast<char16_t>(first + i % 26));
    }
    return text;
}

TEST_F(InputTest, KeyboardStringRestartsFromItsLastUnitWhenFullButKeepsItForControls)
{
    const std::u16string typed = Typed(kKeyboardStringMax - 1, u'a');
    for (char16_t unit : typed) {
        IO_OnChar(unit);
    }
    IO_Update();
    EXPECT_EQ(IO_GetKeyboardString(), typed);
    IO_OnChar(u'\r');
    IO_OnChar(u'\b');
    IO_Update();
    EXPECT_EQ(IO_GetKeyboardString(), typed.substr(0, typed.size() - 1));
    IO_OnChar(typed.back());
    IO_OnChar(u'Z');
    IO_Update();
    EXPECT_EQ(IO_GetKeyboardString(), std::u16string({typed.back(), u'Z'}));
}

TEST_F(InputTest, BackspaceRemovesAUnitControlsAreOnlyRememberedAndTheLastCharacterIsWhole)
{
    struct Case {
        std::u16string typed;
        std::u16string text;
        char16_t last;
    };
    const Case cases[] = {
        {u"\b", u"", 8}, {u"hi\b", u"h", 8}, {u"\r", u"", u'\r'}, {u"\u20AC", u"\u20AC", u'\u20AC'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.size());
        IO_SetKeyboardString("");
        for (char16_t unit : c.typed) {
            IO_OnChar(unit);
        }
        IO_Update();
        EXPECT_EQ(IO_GetKeyboardString(), c.text);
        EXPECT_EQ(IO_GetLastChar(), c.last);
    }
}

TEST_F(InputTest, AssignedKeyboardStringSurvivesTheNextUpdateAndIsCapped)
{
    IO_SetKeyboardString("h\xC3\xA9llo");
    IO_OnChar(u'!');
    IO_Update();
    EXPECT_EQ(IO_GetKeyboardString(), u"h\u00E9llo!");
    IO_SetKeyboardString(std::string(3000, 'x'));
    EXPECT_EQ(IO_GetKeyboardString().size(), static_cast<size_t>(kKeyboardStringMax));
}

TEST_F(InputTest, MouseButtonsFollowTheKeysRules)
{
    IO_OnMouseDown(kMouseButtonCount);
    IO_OnMouseUp(kMouseButtonCount);
    IO_OnMouseDown(1);
    IO_Update();
    EXPECT_TRUE(IO_MouseButtonDown(1, 0));
    EXPECT_TRUE(IO_MouseButtonPressed(1, 0));
    EXPECT_TRUE(IO_MouseButtonPressed(3, 0));
    EXPECT_TRUE(IO_MouseButtonReleased(3, 0));
    EXPECT_FALSE(IO_MouseButtonDown(3, 0));
    EXPECT_EQ(IO_MouseButton(0), 1);
    IO_Update();
    EXPECT_TRUE(IO_MouseButtonDown(1, 0));
    EXPECT_FALSE(IO_MouseButtonPressed(1, 0));
    EXPECT_FALSE(IO_MouseButtonDown(4, 0));
    EXPECT_FALSE(IO_MouseButtonDown(1, kMouseDeviceCount));
}

TEST_F(InputTest, WheelTurnLastsOneStep)
{
    EXPECT_TRUE(IO_OnMouseWheel(true));
    IO_Update();
    EXPECT_TRUE(IO_WheelUp(0));
    EXPECT_FALSE(IO_WheelDown(0));
    IO_Update();
    EXPECT_FALSE(IO_WheelUp(0));
}

TEST_F(InputTest, MousePositionIsMappedIntoTheRoomThroughTheHook)
{
    IO_OnMouseMove(30, 40);
    IO_Update();
    EXPECT_EQ(IO_MouseX(0), 30);
    Input_Hooks().windowToRoom = [](int32_t wx, int32_t wy, int32_t& x, int32_t& y) {
        x = wx * 2;
        y = wy + 5;
    };
    EXPECT_EQ(IO_MouseX(0), 60);
    EXPECT_EQ(IO_MouseY(0), 45);
    EXPECT_EQ(IO_MouseX(kMouseDeviceCount), 0);
    Input_Hooks().windowToRoom = nullptr;
}

TEST_F(InputTest, ClearAndKeyClearForgetDownToTheRawState)
{
    IO_OnKeyDown(kRight, false);
    IO_OnChar(u'q');
    IO_OnMouseDown(2);
    IO_Update();
    IO_Clear();
    EXPECT_FALSE(Key(kRight).down);
    EXPECT_TRUE(IO_GetKeyboardString().empty());
    EXPECT_EQ(IO_GetLastKey(), 0);
    EXPECT_FALSE(IO_MouseButtonDown(2, 0));
    IO_Update();  // the raw state was cleared too
    EXPECT_FALSE(Key(kRight).down);
    EXPECT_FALSE(IO_MouseButtonDown(2, 0));
    // So does clearing one key.
    IO_OnKeyDown(kRight, false);
    IO_Update();
    IO_KeyClear(kRight);
    EXPECT_FALSE(Key(kRight).down);
    IO_Update();
    EXPECT_FALSE(Key(kRight).down);
}

TEST_F(InputTest, InjectedKeysArriveAtTheNextUpdateAndCountAsHeldAtOnce)
{
    IO_InjectKey('K', true);
    EXPECT_TRUE(IO_KeyHeldNow('K'));
    EXPECT_FALSE(Key('K').down);
    IO_Update();
    EXPECT_TRUE(Key('K').pressed);
    IO_InjectKey('K', false);
    EXPECT_FALSE(IO_KeyHeldNow('K'));
    IO_Update();
    EXPECT_TRUE(Key('K').released);
}

TEST_F(InputTest, SetLastKeyClearsWhatTheHandlersSaw)
{
    IO_OnKeyDown(kRight, false);
    EXPECT_EQ(IO_PendingLastKey(), kRight);
    IO_SetLastKey(0);
    EXPECT_EQ(IO_PendingLastKey(), 0);
    IO_Update();
    EXPECT_EQ(IO_GetLastKey(), 0);
}

}  // namespace
}  // namespace bw
