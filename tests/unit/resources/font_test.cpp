// The font table: the FONT reader (fields, the range word, glyph order, the
// character map, damaged chunks), glyph measuring, fonts rasterised from a
// face of the system and sprite fonts.
#include "resources/font.h"

#include <gtest/gtest.h>

#include <vector>

#include "resources/font_table.h"
#include "resources/sprite.h"
#include "unit/graphics/draw_fixture.h"
#include "unit/resources/font_chunk.h"
#include "unit/resources/sprite_test_support.h"

namespace bw {
namespace {

using test::FontImage;
using test::FontSpec;
using test::GlyphSpec;

class FontTable : public ::testing::Test {
protected:
    void TearDown() override { Font_ClearTable(); }

    static bool Load(const FontImage& image) { return Font_Load(image.View(), image.fontOffset, image.fontLength); }
};

TEST_F(FontTable, ReaderTakesTheRecordFieldsAndTheRangeWord)
{
    FontSpec plain;
    plain.name = "fnt_plain";
    plain.range = 0x01000020;
    plain.bold = 1;
    plain.xscale = 2.0f;
    plain.glyphs = {{'A', 0, 0, 5, 9, 6, 0}, {'B', 5, 0, 5, 14, 6, 1}};
    FontSpec styled;
    styled.name = "fnt_styled";
    styled.face = "Other";
    styled.range = 0x02030041;
    styled.italic = 1;
    styled.last = 90;
    FontImage image({plain, test::NamedFont(""), styled}, 0);
    ASSERT_TRUE(Load(image));
    ASSERT_EQ(Font_Count(), 3);
    const CFontBW* a = Font_Get(0);
    EXPECT_EQ((std::vector<int32_t>{a->GetFirst(), a->GetCharset(), a->GetAntialias(), a->GetSize(), a->GetHeight()}),
              (std::vector<int32_t>{32, 0, 0, 12, 14}));
    EXPECT_TRUE(a->GetBold());
    EXPECT_FALSE(a->GetItalic());
    EXPECT_STREQ(a->GetFaceName(), "Test Sans");
    EXPECT_EQ(a->GetXScale(), 2.0f);
    const CFontBW* b = Font_Get(2);
    EXPECT_EQ((std::vector<int32_t>{b->GetFirst(), b->GetCharset(), b->GetAntialias(), b->GetLast()}),
              (std::vector<int32_t>{0x41, 3, 1, 90}));
    EXPECT_FALSE(Font_Exists(1));
    EXPECT_STREQ(Font_GetName(1), "<undefined>");
    EXPECT_STREQ(Font_GetName(2), "fnt_styled");
    EXPECT_EQ(Font_Find("fnt_styled"), 2);
    EXPECT_EQ(Font_Find("fnt_missing"), -1);
}

TEST_F(FontTable, GlyphsAreFoundByCodeWhateverTheirStoredOrder)
{
    FontSpec plan;
    plan.glyphs = {{'c', 0, 0, 4, 4, 3, 0}, {'a', 0, 0, 4, 4, 1, 0}, {'b', 0, 0, 4, 4, 2, 0}};
    ASSERT_TRUE(Load(FontImage({plan}, 0)));
    const CFontBW* font = Font_Get(0);
    ASSERT_NE(font->FindGlyph('b'), nullptr);
    EXPECT_EQ(font->FindGlyph('b')->shift, 2);
    EXPECT_EQ(font->FindGlyph('z'), nullptr);
    // A missing character counts as the first glyph ('a').
    EXPECT_EQ(font->CharShift('z'), 1);
    const char16_t line[] = {'c', 0x263A, 0};
    EXPECT_EQ(font->TextWidth(line), 3 + 1);
    EXPECT_EQ(font->TextWidth(nullptr), 0);
}

TEST_F(FontTable, FontsWithoutGlyphsMeasureZero)
{
    ASSERT_TRUE(Load(FontImage({FontSpec{}}, 0)));
    // fontconfig substitutes a face for most names; an empty name has none.
    const int32_t unknownFace = Font_Add("", 12, false, false, 32, 127);
    for (const CFontBW* font : {Font_Get(0), Font_Get(unknownFace)}) {
        EXPECT_EQ(font->CharShift('a'), 0);
        EXPECT_EQ(font->TextWidth(u"abc"), 0);
    }
    EXPECT_EQ(Font_Get(0)->GetHeight(), 0);
}

TEST_F(FontTable, DamagedChunksAreRefusedWhole)
{
    FontSpec plan;
    plan.glyphs = {{'a', 0, 0, 4, 4, 1, 0}};
    struct Case {
        const char* what;
        uint32_t word;  // word of the record to overwrite (glyph offsets from 11)
        uint32_t value;
    };
    for (const Case& c : {Case{"name outside the image", 0, 0x7FFFFFF0u}, Case{"face outside the image", 1, 0xFFFFFFFFu},
                          Case{"page entry outside the image", 7, 0x7FFFFFF0u},
                          Case{"glyph count past the chunk", 10, 0x40000000u},
                          Case{"glyph outside the image", 11, 0xFFFFFFF0u}, Case{"empty glyph slot", 11, 0u}}) {
        FontImage image({test::NamedFont("good"), plan}, 0);
        uint32_t record = 0;
        std::memcpy(&record, image.View().Bytes(image.fontOffset + 8, 4), 4);
        image.Image().PatchU32(record + 4 * c.word, c.value);
        EXPECT_FALSE(Load(image)) << c.what;
        EXPECT_EQ(Font_Count(), 0) << c.what;
    }
    FontImage image({plan}, 0);
    EXPECT_FALSE(Font_Load(image.View(), image.fontOffset, 3)) << "list past the chunk";
    EXPECT_FALSE(Font_Load(image.View(), image.fontOffset, 8)) << "record past the chunk";
}

TEST_F(FontTable, RunTimeFontsAreAppendedAndNamedByIndex)
{
    ASSERT_TRUE(Load(FontImage({FontSpec{}}, 0)));
    const int32_t added = Font_Add("DejaVu Sans", 12, false, false, 32, 127);
    ASSERT_EQ(added, 1);
    EXPECT_STREQ(Font_GetName(added), "__newfont1");
    EXPECT_TRUE(Font_Delete(added));
    EXPECT_FALSE(Font_Delete(added));
    EXPECT_EQ(Font_Find("__newfont1"), -1);
    EXPECT_EQ(Font_Add("DejaVu Sans", 12, false, false, 32, 127), 2);
}

TEST_F(FontTable, SystemFontsAreRasterisedOverTheirRange)
{
    const int32_t index = Font_Add("DejaVu Sans", 12, true, false, -5, 300);
    const CFontBW* font = Font_Get(index);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetFirst(), 0);
    EXPECT_EQ(font->GetLast(), 255);
    EXPECT_EQ(font->GetAntialias(), 3);
    ASSERT_NE(font->FindGlyph('W'), nullptr);
    EXPECT_GT(font->CharShift('W'), font->CharShift('i'));
    EXPECT_GT(font->GetHeight(), 10);
    EXPECT_EQ(font->FindGlyph(0x263A), nullptr);
}

class SpriteFont : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        Sprite_ClearTable();
        Font_ClearTable();
        sprite = Sprite_CreateFromSurface();
        // Two frames of 4 x 2: ".##." and "#..."
        const std::vector<uint32_t> pixels = test::PicturePixels({".##.#...", ".##.#..."});
        ASSERT_TRUE(Sprite_Get(sprite)->LoadFromBitmap(pixels.data(), 8, 2, 2, true, true, false, 0, 0, true));
        Sprite_Get(sprite)->InitTexture();
    }
    void TearDown() override
    {
        Font_ClearTable();
        Sprite_ClearTable();
        DrawTest::TearDown();
    }
    int32_t sprite = -1;
};

TEST_F(SpriteFont, MapLongerThanTheFramesIsCutAndASpaceIsAdded)
{
    const CFontBW* font = Font_Get(Font_AddSpriteExt(sprite, "xyz", false, 1));
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->Glyphs().size(), 3u);
    EXPECT_EQ(font->Glyphs()[0].code, ' ');
    EXPECT_EQ(font->FindGlyph('z'), nullptr);
    EXPECT_EQ(font->FindGlyph('y')->width, 1);  // the frame index
    EXPECT_EQ(font->CharShift('x'), 4 + 1);
    EXPECT_EQ(font->CharShift(' '), 4 + 1);
    EXPECT_EQ(font->GetFirst(), ' ');
    EXPECT_EQ(font->GetLast(), ' ' + 3);
    EXPECT_EQ(font->GetHeight(), 2);
}

TEST_F(SpriteFont, ProportionalGlyphsSpanTheirOpaqueColumnsPlusTheSeparation)
{
    const CFontBW* font = Font_Get(Font_AddSpriteExt(sprite, "ab", true, 2));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->FindGlyph('a')->offset, -1);
    EXPECT_EQ(font->CharShift('a'), 2 + 2);
    EXPECT_EQ(font->FindGlyph('b')->offset, 0);
    EXPECT_EQ(font->CharShift('b'), 1 + 2);
}

TEST_F(SpriteFont, PackageMapGivesTheCharactersAndStopsAtItsEnd)
{
    std::array<uint16_t, 256> map{};
    for (size_t i = 0; i < map.size(); ++i) {
        map[i] = static_cast<uint16_t>(0x400 + i);
    }
    FontImage image({FontSpec{}}, 0, true, &map);
    ASSERT_TRUE(Font_Load(image.View(), image.fontOffset, image.fontLength));
    const CFontBW* font = Font_Get(Font_AddSprite(sprite, 10, false, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->FindGlyph(0x40A), nullptr);
    EXPECT_NE(font->FindGlyph(0x40B), nullptr);
    // Starting at the last entry: one frame has a character, the map ends.
    const CFontBW* last = Font_Get(Font_AddSprite(sprite, 255, false, 0));
    EXPECT_NE(last->FindGlyph(0x4FF), nullptr);
    EXPECT_EQ(last->Glyphs().size(), 2u);  // and the added space
    EXPECT_EQ(Font_Get(Font_AddSprite(sprite, 400, false, 0))->Glyphs().size(), 1u);  // only the added space
}

TEST_F(SpriteFont, ChunkWithoutACharacterMapMapsEachIndexToItself)
{
    FontImage image({FontSpec{}}, 0, false);
    ASSERT_TRUE(Font_Load(image.View(), image.fontOffset, image.fontLength));
    const CFontBW* font = Font_Get(Font_AddSprite(sprite, 'A', false, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->FindGlyph('A'), nullptr);
    EXPECT_NE(font->FindGlyph('B'), nullptr);
}

TEST_F(SpriteFont, DeletedSpriteDrawsNothing)
{
    const CFontBW* font = Font_Get(Font_AddSpriteExt(sprite, "ab", false, 0));
    font->DrawText(0, 0, u"ab", 0xFFFFFF, 1.0f);
    EXPECT_FALSE(DrawnTextured().empty());
    ASSERT_TRUE(Sprite_Delete(sprite));
    font->DrawText(0, 0, u"ab", 0xFFFFFF, 1.0f);
    EXPECT_TRUE(DrawnTextured().empty());
}

}  // namespace
}  // namespace bw
