// Room transitions: which kinds exist, defined transition scripts, and the
// kinds drawn on the OpenGL back end (headless) against a golden image.
#include "graphics/room_transition.h"

#include "gl_golden_fixture.h"
#include "graphics/screen.h"
#include "graphics/surfaces.h"
#include "library/game_builtins.h"
#include "script/function_table.h"
#include "unit/library/library_test_support.h"
#include "world/game_state.h"
#include "world/room.h"
#include "world/run_hooks.h"

namespace bw {
namespace {

BW_BUILTIN(FadeScript) {}

using test::CallBuiltin;

// The "Game.." group and one more callable a transition can name.
class TransitionBuiltins : public ::testing::Test {
protected:
    void SetUp() override
    {
        Code_Function_Free();
        Function_Game_Register();
        ASSERT_TRUE(Code_Function_Register("scr_fade", &FadeScript, 0));
        ASSERT_TRUE(Code_Function_Find("scr_fade", &fade));
    }
    void TearDown() override { Code_Function_Free(); }

    int32_t fade = -1;
};

TEST_F(TransitionBuiltins, OnlyTheTwentyOneBuiltInKindsExistEvenAfterADefinition)
{
    for (double kind : {1.0, 11.0, 21.0}) {
        EXPECT_EQ(CallBuiltin("transition_exists", {kind}).Real(), 1.0) << kind;
    }
    for (double kind : {0.0, -1.0, 22.0}) {
        EXPECT_EQ(CallBuiltin("transition_exists", {kind}).Real(), 0.0) << kind;
    }
    EXPECT_EQ(CallBuiltin("transition_define", {22.0, "scr_fade"}).Real(), 1.0);
    EXPECT_EQ(Transition_Script(22), fade);
    EXPECT_EQ(CallBuiltin("transition_exists", {22.0}).Real(), 0.0);
}

TEST_F(TransitionBuiltins, ADefinitionNeedsAKnownCallableAndKeepsOnlyKindsBelowAMillion)
{
    EXPECT_EQ(CallBuiltin("transition_define", {30.0, "scr_missing"}).Real(), 0.0);
    EXPECT_EQ(CallBuiltin("transition_define", {31.0, 0.0}).Real(), 0.0);
    EXPECT_EQ(Transition_Script(30), -1);
    // Found, so the answer is yes, but a kind out of range keeps nothing.
    EXPECT_EQ(CallBuiltin("transition_define", {1000000.0, "scr_fade"}).Real(), 1.0);
    EXPECT_EQ(Transition_Script(1000000), -1);
    EXPECT_EQ(CallBuiltin("transition_define", {999999.0, "scr_fade"}).Real(), 1.0);
    EXPECT_EQ(Transition_Script(999999), fade);
}

constexpr int32_t kWidth = 48;
constexpr int32_t kHeight = 32;

// The old room: blue with a white bar at the top-left; the new one: green
// with a red bar at the bottom-right, so every kind shows where each part went.
void DrawOldRoom()
{
    GR_Clear(0xFFFF0000u);
    GR_SetColour(0xFFFFFF);
    GR_DrawRectangle(2, 2, 20, 8, 0);
}

void DrawNewRoom()
{
    GR_Clear(0xFF00A000u);
    GR_SetColour(0x0000FF);
    GR_DrawRectangle(kWidth - 21, kHeight - 9, kWidth - 3, kHeight - 3, 0);
}

class TransitionDrawing : public test::HiddenWindowTest {
protected:
    void SetUp() override
    {
        ResetGraphicsEngine();
        ASSERT_TRUE(GR_D3D_Init(kWidth, kHeight, 0));
        GR_SetInterpolation(false);
        Run_Hooks().drawRoom = &DrawOldRoom;
        Display_State().transitionSteps = 4;
        ASSERT_TRUE(GR_D3D_Start_Frame());
    }

    void TearDown() override
    {
        Run_Hooks().drawRoom = nullptr;
        Display_State().transitionSteps = 80;
        Display_State().transitionKind = 0;
        Surface_FreeAll();
        GR_D3D_FreeScreen();
        ResetGraphicsEngine();
        GR_D3D_Shutdown();
    }

    // Starts a transition and draws the new room where its first frame goes.
    static void Start(int32_t kind)
    {
        Transition_Start(kind);
        ASSERT_EQ(Surface_GetCurrent(), Transition_ToSurface());
        DrawNewRoom();
        ASSERT_TRUE(Surface_ResetTarget());
    }

    static std::vector<uint32_t> Screen()
    {
        GR_VB_Flush();
        std::vector<uint32_t> pixels(static_cast<size_t>(kWidth * kHeight));
        EXPECT_TRUE(Device_Get()->ReadRect(GR_GetScreenTexture()->texture, 0, 0, kWidth, kHeight, pixels.data()));
        return pixels;
    }
};

TEST_F(TransitionDrawing, KindsAtTheStartHalfwayAndTheEnd)
{
    // One row per kind, its frames at 0, 1/2 and 1 side by side.
    const int32_t kinds[] = {1, 4, 5, 7, 10, 12, 15, 18, 19, 20, 21};
    const double fractions[] = {0.0, 0.5, 1.0};
    constexpr int32_t kColumns = 3;
    const auto rows = static_cast<int32_t>(std::size(kinds));
    test::PngImage sheet{kWidth * kColumns, kHeight * rows,
                   std::vector<uint32_t>(static_cast<size_t>(kWidth * kColumns * kHeight * rows))};
    Start(1);
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t column = 0; column < kColumns; ++column) {
            GR_Clear(0xFF808080u);
            Transition_Draw(kinds[row], fractions[column]);
            const std::vector<uint32_t> frame = Screen();
            for (int32_t y = 0; y < kHeight; ++y) {
                std::copy_n(frame.begin() + y * kWidth, kWidth,
                            sheet.pixels.begin() + (row * kHeight + y) * sheet.width + column * kWidth);
            }
        }
    }
    for (uint32_t& pixel : sheet.pixels) {
        pixel |= 0xFF000000u;
    }
    test::ExpectGoldenImage(sheet, "room_transitions.png", 24);
}

TEST_F(TransitionDrawing, FinishRunsEveryStepAndEndsOnTheNewRoom)
{
    Start(3);
    const int32_t from = Transition_FromSurface();
    ASSERT_TRUE(GR_D3D_Finish_Frame(false));
    EXPECT_FALSE(GR_Transition_Finish());
    EXPECT_EQ(GR_FrameOpenCount(), 0);
    EXPECT_FALSE(Surface_Exists(from));
    EXPECT_EQ(Transition_FromSurface(), -1);
    EXPECT_EQ(Transition_ToSurface(), -1);
    // The last frame is the new room whole: green, and its red bar.
    const std::vector<uint32_t> screen = Screen();
    EXPECT_EQ(screen[0] | 0xFF000000u, 0xFF00A000u);
    EXPECT_EQ(screen[(kHeight - 5) * kWidth + kWidth - 5] | 0xFF000000u, 0xFFFF0000u);
    ASSERT_TRUE(GR_D3D_Start_Frame());  // as the fixture leaves it
}

TEST_F(TransitionDrawing, AKindThatIsNotBuiltInStartsNothingAndFinishOnlyEndsTheFrame)
{
    NewRoomRequest = 3;
    Transition_Start(22);
    EXPECT_EQ(Transition_FromSurface(), -1);
    EXPECT_EQ(Surface_GetCurrent(), -1);
    EXPECT_EQ(NewRoomRequest, 3);
    EXPECT_TRUE(GR_Transition_Finish());
    EXPECT_EQ(GR_FrameOpenCount(), 0);
    NewRoomRequest = -1;
}

TEST_F(TransitionDrawing, TheOldRoomIsDrawnWithNoRoomChangePending)
{
    static int32_t requestSeen = 0;
    Run_Hooks().drawRoom = [] {
        requestSeen = NewRoomRequest;
        DrawOldRoom();
    };
    NewRoomRequest = 3;
    Transition_Start(1);
    EXPECT_EQ(requestSeen, -1);
    EXPECT_EQ(NewRoomRequest, 3);
    NewRoomRequest = -1;
}

}  // namespace
}  // namespace bw
