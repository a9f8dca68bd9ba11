// The OpenGL back end on a real (headless) context, pixel by pixel.
#include "graphics/device/gl/gl_device.h"

#include <cstring>

#include "gl_golden_fixture.h"
#include "graphics/game_window.h"
#include "graphics/screen.h"

namespace bw {
namespace {

constexpr uint32_t kOpaqueRed = 0xFFFF0000u;
constexpr uint32_t kOpaqueBlue = 0xFF0000FFu;

class GlDeviceTest : public test::HiddenWindowTest {
protected:
    void SetUp() override
    {
        ResetGraphicsEngine();
        device = test::InstallGlDevice(16, 16);
        ASSERT_NE(device, nullptr);
        target = device->CreateTexture(16, 16, kFormatA8R8G8B8, true);
        ASSERT_NE(target, 0u);
        ASSERT_TRUE(device->SetRenderTarget(target));
        device->SetRenderState(RS_LIGHTING, 0);
        device->SetRenderState(RS_ZENABLE, 0);
        device->SetRenderState(RS_CULLMODE, kCullNone);
        device->SetTransform(TransformKind::World, Matrix_Identity());
        device->SetTransform(TransformKind::View, Matrix_Identity());
        device->SetTransform(TransformKind::Projection, test::PixelSpace(16, 16));
        GR_D3D_SetTextureStageOps(true);
    }

    void TearDown() override
    {
        ResetGraphicsEngine();
        Device_Set(nullptr);
    }

    uint32_t Pixel(int32_t x, int32_t y)
    {
        uint32_t pixel = 0;
        EXPECT_TRUE(device->ReadRect(target, x, y, 1, 1, &pixel));
        return pixel;
    }

    void FillRectangle(float x0, float y0, float x1, float y1, uint32_t colour)
    {
        const Vertex2D quad[4] = {{x0, y0, 0, colour}, {x1, y0, 0, colour}, {x1, y1, 0, colour}, {x0, y1, 0, colour}};
        device->DrawPrimitiveUP(PrimitiveTriangleFan, 2, kFvfVertex2D, quad);
    }

    IGraphicsDevice* device = nullptr;
    DeviceTextureId target = 0;
};

TEST_F(GlDeviceTest, ReadBackOfA3x5RegionGivesItsPixelsTopRowFirst)
{
    device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
    FillRectangle(0.0f, -0.5f, 16.0f, 1.5f, kOpaqueRed);  // row 0 and row 1
    uint32_t pixels[15] = {};
    ASSERT_TRUE(device->ReadRect(target, 2, 0, 3, 5, pixels));
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(pixels[i], i < 6 ? kOpaqueRed : kOpaqueBlue) << "pixel " << i;
    }
    EXPECT_FALSE(device->ReadRect(target, 14, 0, 3, 5, pixels));
}

TEST_F(GlDeviceTest, PixelCentresSitOnIntegerCoordinates)
{
    device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
    FillRectangle(0.25f, 0.25f, 1.75f, 1.75f, kOpaqueRed);
    EXPECT_EQ(Pixel(1, 1), kOpaqueRed);
    EXPECT_EQ(Pixel(0, 0), kOpaqueBlue);
    EXPECT_EQ(Pixel(0, 1), kOpaqueBlue);
    EXPECT_EQ(Pixel(2, 1), kOpaqueBlue);
}

TEST_F(GlDeviceTest, ClearCoversTheViewportOnly)
{
    device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
    device->SetViewport(DeviceViewport{0, 0, 4, 2, 0.0f, 1.0f});
    device->Clear(kClearTarget, kOpaqueRed, 1.0f, 0);
    EXPECT_EQ(Pixel(3, 1), kOpaqueRed);
    EXPECT_EQ(Pixel(4, 0), kOpaqueBlue);
    EXPECT_EQ(Pixel(0, 2), kOpaqueBlue);
}

TEST_F(GlDeviceTest, FlatShadingTakesTheFirstVertexColour)
{
    device->SetRenderState(RS_SHADEMODE, kShadeFlat);
    const Vertex2D triangle[3] = {{0, 0, 0, kOpaqueRed}, {16, 0, 0, kOpaqueBlue}, {0, 16, 0, kOpaqueBlue}};
    device->DrawPrimitiveUP(PrimitiveTriangleList, 1, kFvfVertex2D, triangle);
    EXPECT_EQ(Pixel(5, 5), kOpaqueRed);
}

TEST_F(GlDeviceTest, AnIndexedDrawReadsItsVerticesFromTheBaseVertexAndStaysInsideTheBuffer)
{
    device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
    const Vertex2D vertices[8] = {{0, 0, 0, kOpaqueBlue}, {16, 0, 0, kOpaqueBlue}, {16, 16, 0, kOpaqueBlue},
                                  {0, 16, 0, kOpaqueBlue}, {0, 0, 0, kOpaqueRed},  {8, 0, 0, kOpaqueRed},
                                  {8, 16, 0, kOpaqueRed},  {0, 16, 0, kOpaqueRed}};
    const DeviceBufferId buffer = device->CreateVertexBuffer(sizeof(vertices), kFvfVertex2D);
    std::memcpy(device->LockVertexBuffer(buffer, 0, sizeof(vertices)), vertices, sizeof(vertices));
    device->UnlockVertexBuffer(buffer, sizeof(vertices));
    const uint16_t indices[8] = {0, 1, 2, 2, 3, 0, 0, 5};
    const DeviceBufferId quad = device->CreateIndexBuffer(indices, 8);
    ASSERT_NE(quad, 0u);

    device->DrawIndexedPrimitive(PrimitiveTriangleList, buffer, 4, 2, quad, 0);
    EXPECT_EQ(Pixel(4, 8), kOpaqueRed);
    EXPECT_EQ(Pixel(12, 8), kOpaqueBlue);
    // Index 5 from base vertex 4 would read past the eighth vertex.
    device->DrawIndexedPrimitive(PrimitiveTriangleList, buffer, 4, 1, quad, 5);
    EXPECT_EQ(Pixel(12, 8), kOpaqueBlue);
    device->ReleaseIndexBuffer(quad);
    device->ReleaseVertexBuffer(buffer);
}

TEST_F(GlDeviceTest, CullingCounterClockwiseRemovesScreenCounterClockwiseTriangles)
{
    device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
    device->SetRenderState(RS_CULLMODE, kCullCCW);
    // On screen (y down) these run counter-clockwise, then clockwise.
    const Vertex2D counterClockwise[3] = {{0, 0, 0, kOpaqueRed}, {0, 8, 0, kOpaqueRed}, {8, 0, 0, kOpaqueRed}};
    const Vertex2D clockwise[3] = {{16, 16, 0, kOpaqueRed}, {8, 16, 0, kOpaqueRed}, {16, 8, 0, kOpaqueRed}};
    device->DrawPrimitiveUP(PrimitiveTriangleList, 1, kFvfVertex2D, counterClockwise);
    device->DrawPrimitiveUP(PrimitiveTriangleList, 1, kFvfVertex2D, clockwise);
    EXPECT_EQ(Pixel(1, 1), kOpaqueBlue);
    EXPECT_EQ(Pixel(14, 14), kOpaqueRed);
}

TEST_F(GlDeviceTest, AlphaTestKeepsThePixelsThatPassEachCompareFunction)
{
    // Alpha 0x7F, 0x80 and 0x81 side by side against the reference 0x80;
    // each function runs a program of its own, one after the other.
    struct Case {
        uint32_t function;
        bool keeps[3];
    };
    const Case cases[] = {
        {kCmpNever, {false, false, false}},    {kCmpLess, {true, false, false}},
        {kCmpEqual, {false, true, false}},     {kCmpLessEqual, {true, true, false}},
        {kCmpGreater, {false, false, true}},   {kCmpNotEqual, {true, false, true}},
        {kCmpGreaterEqual, {false, true, true}}, {kCmpAlways, {true, true, true}},
    };
    const uint32_t colours[3] = {0x7FFF0000u, 0x80FF0000u, 0x81FF0000u};
    device->SetRenderState(RS_ALPHAREF, 0x80);
    for (const Case& c : cases) {
        for (bool enabled : {true, false}) {
            device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
            device->SetRenderState(RS_ALPHATESTENABLE, enabled ? 1 : 0);
            device->SetRenderState(RS_ALPHAFUNC, c.function);
            for (int i = 0; i < 3; ++i) {
                FillRectangle(static_cast<float>(i * 5), 0, static_cast<float>(i * 5 + 5), 16, colours[i]);
            }
            for (int i = 0; i < 3; ++i) {
                const bool kept = !enabled || c.keeps[i];
                EXPECT_EQ(Pixel(i * 5 + 2, 2), kept ? colours[i] : kOpaqueBlue)
                    << "function " << c.function << (enabled ? "" : " (test off)") << ", alpha " << (colours[i] >> 24);
            }
        }
    }
}

TEST_F(GlDeviceTest, ColourWriteMaskKeepsTheMaskedChannels)
{
    device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
    device->SetRenderState(RS_COLORWRITEENABLE, 1);  // red only
    FillRectangle(0, 0, 16, 16, 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(3, 3), 0xFFFF00FFu);
}

TEST_F(GlDeviceTest, ADirectionalLightShadesTheVertexColour)
{
    device->Clear(kClearTarget, 0xFF000000u, 1.0f, 0);
    GR_D3D_SetAmbient(0);
    GR_D3D_DefineDirLight(0, 0.0f, 0.6f, 0.8f, 0xFFFFFF);
    GR_D3D_EnableLight(0, true);
    device->SetRenderState(RS_LIGHTING, 1);
    const uint32_t colour = 0xFFC86432u;  // red 200, green 100, blue 50
    const Vertex3D triangle[3] = {
        {0, 0, 0.5f, 0, 0, -1, colour, 0, 0},
        {32, 0, 0.5f, 0, 0, -1, colour, 0, 0},
        {0, 32, 0.5f, 0, 0, -1, colour, 0, 0},
    };
    device->DrawPrimitiveUP(PrimitiveTriangleList, 1, kFvfVertex3D, triangle);
    // Lit by N.L = 0.8: 160, 80, 40.
    const uint32_t lit = Pixel(4, 4);
    EXPECT_NEAR(static_cast<int>((lit >> 16) & 0xFF), 160, 1);
    EXPECT_NEAR(static_cast<int>((lit >> 8) & 0xFF), 80, 1);
    EXPECT_NEAR(static_cast<int>(lit & 0xFF), 40, 1);
}

TEST_F(GlDeviceTest, APointLightGivesNothingBeyondItsRange)
{
    device->Clear(kClearTarget, 0xFF000000u, 1.0f, 0);
    GR_D3D_SetAmbient(0);
    GR_D3D_DefinePointLight(0, 4.0f, 4.0f, -1.0f, 3.0f, 0xFFFFFF);
    GR_D3D_EnableLight(0, true);
    device->SetRenderState(RS_LIGHTING, 1);
    const Vertex3D far[3] = {
        {8, 8, 0.5f, 0, 0, -1, 0xFFFFFFFFu, 0, 0},
        {16, 8, 0.5f, 0, 0, -1, 0xFFFFFFFFu, 0, 0},
        {8, 16, 0.5f, 0, 0, -1, 0xFFFFFFFFu, 0, 0},
    };
    device->DrawPrimitiveUP(PrimitiveTriangleList, 1, kFvfVertex3D, far);
    EXPECT_EQ(Pixel(10, 10), 0xFF000000u);
}

TEST_F(GlDeviceTest, TableFogWithoutPerspectiveFollowsTheDepthInEachMode)
{
    // A black quad at depth 0.25 under white fog: the fog factor f leaves
    // f of black, so each channel reads (1 - f) x 255.
    struct Case {
        uint32_t mode;
        int channel;
    };
    const Case cases[] = {
        {kFogLinear, 64},  // f = (1 - 0.25) / (1 - 0)
        {kFogExp, 56},     // f = exp(-0.25)
        {kFogExp2, 15},    // f = exp(-0.0625)
    };
    device->SetRenderState(RS_FOGENABLE, 1);
    device->SetRenderState(RS_FOGCOLOR, 0xFFFFFFFFu);
    device->SetRenderState(RS_FOGSTART, std::bit_cast<uint32_t>(0.0f));
    device->SetRenderState(RS_FOGEND, std::bit_cast<uint32_t>(1.0f));
    device->SetRenderState(RS_FOGDENSITY, std::bit_cast<uint32_t>(1.0f));
    const Vertex2D quad[4] = {{0, 0, 0.25f, 0xFF000000u}, {16, 0, 0.25f, 0xFF000000u},
                              {16, 16, 0.25f, 0xFF000000u}, {0, 16, 0.25f, 0xFF000000u}};
    for (const Case& c : cases) {
        device->SetRenderState(RS_FOGTABLEMODE, c.mode);
        device->DrawPrimitiveUP(PrimitiveTriangleFan, 2, kFvfVertex2D, quad);
        EXPECT_NEAR(static_cast<int>(Pixel(8, 8) & 0xFF), c.channel, 1) << "fog mode " << c.mode;
    }
}

// The whole frame: a clear and a RAW-textured quad in the 64 x 32 screen
// texture, blitted letterboxed into a full-screen back buffer.
ProjectionReference GameRoom()
{
    return ProjectionReference{true, 64.0f, 32.0f, false, 0, 0, 0, 0};
}

class GlFrameTest : public test::HiddenWindowTestOf<0> {
protected:
    void TearDown() override
    {
        GR_D3D_FreeScreen();
        ResetGraphicsEngine();
        GR_D3D_Shutdown();
        GR_SetProjectionReferenceSource(nullptr);
    }
};

TEST_F(GlFrameTest, AClearAndATexturedQuadBlitLetterboxedIntoTheBackBuffer)
{
    ResetGraphicsEngine();
    GR_SetProjectionReferenceSource(&GameRoom);
    Window_SetColour(0x404040);
    ASSERT_TRUE(GR_D3D_Init(64, 32, kGraphicsFullscreen | kGraphicsKeepAspect));
    int32_t bbW = 0, bbH = 0;
    GR_GetBackBufferSize(bbW, bbH);
    if (bbW != 1024 || bbH != 768) {
        GTEST_SKIP() << "the golden image is of a 1024 x 768 desktop";
    }

    // 4 x 4 texels: a red/green/blue/white checker with a yellow corner.
    std::vector<uint8_t> blob(16 + 4 * 4 * 4);
    const uint32_t header[4] = {kRawTextureMagic, 4, 4, 0};
    std::memcpy(blob.data(), header, sizeof(header));
    const uint8_t palette[4][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    for (int i = 0; i < 16; ++i) {
        std::memcpy(&blob[16 + i * 4], palette[(i + i / 4) % 4], 4);
    }
    const uint8_t yellow[4] = {255, 255, 0, 255};
    std::memcpy(&blob[16], yellow, 4);
    TextureRecord* texture = GR_Texture_LoadFromMemory(blob.data(), blob.size(), nullptr, 0);
    ASSERT_NE(texture, nullptr);

    ASSERT_TRUE(GR_D3D_Start_Frame());
    GR_D3D_Clear(0x803010, 1.0f, 0, 7);
    GR_SetInterpolation(false);
    auto* quad = reinterpret_cast<Vertex2DTex*>(GR_VB_AllocVerts(PrimitiveTriangleList, texture, 24, 6));
    const float u = 4.0f / static_cast<float>(texture->Width());
    const float v = 4.0f / static_cast<float>(texture->Height());
    const Vertex2DTex corners[4] = {{8, 8, 0, 0xFFFFFFFFu, 0, 0},
                                    {24, 8, 0, 0xFFFFFFFFu, u, 0},
                                    {24, 24, 0, 0xFFFFFFFFu, u, v},
                                    {8, 24, 0, 0xFFFFFFFFu, 0, v}};
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int i = 0; i < 6; ++i) {
        quad[i] = corners[order[i]];
    }
    ASSERT_TRUE(GR_D3D_Finish_Frame(false));
    GR_Texture_Free(texture);

    test::ExpectGoldenTexture(0, bbW, bbH, "blit_letterbox.png", 0);
}

}  // namespace
}  // namespace bw
