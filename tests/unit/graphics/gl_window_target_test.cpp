// The window as a render target on the OpenGL back end: its rows go up where
// every texture's go down, so the same drawing must read back the same there
// as in a texture, pixel for pixel.
#include <vector>

#include "gl_golden_fixture.h"
#include "graphics/device/gl/gl_device.h"

namespace bw {
namespace {

constexpr int32_t kSide = 64;  // the hidden window's size
constexpr uint32_t kOpaqueRed = 0xFFFF0000u;
constexpr uint32_t kOpaqueBlue = 0xFF0000FFu;
constexpr uint32_t kOpaqueGreen = 0xFF00FF00u;

class GlWindowTargetTest : public test::HiddenWindowTest {
protected:
    void SetUp() override
    {
        ResetGraphicsEngine();
        device = test::InstallGlDevice(kSide, kSide);
        ASSERT_NE(device, nullptr);
        texture = device->CreateTexture(kSide, kSide, kFormatA8R8G8B8, true);
        ASSERT_NE(texture, 0u);
        device->SetRenderState(RS_LIGHTING, 0);
        device->SetRenderState(RS_ZENABLE, 0);
        device->SetTransform(TransformKind::World, Matrix_Identity());
        device->SetTransform(TransformKind::View, Matrix_Identity());
        device->SetTransform(TransformKind::Projection, test::PixelSpace(kSide, kSide));
        GR_D3D_SetTextureStageOps(true);
    }

    void TearDown() override
    {
        ResetGraphicsEngine();
        Device_Set(nullptr);
    }

    // Whatever lands differently in a target stored the other way up: edges
    // at fractions of a pixel, a viewport away from the corner with its own
    // clear, both windings under culling, point-sampled texels.
    void DrawScene(DeviceTextureId target)
    {
        ASSERT_TRUE(device->SetRenderTarget(target));
        device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
        device->SetViewport(DeviceViewport{5, 9, 40, 30, 0.0f, 1.0f});
        device->Clear(kClearTarget, kOpaqueGreen, 1.0f, 0);
        device->SetViewport(DeviceViewport{0, 0, kSide, kSide, 0.0f, 1.0f});
        device->SetRenderState(RS_CULLMODE, kCullCCW);
        const Vertex2D counterClockwise[3] = {{2, 2, 0, kOpaqueRed}, {2, 30.5f, 0, kOpaqueRed}, {30, 2, 0, kOpaqueRed}};
        const Vertex2D clockwise[3] = {{60, 60, 0, kOpaqueRed}, {33.3f, 60, 0, kOpaqueRed}, {60, 20.5f, 0, kOpaqueRed}};
        device->DrawPrimitiveUP(PrimitiveTriangleList, 1, kFvfVertex2D, counterClockwise);
        device->DrawPrimitiveUP(PrimitiveTriangleList, 1, kFvfVertex2D, clockwise);
        device->SetRenderState(RS_CULLMODE, kCullNone);
        device->SetTexture(0, checker);
        const Vertex2DTex quad[4] = {{10.25f, 40.5f, 0, 0xFFFFFFFFu, 0, 0},
                                     {31.75f, 40.5f, 0, 0xFFFFFFFFu, 1, 0},
                                     {31.75f, 61.3f, 0, 0xFFFFFFFFu, 1, 1},
                                     {10.25f, 61.3f, 0, 0xFFFFFFFFu, 0, 1}};
        device->DrawPrimitiveUP(PrimitiveTriangleFan, 2, kFvfVertex2DTex, quad);
        device->SetTexture(0, 0);
        // Half-transparent red leaves alpha below one, which the next blend reads.
        device->SetRenderState(RS_ALPHABLENDENABLE, 1);
        device->SetRenderState(RS_SRCBLEND, BlendSrcAlpha);
        device->SetRenderState(RS_DESTBLEND, BlendInvSrcAlpha);
        const Vertex2D veil[4] = {{36, 36, 0, 0x80FF0000u}, {60, 36, 0, 0x80FF0000u}, {60, 60, 0, 0x80FF0000u},
                                  {36, 60, 0, 0x80FF0000u}};
        device->DrawPrimitiveUP(PrimitiveTriangleFan, 2, kFvfVertex2D, veil);
        device->SetRenderState(RS_SRCBLEND, BlendDestAlpha);
        device->SetRenderState(RS_DESTBLEND, BlendInvDestAlpha);
        const Vertex2D tint[3] = {{30, 30, 0, kOpaqueGreen}, {63, 30, 0, kOpaqueGreen}, {63, 63, 0, kOpaqueGreen}};
        device->DrawPrimitiveUP(PrimitiveTriangleList, 1, kFvfVertex2D, tint);
        device->SetRenderState(RS_ALPHABLENDENABLE, 0);
    }

    std::vector<uint32_t> Read(DeviceTextureId source)
    {
        std::vector<uint32_t> pixels(static_cast<size_t>(kSide) * kSide);
        EXPECT_TRUE(device->ReadRect(source, 0, 0, kSide, kSide, pixels.data()));
        return pixels;
    }

    void MakeChecker()
    {
        checker = device->CreateTexture(4, 4, kFormatA8R8G8B8, false);
        uint32_t texels[16];
        for (int i = 0; i < 16; ++i) {
            texels[i] = (i + i / 4) % 2 == 0 ? kOpaqueRed : 0xFFFFFFFFu;
        }
        ASSERT_TRUE(device->UpdateTexture(checker, texels, 16));
    }

    IGraphicsDevice* device = nullptr;
    DeviceTextureId texture = 0;
    DeviceTextureId checker = 0;
};

TEST_F(GlWindowTargetTest, DrawingIntoTheWindowReadsBackAsInATexture)
{
    MakeChecker();
    DrawScene(texture);
    const std::vector<uint32_t> inTexture = Read(texture);
    DrawScene(kDeviceWindowTarget);
    EXPECT_EQ(Read(kDeviceWindowTarget), inTexture);

    // Part of the window, and the window copied into a texture and back.
    uint32_t corner[6] = {};
    ASSERT_TRUE(device->ReadRect(kDeviceWindowTarget, 4, 8, 3, 2, corner));
    EXPECT_EQ(corner[0], kOpaqueBlue);
    EXPECT_EQ(corner[4], kOpaqueGreen);
    EXPECT_FALSE(device->ReadRect(kDeviceWindowTarget, kSide - 2, 0, 3, 1, corner));
    device->SetRenderTarget(texture);
    device->Clear(kClearTarget, 0, 1.0f, 0);
    ASSERT_TRUE(device->CopyRect(texture, 0, 0, kDeviceWindowTarget, 0, 0, kSide, kSide));
    EXPECT_EQ(Read(texture), inTexture);
    device->Clear(kClearTarget, kOpaqueRed, 1.0f, 0);
    ASSERT_TRUE(device->CopyRect(kDeviceWindowTarget, 0, 0, texture, 0, 0, kSide, kSide));
    EXPECT_EQ(Read(kDeviceWindowTarget), std::vector<uint32_t>(inTexture.size(), kOpaqueRed));
}

TEST_F(GlWindowTargetTest, UntilTheNextFrameTouchesTheWindowItReadsAsLastShown)
{
    ASSERT_TRUE(device->SetRenderTarget(kDeviceWindowTarget));
    device->Clear(kClearTarget, kOpaqueRed, 1.0f, 0);
    ASSERT_TRUE(device->Present());
    EXPECT_EQ(Read(kDeviceWindowTarget), std::vector<uint32_t>(static_cast<size_t>(kSide) * kSide, kOpaqueRed));
    device->Clear(kClearTarget, kOpaqueBlue, 1.0f, 0);
    EXPECT_EQ(Read(kDeviceWindowTarget), std::vector<uint32_t>(static_cast<size_t>(kSide) * kSide, kOpaqueBlue));
}

}  // namespace
}  // namespace bw
