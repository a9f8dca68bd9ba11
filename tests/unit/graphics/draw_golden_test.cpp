// The drawers on the OpenGL back end (headless), against golden images.
#include "gl_golden_fixture.h"
#include "graphics/draw_textured.h"
#include "graphics/surfaces.h"
#include "graphics/texture_pages.h"

namespace bw {
namespace {

constexpr int32_t kWidth = 96;
constexpr int32_t kHeight = 64;
constexpr uint32_t kWhite = 0xFFFFFF;

class GoldenDrawing : public test::GoldenScreenTest<kWidth, kHeight> {
protected:
    void TearDown() override
    {
        Surface_FreeAll();
        GoldenScreenTest::TearDown();
    }

    // A 16 x 16 image of four 8 x 8 quadrants: red, green / blue, white.
    int32_t QuadrantPage()
    {
        std::vector<uint32_t> pixels(16 * 16);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                static constexpr uint32_t kQuadrants[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
                pixels[static_cast<size_t>(y * 16 + x)] = kQuadrants[(y / 8) * 2 + x / 8];
            }
        }
        return Texture_CreateFromPixels(16, 16, reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size() * 4);
    }
};

TEST_F(GoldenDrawing, QuadrantPageDrawnScaledRotatedInPartAndTiled)
{
    const int32_t page = QuadrantPage();
    ASSERT_GE(page, 0);
    // The stored 16 x 16 image sits at (2, 2) of a 20 x 20 frame.
    TexturePageEntry entry{0, 0, 16, 16, 2, 2, 16, 16, 20, 20, static_cast<int16_t>(page)};
    GR_TPE_DrawTiled(&entry, 0, 0, 0, 0, 0.5f, 0.5f, 1, 1, TileArea{0, 0, kWidth, kHeight}, kWhite, 0.5f);
    GR_TPE_Draw(&entry, 0, 0);
    GR_TPE_DrawExt(&entry, 0, 0, 20, 0, 2, 2, 0, kWhite, 1);
    GR_TPE_DrawExt(&entry, 10, 10, 76, 16, 1, 1, 3.1415927f / 2, kWhite, 1);
    GR_TPE_DrawPart(&entry, 6, 6, 8, 8, 4, 40, 2, 2, 0, kWhite, 1);
    GR_TPE_DrawGeneral(&entry, 0, 0, 20, 20, 66, 34, 1, 1, 0.3f, 0xFFFFFF, 0x0000FF, 0xFFFFFF, 0x00FFFF, 1);
    ExpectGolden("draw_textured_quadrants.png", 24);
    // Axis-aligned and point-filtered: exact. The plain draw's top-left
    // texel is red; the doubled copy's lower-right quadrant is white.
    EXPECT_EQ(Pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(Pixel(24 + 31, 4 + 31), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(4, 40), 0xFFFF0000u);  // the part starts in the red quadrant, 4 texels from its corner
    EXPECT_EQ(Pixel(4 + 8, 40 + 8), 0xFFFFFFFFu);
}

TEST_F(GoldenDrawing, ShapesIncludingTheElevenByElevenRectangle)
{
    GR_SetColour(0xFFFFFF);
    GR_DrawRectangle(0, 0, 10, 10, 1);
    GR_SetColour(0x0000FF);
    GR_DrawRectangle(14, 0, 24, 10, 0);
    GR_SetColour(0x00FF00);
    GR_DrawCircle(38, 8, 7, 0);
    GR_DrawEllipseColour(50, 2, 70, 14, 0xFF0000, 0x00FFFF, 0);
    GR_SetColour(0xFFFF00);
    GR_DrawLine(0, 20, 30, 30);
    GR_DrawLineWidth(0, 36, 30, 44, 3);
    GR_DrawTriangleColour(36, 20, 56, 24, 40, 40, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    GR_DrawRectangleColour(60, 20, 90, 30, 0x000000, 0x0000FF, 0xFFFFFF, 0x00FF00, 0);
    GR_DrawHealthbar(60, 34, 90, 40, 75, 0x404040, 0x0000FF, 0x00FFFF, 0x00FF00, 0, true, true);
    GR_SetColour(0xFF00FF);
    GR_DrawRoundRect(2, 48, 30, 62, 8, 8, 1);
    GR_DrawArrow(36, 56, 60, 50, 8);
    GR_DrawButton(66, 46, 90, 62, 1);
    ExpectGolden("draw_shapes.png", 24);
    for (int y = 0; y <= 11; ++y) {
        for (int x = 0; x <= 11; ++x) {
            const bool lit = x <= 10 && y <= 10 && (x == 0 || x == 10 || y == 0 || y == 10);
            EXPECT_EQ(Pixel(x, y) == 0xFFFFFFFFu, lit) << x << "," << y;
        }
    }
}

TEST_F(GoldenDrawing, SurfaceDrawnIntoThenDrawnInTheSameFrame)
{
    const int32_t surface = Surface_Create(16, 16);
    ASSERT_GE(surface, 0);
    GR_SetColour(0xFFFFFF);
    GR_DrawRectangle(40, 40, 50, 50, 0);  // before: lands on the screen
    ASSERT_TRUE(Surface_SetTarget(surface));
    GR_Clear(0xFFFF0000u);  // blue
    GR_SetColour(0x0000FF);
    GR_DrawRectangle(4, 4, 11, 11, 0);
    GR_DrawRectangle(0, 0, 15, 15, 1);
    ASSERT_TRUE(Surface_ResetTarget());
    Surface_Draw(surface, 8, 8);
    Surface_DrawStretched(surface, 60, 8, 32, 32, kWhite, 1);
    ExpectGolden("draw_surface_in_frame.png", 0);
    EXPECT_EQ(Pixel(8 + 6, 8 + 6), 0xFFFF0000u);
    EXPECT_EQ(Pixel(8 + 2, 8 + 2), 0xFF0000FFu);
    EXPECT_EQ(Pixel(45, 45), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace bw
