#include <gtest/gtest.h>

#include <png.h>

#include <fstream>
#include <iterator>

#include "bwpack/font_raster.h"
#include "bwpack/image.h"

namespace bw::pack {
namespace {

TEST(Image, PngRoundTripKeepsEveryByte)
{
    Image image(3, 2);
    for (size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = static_cast<uint8_t>(i * 11);
    Image decoded;
    std::string reason;
    ASSERT_TRUE(Image_DecodePng(Image_EncodePng(image), &decoded, &reason)) << reason;
    EXPECT_EQ(decoded.width, 3);
    EXPECT_EQ(decoded.height, 2);
    EXPECT_EQ(decoded.rgba, image.rgba);
}

TEST(Image, GreyPngBecomesOpaqueRgba)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = 2;
    png.height = 1;
    png.format = PNG_FORMAT_GRAY;
    const uint8_t grey[2] = {0, 200};
    png_alloc_size_t size = 0;
    ASSERT_TRUE(png_image_write_get_memory_size(png, size, 0, grey, 0, nullptr));
    std::vector<uint8_t> bytes(size);
    ASSERT_TRUE(png_image_write_to_memory(&png, bytes.data(), &size, 0, grey, 0, nullptr));
    bytes.resize(size);

    Image image;
    std::string reason;
    ASSERT_TRUE(Image_DecodePng(bytes, &image, &reason)) << reason;
    EXPECT_EQ(image.rgba, (std::vector<uint8_t>{0, 0, 0, 255, 200, 200, 200, 255}));
}

TEST(Image, MaskRowsArePaddedToBytesLeftmostPixelHighBit)
{
    Image a(9, 2), b(9, 2);
    a.rgba[(0 * 9 + 0) * 4 + 3] = 1;    // (0, 0)
    a.rgba[(1 * 9 + 8) * 4 + 3] = 255;  // (8, 1)
    b.rgba[(0 * 9 + 7) * 4 + 3] = 9;    // (7, 0)
    EXPECT_EQ(Image_PackMask({&a}), (std::vector<uint8_t>{0x80, 0x00, 0x00, 0x80}));
    // A shared mask holds every frame's solid pixels.
    EXPECT_EQ(Image_PackMask({&a, &b}), (std::vector<uint8_t>{0x81, 0x00, 0x00, 0x80}));
}

TEST(Image, OpaqueBoxOfAClearImageIsNone)
{
    Box box;
    EXPECT_FALSE(Image_OpaqueBox(Image(5, 5), &box));
}

// Renders with DejaVu Sans, installed with the project's dependencies.
void Render(Font* font)
{
    std::ifstream in("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
    const std::vector<uint8_t> ttf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(ttf.empty()) << "fonts-dejavu-core is not installed";
    std::string reason;
    ASSERT_TRUE(FontRaster_Render(ttf, font, &reason)) << reason;
}

TEST(FontRaster, GlyphsAreLineHighCellsOnTheSheet)
{
    Font font;
    font.size = 12;
    font.first = 30;  // 30 and 31 are no characters of the face
    font.last = 66;
    ASSERT_NO_FATAL_FAILURE(Render(&font));
    EXPECT_EQ(font.face, "DejaVu Sans");
    ASSERT_EQ(font.glyphs.size(), 35u);
    EXPECT_EQ(font.glyphs.front().code, 32);
    EXPECT_EQ(font.glyphs.back().code, 66);
    EXPECT_EQ(font.glyphs.front().width, 0);  // a space draws nothing but advances
    EXPECT_GT(font.glyphs.front().shift, 0);
    for (const FontGlyph& glyph : font.glyphs) {
        EXPECT_EQ(glyph.height, font.glyphs.front().height);
        EXPECT_LE(glyph.x + glyph.width, font.sheet.width);
        EXPECT_LE(glyph.y + glyph.height, font.sheet.height);
    }
    // "A" has ink inside its cell and the ink is white.
    const FontGlyph& a = font.glyphs[65 - 32];
    const Image cell = font.sheet.Crop(a.x, a.y, a.width, a.height);
    Box box;
    ASSERT_TRUE(Image_OpaqueBox(cell, &box));
    for (size_t i = 0; i < cell.rgba.size(); i += 4) {
        if (cell.rgba[i + 3] != 0) {
            ASSERT_EQ(cell.rgba[i] & cell.rgba[i + 1] & cell.rgba[i + 2], 255);
        }
    }
}

TEST(FontRaster, WithoutAntialiasingCoverageIsAllOrNothing)
{
    Font font;
    font.antialias = false;
    font.first = 'O';
    font.last = 'O';
    ASSERT_NO_FATAL_FAILURE(Render(&font));
    size_t ink = 0;
    for (size_t i = 3; i < font.sheet.rgba.size(); i += 4) {
        ASSERT_TRUE(font.sheet.rgba[i] == 0 || font.sheet.rgba[i] == 255) << int{font.sheet.rgba[i]};
        ink += font.sheet.rgba[i] != 0;
    }
    EXPECT_GT(ink, 0u);
}

TEST(FontRaster, NonFontBytesAreRefused)
{
    Font font;
    std::string reason;
    EXPECT_FALSE(FontRaster_Render({1, 2, 3, 4}, &font, &reason));
    EXPECT_EQ(reason, "not a font file FreeType reads");
}

}  // namespace
}  // namespace bw::pack
