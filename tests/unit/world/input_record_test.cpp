// The "-record" / "-playback" file: the frame layout, bytes from outside,
// and a recorded run played back step for step.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <vector>

#include "support/playback_script.h"
#include "support/scratch_folder.h"
#include "world/input.h"
#include "world/input_record.h"

namespace bw {
namespace {

using Frame = std::array<uint8_t, kInputFrameSize>;

TEST(InputFrameTest, EncodeThenDecodeGivesTheSameFrame)
{
    InputFrame frame;
    frame.lastChar = u'\u00E9';
    frame.text = u"hello";
    frame.lastKey = 65;
    frame.key = -7;
    frame.keyDown[65] = 1;
    frame.keyReleased[255] = 1;
    frame.keyPressed[8] = 1;
    frame.mouseLastButton = {1, 2, 3, 0, -1};
    frame.mouseButton[4] = 3;
    frame.mouseDown[Input_MouseFlagIndex(3, 4)] = 1;
    frame.mouseReleased[0] = 1;
    frame.mousePressed[14] = 1;
    frame.wheelUp[2] = 1;
    frame.wheelDown[4] = 1;
    frame.cursorX = -100;
    frame.cursorY = 2000000;
    frame.mouseX = 320;
    frame.mouseY = 240;
    Frame bytes{};
    InputFrame_Encode(frame, bytes);
    EXPECT_EQ(InputFrame_Decode(bytes), frame);
}

TEST(InputFrameTest, FieldsSitAtTheirOffsetsLittleEndian)
{
    InputFrame frame;
    frame.lastChar = 0x1234;
    frame.text = u"A";
    frame.lastKey = 0x01020304;
    frame.keyDown[1] = 1;
    frame.mouseButton[1] = 2;
    frame.wheelDown[4] = 1;
    frame.mouseY = -2;
    Frame bytes{};
    InputFrame_Encode(frame, bytes);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[1], 0x12);
    EXPECT_EQ(bytes[2], 'A');
    EXPECT_EQ(bytes[4], 0);  // the text's end mark
    EXPECT_EQ(bytes[2052], 0x04);
    EXPECT_EQ(bytes[2055], 0x01);
    EXPECT_EQ(bytes[2061], 1);
    EXPECT_EQ(bytes[2852], 2);
    EXPECT_EQ(bytes[2922], 1);
    EXPECT_EQ(bytes[2935], 0xFE);
    EXPECT_EQ(bytes[2938], 0xFF);
}

TEST(InputFrameTest, OutsideBytesDecodeIntoWellFormedState)
{
    Frame bytes;
    bytes.fill(0xAB);  // no end mark anywhere, every flag byte 0xAB
    const InputFrame frame = InputFrame_Decode(bytes);
    EXPECT_EQ(frame.text.size(), static_cast<size_t>(kKeyboardStringMax));
    EXPECT_EQ(frame.keyDown[0], 1);
    EXPECT_EQ(frame.mousePressed[14], 1);
    EXPECT_EQ(frame.wheelUp[0], 1);
    Frame again{};
    InputFrame_Encode(frame, again);
    EXPECT_EQ(InputFrame_Decode(again), frame);
}

class InputRecordTest : public ::testing::Test {
protected:
    void TearDown() override { IO_Shutdown(); }
    test::ScratchFolder m_folder;
};

TEST_F(InputRecordTest, RecordedRunPlaysBackFrameForFrame)
{
    const std::string path = m_folder / "run.rec";
    IO_Init(InputRecordRequest{true, false, path});
    ASSERT_TRUE(IO_IsRecording());
    std::vector<InputFrame> seen;
    auto step = [&seen] {
        IO_Update();
        seen.push_back(IO_CurrentFrame());
    };
    step();
    IO_OnKeyDown('W', false);
    IO_OnChar(u'w');
    step();
    IO_OnMouseMove(17, 23);
    IO_OnMouseDown(2);
    step();
    IO_OnKeyUp('W');
    IO_OnMouseUp(2);
    IO_OnMouseWheel(false);
    step();
    IO_SetKeyboardString("typed by the game");
    step();
    IO_Shutdown();

    IO_Init(InputRecordRequest{true, true, path});  // playback wins
    ASSERT_TRUE(IO_IsPlayingBack());
    ASSERT_FALSE(IO_IsRecording());
    IO_OnKeyDown('Q', false);  // the live keyboard is not listened to
    for (const InputFrame& expected : seen) {
        IO_Update();
        EXPECT_EQ(IO_CurrentFrame(), expected);
    }
    // At the end of the file the state stays; pressed and released go.
    IO_Update();
    EXPECT_EQ(IO_GetKeyboardString(), u"typed by the game");
    EXPECT_FALSE(IO_KeyDown('Q'));
}

TEST_F(InputRecordTest, ScriptedFramesDriveTheSteps)
{
    const std::string path = m_folder / "script.rec";
    ASSERT_TRUE(test::PlaybackScript_Write(path, "10 down 39; 20 up 39; 25 char a; 30 mouse 100 120 press 1", 30));
    IO_Init(InputRecordRequest{false, true, path});
    for (int32_t step = 1; step <= 30; ++step) {
        IO_Update();
        SCOPED_TRACE(step);
        EXPECT_EQ(IO_KeyPressed(39), step == 10);
        EXPECT_EQ(IO_KeyDown(39), step >= 10 && step < 20);
        EXPECT_EQ(IO_KeyReleased(39), step == 20);
        EXPECT_EQ(IO_GetLastChar(), step >= 25 ? u'a' : 0);
        EXPECT_EQ(IO_GetKeyboardString(), step >= 25 ? u"a" : u"");
        EXPECT_EQ(IO_MouseButtonPressed(1, 0), step == 30);
    }
    EXPECT_EQ(IO_GetLastKey(), 39);
    EXPECT_EQ(IO_MouseButton(0), 1);
    EXPECT_EQ(IO_MouseWindowX(0), 100);
    EXPECT_EQ(IO_MouseWindowY(0), 120);
}

TEST_F(InputRecordTest, PartialLastFrameIsIgnored)
{
    const std::string path = m_folder / "short.rec";
    std::vector<uint8_t> bytes = test::PlaybackScript_Frames("1 down 65", 1);
    bytes.resize(bytes.size() + 100, 1);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
    IO_Init(InputRecordRequest{false, true, path});
    IO_Update();
    EXPECT_TRUE(IO_KeyPressed(65));
    IO_Update();
    EXPECT_FALSE(IO_KeyPressed(65));
    EXPECT_TRUE(IO_KeyDown(65));
    EXPECT_FALSE(IO_KeyDown(1));
}

TEST_F(InputRecordTest, MissingPlaybackFileLeavesLiveInput)
{
    IO_Init(InputRecordRequest{false, true, m_folder / "absent.rec"});
    EXPECT_FALSE(IO_IsPlayingBack());
    IO_Update();
    IO_OnKeyDown(65, false);
    IO_Update();
    EXPECT_TRUE(IO_KeyDown(65));
}

}  // namespace
}  // namespace bw
