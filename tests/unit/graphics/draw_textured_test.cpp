// The textured-quad drawers on the recording device.
#include "graphics/draw_textured.h"

#include <cmath>

#include "draw_fixture.h"

namespace bw {
namespace {

struct XY {
    float x, y;
    bool operator==(const XY&) const = default;
};

std::vector<XY> Positions(const std::vector<Vertex2DTex>& vertices)
{
    std::vector<XY> out;
    for (const Vertex2DTex& v : vertices) {
        out.push_back({v.x, v.y});
    }
    return out;
}

class TexturedDrawing : public DrawTest {
protected:
    // A 100 x 50 image on a 128 x 64 texture, and a page entry on it.
    void SetUp() override
    {
        DrawTest::SetUp();
        texture = MakeTexture(100, 50);
        ASSERT_GE(texture, 0);
        entry = TexturePageEntry{10, 20, 30, 16, 2, 3, 30, 16, 40, 24, static_cast<int16_t>(texture)};
    }

    int32_t texture = -1;
    TexturePageEntry entry{};
};

TEST_F(TexturedDrawing, TextureDrawCoversTheImageWithUvsOverTheAllocatedSize)
{
    GR_SetAlpha(0.5f);
    GR_Texture_Draw(texture, 5, 6);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(Positions(v), (std::vector<XY>{{5, 6}, {105, 6}, {105, 56}, {105, 56}, {5, 56}, {5, 6}}));
    EXPECT_FLOAT_EQ(v[2].u, 0.78125f);
    EXPECT_FLOAT_EQ(v[2].v, 0.78125f);
    EXPECT_EQ(v[0].colour, 0x7FFFFFFFu);
    EXPECT_FLOAT_EQ(Texture_Width(texture), 0.78125f);
    EXPECT_FLOAT_EQ(Texture_Width(texture + 1), 1.0f);
}

TEST_F(TexturedDrawing, PageEntryDrawPlacesTheCroppedImageInsideItsFrame)
{
    GR_TPE_Draw(&entry, 100, 200);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(Positions(v), (std::vector<XY>{{102, 203}, {132, 203}, {132, 219}, {132, 219}, {102, 219}, {102, 203}}));
    EXPECT_FLOAT_EQ(v[0].u, Tex(10, 128));
    EXPECT_FLOAT_EQ(v[0].v, Tex(20, 64));
    EXPECT_FLOAT_EQ(v[2].u, Tex(40, 128));
    EXPECT_FLOAT_EQ(v[2].v, Tex(36, 64));
}

TEST_F(TexturedDrawing, EmptyTargetSizeDrawsOnePixelAndIsKept)
{
    entry.targetWidth = 0;
    entry.targetHeight = 0;
    GR_TPE_Draw(&entry, 0, 0);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[2].x - v[0].x, 1.0f);
    EXPECT_EQ(entry.targetWidth, 1);
    EXPECT_EQ(entry.targetHeight, 1);
}

TEST_F(TexturedDrawing, ExtOnAnEmptySlotMakesItEightByEightForGood)
{
    const int32_t id = Texture_CreateFromRecord(GR_Texture_Create(64, 64, 1, 0, TextureFormatA8R8G8B8), 0, 0);
    GR_Texture_DrawExt(id, 0, 0, 0, 0, 1, 1, 0, 0xFFFFFF, 1);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[2].x, 8.0f);
    EXPECT_FLOAT_EQ(v[2].u, 1.0f);
    EXPECT_EQ(Texture_GetSlot(id)->width, 8);
    EXPECT_FLOAT_EQ(Texture_GetSlot(id)->uScale, 0.125f);
}

TEST_F(TexturedDrawing, RotationThresholdsDifferBetweenExtAndGeneralDrawers)
{
    struct Case {
        float angle;
        bool extRotated, generalRotated;
    };
    const Case cases[] = {{0.0005f, false, false}, {0.005f, true, false}, {0.02f, true, true}, {-0.005f, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        GR_Texture_DrawExt(texture, 0, 0, 0, 0, 1, 1, c.angle, 0xFFFFFF, 1);
        const std::vector<Vertex2DTex> ext = DrawnTextured();
        ASSERT_EQ(ext.size(), 4u);
        EXPECT_EQ(ext[1].y != 0.0f, c.extRotated);
        GR_Texture_DrawGeneral(texture, 0, 0, 10, 10, 0, 0, 1, 1, c.angle, 0, 0, 0, 0, 1);
        const std::vector<Vertex2DTex> general = DrawnTextured();
        ASSERT_EQ(general.size(), 4u);
        EXPECT_EQ(general[0].x != 0.0f, c.generalRotated);  // the rotated form moves the edges half a pixel out
    }
}

TEST_F(TexturedDrawing, PositiveAnglesTurnCounterClockwiseOnTheScreen)
{
    GR_Texture_DrawExt(texture, 0, 0, 10, 10, 1, 1, 3.1415927f / 2, 0xFFFFFF, 1);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 4u);
    // The top-right corner (100 to the right) ends up 100 above the pivot.
    EXPECT_NEAR(v[1].x, 10.0f, 1e-4);
    EXPECT_NEAR(v[1].y, -90.0f, 1e-4);
}

TEST_F(TexturedDrawing, PartDrawingNeverReachesPastTheStoredImage)
{
    // The stored image starts at (2, 3) of its frame and is 30 x 16. A part
    // from (10, 5) asking for 100 x 100 gets only what remains: 22 x 14.
    GR_TPE_DrawPart(&entry, 10, 5, 100, 100, 0, 0, 1, 1, 0, 0xFFFFFF, 1);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    float maxX = 0, maxY = 0, maxU = 0, maxV = 0;
    for (const Vertex2DTex& vertex : v) {
        maxX = std::max(maxX, vertex.x);
        maxY = std::max(maxY, vertex.y);
        maxU = std::max(maxU, vertex.u);
        maxV = std::max(maxV, vertex.v);
    }
    EXPECT_FLOAT_EQ(maxX, 22.0f);
    EXPECT_FLOAT_EQ(maxY, 14.0f);
    EXPECT_FLOAT_EQ(maxU, Tex(10 + 30, 128));
    EXPECT_FLOAT_EQ(maxV, Tex(20 + 16, 64));
}

TEST_F(TexturedDrawing, PartStartingInTheCroppedMarginMovesToTheStoredImage)
{
    // A part from the frame's corner: the margin of 2 x 3 is skipped, the
    // quad moves by it and starts at the stored image's first texel.
    GR_TPE_DrawPart(&entry, 0, 0, 10, 10, 50, 60, 2, 2, 0, 0xFFFFFF, 1);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[0].x, 54.0f);
    EXPECT_FLOAT_EQ(v[0].y, 66.0f);
    EXPECT_FLOAT_EQ(v[0].u, Tex(10, 128));
    EXPECT_FLOAT_EQ(v[0].v, Tex(20, 64));
    EXPECT_FLOAT_EQ(v[1].x - v[0].x, 16.0f);  // 10 - 2 texels, scaled by 2
}

TEST_F(TexturedDrawing, PartOutsideTheStoredImageDrawsNothing)
{
    GR_TPE_DrawPart(&entry, 35, 0, 5, 5, 0, 0, 1, 1, 0, 0xFFFFFF, 1);
    GR_TPE_DrawGeneral(&entry, 0, 20, 5, 5, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1);
    EXPECT_TRUE(DrawnTextured().empty());
}

TEST_F(TexturedDrawing, TextureTilingCoversAnAreaWithNegativeOrigin)
{
    // 100 x 50 tiles from x = 30 over the area (-150, -60, 200, 100):
    // columns at -170, -70, 30 and rows at -70, -20, 30.
    GR_Texture_DrawTiled(texture, 0, 0, 30, 30, 1, 1, 1, 1, TileArea{-150, -60, 200, 100}, 0xFFFFFF, 1);
    const std::vector<DrawnBatch> batches = Drawn();
    std::vector<XY> corners;
    for (const DrawnBatch& batch : batches) {
        const std::vector<Vertex2DTex> v = batch.As<Vertex2DTex>();
        for (size_t i = 0; i < v.size(); i += 4) {
            corners.push_back({v[i].x, v[i].y});
        }
    }
    const std::vector<XY> expected = {{-170, -70}, {-170, -20}, {-170, 30}, {-70, -70}, {-70, -20},
                                      {-70, 30},   {30, -70},   {30, -20},  {30, 30}};
    EXPECT_EQ(corners, expected);
}

TEST_F(TexturedDrawing, TilingWithAPeriodBelowOnePixelDrawsNothing)
{
    GR_Texture_DrawTiled(texture, 0, 0, 0, 0, 0.005f, 1, 1, 1, TileArea{0, 0, 100, 100}, 0xFFFFFF, 1);
    GR_Texture_DrawTiled(texture, 0, 0, 0, 0, NAN, 1, 1, 1, TileArea{0, 0, 100, 100}, 0xFFFFFF, 1);
    EXPECT_TRUE(DrawnTextured().empty());
}

TEST_F(TexturedDrawing, PageEntryTilingStartsAtOrLeftOfTheAlignedStart)
{
    // Frame period 40 x 24; stored image offset (2, 3). Area (-50, 0, 60, 10)
    // one row (vtiled 0).
    GR_TPE_DrawTiled(&entry, 0, 0, 5, 0, 1, 1, 1, 0, TileArea{-50, 0, 60, 10}, 0xFFFFFF, 1);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size() % 6, 0u);
    std::vector<float> columns;
    for (size_t i = 0; i < v.size(); i += 6) {
        columns.push_back(v[i].x);
        EXPECT_FLOAT_EQ(v[i + 1].y, 3.0f);  // (L, T) is the second vertex
    }
    // Start 7 aligned to -73 (the last at or before -50), backed off by one period.
    EXPECT_EQ(columns, (std::vector<float>{-113, -73, -33, 7}));
}

TEST_F(TexturedDrawing, EmitQuadWritesTwoTrianglesWithPerCornerColours)
{
    const QuadCorner corners[4] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    const uint32_t colours[4] = {1, 2, 3, 4};
    GR_EmitQuad(Texture_Get(texture), corners, 0.1f, 0.2f, 0.3f, 0.4f, colours);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 6u);
    const uint32_t expectedColours[6] = {1, 2, 3, 3, 4, 1};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(v[i].colour, expectedColours[i]);
    }
    EXPECT_FLOAT_EQ(v[4].u, 0.1f);
    EXPECT_FLOAT_EQ(v[4].v, 0.4f);
}

TEST_F(TexturedDrawing, ColourPackingSwapsRedAndBlueAndHoldsAlpha)
{
    const struct {
        uint32_t colour;
        float alpha;
        uint32_t packed;
    } cases[] = {{0x0000FF, 1.0f, 0xFFFF0000u}, {0x123456, 0.5f, 0x7F563412u}, {0xFF0000, 1.5f, 0xFF0000FFu},
                 {0x00FF00, -1.0f, 0x0000FF00u}, {0x00FF00, NAN, 0x0000FF00u}};
    for (const auto& c : cases) {
        EXPECT_EQ(GR_PackColourAlpha(c.colour, c.alpha), c.packed) << c.alpha;
    }
}

TEST_F(TexturedDrawing, FreedOrUnknownIdsDrawNothing)
{
    Texture_Free(texture);
    GR_Texture_Draw(texture, 0, 0);
    GR_TPE_Draw(&entry, 0, 0);
    GR_Texture_DrawRect(12345, 0, 0, 1, 1, 0, 1);
    EXPECT_TRUE(DrawnTextured().empty());
    EXPECT_EQ(MakeTexture(4, 4), texture);  // the freed id is reused
}

}  // namespace
}  // namespace bw
