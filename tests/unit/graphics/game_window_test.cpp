#include "graphics/game_window.h"

#include "frame_tick_fixture.h"
#include "graphics/device/gl/gl_device.h"
#include "graphics/screen.h"
#include "recording_fixture.h"

namespace bw {
namespace {

std::unique_ptr<IGraphicsDevice> MakeDevice(const DeviceParameters& parameters)
{
    auto device = std::make_unique<RecordingDevice>();
    device->Reset(parameters);
    return device;
}

// A 640 x 480 game in a 640 x 480 window (no window exists in these tests,
// so the client is the back buffer).
class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGraphicsEngine();
        Device_SetFactory(&MakeDevice);
        ASSERT_TRUE(GR_D3D_Init(640, 480, 0));
        GR_D3D_Start_Frame();
        GR_D3D_Finish_Frame(false);
        Window_ResetViewMappings();
    }

    void TearDown() override
    {
        Window_ResetViewMappings();
        GR_SetFullscreenWish(false);
        GR_D3D_FreeScreen();
        ResetGraphicsEngine();
        GR_D3D_Shutdown();
        Device_SetFactory(&GlDevice_Create);
    }

    static void Map(int32_t index, float xport, float yport, float wport, float hport, float xview, float yview,
                    float wview, float hview, float angle = 0.0f)
    {
        Window_SetViewMapping(index, xport, yport, wport, hport, xview, yview, wview, hview, angle, 0.0f);
    }
};

TEST_F(GameWindowTest, WithoutViewsTheMouseMapsThroughTheWindowScale)
{
    int32_t x = 0;
    int32_t y = 0;
    Window_MouseToRoom(320, 17, x, y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 17);
}

TEST_F(GameWindowTest, AViewMapsTheMouseIntoItsRoomRectangle)
{
    Map(0, 0, 0, 640, 480, 1000, 2000, 320, 240);
    int32_t x = 0;
    int32_t y = 0;
    Window_MouseToRoom(100, 50, x, y);
    EXPECT_EQ(x, 1050);
    EXPECT_EQ(y, 2025);
}

TEST_F(GameWindowTest, OverlappingViewsMapThroughTheHigherNumberedOne)
{
    Map(0, 0, 0, 640, 480, 0, 0, 640, 480);
    Map(3, 0, 0, 640, 480, 500, 500, 640, 480);
    int32_t x = 0;
    int32_t y = 0;
    Window_MouseToRoom(10, 10, x, y);
    EXPECT_EQ(x, 510);
    EXPECT_EQ(y, 510);
}

TEST_F(GameWindowTest, AMappingWithAnEmptyPortIsSkipped)
{
    Map(1, 0, 0, 640, 480, 100, 100, 640, 480);
    Map(2, 0, 0, 0, 480, 900, 900, 640, 480);
    int32_t x = 0;
    int32_t y = 0;
    EXPECT_FALSE(Window_ViewMouse(2, 5, 5, x, y));
    Window_MouseToRoom(5, 5, x, y);
    EXPECT_EQ(x, 105);
}

TEST_F(GameWindowTest, ARotatedViewTurnsTheMouseAboutItsCentre)
{
    Map(0, 0, 0, 640, 480, 0, 0, 640, 480, 180.0f);
    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(Window_ViewMouse(0, 20, 10, x, y));
    EXPECT_EQ(x, 620);
    EXPECT_EQ(y, 470);
}

TEST_F(GameWindowTest, RoomToScreenInvertsTheViewMapping)
{
    Map(0, 10, 20, 320, 240, 100, 100, 640, 480);
    float sx = 0.0f;
    float sy = 0.0f;
    ASSERT_TRUE(Window_RoomToScreen(0, 300.0f, 340.0f, sx, sy));
    EXPECT_FLOAT_EQ(sx, 110.0f);
    EXPECT_FLOAT_EQ(sy, 140.0f);
}

TEST_F(GameWindowTest, MappingIndicesOutsideTheTableAreIgnored)
{
    Map(32, 0, 0, 640, 480, 0, 0, 640, 480);
    Map(-1, 0, 0, 640, 480, 0, 0, 640, 480);
    EXPECT_EQ(Window_ViewMappingsInUse(), 0);
    Map(5, 0, 0, 640, 480, 0, 0, 640, 480);
    Map(5, 0, 0, 640, 480, 0, 0, 640, 480);
    EXPECT_EQ(Window_ViewMappingsInUse(), 1);
    Window_ClearViewMapping(5);
    Window_ClearViewMapping(5);
    EXPECT_EQ(Window_ViewMappingsInUse(), 0);
}

TEST_F(GameWindowTest, TheWindowColourDropsItsAlphaByte)
{
    Window_SetColour(255);
    EXPECT_EQ(Window_GetColour(), 255u);
    Window_SetColour(0xFF123456u);
    EXPECT_EQ(Window_GetColour(), 0x123456u);
}

TEST_F(GameWindowTest, SizeAndFullScreenChangesApplyAtTheNextFrameTick)
{
    Window_SetSize(320, 240);
    EXPECT_TRUE(Window_SizeChanged());
    EXPECT_EQ(GR_GetScreenWidth(), 640) << "not at once";
    EXPECT_EQ(test::DisplayResetsServedByOneTick(), 1);
    EXPECT_EQ(GR_GetScreenWidth(), 320);
    EXPECT_EQ(GR_GetScreenHeight(), 240);
    EXPECT_EQ(test::DisplayResetsServedByOneTick(), 0) << "served once";

    Window_SetRectangle(10, 20, 200, 100);
    EXPECT_EQ(test::DisplayResetsServedByOneTick(), 1);
    EXPECT_EQ(GR_GetScreenWidth(), 200);
    EXPECT_EQ(GR_GetScreenHeight(), 100);

    Window_SetFullscreen(true);
    EXPECT_EQ(test::DisplayResetsServedByOneTick(), 1);
    Window_ClearSizeChanged();
}

TEST_F(GameWindowTest, TheCaptionChangesOnlyWhenTheModeAllowsOrForced)
{
    Window_SetCaptionMode(0);
    Window_SetCaption("first", true);
    Window_SetCaption("second", false);
    EXPECT_EQ(Window_GetCaption(), "first");
    Window_SetCaptionMode(2);
    Window_SetCaption(nullptr, false);
    EXPECT_EQ(Window_GetCaption(), "");
}

}  // namespace
}  // namespace bw
