// Text on the recording device with a fixed-advance package font.
#include "resources/text.h"

#include <cmath>

#include "unit/graphics/draw_fixture.h"
#include "platform/string_list.h"
#include "resources/font.h"
#include "resources/font_table.h"
#include "unit/resources/font_chunk.h"

namespace bw {
namespace {

using test::FixedAdvanceGlyphs;
using test::FontImage;
using test::FontSpec;

constexpr float kSheetX = 16.0f;  // the font's page area on its texture
constexpr float kSheetY = 32.0f;

class TextTest : public DrawTest {
protected:
    void SetUp() override
    {
        DrawTest::SetUp();
        texture = MakeTexture(144, 128);  // on a 256 x 128 texture
        ASSERT_GE(texture, 0);
        FontSpec plan;
        plan.withPageEntry = true;
        plan.glyphs = FixedAdvanceGlyphs();
        FontImage image({plan}, static_cast<int16_t>(texture));
        ASSERT_TRUE(TPAG_Load(image.View(), image.tpagOffset, image.tpagLength));
        ASSERT_TRUE(Font_Load(image.View(), image.fontOffset, image.fontLength));
        GR_Text_SetFont(0);
        ASSERT_EQ(GR_Text_GetFont(), 0);
    }

    void TearDown() override
    {
        GR_Text_SetHAlign(0);
        GR_Text_SetVAlign(0);
        GR_Text_SetFont(-1);
        GR_Text_Shutdown();
        Font_ClearTable();
        DrawTest::TearDown();
    }

    static std::vector<std::u16string> Split(const char* text, int32_t maxWidth)
    {
        TStringList lines;
        GR_Text_Split(text, maxWidth, &lines);
        std::vector<std::u16string> out;
        for (int32_t i = 0; i < lines.Count(); ++i) {
            out.emplace_back(lines.Line(i));
        }
        return out;
    }

    // The top-left corner of each glyph quad drawn so far.
    std::vector<std::pair<float, float>> QuadCorners()
    {
        std::vector<std::pair<float, float>> corners;
        const std::vector<Vertex2DTex> v = DrawnTextured();
        for (size_t i = 0; i + 5 < v.size(); i += 6) {
            corners.emplace_back(v[i].x, v[i].y);
        }
        return corners;
    }

    int32_t texture = -1;
};

TEST_F(TextTest, SplitCutsLinesLikeTheScreenShowsThem)
{
    struct Case {
        const char* text;
        int32_t maxWidth;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {"a#b", -1, {u"a", u"b"}},
        {"a\\#b", -1, {u"a#b"}},
        {"a#", -1, {u"a"}},
        {"a\r\nb", -1, {u"a", u"", u"b"}},
        {"a\nb", -1, {u"a", u"b"}},
        {"a\r\nb", 100, {u"a", u"\nb"}},
        {"ab#cd", 100, {u"ab", u"cd"}},
        {"ab cd", 40, {u"ab", u"cd"}},
        {"ab   cd", 25, {u"ab", u"  cd"}},
        {"abcdefgh ij", 30, {u"abcdefgh", u"ij"}},
        {"abc", 5, {}},
        {"ab   ", 100, {u"ab"}},
        {"h\xC3\xA9", -1, {u"h\u00E9"}},
        {"", -1, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Split(c.text, c.maxWidth), c.lines) << c.text << " / " << c.maxWidth;
    }
}

TEST_F(TextTest, SplitOfNoTextLeavesTheListAlone)
{
    TStringList lines;
    GR_Text_Split("x#y", -1, &lines);
    GR_Text_Split(nullptr, -1, &lines);
    EXPECT_EQ(lines.Count(), 2);
}

TEST_F(TextTest, MeasuresTheWidestLineAndTheLineCount)
{
    EXPECT_EQ(GR_Text_Width("abc#i", -1, -1), 30);
    EXPECT_EQ(GR_Text_Height("abc#i#x", -1, -1), 36);
    EXPECT_EQ(GR_Text_Height("abc#i#x", 20, -1), 12 + 2 * 20);
    EXPECT_EQ(GR_Text_Width("", -1, -1), 1);
    EXPECT_EQ(GR_Text_Height("", -1, -1), 1);
    EXPECT_EQ(GR_Text_Width(nullptr, -1, -1), 1);
    // A character without a glyph measures as the first glyph.
    EXPECT_EQ(GR_Text_Width("a\xC3\xA9", -1, -1), 20);
}

TEST_F(TextTest, HorizontalAlignmentUsesHalfTheWidthRoundedTowardZero)
{
    struct Case {
        int32_t align;
        float left;
    };
    for (const Case& c : {Case{0, 100.0f}, Case{1, 97.0f}, Case{2, 93.0f}, Case{7, 100.0f}}) {
        GR_Text_SetHAlign(c.align);
        GR_Text_Draw(100, 50, "i", -1, -1);
        const auto corners = QuadCorners();
        ASSERT_EQ(corners.size(), 1u);
        EXPECT_FLOAT_EQ(corners[0].first, c.left - 0.5f) << c.align;
    }
}

TEST_F(TextTest, VerticalAlignmentMovesTheBlockOfLinesUp)
{
    struct Case {
        int32_t align;
        float top;
    };
    for (const Case& c : {Case{0, 50.0f}, Case{1, 38.0f}, Case{2, 26.0f}}) {
        GR_Text_SetVAlign(c.align);
        GR_Text_Draw(0, 50, "a#b", -1, -1);
        const auto corners = QuadCorners();
        ASSERT_EQ(corners.size(), 2u);
        EXPECT_FLOAT_EQ(corners[0].second, c.top - 0.5f) << c.align;
        EXPECT_FLOAT_EQ(corners[1].second, c.top + 12.0f - 0.5f) << c.align;
    }
}

TEST_F(TextTest, GlyphQuadsSpanTheGlyphWithHalfPixelMarginsOnScreenAndTexture)
{
    GR_SetColour(0x0000FF);
    GR_Text_Draw(10, 20, "a\xC3\xA9" "b", -1, -1);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 12u);  // the glyph-less character neither draws nor advances
    EXPECT_FLOAT_EQ(v[0].x, 9.5f);
    EXPECT_FLOAT_EQ(v[0].y, 19.5f);
    EXPECT_FLOAT_EQ(v[2].x, 18.5f);
    EXPECT_FLOAT_EQ(v[2].y, 32.5f);
    EXPECT_FLOAT_EQ(v[6].x, 19.5f);
    const float ax = static_cast<float>(('a' % 16) * 8);
    const float ay = static_cast<float>(('a' / 16 - 2) * 12);
    EXPECT_FLOAT_EQ(v[0].u, (kSheetX + ax - 0.5f) / 256.0f);
    EXPECT_FLOAT_EQ(v[0].v, (kSheetY + ay - 0.5f) / 128.0f);
    EXPECT_FLOAT_EQ(v[2].u, (kSheetX + ax + 8.5f) / 256.0f);
    EXPECT_FLOAT_EQ(v[2].v, (kSheetY + ay + 12.5f) / 128.0f);
    EXPECT_EQ(v[0].colour, 0xFFFF0000u);
}

TEST_F(TextTest, GlyphAlphaIsRounded)
{
    GR_Text_SelectFont()->DrawText(0, 0, u"a", 0xFFFFFF, 0.5f);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(v[0].colour, 0x80FFFFFFu);  // 127.5 -> 128
}

// Fonts without a page entry (the debug font, rasterised fonts) pack their
// glyphs without gaps: a half-pixel margin would show the neighbours.
TEST_F(TextTest, GlyphsWithoutAPageEntryCoverTheirRectangleExactly)
{
    CFontBW font;
    font.ConstructDebug({{'a', 8, 12, 5, 7, 6, 1}}, 'a', 'a', texture);
    font.DrawText(10, 20, u"aa", 0xFFFFFF, 1.0f);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 12u);
    EXPECT_FLOAT_EQ(v[0].x, 11.0f);
    EXPECT_FLOAT_EQ(v[0].y, 20.0f);
    EXPECT_FLOAT_EQ(v[2].x, 16.0f);
    EXPECT_FLOAT_EQ(v[2].y, 27.0f);
    EXPECT_FLOAT_EQ(v[6].x, 17.0f);
    EXPECT_FLOAT_EQ(v[0].u, 8.0f / 256.0f);
    EXPECT_FLOAT_EQ(v[2].v, 19.0f / 128.0f);
}

TEST_F(TextTest, ColourFormBlendsAcrossTheWholeLine)
{
    GR_Text_DrawColour(0, 0, "ab", -1, -1, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 1.0f);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 12u);
    EXPECT_EQ(v[0].colour, 0xFFFF0000u);   // top-left: c1
    EXPECT_EQ(v[4].colour, 0xFFFFFFFFu);   // bottom-left: c4
    EXPECT_EQ(v[7].colour, GR_ColourWithAlpha(GR_MergeColour(0x0000FF, 0x00FF00, 18.0f / 20.0f), 255));
}

TEST_F(TextTest, TransformedTextTurnsCounterClockwise)
{
    GR_Text_DrawTransformed(50, 50, "ab", -1, -1, 1, 1, 90);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 12u);
    EXPECT_NEAR(v[0].x, 49.5f, 1e-4);
    EXPECT_NEAR(v[0].y, 50.5f, 1e-4);
    // The pen goes up the screen; a glyph's height runs to the right.
    EXPECT_NEAR(v[6].y, 40.5f, 1e-4);
    EXPECT_NEAR(v[2].x, 50.0f + 12.5f, 1e-4);
}

TEST_F(TextTest, TransformedLinesStepAlongTheRotatedDownAxis)
{
    GR_Text_SetHAlign(2);
    GR_Text_DrawTransformed(0, 0, "ii#ii", 20, -1, 2, 1, 0);
    const auto corners = QuadCorners();
    ASSERT_EQ(corners.size(), 4u);
    EXPECT_FLOAT_EQ(corners[0].first, -28.0f - 0.5f);  // right-aligned: -(14 x 2)
    EXPECT_FLOAT_EQ(corners[2].second, 20.0f - 0.5f);
}

TEST_F(TextTest, AMissingCurrentFontFallsBackToTheDebugFont)
{
    GR_Text_SetFont(5);
    EXPECT_EQ(GR_Text_GetFont(), -1);
    GR_Text_SetFont(0);
    Font_Delete(0);
    CFontBW* active = GR_Text_SelectFont();
    ASSERT_NE(active, nullptr);
    EXPECT_STREQ(active->GetName(), "debug");
    EXPECT_EQ(GR_Text_GetFont(), 0);  // the id is kept; only the choice changes
    EXPECT_EQ(active->GetFirst(), 32);
    EXPECT_EQ(active->GetLast(), 136);
    EXPECT_GT(active->CharShift(' '), 0);
}

}  // namespace
}  // namespace bw
