// Text on the OpenGL back end (headless): package, debug and system fonts against a golden image.
#include "unit/graphics/gl_golden_fixture.h"
#include "resources/text.h"
#include "graphics/texture_pages.h"
#include "resources/font_table.h"
#include "unit/resources/font_chunk.h"

namespace bw {
namespace {

constexpr int32_t kWidth = 128;
constexpr int32_t kHeight = 96;

// The glyphs of the package font: 5 x 7 cells one free texel apart, as
// packers leave them, on a sheet at (16, 32) of its texture (where the test
// font's page entry puts it).
struct PixelGlyph {
    char code;
    const char* rows[7];
};
constexpr PixelGlyph kGlyphs[] = {
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"}},
};

class TextGolden : public test::GoldenScreenTest<kWidth, kHeight> {
protected:
    void SetUp() override
    {
        GoldenScreenTest::SetUp();
        if (!HasFatalFailure()) {
            LoadPackageFont();
        }
    }

    void TearDown() override
    {
        GR_Text_SetHAlign(0);
        GR_Text_SetFont(-1);
        GR_Text_Shutdown();
        Font_FreeAll();
        TexturePages_Clear();
        GoldenScreenTest::TearDown();
    }

    void LoadPackageFont()
    {
        std::vector<uint32_t> pixels(160 * 64, 0x00FFFFFFu);
        test::FontSpec plan;
        plan.withPageEntry = true;
        int16_t x = 1;
        for (const PixelGlyph& glyph : kGlyphs) {
            for (int row = 0; row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (glyph.rows[row][column] == '#') {
                        pixels[static_cast<size_t>((33 + row) * 160 + 16 + x + column)] = 0xFFFFFFFFu;
                    }
                }
            }
            plan.glyphs.push_back({static_cast<uint16_t>(glyph.code), x, 1, 5, 7, 6, 0});
            x = static_cast<int16_t>(x + 6);
        }
        plan.glyphs.insert(plan.glyphs.begin(), test::GlyphSpec{' ', 0, 0, 0, 7, 4, 0});
        const int32_t sheet =
            Texture_CreateFromPixels(160, 64, reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size() * 4);
        ASSERT_GE(sheet, 0);
        test::FontImage image({plan}, static_cast<int16_t>(sheet));
        ASSERT_TRUE(TPAG_Load(image.View(), image.tpagOffset, image.tpagLength));
        ASSERT_TRUE(Font_Load(image.View(), image.fontOffset, image.fontLength));
    }
};

TEST_F(TextGolden, PackageDebugAndSystemFonts)
{
    GR_Text_SetFont(0);
    GR_SetColour(0xFFFFFF);
    GR_Text_Draw(2, 2, "HELLO#WORLD", -1, -1);
    GR_Text_SetHAlign(1);
    GR_SetColour(0x00FFFF);
    GR_Text_Draw(96, 2, "HELLO WORLD#OLD", 9, 40);
    GR_Text_SetHAlign(0);
    GR_Text_DrawColour(2, 24, "WORLD", -1, -1, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 1.0f);
    GR_Text_DrawTransformed(110, 90, "HELLO", -1, -1, 2, 2, 90);

    GR_Text_SetFont(-1);
    GR_SetColour(0x80FF80);
    GR_Text_Draw(2, 40, "Debug 123 {}", -1, -1);

    const int32_t added = Font_Add("DejaVu Sans", 10, true, false, 32, 127);
    GR_Text_SetFont(added);
    GR_SetColour(0xFFFFFF);
    GR_Text_Draw(2, 60, "font_add: Wg", -1, -1);

    ExpectGolden("text_fonts.png", 24);
    // Axis-aligned and point-filtered: the package font's pixels are exact.
    EXPECT_EQ(Pixel(2, 2), 0xFFFFFFFFu);      // H's top-left
    EXPECT_EQ(Pixel(3, 2), 0xFF202020u);      // the gap inside the H
    EXPECT_EQ(Pixel(2, 2 + 7), 0xFFFFFFFFu);  // W on the second line
}

}  // namespace
}  // namespace bw
