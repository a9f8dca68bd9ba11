#include "graphics/screen.h"

#include "graphics/device/gl/gl_device.h"
#include "graphics/display.h"
#include "graphics/game_window.h"
#include "graphics/transforms.h"
#include "recording_fixture.h"
#include "world/run_loop.h"

namespace bw {
namespace {

RecordingDevice* g_made = nullptr;

std::unique_ptr<IGraphicsDevice> MakeRecordingDevice(const DeviceParameters& parameters)
{
    auto device = std::make_unique<RecordingDevice>();
    device->Reset(parameters);
    g_made = device.get();
    return device;
}

int g_surfaceResets = 0;
void CountSurfaceReset()
{
    ++g_surfaceResets;
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGraphicsEngine();
        Device_SetFactory(&MakeRecordingDevice);
        g_surfaceResets = 0;
        ScreenHooks hooks;
        hooks.resetSurfaceTarget = &CountSurfaceReset;
        GR_SetScreenHooks(hooks);
        Window_ResetViewMappings();
    }

    void TearDown() override
    {
        GR_D3D_FreeScreen();
        ResetGraphicsEngine();
        GR_D3D_Shutdown();
        GR_SetScreenHooks(ScreenHooks());
        Device_SetFactory(&GlDevice_Create);
        GR_SetFullscreenWish(false);
    }

    // The desktop of the offscreen video driver.
    static bool DesktopIs1024x768()
    {
        return GR_Display_GetWidth() == 1024 && GR_Display_GetHeight() == 768;
    }

    // The rectangle the last blit drew the screen texture over.
    static void BlitQuad(float& x0, float& y0, float& x1, float& y1)
    {
        const auto draws = g_made->Find("DrawPrimitiveUP");
        ASSERT_FALSE(draws.empty());
        Vertex2DTex quad[4];
        ASSERT_EQ(draws.back()->vertices.size(), sizeof(quad));
        std::memcpy(quad, draws.back()->vertices.data(), sizeof(quad));
        x0 = quad[0].x;
        y0 = quad[0].y;
        x1 = quad[2].x;
        y1 = quad[2].y;
    }
};

TEST_F(ScreenTest, AGameLargerThanTheDesktopIsClampedToIt)
{
    ASSERT_TRUE(GR_D3D_Init(40000, 30000, 0));
    EXPECT_EQ(GR_GetDisplayWidth(), GR_Display_GetWidth());
    EXPECT_EQ(GR_GetDisplayHeight(), GR_Display_GetHeight());
}

TEST_F(ScreenTest, FramesDrawIntoTheScreenTextureAndBlitToTheBackBuffer)
{
    // Full screen: the back buffer is the desktop, larger than the game.
    ASSERT_TRUE(GR_D3D_Init(320, 200, kGraphicsFullscreen));
    if (!DesktopIs1024x768()) {
        GTEST_SKIP() << "expects the offscreen driver's 1024 x 768 desktop";
    }
    ASSERT_TRUE(GR_D3D_Start_Frame());
    EXPECT_EQ(g_made->GetRenderTarget(), GR_GetScreenTexture()->texture);
    ASSERT_TRUE(GR_D3D_Finish_Frame(true));
    EXPECT_EQ(g_made->GetRenderTarget(), 0u);
    EXPECT_EQ(g_made->Count("Present"), 1u);
    const auto blits = g_made->Find("DrawPrimitiveUP");
    ASSERT_EQ(blits.size(), 1u);
    float x0, y0, x1, y1;
    BlitQuad(x0, y0, x1, y1);
    EXPECT_EQ(x0, 0.0f);
    EXPECT_EQ(x1, 1024.0f);
    EXPECT_EQ(y1, 768.0f);
}

// A game the window's size: drawn straight into the window once the window
// holds a frame, until something reads the screen texture.
class WindowSizedScreenTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        ASSERT_TRUE(GR_D3D_Init(320, 200, 0));
        ASSERT_TRUE(GR_D3D_Start_Frame());
        ASSERT_TRUE(GR_D3D_Finish_Frame(true));
        g_made->ClearCalls();
    }

    // Ends the open frame and starts the next; the target the next one
    // draws into.
    static DeviceTextureId NextFrame()
    {
        EXPECT_TRUE(GR_D3D_Finish_Frame(true));
        EXPECT_TRUE(GR_D3D_Start_Frame());
        return g_made->GetRenderTarget();
    }

    static uint32_t ScreenPixel()
    {
        const std::vector<uint32_t> pixel = GR_D3D_ReadScreenRect(320, 200, 5, 5, 1, 1);
        return pixel.size() == 1 ? pixel[0] : 0;
    }

    static constexpr uint32_t kGrey = 0xFF808080u;  // the same with red and blue swapped
};

TEST_F(WindowSizedScreenTest, FramesDrawIntoTheWindowWithoutACopy)
{
    ASSERT_TRUE(GR_D3D_Start_Frame());
    EXPECT_EQ(g_made->GetRenderTarget(), kDeviceWindowTarget);
    EXPECT_EQ(NextFrame(), kDeviceWindowTarget);
    EXPECT_EQ(g_made->Count("Present"), 1u);
    EXPECT_EQ(g_made->Count("DrawPrimitiveUP"), 0u);
    EXPECT_EQ(g_made->Count("CopyRect"), 0u);
    EXPECT_TRUE(GR_D3D_Finish_Frame(false));
}

// A new window, or one just reset to a new size, holds no frame: its first
// frame is drawn into the screen texture and copied there.
TEST_F(ScreenTest, AWindowWithoutAFrameGetsItsFirstFrameThroughTheScreenTexture)
{
    ASSERT_TRUE(GR_D3D_Init(320, 200, 0));
    const DeviceTextureId screen = GR_GetScreenTexture()->texture;
    ASSERT_TRUE(GR_D3D_Start_Frame());
    EXPECT_EQ(g_made->GetRenderTarget(), screen);
    ASSERT_TRUE(GR_D3D_Finish_Frame(true));
    ASSERT_TRUE(GR_D3D_Start_Frame());
    EXPECT_EQ(g_made->GetRenderTarget(), kDeviceWindowTarget);
    ASSERT_TRUE(GR_D3D_Finish_Frame(true));

    ASSERT_TRUE(GR_D3D_Reset());
    ASSERT_TRUE(GR_D3D_Start_Frame());
    EXPECT_EQ(g_made->GetRenderTarget(), GR_GetScreenTexture()->texture);
    ASSERT_TRUE(GR_D3D_Finish_Frame(true));
}

TEST_F(WindowSizedScreenTest, AWindowThatCannotBeATargetGetsTheScreenTextureCopied)
{
    g_made->windowTargetUsable = false;
    ASSERT_TRUE(GR_D3D_Start_Frame());
    const DeviceTextureId screen = GR_GetScreenTexture()->texture;
    EXPECT_EQ(g_made->GetRenderTarget(), screen);
    EXPECT_EQ(NextFrame(), screen);
    const auto copies = g_made->Find("CopyRect");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0]->args[0], kDeviceWindowTarget);
    EXPECT_TRUE(GR_D3D_Finish_Frame(false));
}

TEST_F(WindowSizedScreenTest, AReadMovesTheFrameIntoTheScreenTextureWithWhatItDrew)
{
    ASSERT_TRUE(GR_D3D_Start_Frame());
    GR_SetViewport(10, 20, 100, 50);
    GR_D3D_Clear(kGrey, 1.0f, 0, 7);
    EXPECT_EQ(ScreenPixel(), kGrey);
    const DeviceTextureId screen = GR_GetScreenTexture()->texture;
    EXPECT_EQ(g_made->GetRenderTarget(), screen);
    const RecordedCall* viewport = g_made->Find("SetViewport").back();
    EXPECT_EQ(viewport->args, (std::vector<uint32_t>{10, 20, 100, 50, viewport->args[4], viewport->args[5]}));

    // The frame reaches the window as a copy, and the next ones stay on the
    // texture for a while.
    EXPECT_EQ(NextFrame(), screen);
    const RecordedCall* copy = g_made->Find("CopyRect").back();
    EXPECT_EQ(copy->args, (std::vector<uint32_t>{kDeviceWindowTarget, 0, 0, screen, 0, 0, 320, 200}));
    int frames = 1;
    while (NextFrame() == screen && frames < 1000) {
        ++frames;
    }
    EXPECT_GT(frames, 1);
    EXPECT_LT(frames, 1000);
    EXPECT_EQ(g_made->GetRenderTarget(), kDeviceWindowTarget);
    EXPECT_TRUE(GR_D3D_Finish_Frame(false));
}

TEST_F(WindowSizedScreenTest, AReadBeforeTheFrameDrawsGetsTheImageLastShown)
{
    ASSERT_TRUE(GR_D3D_Start_Frame());
    GR_D3D_Clear(kGrey, 1.0f, 0, 7);
    EXPECT_EQ(NextFrame(), kDeviceWindowTarget);
    EXPECT_EQ(ScreenPixel(), kGrey);
    EXPECT_EQ(g_made->GetRenderTarget(), GR_GetScreenTexture()->texture);
    EXPECT_TRUE(GR_D3D_Finish_Frame(false));
}

// The window's new size leaves nothing in it; the last frame drawn lives on
// in the new screen texture for reads made before the next frame.
TEST_F(WindowSizedScreenTest, TheLastFrameOutlivesAReset)
{
    ASSERT_TRUE(GR_D3D_Start_Frame());
    ASSERT_EQ(g_made->GetRenderTarget(), kDeviceWindowTarget);
    GR_D3D_Clear(kGrey, 1.0f, 0, 7);
    ASSERT_TRUE(GR_D3D_Finish_Frame(true));
    Window_SetSize(160, 100);
    ASSERT_TRUE(Graphics::Reset());
    ASSERT_EQ(GR_GetScreenTexture()->Width(), 160);
    EXPECT_EQ(ScreenPixel(), kGrey);
    Run_ResetLoopState();
}

// A size the device refuses leaves the game the screen it had, and the frame
// open across the failed reset goes on in it.
TEST_F(WindowSizedScreenTest, AFailedResetKeepsTheScreen)
{
    ASSERT_TRUE(GR_D3D_Start_Frame());
    GR_D3D_Clear(kGrey, 1.0f, 0, 7);
    ASSERT_EQ(ScreenPixel(), kGrey);
    g_made->refuseResets = true;
    Window_SetSize(160, 100);
    EXPECT_FALSE(Graphics::Reset());
    const TextureRecord* screen = GR_GetScreenTexture();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->Width(), 320);
    EXPECT_EQ(g_made->GetRenderTarget(), screen->texture);
    EXPECT_EQ(ScreenPixel(), kGrey);
    EXPECT_TRUE(GR_D3D_Finish_Frame(true));
    int32_t w = 0;
    int32_t h = 0;
    GR_GetBackBufferSize(w, h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
    Run_ResetLoopState();
}

TEST_F(WindowSizedScreenTest, ASizeWithASideOfZeroIsRefused)
{
    Window_SetRectangle(0, 0, 0, 0);
    ASSERT_TRUE(Graphics::Reset());
    const TextureRecord* screen = GR_GetScreenTexture();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->Width(), 320);
    EXPECT_EQ(GR_GetScreenWidth(), 320);
    Run_ResetLoopState();
}

TEST_F(ScreenTest, AFrameEndingOnASurfaceUnwindsBeforeTheBlit)
{
    ASSERT_TRUE(GR_D3D_Init(320, 200, 0));
    ASSERT_TRUE(GR_D3D_Start_Frame());
    TextureRecord* surface = GR_Texture_Create(32, 32, 1, kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
    ASSERT_TRUE(GR_PushRenderTarget());
    ASSERT_TRUE(GR_SetRenderTargetTexture(0, surface));
    ASSERT_TRUE(GR_D3D_Finish_Frame(false));

    EXPECT_EQ(g_surfaceResets, 1);
    EXPECT_EQ(GR_RenderTargetDepth(), 0);
    DeviceTextureId targetAtBlit = 1234;
    for (const RecordedCall& call : g_made->Calls()) {
        if (call.name == "SetRenderTarget") {
            targetAtBlit = call.args[0];
        } else if (call.name == "DrawPrimitiveUP") {
            break;
        }
    }
    EXPECT_EQ(targetAtBlit, 0u);
    GR_Texture_Free(surface);
}

TEST_F(ScreenTest, AResetWhileAFrameIsOpenRetargetsTheNewScreenTexture)
{
    ASSERT_TRUE(GR_D3D_Init(320, 200, 0));
    ASSERT_TRUE(GR_D3D_Start_Frame());
    Window_SetSize(160, 100);
    EXPECT_EQ(GR_GetScreenWidth(), 320);  // nothing happens before the reset
    ASSERT_TRUE(Graphics::Reset());
    TextureRecord* screen = GR_GetScreenTexture();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->Width(), 160);
    EXPECT_EQ(screen->Height(), 100);
    EXPECT_EQ(g_made->GetRenderTarget(), screen->texture);
    EXPECT_EQ(GR_GetScreenWidth(), 160);
    EXPECT_TRUE(GR_D3D_Finish_Frame(false));
    Run_ResetLoopState();
}

TEST_F(ScreenTest, AnUnsupportedMultisampleCountFallsBackToNone)
{
    ASSERT_TRUE(GR_D3D_Init(320, 200, 0));
    GR_D3D_SetAntiAlias(4);
    g_made->ClearCalls();
    ASSERT_TRUE(GR_D3D_Reset());
    const auto resets = g_made->Find("Reset");
    ASSERT_EQ(resets.size(), 1u);
    EXPECT_EQ(resets[0]->args[4], 0u);
}

TEST_F(ScreenTest, KeepAspectLetterboxesTheImage)
{
    ASSERT_TRUE(GR_D3D_Init(800, 400, kGraphicsFullscreen | kGraphicsKeepAspect));
    if (!DesktopIs1024x768()) {
        GTEST_SKIP() << "expects the offscreen driver's 1024 x 768 desktop";
    }
    ASSERT_TRUE(GR_D3D_Start_Frame());
    ASSERT_TRUE(GR_D3D_Finish_Frame(false));
    float x0, y0, x1, y1;
    BlitQuad(x0, y0, x1, y1);
    EXPECT_EQ(x0, 0.0f);
    EXPECT_EQ(x1, 1024.0f);
    EXPECT_EQ(y0, 128.0f);
    EXPECT_EQ(y1, 640.0f);
    int32_t x = -1;
    int32_t y = -1;
    GR_D3D_GetLetterbox(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 128);
}

TEST_F(ScreenTest, WithoutKeepAspectTheImageFillsTheBackBuffer)
{
    ASSERT_TRUE(GR_D3D_Init(800, 400, kGraphicsFullscreen));
    ASSERT_TRUE(GR_D3D_Start_Frame());
    ASSERT_TRUE(GR_D3D_Finish_Frame(false));
    int32_t bbW = 0;
    int32_t bbH = 0;
    GR_GetBackBufferSize(bbW, bbH);
    float x0, y0, x1, y1;
    BlitQuad(x0, y0, x1, y1);
    EXPECT_EQ(y0, 0.0f);
    EXPECT_EQ(x1, static_cast<float>(bbW));
    EXPECT_EQ(y1, static_cast<float>(bbH));
}

TEST_F(ScreenTest, NothingHappensWithoutADevice)
{
    EXPECT_FALSE(GR_D3D_Start_Frame());
    EXPECT_FALSE(GR_D3D_Finish_Frame(true));
    EXPECT_FALSE(GR_D3D_Reset());
    EXPECT_TRUE(GR_D3D_ReadScreenRect(10, 10, 0, 0, 3, 5).empty());
}

TEST_F(ScreenTest, ReadingTheScreenIsCutToTheScreen)
{
    ASSERT_TRUE(GR_D3D_Init(320, 200, 0));
    EXPECT_EQ(GR_D3D_ReadScreenRect(320, 200, 1, 1, 3, 5).size(), 15u);
    EXPECT_EQ(GR_D3D_ReadScreenRect(320, 200, -2, 198, 5, 5).size(), 6u);
}

}  // namespace
}  // namespace bw
