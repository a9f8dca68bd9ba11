// Text on the OpenGL back end (headless) against a golden image: a package
// font with a hand-drawn 5 x 7 sheet (plain, centred, four-colour and
// rotated), the built-in debug font and a font rasterised from a face of the
// system. BW_UPDATE_GOLDEN=1 rewrites the image.
#include <cstdlib>
#include <filesystem>

#include "graphics/device/gl/gl_device.h"
#include "graphics/draw_2d.h"
#include "graphics/render_state.h"
#include "graphics/text.h"
#include "graphics/texture_pages.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "host/window.h"
#include "recording_fixture.h"
#include "resources/font_table.h"
#include "support/png_file.h"
#include "unit/resources/font_chunk.h"

namespace bw {
namespace {

constexpr int32_t kWidth = 128;
constexpr int32_t kHeight = 96;

ProjectionReference GoldenRoom()
{
    return ProjectionReference{true, static_cast<float>(kWidth), static_cast<float>(kHeight), false, 0, 0, 0, 0};
}

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

class TextGolden : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HostWindowSettings settings;
        settings.width = 64;
        settings.height = 64;
        ASSERT_TRUE(HostWindow_Create(settings));
    }

    static void TearDownTestSuite() { HostWindow_Destroy(); }

    void SetUp() override
    {
        ResetGraphicsEngine();
        DeviceParameters parameters;
        parameters.backBufferWidth = kWidth;
        parameters.backBufferHeight = kHeight;
        std::unique_ptr<IGraphicsDevice> created = GlDevice_Create(parameters);
        ASSERT_NE(created, nullptr);
        Device_Set(std::move(created));
        Texture_ResetTable();
        GR_Draw2D_Reset();
        GR_ApplyRenderState();
        GR_SetInterpolation(false);
        screen = Texture_CreateRenderTarget(kWidth, kHeight, kTextureUsageRenderTarget);
        ASSERT_GE(screen, 0);
        ASSERT_TRUE(GR_PushRenderTarget());
        ASSERT_TRUE(GR_SetRenderTargetTexture(0, Texture_Get(screen)));
        GR_SetProjectionReferenceSource(&GoldenRoom);
        GR_SetViewProjection(0.0f, 0.0f, kWidth, kHeight, 0.0f);
        GR_SetViewport(0, 0, kWidth, kHeight);
        GR_Clear(0xFF202020u);
        LoadPackageFont();
    }

    void TearDown() override
    {
        GR_Text_SetHAlign(0);
        GR_Text_SetFont(-1);
        GR_Text_Shutdown();
        Font_FreeAll();
        TexturePages_Clear();
        Texture_FreeAll();
        GR_SetProjectionReferenceSource(nullptr);
        ResetGraphicsEngine();
        Device_Set(nullptr);
    }

    void LoadPackageFont()
    {
        std::vector<uint32_t> pixels(160 * 64, 0x00FFFFFFu);
        test::FontSpec spec;
        spec.withPageEntry = true;
        int16_t x = 1;
        for (const PixelGlyph& glyph : kGlyphs) {
            for (int row = 0; row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (glyph.rows[row][column] == '#') {
                        pixels[static_cast<size_t>((33 + row) * 160 + 16 + x + column)] = 0xFFFFFFFFu;
                    }
                }
            }
            spec.glyphs.push_back({static_cast<uint16_t>(glyph.code), x, 1, 5, 7, 6, 0});
            x = static_cast<int16_t>(x + 6);
        }
        spec.glyphs.insert(spec.glyphs.begin(), test::GlyphSpec{' ', 0, 0, 0, 7, 4, 0});
        const int32_t sheet =
            Texture_CreateFromPixels(160, 64, reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size() * 4);
        ASSERT_GE(sheet, 0);
        test::FontImage image({spec}, static_cast<int16_t>(sheet));
        ASSERT_TRUE(TPAG_Load(image.View(), image.tpagOffset, image.tpagLength));
        ASSERT_TRUE(Font_Load(image.View(), image.fontOffset, image.fontLength));
    }

    void ExpectGolden(const char* name, size_t tolerance)
    {
        GR_VB_Flush();
        test::PngImage actual;
        actual.width = kWidth;
        actual.height = kHeight;
        actual.pixels.resize(static_cast<size_t>(kWidth * kHeight));
        ASSERT_TRUE(Device_Get()->ReadRect(Texture_Get(screen)->texture, 0, 0, kWidth, kHeight, actual.pixels.data()));
        const std::filesystem::path golden =
            std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "golden" / name;
        if (std::getenv("BW_UPDATE_GOLDEN") != nullptr) {
            ASSERT_TRUE(test::Png_Write(golden.string(), actual));
        }
        test::PngImage expected;
        ASSERT_TRUE(test::Png_Read(golden.string(), expected)) << golden;
        ASSERT_EQ(expected.pixels.size(), actual.pixels.size());
        size_t differences = 0;
        for (size_t i = 0; i < actual.pixels.size(); ++i) {
            differences += actual.pixels[i] != expected.pixels[i] ? 1 : 0;
        }
        EXPECT_LE(differences, tolerance);
    }

    uint32_t Pixel(int32_t x, int32_t y)
    {
        GR_VB_Flush();
        uint32_t pixel = 0;
        EXPECT_TRUE(Device_Get()->ReadRect(Texture_Get(screen)->texture, x, y, 1, 1, &pixel));
        return pixel;
    }

    int32_t screen = -1;
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
