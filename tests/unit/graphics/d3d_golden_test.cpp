// 3D shapes on the OpenGL back end (headless), lit, fogged and with back
// faces culled, against a golden image.
#include "gl_golden_fixture.h"
#include "graphics/graphics_3d.h"
#include "graphics/primitives_3d.h"

namespace bw {
namespace {

constexpr int32_t kWidth = 128;
constexpr int32_t kHeight = 96;

using GoldenShapes3D = test::GoldenScreenTest<kWidth, kHeight>;

// A checkerboard of white and orange squares of 16 x 16 texels that fills
// its texture (64 x 64, the smallest), so coordinates 0..1 cover it whole.
int32_t Checkerboard()
{
    std::vector<uint32_t> pixels(64 * 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            pixels[static_cast<size_t>(y * 64 + x)] = ((x / 16 + y / 16) % 2 == 0) ? 0xFFFFFFFFu : 0xFFFF8000u;
        }
    }
    return Texture_CreateFromPixels(64, 64, reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size() * 4);
}

TEST_F(GoldenShapes3D, LitFoggedTexturedBlockAndSphere)
{
    const int32_t texture = Checkerboard();
    ASSERT_GE(texture, 0);
    GR_3D_Set(true);
    GR_3D_TransformIdentity();
    GR_3D_ClearDepth();
    // Looking down at the origin from the front, z up.
    GR_3D_SetProjectionExt(0, -110, 70, 0, 0, 0, 0, 0, 1, 45, static_cast<float>(kWidth) / kHeight, 1, 1000);
    GR_SetCulling(true);
    GR_3D_SetLighting(true);
    GR_D3D_SetAmbient(0x404040);
    GR_D3D_DefineDirLight(0, 0.4f, 0.6f, -1.0f, 0xFFFFFF);
    GR_D3D_EnableLight(0, true);
    GR_3D_SetFog(true, 0xA0A0A0, 100, 190);
    GR_SetColour(0xFFFFFF);
    GR_3D_DrawBlock(-55, -20, -20, -10, 20, 20, texture, 2, 2);
    GR_3D_DrawEllipsoid(10, -22, -22, 54, 22, 22, texture, 4, 2, 24);
    ExpectGolden("d3d_block_sphere_lit_fogged.png", 24);
}

// 3D mode tests depth: a rectangle drawn later but further away stays behind
// the nearer one, and the orthographic view puts both where 2D would.
TEST_F(GoldenShapes3D, ALaterRectangleFurtherAwayStaysBehind)
{
    constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu;
    GR_3D_Set(true);
    GR_3D_SetPerspective(false);
    GR_SetViewProjection(0.0f, 0.0f, kWidth, kHeight, 0.0f);
    GR_3D_ClearDepth();
    GR_SetColour(0x0000FF);
    GR_3D_SetDepth(0.0f);
    GR_DrawRectangle(10, 10, 60, 60, 0);
    GR_SetColour(0xFF0000);
    GR_3D_SetDepth(100.0f);
    GR_DrawRectangle(30, 30, 90, 80, 0);
    EXPECT_EQ(Pixel(40, 40), kRed);  // the overlap: the nearer one
    EXPECT_EQ(Pixel(85, 75), kBlue);
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(90, 80), kBlue);
    EXPECT_EQ(Pixel(91, 81), 0xFF202020u);
}

// A new target's depth starts cleared: what the memory held before must not
// hide what 3D mode draws into it before any clear.
TEST_F(GoldenShapes3D, ANewTargetStartsWithItsDepthCleared)
{
    GR_3D_Set(true);
    GR_3D_SetPerspective(false);
    const int32_t target = Texture_CreateRenderTarget(kWidth, kHeight, kTextureUsageRenderTarget);
    ASSERT_GE(target, 0);
    ASSERT_TRUE(GR_SetRenderTargetTexture(0, Texture_Get(target)));
    GR_SetViewProjection(0.0f, 0.0f, kWidth, kHeight, 0.0f);
    GR_SetViewport(0, 0, kWidth, kHeight);
    GR_SetColour(0x0000FF);
    GR_3D_SetDepth(100.0f);
    GR_DrawRectangle(0, 0, kWidth, kHeight, 0);
    GR_VB_Flush();
    uint32_t pixel = 0;
    ASSERT_TRUE(Device_Get()->ReadRect(Texture_Get(target)->texture, 5, 5, 1, 1, &pixel));
    EXPECT_EQ(pixel, 0xFFFF0000u);
    ASSERT_TRUE(GR_SetRenderTargetTexture(0, Texture_Get(screen)));
}

}  // namespace
}  // namespace bw
