// Shapes, the drawing colour and user primitives on the recording device.
#include "graphics/draw_2d.h"

#include <cmath>

#include "draw_fixture.h"

namespace bw {
namespace {

struct XY {
    float x, y;
    bool operator==(const XY&) const = default;
};

template <typename Vertex>
std::vector<XY> Positions(const std::vector<Vertex>& vertices)
{
    std::vector<XY> out;
    for (const Vertex& v : vertices) {
        out.push_back({v.x, v.y});
    }
    return out;
}

using Shapes = DrawTest;

TEST_F(Shapes, AlphaIsHeldToTheRangeAndTruncated)
{
    const struct {
        float alpha;
        uint32_t byte;
    } cases[] = {{1.5f, 255}, {0.5f, 127}, {-3.0f, 0}, {1.0f, 255}, {NAN, 0}};
    for (const auto& c : cases) {
        GR_SetAlpha(c.alpha);
        EXPECT_EQ(GR_ColourGetARGB() >> 24, c.byte) << c.alpha;
    }
}

TEST_F(Shapes, ColourIsStoredWithRedAndBlueSwapped)
{
    GR_SetAlpha(0.5f);
    GR_SetColour(0x332211);
    EXPECT_EQ(GR_ColourGetARGB(), 0x7F112233u);
    EXPECT_EQ(GR_GetColour(), 0x7F332211u);
    EXPECT_EQ(GR_ColourGetRed(), 0x11);
    EXPECT_EQ(GR_MakeColour(1, 2, 3), 0x030201u);
    EXPECT_EQ(GR_MergeColour(0x000000, 0x0000FF, 0.5f), 0x000080u);
}

TEST_F(Shapes, CirclePrecisionIsHeldAndRoundedDownToFours)
{
    const int32_t cases[][2] = {{30, 28}, {2, 4}, {100, 64}, {24, 24}, {-5, 4}};
    for (const auto& c : cases) {
        GR_SetCirclePrecision(c[0]);
        EXPECT_EQ(GR_GetCirclePrecision(), c[1]) << c[0];
    }
}

TEST_F(Shapes, FilledRectangleReachesPastItsRightAndBottomEdge)
{
    GR_DrawRectangle(10, 10, 0, 0, 0);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].type, PrimitiveTriangleList);
    EXPECT_EQ(Positions(batches[0].As<Vertex2DTex>()),
              (std::vector<XY>{{0, 0}, {11, 0}, {11, 11}, {11, 11}, {0, 11}, {0, 0}}));
}

TEST_F(Shapes, RectangleOutlineIsAStripThroughOffsetCornersPlusCornerPoints)
{
    GR_DrawRectangle(0, 0, 10, 10, 1);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].type, PrimitiveLineStrip);
    EXPECT_EQ(Positions(batches[0].As<Vertex2DTex>()),
              (std::vector<XY>{{1, 1}, {11, 1}, {11, 11}, {1, 11}, {1, 1}}));
    EXPECT_EQ(batches[1].type, PrimitivePointList);
    EXPECT_EQ(batches[1].As<Vertex2DTex>().size(), 4u);
}

TEST_F(Shapes, FourColourRectangleWidensWholeNumberEdges)
{
    GR_DrawRectangleColour(0, 0, 9, 9.5f, 1, 2, 3, 4, 0);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].type, PrimitiveTriangleFan);
    const std::vector<Vertex2DTex> v = batches[0].As<Vertex2DTex>();
    ASSERT_EQ(v.size(), 5u);
    EXPECT_FLOAT_EQ(v[2].x, 10.01f);
    EXPECT_FLOAT_EQ(v[2].y, 10.5f);
    EXPECT_EQ(v[1].colour, 0xFF020000u);
}

TEST_F(Shapes, LinesAndPointsUsePlainVerticesAtPixelCentres)
{
    GR_DrawLine(0, 0, 5, 0);
    GR_DrawPoint(3, 4);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].type, PrimitiveLineList);
    EXPECT_EQ(Positions(batches[0].As<Vertex2D>()), (std::vector<XY>{{1, 1}, {6, 1}}));
    EXPECT_EQ(Positions(batches[1].As<Vertex2D>()), (std::vector<XY>{{4, 5}}));
}

TEST_F(Shapes, ZeroLengthWideLinesAndArrowsDrawNothing)
{
    GR_DrawLineWidth(3, 3, 3, 3, 4);
    GR_DrawArrow(3, 3, 3, 3, 10);
    EXPECT_TRUE(Drawn().empty());
}

TEST_F(Shapes, WideLineIsAQuadAroundTheLine)
{
    GR_DrawLineWidth(0, 0, 10, 0, 4);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(Positions(batches[0].As<Vertex2D>()), (std::vector<XY>{{1, 3}, {11, 3}, {11, -1}, {1, -1}}));
}

TEST_F(Shapes, FilledCircleIsOneTrianglePerSegment)
{
    GR_SetCirclePrecision(8);
    GR_DrawCircle(10, 10, 5, 0);
    GR_DrawCircle(10, 10, 5, 1);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 2u);
    const std::vector<Vertex2DTex> filled = batches[0].As<Vertex2DTex>();
    ASSERT_EQ(filled.size(), 24u);
    EXPECT_FLOAT_EQ(filled[0].x, 10.0f);
    EXPECT_FLOAT_EQ(filled[1].x, 15.0f);
    const std::vector<Vertex2DTex> outline = batches[1].As<Vertex2DTex>();
    ASSERT_EQ(outline.size(), 9u);
    EXPECT_NEAR(outline[8].x, outline[0].x, 1e-5);
}

TEST_F(Shapes, RoundRectHasPrecisionPlusSixVertices)
{
    GR_SetCirclePrecision(16);
    GR_DrawRoundRect(0, 0, 20, 10, 4, 4, 0);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].type, PrimitiveTriangleFan);
    const std::vector<Vertex2DTex> v = batches[0].As<Vertex2DTex>();
    ASSERT_EQ(v.size(), 22u);
    EXPECT_FLOAT_EQ(v[0].x, 10.005f);  // the centre of the widened rectangle
    EXPECT_FLOAT_EQ(v[1].x, 20.01f);   // the first arc starts on the right edge
    EXPECT_EQ(Positions(std::vector<Vertex2DTex>{v[21]}), Positions(std::vector<Vertex2DTex>{v[1]}));
}

TEST_F(Shapes, HealthBarAtFiftyTakesTheMiddleColour)
{
    GR_DrawHealthbar(0, 0, 100, 10, 50, 0x111111, 0x0000FF, 0x00FF00, 0xFF0000, 0, false, false);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    const std::vector<Vertex2DTex> v = batches[0].As<Vertex2DTex>();
    EXPECT_EQ(v[0].colour, 0xFF00FF00u);
    EXPECT_FLOAT_EQ(v[1].x, 51.01f);
}

TEST_F(Shapes, EmptyHealthBarDrawsOnlyBackAndBorder)
{
    GR_DrawHealthbar(0, 0, 100, 10, 0, 0x111111, 0x0000FF, 0x00FF00, 0xFF0000, 0, true, true);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].type, PrimitiveTriangleFan);
    EXPECT_EQ(batches[1].type, PrimitiveLineStrip);
}

TEST_F(Shapes, PrimitiveKeepsAtMost1001Vertices)
{
    GR_PrimitiveBegin(PrimitivePointList, -1);
    for (int i = 0; i < 1002; ++i) {
        GR_PrimitiveVertex(static_cast<float>(i), 0);
    }
    GR_PrimitiveEnd();
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    const std::vector<Vertex2DTex> v = batches[0].As<Vertex2DTex>();
    ASSERT_EQ(v.size(), 1001u);
    EXPECT_FLOAT_EQ(v.back().x, 1000.0f);
}

TEST_F(Shapes, PrimitiveOfAnUnknownKindDrawsNothing)
{
    GR_PrimitiveBegin(7, -1);
    GR_PrimitiveVertex(0, 0);
    GR_PrimitiveEnd();
    EXPECT_TRUE(Drawn().empty());
}

TEST_F(Shapes, PrimitiveMapsUvsOntoAPageEntry)
{
    const int32_t texture = MakeTexture(100, 50);  // on 128 x 64
    TexturePageEntry entry{32, 16, 8, 8, 0, 0, 8, 8, 8, 8, static_cast<int16_t>(texture)};
    GR_PrimitiveBegin(PrimitiveTriangleList, TexturePage_Handle(&entry));
    GR_PrimitiveVertexTexture(0, 0, 0.5f, 1.0f);
    GR_PrimitiveVertexTexture(1, 0, 0, 0);
    GR_PrimitiveVertexTexture(0, 1, 1, 1);
    GR_PrimitiveEnd();
    GR_VB_Flush();
    const auto bound = device->Find("SetTexture");
    ASSERT_EQ(bound.size(), 1u);
    EXPECT_EQ(bound[0]->args[1], Texture_Get(texture)->texture);
    const std::vector<Vertex2DTex> v = DrawnTextured();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_FLOAT_EQ(v[0].u, 36.0f / 128.0f);
    EXPECT_FLOAT_EQ(v[0].v, 24.0f / 64.0f);
    TexturePage_ReleaseHandle(&entry);
}

TEST_F(Shapes, PrimitiveWithAnArbitraryNumberDrawsUntextured)
{
    const int32_t texture = MakeTexture(4, 4);
    for (int32_t number : {texture + 100, 0x12345678, -7}) {
        GR_PrimitiveBegin(PrimitiveTriangleList, number);
        GR_PrimitiveVertexTexture(0, 0, 0.25f, 0.5f);
        GR_PrimitiveVertexTexture(1, 0, 0, 0);
        GR_PrimitiveVertexTexture(0, 1, 1, 1);
        GR_PrimitiveEnd();
        GR_VB_Flush();
        EXPECT_EQ(GR_VB_DrawCalls(), 1);
        for (const RecordedCall* call : device->Find("SetTexture")) {
            EXPECT_EQ(call->args[1], 0u);
        }
        const std::vector<Vertex2DTex> v = DrawnTextured();
        ASSERT_EQ(v.size(), 3u);
        EXPECT_FLOAT_EQ(v[0].u, 0.25f);  // unchanged
        GR_VB_ResetDrawCalls();
    }
}

}  // namespace
}  // namespace bw
