// The built-in image table and the fonts of the system.
#include "graphics/builtin_images.h"

#include <cstring>

#include "graphics/system_font.h"
#include "recording_fixture.h"

namespace bw {
namespace {

uint32_t Word(const uint8_t* bytes, size_t at)
{
    uint32_t word = 0;
    std::memcpy(&word, bytes + at, 4);
    return word;
}

TEST(BuiltinImages, TableEntriesPointAtTheirImagesInsideTheTable)
{
    size_t size = 0;
    const uint8_t* table = EmbeddedImage_Table(&size);
    ASSERT_EQ(Word(table, 0), static_cast<uint32_t>(kBuiltinImageCount));
    for (int32_t i = 0; i < kBuiltinImageCount; ++i) {
        const uint32_t entrySize = EmbeddedImage_GetSize(i);
        const uint8_t* data = EmbeddedImage_GetData(i);
        EXPECT_EQ(entrySize, Word(table, 4 + 8 * static_cast<size_t>(i))) << i;
        if (entrySize != 0) {
            ASSERT_NE(data, nullptr);
            EXPECT_LE(static_cast<size_t>(data - table) + entrySize, size);
        }
    }
    EXPECT_EQ(EmbeddedImage_GetData(0), nullptr);
    EXPECT_EQ(EmbeddedImage_GetData(kBuiltinImageCount), nullptr);
    EXPECT_EQ(EmbeddedImage_GetSize(-1), 0u);
}

TEST(BuiltinImages, ParticleShapesAreWhite64By64WithTheShapeInTheAlpha)
{
    for (int32_t i = 1; i <= 14; ++i) {
        const uint8_t* data = EmbeddedImage_GetData(i);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(Word(data, 4), 64u);
        EXPECT_EQ(Word(data, 8), 64u);
        const uint8_t* centre = data + 16 + (32 * 64 + 32) * 4;
        EXPECT_EQ(centre[0], 255) << i;
        EXPECT_EQ(centre[2], 255) << i;
    }
    // The disk is solid in the middle and clear in the corner.
    const uint8_t* disk = EmbeddedImage_GetData(2);
    EXPECT_EQ(disk[16 + (32 * 64 + 32) * 4 + 3], 255);
    EXPECT_EQ(disk[16 + 3], 0);
}

TEST(BuiltinImages, OverlayFontRectanglesLieOnTheSheet)
{
    if (EmbeddedImage_GetSize(kBuiltinOverlayFont) == 0) {
        GTEST_SKIP() << "no system font to draw the overlay font with";
    }
    const OverlayFontTable& font = EmbeddedImage_OverlayFont();
    const auto advance = [&font](unsigned char c) { return font.advance[c]; };
    EXPECT_GT(advance('A'), 0);
    EXPECT_LT(advance('i'), advance('W'));
    for (const OverlayGlyph& glyph : font.glyphs) {
        EXPECT_LE(glyph.x + glyph.width, kOverlayFontWidth);
        EXPECT_LE(glyph.y + glyph.height, kOverlayFontHeight);
    }
    EXPECT_GT(font.glyphs['A' - kOverlayFirstGlyph].width, 0);
}

TEST_F(RecordingDeviceTest, BuiltinImagesBecomeTextures)
{
    TextureRecord* shape = EmbeddedImage_CreateTexture(1);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->Width(), 64);
    GR_Texture_Free(shape);
    EXPECT_EQ(EmbeddedImage_CreateTexture(kBuiltinImageCount), nullptr);
}

class SystemFont : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (FontFace::Open("DejaVu Sans", 20, 0) == nullptr) {
            GTEST_SKIP() << "no system font";
        }
    }

    static int32_t CoveredRows(const FontGlyph& glyph)
    {
        int32_t rows = 0;
        for (int32_t y = 0; y < glyph.height; ++y) {
            bool full = true;
            for (int32_t x = 0; x < glyph.width; ++x) {
                full = full && glyph.alpha[static_cast<size_t>(y) * glyph.width + static_cast<size_t>(x)] == 255;
            }
            rows += full ? 1 : 0;
        }
        return rows;
    }
};

TEST_F(SystemFont, PositiveSizesAreCellHeightsAndNegativeOnesCharacterHeights)
{
    const auto cell = FontFace::Open("DejaVu Sans", 20, 0);
    EXPECT_NEAR(cell->CellHeight(), 20, 1);
    const auto character = FontFace::Open("DejaVu Sans", -20, 0);
    EXPECT_GT(character->CellHeight(), 20);  // the cell is taller than the em
}

TEST_F(SystemFont, UnderlineAndStrikeOutAreDrawnAcrossTheCell)
{
    const FontGlyph plain = FontFace::Open("DejaVu Sans", 20, 0)->Render(' ');
    const FontGlyph underlined = FontFace::Open("DejaVu Sans", 20, FontUnderline)->Render(' ');
    const FontGlyph both = FontFace::Open("DejaVu Sans", 20, FontUnderline | FontStrikeOut)->Render(' ');
    ASSERT_GT(plain.width, 0);
    EXPECT_EQ(CoveredRows(plain), 0);
    EXPECT_GE(CoveredRows(underlined), 1);
    EXPECT_GT(CoveredRows(both), CoveredRows(underlined));
}

TEST_F(SystemFont, TFontKeepsItsDescriptionAndRemakesTheFace)
{
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetSize(16);
    font.SetStyle(FontBold | FontItalic);
    font.SetTag(7);
    ASSERT_NE(font.GetHandle(), nullptr);
    TFont copy;
    copy.Assign(font);
    EXPECT_EQ(copy.GetName(), "DejaVu Sans");
    EXPECT_EQ(copy.GetSize(), 16);
    EXPECT_EQ(copy.GetStyle(), static_cast<uint32_t>(FontBold | FontItalic));
    EXPECT_EQ(copy.GetTag(), 7u);
    EXPECT_NE(copy.GetHandle(), nullptr);
    EXPECT_NE(copy.GetHandle(), font.GetHandle());
}

}  // namespace
}  // namespace bw
