// 3D primitives and shapes: how long primitives are cut into batches that
// stay connected, the steps of round shapes, primitive kinds that draw
// nothing, the vertices' colours, and shapes whose faces look outwards.
#include "graphics/primitives_3d.h"

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "draw_fixture.h"
#include "graphics/render_state.h"
#include "platform/maths.h"

namespace bw {
namespace {

struct Primitive {
    int32_t type;
    std::vector<Vertex3D> vertices;
    bool repeat;  // texture repeat while it was handed over
};

class CapturingSink : public IPrimitiveSink {
public:
    void AddPrimitive(int32_t type, std::span<const Vertex3D> vertices) override
    {
        primitives.push_back(Primitive{type, {vertices.begin(), vertices.end()}, Texture_GetRepeat()});
    }
    std::vector<Primitive> primitives;
};

// A triangle as its three vertices in drawing order, turned so the smallest
// comes first: two triangles are equal when they wind the same way.
using Triangle = std::array<float, 3>;

Triangle Turned(float a, float b, float c)
{
    if (b < a && b < c) {
        return {b, c, a};
    }
    if (c < a && c < b) {
        return {c, a, b};
    }
    return {a, b, c};
}

// The triangles the device draws from a strip, fan or list, each vertex
// named by its x; as the device winds them (odd strip triangles reversed).
std::vector<std::array<const Vertex3D*, 3>> TrianglesOf(int32_t type, const std::vector<Vertex3D>& v)
{
    std::vector<std::array<const Vertex3D*, 3>> triangles;
    const size_t n = v.size();
    for (size_t i = 0; type == PrimitiveTriangleList && i + 2 < n; i += 3) {
        triangles.push_back({&v[i], &v[i + 1], &v[i + 2]});
    }
    for (size_t i = 0; type == PrimitiveTriangleStrip && i + 2 < n; ++i) {
        triangles.push_back(i % 2 == 0 ? std::array{&v[i], &v[i + 1], &v[i + 2]}
                                        : std::array{&v[i + 1], &v[i], &v[i + 2]});
    }
    for (size_t i = 1; type == PrimitiveTriangleFan && i + 1 < n; ++i) {
        triangles.push_back({&v[0], &v[i], &v[i + 1]});
    }
    return triangles;
}

std::vector<Triangle> NamedTriangles(int32_t type, const std::vector<Vertex3D>& v)
{
    std::vector<Triangle> named;
    for (const auto& t : TrianglesOf(type, v)) {
        named.push_back(Turned(t[0]->x, t[1]->x, t[2]->x));
    }
    return named;
}

class Primitives3DTest : public DrawTest {
protected:
    void TearDown() override
    {
        GR_3D_SetPrimitiveSink(nullptr);
        DrawTest::TearDown();
    }

    // Finished primitives go to `sink` instead of the device.
    void Capture() { GR_3D_SetPrimitiveSink(&sink); }

    static void DrawNumbered(int32_t type, int32_t count)
    {
        GR_3D_PrimitiveBegin(type, -1);
        for (int32_t i = 0; i < count; ++i) {
            GR_3D_Vertex(static_cast<float>(i), 0.0f, 0.0f);
        }
        GR_3D_PrimitiveEnd();
    }

    CapturingSink sink;
};

TEST_F(Primitives3DTest, ALongTriangleStripIsDrawnInConnectedBatchesThatKeepTheirWinding)
{
    DrawNumbered(PrimitiveTriangleStrip, 2500);
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 3u);
    std::vector<Triangle> drawn;
    const size_t sizes[] = {1000, 1000, 504};
    for (size_t b = 0; b < batches.size(); ++b) {
        const std::vector<Vertex3D> vertices = batches[b].As<Vertex3D>();
        EXPECT_EQ(batches[b].type, PrimitiveTriangleStrip);
        EXPECT_EQ(vertices.size(), sizes[b]);
        const std::vector<Triangle> triangles = NamedTriangles(PrimitiveTriangleStrip, vertices);
        drawn.insert(drawn.end(), triangles.begin(), triangles.end());
    }
    std::vector<Vertex3D> whole(2500);
    for (size_t i = 0; i < whole.size(); ++i) {
        whole[i].x = static_cast<float>(i);
    }
    EXPECT_EQ(drawn, NamedTriangles(PrimitiveTriangleStrip, whole));
}

TEST_F(Primitives3DTest, PrimitivesOutgrowingTheStagingArrayCarryWhatKeepsThemConnected)
{
    struct Case {
        int32_t type;
        int32_t count;
        std::vector<size_t> sizes;
        std::vector<float> secondStartsWith;
    };
    const Case cases[] = {
        {PrimitiveTriangleList, 1000, {999, 1}, {999.0f}},  // whole triangles only
        {PrimitiveLineList, 1001, {1000, 1}, {1000.0f}},
        {PrimitiveLineStrip, 1001, {1000, 2}, {999.0f, 1000.0f}},
        {PrimitiveTriangleFan, 1001, {1000, 3}, {0.0f, 999.0f, 1000.0f}},
    };
    Capture();
    for (const Case& c : cases) {
        sink.primitives.clear();
        DrawNumbered(c.type, c.count);
        ASSERT_EQ(sink.primitives.size(), c.sizes.size()) << c.type;
        std::vector<float> second;
        for (size_t i = 0; i < sink.primitives.size(); ++i) {
            EXPECT_EQ(sink.primitives[i].vertices.size(), c.sizes[i]) << c.type;
        }
        for (const Vertex3D& v : sink.primitives[1].vertices) {
            second.push_back(v.x);
        }
        EXPECT_EQ(second, c.secondStartsWith) << c.type;
    }
}

TEST_F(Primitives3DTest, KindsOutsidePointListToTriangleFanDrawNothing)
{
    for (const int32_t kind : {0, 7}) {
        DrawNumbered(kind, 6);
        EXPECT_TRUE(Drawn().empty()) << kind;
    }
}

TEST_F(Primitives3DTest, VerticesTakeTheDrawingColourOrTheirOwnWithBitZeroClear)
{
    GR_SetColour(0xFF0000);  // blue: the lowest byte of the vertex colour
    GR_SetAlpha(1.0f);
    GR_3D_PrimitiveBegin(PrimitivePointList, -1);
    GR_3D_VertexNormal(1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f);
    GR_3D_VertexColour(0.0f, 0.0f, 0.0f, 0x0000FF, 0.5f);
    GR_3D_PrimitiveEnd();
    const std::vector<DrawnBatch> batches = Drawn();
    ASSERT_EQ(batches.size(), 1u);
    const std::vector<Vertex3D> v = batches[0].As<Vertex3D>();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].colour, 0xFF0000FEu);
    EXPECT_FLOAT_EQ(v[0].z, 3.0f);
    EXPECT_FLOAT_EQ(v[0].nz, 1.0f);
    EXPECT_EQ(v[1].colour, 0x7FFF0000u);
}

TEST_F(Primitives3DTest, RoundShapesHoldTheirStepsBetweenThreeAnd128)
{
    struct Case {
        int32_t steps;
        int32_t used;
    };
    Capture();
    for (const Case c : {Case{2, 3}, Case{3, 3}, Case{40, 40}, Case{128, 128}, Case{500, 128}}) {
        sink.primitives.clear();
        GR_3D_DrawCylinder(0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 10.0f, -1, 1.0f, 1.0f, false, c.steps);
        ASSERT_EQ(sink.primitives.size(), 1u);
        EXPECT_EQ(sink.primitives[0].vertices.size(), static_cast<size_t>(2 * (c.used + 1))) << c.steps;
        sink.primitives.clear();
        GR_3D_DrawEllipsoid(0.0f, 0.0f, 0.0f, 10.0f, 10.0f, 10.0f, -1, 1.0f, 1.0f, c.steps);
        EXPECT_EQ(sink.primitives.size(), static_cast<size_t>((c.used + 1) / 2)) << c.steps;
    }
}

TEST_F(Primitives3DTest, ShapesFaceOutwardsWithRepeatOnOnlyWhileTheyDraw)
{
    using Shape = std::function<void()>;
    const Shape shapes[] = {
        [] { GR_3D_DrawBlock(0, 0, 0, 10, 20, 30, -1, 1, 1); },
        [] { GR_3D_DrawCylinder(0, 0, 0, 10, 20, 30, -1, 1, 1, true, 12); },
        [] { GR_3D_DrawCone(0, 0, 0, 10, 20, 30, -1, 1, 1, true, 12); },
        [] { GR_3D_DrawEllipsoid(0, 0, 0, 10, 20, 30, -1, 1, 1, 12); },
        [] { GR_3D_DrawWall(0, 0, 0, 10, 20, 30, -1, 1, 1); },
        [] { GR_3D_DrawFloor(0, 0, 0, 10, 20, 30, -1, 1, 1); },
    };
    Capture();
    Texture_SetRepeat(false);
    for (size_t s = 0; s < std::size(shapes); ++s) {
        sink.primitives.clear();
        shapes[s]();
        EXPECT_FALSE(Texture_GetRepeat()) << s;
        size_t faces = 0;
        for (const Primitive& p : sink.primitives) {
            EXPECT_TRUE(p.repeat) << s;
            for (const auto& t : TrianglesOf(p.type, p.vertices)) {
                Vector3 a{}, b{}, facing{};
                Vector3_Subtract(a, Vector3{t[1]->x, t[1]->y, t[1]->z}, Vector3{t[0]->x, t[0]->y, t[0]->z});
                Vector3_Subtract(b, Vector3{t[2]->x, t[2]->y, t[2]->z}, Vector3{t[0]->x, t[0]->y, t[0]->z});
                Vector3_Cross(facing, a, b);
                const Vector3 normal{t[0]->nx + t[1]->nx + t[2]->nx, t[0]->ny + t[1]->ny + t[2]->ny,
                                     t[0]->nz + t[1]->nz + t[2]->nz};
                if (Vector3_Dot(facing, facing) > 1e-6f) {  // the poles of an ellipsoid have flat ones
                    EXPECT_GT(Vector3_Dot(facing, normal), 0.0f) << "shape " << s;
                    ++faces;
                }
            }
        }
        EXPECT_GT(faces, 0u) << s;
    }
}

}  // namespace
}  // namespace bw
