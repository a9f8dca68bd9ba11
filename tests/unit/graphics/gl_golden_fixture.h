// Tests on the OpenGL back end (headless): the hidden window whose context
// they draw with, a screen set up as room drawing sets it, and what was drawn
// against an image of tests/golden/. BW_UPDATE_GOLDEN=1 rewrites the images.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "graphics/device/gl/gl_device.h"
#include "graphics/draw_2d.h"
#include "graphics/render_state.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "host/window.h"
#include "recording_fixture.h"
#include "support/png_file.h"

namespace bw::test {

// `actual` against tests/golden/<name>; at most `tolerance` pixels may differ.
inline void ExpectGoldenImage(const PngImage& actual, const char* name, size_t tolerance)
{
    const std::filesystem::path golden = std::filesystem::path(BW_TESTS_DIR) / "golden" / name;
    if (std::getenv("BW_UPDATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(Png_Write(golden.string(), actual));
    }
    PngImage expected;
    ASSERT_TRUE(Png_Read(golden.string(), expected)) << golden;
    ASSERT_EQ(expected.width, actual.width);
    ASSERT_EQ(expected.height, actual.height);
    size_t differences = 0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
        differences += actual.pixels[i] != expected.pixels[i] ? 1 : 0;
    }
    EXPECT_LE(differences, tolerance);
}

// `width` x `height` of a device texture against tests/golden/<name>, its
// alpha ignored as the window shows none.
inline void ExpectGoldenTexture(DeviceTextureId texture, int32_t width, int32_t height, const char* name,
                                size_t tolerance)
{
    GR_VB_Flush();
    PngImage actual{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height))};
    ASSERT_TRUE(Device_Get()->ReadRect(texture, 0, 0, width, height, actual.pixels.data()));
    for (uint32_t& pixel : actual.pixels) {
        pixel |= 0xFF000000u;
    }
    ExpectGoldenImage(actual, name, tolerance);
}

// Pixel space of a w x h target: x right, y down, no half-pixel correction.
inline Matrix PixelSpace(int32_t w, int32_t h)
{
    Matrix m{};
    m.m[0] = 2.0f / static_cast<float>(w);
    m.m[5] = -2.0f / static_cast<float>(h);
    m.m[10] = 1.0f;
    m.m[12] = -1.0f;
    m.m[13] = 1.0f;
    m.m[15] = 1.0f;
    return m;
}

// A GL device with a w x h back buffer as the one device; null when the
// driver gives none.
inline IGraphicsDevice* InstallGlDevice(int32_t w, int32_t h)
{
    DeviceParameters parameters;
    parameters.backBufferWidth = w;
    parameters.backBufferHeight = h;
    std::unique_ptr<IGraphicsDevice> created = GlDevice_Create(parameters);
    IGraphicsDevice* device = created.get();
    Device_Set(std::move(created));
    return device;
}

// One hidden window for the whole suite (64 x 64 unless WindowSide is 0,
// which takes the default size): making a GL context is slow.
template <int32_t WindowSide = 64>
class HiddenWindowTestOf : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        HostWindowSettings settings;
        if (WindowSide > 0) {
            settings.width = WindowSide;
            settings.height = WindowSide;
        }
        ASSERT_TRUE(HostWindow_Create(settings));
    }

    static void TearDownTestSuite() { HostWindow_Destroy(); }
};
using HiddenWindowTest = HiddenWindowTestOf<64>;

// A Width x Height render target as the screen, with a room of that size
// seen whole through the view, cleared to dark grey, point-filtered.
template <int32_t Width, int32_t Height>
class GoldenScreenTest : public HiddenWindowTest {
protected:
    void SetUp() override
    {
        ResetGraphicsEngine();
        ASSERT_NE(InstallGlDevice(Width, Height), nullptr);
        Texture_ResetTable();
        GR_Draw2D_Reset();
        GR_ApplyRenderState();
        GR_SetInterpolation(false);
        screen = Texture_CreateRenderTarget(Width, Height, kTextureUsageRenderTarget);
        ASSERT_GE(screen, 0);
        ASSERT_TRUE(GR_PushRenderTarget());
        ASSERT_TRUE(GR_SetRenderTargetTexture(0, Texture_Get(screen)));
        GR_SetProjectionReferenceSource(&ScreenRoom);
        GR_SetViewProjection(0.0f, 0.0f, Width, Height, 0.0f);
        GR_SetViewport(0, 0, Width, Height);
        GR_Clear(0xFF202020u);
    }

    void TearDown() override
    {
        Texture_FreeAll();
        GR_SetProjectionReferenceSource(nullptr);
        ResetGraphicsEngine();
        Device_Set(nullptr);
    }

    // The screen against tests/golden/<name>.
    void ExpectGolden(const char* name, size_t tolerance)
    {
        GR_VB_Flush();
        PngImage actual{Width, Height, std::vector<uint32_t>(static_cast<size_t>(Width * Height))};
        ASSERT_TRUE(Device_Get()->ReadRect(Texture_Get(screen)->texture, 0, 0, Width, Height, actual.pixels.data()));
        ExpectGoldenImage(actual, name, tolerance);
    }

    uint32_t Pixel(int32_t x, int32_t y)
    {
        GR_VB_Flush();
        uint32_t pixel = 0;
        EXPECT_TRUE(Device_Get()->ReadRect(Texture_Get(screen)->texture, x, y, 1, 1, &pixel));
        return pixel;
    }

    int32_t screen = -1;

private:
    static ProjectionReference ScreenRoom()
    {
        return ProjectionReference{true, static_cast<float>(Width), static_cast<float>(Height), false, 0, 0, 0, 0};
    }
};

}  // namespace bw::test
