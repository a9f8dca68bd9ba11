// The graphics recorder: strips and fans become lists, and the lists replay
// from buffers built once, rebuilt when the recording changes.
#include <optional>

#include "graphics/graphics_recorder.h"
#include "graphics/render_state.h"
#include "graphics/transforms.h"
#include "recording_fixture.h"

namespace bw {
namespace {

// Vertices told apart by x: vertex i lies at x = i.
std::vector<Vertex3D> Numbered(int32_t n, uint32_t colour = 0xFF000000u)
{
    std::vector<Vertex3D> vertices(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        vertices[static_cast<size_t>(i)] = Vertex3D{static_cast<float>(i), 0, 0, 0, 0, 1, colour, 0, 0};
    }
    return vertices;
}

std::vector<int32_t> Order(std::span<const Vertex3D> vertices)
{
    std::vector<int32_t> order;
    for (const Vertex3D& vertex : vertices) {
        order.push_back(static_cast<int32_t>(vertex.x));
    }
    return order;
}

std::vector<int32_t> Order(const std::vector<uint8_t>& bytes)
{
    std::vector<Vertex3D> vertices(bytes.size() / sizeof(Vertex3D));
    std::memcpy(vertices.data(), bytes.data(), vertices.size() * sizeof(Vertex3D));
    return Order(vertices);
}

TEST(GraphicsRecorder, EveryKindBecomesAListAndShortStripsRecordNothing)
{
    using List = std::vector<int32_t>;
    struct Case {
        const char* what;
        int32_t kind, n;
        List triangles, lines, points;
    };
    const Case cases[] = {
        {"triangle list", PrimitiveTriangleList, 3, {0, 1, 2}, {}, {}},
        {"strip of 4: the second triangle turned back", PrimitiveTriangleStrip, 4, {0, 1, 2, 3, 2, 1}, {}, {}},
        {"fan of 5: three triangles round the first", PrimitiveTriangleFan, 5, {0, 1, 2, 0, 2, 3, 0, 3, 4}, {}, {}},
        {"line list", PrimitiveLineList, 2, {}, {0, 1}, {}},
        {"line strip of 3", PrimitiveLineStrip, 3, {}, {0, 1, 1, 2}, {}},
        {"point list", PrimitivePointList, 2, {}, {}, {0, 1}},
        {"unknown kind: points", 9, 2, {}, {}, {0, 1}},
        {"line strip of 1", PrimitiveLineStrip, 1, {}, {}, {}},
        {"strip of 2", PrimitiveTriangleStrip, 2, {}, {}, {}},
        {"fan of 1", PrimitiveTriangleFan, 1, {}, {}, {}},
        {"negative count", PrimitiveTriangleList, -3, {}, {}, {}},
    };
    for (const Case& c : cases) {
        GraphicsRecorder recorder;
        const std::vector<Vertex3D> vertices = Numbered(std::max(c.n, 1));
        recorder.AddPrimitive(c.kind, c.n, vertices.data());
        EXPECT_EQ(Order(recorder.Triangles()), c.triangles) << c.what;
        EXPECT_EQ(Order(recorder.Lines()), c.lines) << c.what;
        EXPECT_EQ(Order(recorder.Points()), c.points) << c.what;
    }
}

TEST(GraphicsRecorder, RecolourReplacesOnlyTheColourWordUnlessSwitchedOff)
{
    GraphicsRecorder recorder;
    recorder.colourWord = 0xFF00FF00u;
    std::vector<Vertex3D> vertices = Numbered(3, 0xFF00FF00u);
    vertices[1].colour = 0xFF123456u;
    recorder.AddPrimitive(PrimitiveTriangleList, 3, vertices.data());

    recorder.Recolour(0xFFFFFFFFu);
    EXPECT_EQ(recorder.colourWord, 0xFFFFFFFEu);
    EXPECT_EQ(recorder.Triangles()[0].colour, 0xFFFFFFFEu);
    EXPECT_EQ(recorder.Triangles()[1].colour, 0xFF123456u);
    // The new colour word is what the next recolouring replaces.
    recorder.Recolour(0xFF0000FFu);
    EXPECT_EQ(recorder.Triangles()[2].colour, 0xFF0000FEu);

    recorder.colourWord |= GraphicsRecorder::kRecolourOff;
    recorder.Recolour(0xFF00FF00u);
    EXPECT_EQ(recorder.Triangles()[0].colour, 0xFF0000FEu);
}

class GraphicsRecorderDrawing : public RecordingDeviceTest {
protected:
    // A recording of one triangle, one line and one point.
    void RecordOneOfEach()
    {
        const std::vector<Vertex3D> vertices = Numbered(3);
        recorder->AddPrimitive(PrimitiveTriangleList, 3, vertices.data());
        recorder->AddPrimitive(PrimitiveLineList, 2, vertices.data());
        recorder->AddPrimitive(PrimitivePointList, 1, vertices.data());
    }

    std::optional<GraphicsRecorder> recorder{std::in_place};
};

TEST_F(GraphicsRecorderDrawing, DrawsTheThreeListsTranslatedAndPutsBackWorldAndRepeat)
{
    RecordOneOfEach();
    Matrix world = Matrix_Identity();
    world.m[0] = 2.0f;  // a scaling the translation goes in front of
    GR_D3D_SetMatrix(TransformKind::World, world);
    Texture_SetRepeat(false);
    GR_VB_Flush();
    device->ClearCalls();

    recorder->Draw(10.0f, 20.0f, 30.0f, nullptr);

    const auto draws = device->Find("DrawPrimitive");
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0]->args[0], static_cast<uint32_t>(PrimitiveTriangleList));
    EXPECT_EQ(draws[0]->args[3], 1u);
    EXPECT_EQ(draws[1]->args[0], static_cast<uint32_t>(PrimitiveLineList));
    EXPECT_EQ(draws[1]->args[3], 1u);
    EXPECT_EQ(draws[2]->args[0], static_cast<uint32_t>(PrimitivePointList));
    EXPECT_EQ(draws[2]->args[3], 1u);
    EXPECT_EQ(Order(draws[0]->vertices), (std::vector<int32_t>{0, 1, 2}));
    // The translation goes in front of the world, so the world scales it
    // too; the texture repeats while drawing.
    const auto transforms = device->Find("SetTransform");
    ASSERT_GE(transforms.size(), 2u);
    EXPECT_EQ(transforms[0]->matrix.m[12], 20.0f);
    EXPECT_EQ(transforms[0]->matrix.m[13], 20.0f);
    EXPECT_EQ(transforms[0]->matrix.m[0], 2.0f);
    const auto samplers = device->Find("SetSamplerState");
    ASSERT_FALSE(samplers.empty());
    EXPECT_EQ(samplers.front()->args[2], kTexAddressWrap);
    Matrix after{};
    GR_D3D_GetMatrix(TransformKind::World, after);
    EXPECT_EQ(after.m[12], 0.0f);
    EXPECT_FALSE(Texture_GetRepeat());
}

TEST_F(GraphicsRecorderDrawing, BuffersAreBuiltOnceAndRebuiltOnlyForWhatChanged)
{
    RecordOneOfEach();
    recorder->Draw(0, 0, 0, nullptr);
    EXPECT_EQ(device->Count("CreateVertexBuffer"), 3u);
    device->ClearCalls();
    recorder->Draw(0, 0, 0, nullptr);
    EXPECT_EQ(device->Count("CreateVertexBuffer"), 0u);
    EXPECT_EQ(device->Count("DrawPrimitive"), 3u);

    // Recording after a draw: the grown list is drawn whole at once.
    const std::vector<Vertex3D> more = Numbered(6);
    recorder->AddPrimitive(PrimitiveTriangleFan, 4, more.data() + 2);
    device->ClearCalls();
    recorder->Draw(0, 0, 0, nullptr);
    EXPECT_EQ(device->Count("CreateVertexBuffer"), 1u);
    const auto draws = device->Find("DrawPrimitive");
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0]->args[3], 3u);
    EXPECT_EQ(Order(draws[0]->vertices), (std::vector<int32_t>{0, 1, 2, 2, 3, 4, 2, 4, 5}));

    // Recolouring releases all three; so does the recorder's end.
    recorder->Recolour(0xFF0000FFu);
    EXPECT_EQ(device->LiveBuffers(), 0u);
    recorder->Draw(0, 0, 0, nullptr);
    EXPECT_EQ(device->LiveBuffers(), 3u);
    recorder.reset();
    EXPECT_EQ(device->LiveBuffers(), 0u);
}

TEST_F(GraphicsRecorderDrawing, NothingIsDrawnWhenTheBufferCannotBeMadeOrThereIsNoDevice)
{
    RecordOneOfEach();
    device->failVertexBuffers = true;
    recorder->Draw(0, 0, 0, nullptr);
    EXPECT_EQ(device->Count("DrawPrimitive"), 0u);

    Device_Set(nullptr);
    recorder->Draw(0, 0, 0, nullptr);  // no device: nothing to do, nothing to crash on
    recorder->ReleaseBuffers();
}

}  // namespace
}  // namespace bw
