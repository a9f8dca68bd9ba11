#include "graphics/vertex_batch.h"

#include <cstdio>
#include <cstdlib>

#include "recording_fixture.h"
#include "script/error_report.h"

namespace bw {
namespace {

using VertexBatchTest = RecordingDeviceTest;

TEST_F(VertexBatchTest, QuadsWithTheSameKeyShareOneDrawCall)
{
    DrawQuad(nullptr);
    DrawQuad(nullptr);
    GR_VB_Flush();
    const auto draws = device->Find("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0]->args[0], static_cast<uint32_t>(PrimitiveTriangleList));
    EXPECT_EQ(draws[0]->args[3], 4u);  // triangles
    EXPECT_EQ(draws[0]->vertices.size(), 12 * sizeof(Vertex2DTex));
    EXPECT_EQ(GR_VB_DrawCalls(), 1);
    // The device uploads what was written, not the whole locked range.
    const auto unlocks = device->Find("UnlockVertexBuffer");
    ASSERT_EQ(unlocks.size(), 1u);
    EXPECT_EQ(unlocks[0]->args[1], 12 * sizeof(Vertex2DTex));
}

TEST_F(VertexBatchTest, AFrameBeginKeepsTheWholeLastFramesDrawCalls)
{
    GR_VB_ResetDrawCalls();
    DrawQuad(nullptr);
    GR_VB_Flush();
    DrawQuad(nullptr);
    GR_VB_Flush();
    GR_VB_ResetDrawCalls();  // the next frame begins
    DrawQuad(nullptr);
    GR_VB_Flush();
    EXPECT_EQ(GR_VB_LastFrameDrawCalls(), 2);
    EXPECT_EQ(GR_VB_DrawCalls(), 1);
}

// The x of each vertex a draw read, in order.
std::vector<float> DrawnXs(const RecordedCall& draw)
{
    std::vector<Vertex2D> vertices(draw.vertices.size() / sizeof(Vertex2D));
    std::memcpy(vertices.data(), draw.vertices.data(), vertices.size() * sizeof(Vertex2D));
    std::vector<float> xs;
    for (const Vertex2D& vertex : vertices) {
        xs.push_back(vertex.x);
    }
    return xs;
}

// Quads numbered by x: quad q has corners at x = 4q .. 4q + 3.
void AllocNumberedQuads(uint32_t first, uint32_t count)
{
    auto* out = reinterpret_cast<Vertex2D*>(GR_VB_AllocVerts(kBatchQuadList, nullptr, sizeof(Vertex2D), 4 * count));
    ASSERT_NE(out, nullptr);
    for (uint32_t i = 0; i < 4 * count; ++i) {
        out[i] = Vertex2D{static_cast<float>(4 * first + i), 0.0f, 0.0f, 0};
    }
}

TEST_F(VertexBatchTest, QuadsAreFourVerticesDrawnAsTwoTrianglesThroughOneSharedIndexBuffer)
{
    for (int frame = 0; frame < 2; ++frame) {
        AllocNumberedQuads(0, 1);
        AllocNumberedQuads(1, 1);
        GR_VB_Flush();
        GR_VB_EndFrame();
    }
    const auto draws = device->Draws();
    ASSERT_EQ(draws.size(), 2u);
    for (const RecordedCall* draw : draws) {
        EXPECT_EQ(draw->name, "DrawIndexedPrimitive");
        EXPECT_EQ(draw->args[0], static_cast<uint32_t>(PrimitiveTriangleList));
        EXPECT_EQ(draw->args[3], 4u);  // triangles
        EXPECT_EQ(DrawnXs(*draw), (std::vector<float>{0, 1, 2, 2, 3, 0, 4, 5, 6, 6, 7, 4}));
    }
    EXPECT_EQ(device->Find("UnlockVertexBuffer")[0]->args[1], 8 * sizeof(Vertex2D));
    EXPECT_EQ(device->Count("CreateIndexBuffer"), 1u);
    GR_VB_ReleaseAll();
    EXPECT_EQ(device->LiveIndexBuffers(), 0u);
}

TEST_F(VertexBatchTest, AQuadBatchBeyondTheIndicesReachIsDrawnInRuns)
{
    AllocNumberedQuads(0, kQuadsPerIndexedDraw + 2);
    GR_VB_Flush();
    const auto draws = device->Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0]->args[3], 2 * kQuadsPerIndexedDraw);
    EXPECT_EQ(draws[1]->args[2], 4 * kQuadsPerIndexedDraw);  // base vertex
    const auto x = static_cast<float>(4 * kQuadsPerIndexedDraw);
    EXPECT_EQ(DrawnXs(*draws[1]),
              (std::vector<float>{x, x + 1, x + 2, x + 2, x + 3, x, x + 4, x + 5, x + 6, x + 6, x + 7, x + 4}));
    EXPECT_EQ(GR_VB_DrawCalls(), 2);
}

TEST_F(VertexBatchTest, StripsAreNeverAppendedTo)
{
    for (int i = 0; i < 2; ++i) {
        GR_VB_AllocVerts(PrimitiveLineStrip, nullptr, sizeof(Vertex2D), 3);
    }
    GR_VB_Flush();
    EXPECT_EQ(device->Count("DrawPrimitive"), 2u);
}

TEST_F(VertexBatchTest, AStateChangeSplitsTheBatchAndAppliesBetweenTheDraws)
{
    DrawQuad(nullptr);
    GR_SetBlendMode(1);
    DrawQuad(nullptr);
    GR_VB_Flush();

    std::vector<std::string> order;
    for (const RecordedCall& call : device->Calls()) {
        if (call.name == "DrawPrimitive" || (call.name == "SetRenderState" && call.args[0] == RS_DESTBLEND)) {
            order.push_back(call.name);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"DrawPrimitive", "SetRenderState", "DrawPrimitive"}));
}

TEST_F(VertexBatchTest, ADifferentTextureStartsANewBatch)
{
    TextureRecord* first = GR_Texture_Create(64, 64, 1, 0, TextureFormatA8R8G8B8);
    TextureRecord* second = GR_Texture_Create(64, 64, 1, 0, TextureFormatA8R8G8B8);
    DrawQuad(first);
    DrawQuad(second);
    GR_VB_Flush();
    const auto binds = device->Find("SetTexture");
    ASSERT_EQ(binds.size(), 2u);
    EXPECT_EQ(binds[0]->args[1], first->texture);
    EXPECT_EQ(binds[1]->args[1], second->texture);
    GR_Texture_Free(first);
    GR_Texture_Free(second);
}

TEST_F(VertexBatchTest, ALargeRequestGetsABufferOfItsOwnSize)
{
    GR_VB_AllocVerts(PrimitiveTriangleList, nullptr, sizeof(Vertex2DTex), 20000);
    const auto created = device->Find("CreateVertexBuffer");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0]->args[0], 20000 * sizeof(Vertex2DTex));
    EXPECT_EQ(created[0]->args[1], kFvfVertex2DTex);
}

// Drawing cannot go on without a buffer: the run ends through the runner's
// own end of the process (here one that says the status it was given),
// never through the exit handlers, which would free a world left in the
// middle of a step.
TEST_F(VertexBatchTest, ABufferTheDeviceCannotMakeEndsTheRunAsAFatalErrorDoes)
{
    device->failVertexBuffers = true;
    EXPECT_EXIT(
        {
            Code_Error_Hooks().endProcess = [](int status) {
                std::fprintf(stderr, "ended with %d\n", status);
                std::_Exit(3);
            };
            GR_VB_AllocVerts(PrimitiveTriangleList, nullptr, sizeof(Vertex2DTex), 3);
        },
        ::testing::ExitedWithCode(3), "Can not create vertex buffer(.|\n)*ended with -1");
}

TEST_F(VertexBatchTest, SmallRequestsGetTheMinimumCapacity)
{
    GR_VB_AllocVerts(PrimitivePointList, nullptr, sizeof(Vertex3D), 1);
    const auto created = device->Find("CreateVertexBuffer");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0]->args[0], kVertexBatchMinimumCapacity * sizeof(Vertex3D));
    EXPECT_EQ(created[0]->args[1], kFvfVertex3D);
}

TEST_F(VertexBatchTest, AFlushWithNoOpenBatchStillAppliesPendingStates)
{
    GR_3D_SetLighting(true);
    GR_VB_Flush();
    EXPECT_EQ(device->RenderState(RS_LIGHTING), 1u);
    EXPECT_EQ(device->Count("DrawPrimitive"), 0u);
}

TEST_F(VertexBatchTest, BuffersAreReusedWithinAFrameAndAfterRestingThreeFrames)
{
    DrawQuad(nullptr);
    GR_VB_Flush();
    DrawQuad(nullptr);
    GR_VB_Flush();
    EXPECT_EQ(GR_VB_BufferCount(), 1u);

    GR_VB_EndFrame();  // the buffer rests from here
    DrawQuad(nullptr);
    GR_VB_Flush();
    EXPECT_EQ(GR_VB_BufferCount(), 2u);

    for (int frame = 0; frame < 3; ++frame) {
        GR_VB_EndFrame();
    }
    DrawQuad(nullptr);
    GR_VB_Flush();
    EXPECT_EQ(GR_VB_BufferCount(), 2u);
}

TEST_F(VertexBatchTest, UnreserveGivesBackTheUnwrittenVertices)
{
    GR_VB_AllocVerts(PrimitiveTriangleList, nullptr, sizeof(Vertex2D), 9);
    GR_VB_Unreserve(3);
    GR_VB_Flush();
    const auto draws = device->Find("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0]->args[3], 2u);
}

TEST_F(VertexBatchTest, VerticesReachTheDeviceAsWritten)
{
    auto* vertices = reinterpret_cast<Vertex2D*>(GR_VB_AllocVerts(PrimitivePointList, nullptr, sizeof(Vertex2D), 2));
    vertices[0] = Vertex2D{1.0f, 2.0f, 3.0f, 0xFF112233u};
    vertices[1] = Vertex2D{4.0f, 5.0f, 6.0f, 0x80445566u};
    GR_VB_Flush();
    const auto draws = device->Find("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    Vertex2D drawn[2];
    ASSERT_EQ(draws[0]->vertices.size(), sizeof(drawn));
    std::memcpy(drawn, draws[0]->vertices.data(), sizeof(drawn));
    EXPECT_EQ(drawn[1].colour, 0x80445566u);
    EXPECT_EQ(drawn[0].x, 1.0f);
}

TEST_F(VertexBatchTest, FreeingTheBatchTextureDrawsTheBatchFirst)
{
    TextureRecord* texture = GR_Texture_Create(64, 64, 1, 0, TextureFormatA8R8G8B8);
    const DeviceTextureId id = texture->texture;
    DrawQuad(texture);
    GR_Texture_Free(texture);
    const auto binds = device->Find("SetTexture");
    ASSERT_EQ(binds.size(), 1u);
    EXPECT_EQ(binds[0]->args[1], id);
    EXPECT_EQ(device->Count("DrawPrimitive"), 1u);
    EXPECT_FALSE(GR_VB_BatchOpen());
}

TEST_F(VertexBatchTest, NothingIsBatchedWithoutADevice)
{
    Device_Set(nullptr);
    EXPECT_EQ(GR_VB_AllocVerts(PrimitiveTriangleList, nullptr, sizeof(Vertex2D), 3), nullptr);
    GR_VB_Flush();
}

}  // namespace
}  // namespace bw
