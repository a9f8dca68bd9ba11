#include "graphics/transforms.h"

#include <cmath>

#include "graphics/graphics_3d.h"
#include "graphics/screen.h"
#include "recording_fixture.h"

namespace bw {
namespace {

using TransformsTest = RecordingDeviceTest;

ProjectionReference g_reference;
ProjectionReference Reference()
{
    return g_reference;
}

class HalfPixelTest : public RecordingDeviceTest {
protected:
    void SetUp() override
    {
        RecordingDeviceTest::SetUp();
        g_reference = ProjectionReference{true, 200.0f, 100.0f, true, 200.0f, 100.0f, 200.0f, 100.0f};
        GR_SetProjectionReferenceSource(&Reference);
    }
    void TearDown() override
    {
        GR_SetProjectionReferenceSource(nullptr);
        RecordingDeviceTest::TearDown();
    }

    // The offsets the stored projection got on top of an identity.
    std::pair<float, float> Offsets()
    {
        GR_D3D_SetMatrix(TransformKind::Projection, Matrix_Identity());
        Matrix stored{};
        GR_D3D_GetMatrix(TransformKind::Projection, stored);
        return {stored.m[12], stored.m[13]};
    }
};

TEST_F(HalfPixelTest, AnUnscaledViewGetsTheFullHalfPixelOffset)
{
    const auto [x, y] = Offsets();
    EXPECT_FLOAT_EQ(x, -1.0f / 200.0f);
    EXPECT_FLOAT_EQ(y, 1.0f / 100.0f);
}

TEST_F(HalfPixelTest, AViewScaledTwoToOneGetsNoOffset)
{
    g_reference.viewWidth = 100.0f;
    g_reference.viewHeight = 50.0f;
    const auto [x, y] = Offsets();
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
}

TEST_F(HalfPixelTest, AZeroSizeViewCountsAsUnscaled)
{
    g_reference.viewWidth = 0.0f;
    g_reference.portHeight = 0.0f;
    const auto [x, y] = Offsets();
    EXPECT_FLOAT_EQ(x, -1.0f / 200.0f);
    EXPECT_EQ(y, 0.0f);  // no port height: nothing to correct by
}

TEST_F(TransformsTest, SettingAMatrixDrawsTheOpenBatchFirst)
{
    DrawQuad(nullptr);
    GR_D3D_SetMatrix(TransformKind::World, Matrix_Identity());
    ASSERT_GE(device->Calls().size(), 2u);
    EXPECT_EQ(device->Count("DrawPrimitive"), 1u);
    EXPECT_EQ(device->Calls().back().name, "SetTransform");
}

TEST_F(TransformsTest, ClearWithNoFlagsDoesNothing)
{
    GR_D3D_Clear(0x123456, 1.0f, 0, 0);
    EXPECT_EQ(device->Count("Clear"), 0u);
}

TEST_F(TransformsTest, ClearTakesAScriptColourAndSendsTheDeviceColour)
{
    GR_D3D_Clear(0x0000FF, 0.5f, 3, 7);
    const auto clears = device->Find("Clear");
    ASSERT_EQ(clears.size(), 1u);
    EXPECT_EQ(clears[0]->args[1], 0x00FF0000u);
    EXPECT_EQ(clears[0]->args[0], 7u);
}

TEST_F(TransformsTest, LightIndicesWrapAtEight)
{
    GR_D3D_DefineDirLight(9, 0.0f, 0.0f, 1.0f, 0xFFFFFF);
    GR_D3D_EnableLight(9, true);
    ASSERT_EQ(device->Count("SetLight"), 1u);
    EXPECT_EQ(device->Find("SetLight")[0]->args[0], 1u);
    EXPECT_EQ(device->Find("LightEnable")[0]->args[0], 1u);
}

TEST_F(TransformsTest, APointLightFadesOverItsRange)
{
    GR_D3D_DefinePointLight(0, 1.0f, 2.0f, 3.0f, 50.0f, 0x0000FF);
    const DeviceLight& light = device->Find("SetLight")[0]->light;
    EXPECT_EQ(light.type, DeviceLightType::Point);
    EXPECT_EQ(light.diffuse.r, 1.0f);
    EXPECT_EQ(light.diffuse.b, 0.0f);
    EXPECT_EQ(light.attenuation0, 1.0f);
    EXPECT_FLOAT_EQ(light.attenuation1, 1.0f / 50.0f);
}

TEST_F(TransformsTest, ReadingATextureRectangleIsCutToTheTexture)
{
    TextureRecord* target = GR_Texture_Create(8, 8, 1, kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
    EXPECT_EQ(GR_D3D_ReadTextureRect(target, 2, 2, 3, 5).size(), 15u);
    EXPECT_EQ(GR_D3D_ReadTextureRect(target, 6, 6, 5, 5).size(), 4u);
    EXPECT_TRUE(GR_D3D_ReadTextureRect(target, 8, 0, 1, 1).empty());
    GR_Texture_Free(target);
}

TEST_F(TransformsTest, CopyingIsCutToBothTextures)
{
    TextureRecord* small = GR_Texture_Create(4, 4, 1, kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
    TextureRecord* large = GR_Texture_Create(16, 16, 1, kTextureUsageRenderTarget, TextureFormatA8R8G8B8);
    GR_D3D_CopyTextureRect(small, 1, 1, large, -1, 0, 10, 10);
    const auto copies = device->Find("CopyRect");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0]->args[1], 2u);  // the column left of the source is not copied
    EXPECT_EQ(copies[0]->args[4], 0u);
    EXPECT_EQ(copies[0]->args[6], 2u);  // width cut to the destination
    GR_Texture_Free(small);
    GR_Texture_Free(large);
}

using Graphics3DTest = RecordingDeviceTest;

TEST_F(Graphics3DTest, DepthIsClampedIn3DAndZeroIn2D)
{
    GR_3D_SetDepth(20000.0f);
    EXPECT_EQ(GR_3D_GetDepth(), 0.0f);
    GR_3D_Set(true);
    GR_3D_SetDepth(20000.0f);
    EXPECT_EQ(GR_3D_GetDepth(), 16000.0f);
    GR_3D_SetDepth(-20000.0f);
    EXPECT_EQ(GR_3D_GetDepth(), -16000.0f);
}

TEST_F(Graphics3DTest, SwitchingTo3DTwiceFlushesOnce)
{
    DrawQuad(nullptr);
    GR_3D_Set(true);
    DrawQuad(nullptr);
    GR_3D_Set(true);
    EXPECT_EQ(device->Count("DrawPrimitive"), 1u);
    EXPECT_TRUE(GR_3D_GetPerspective());
}

TEST_F(Graphics3DTest, EnteringThreeDModeTurnsTheDepthTestOnAndLeavingTurnsItOff)
{
    const auto zEnabled = [this] {
        GR_RenderStateCache().Flush();
        return device->RenderState(RS_ZENABLE);
    };
    EXPECT_EQ(zEnabled(), 0u);
    GR_3D_Set(true);
    EXPECT_EQ(zEnabled(), 1u);
    GR_3D_SetHidden(false);  // game code may switch it off in 3D mode
    EXPECT_EQ(zEnabled(), 0u);
    GR_3D_Set(false);
    EXPECT_EQ(zEnabled(), 0u);
    GR_3D_SetHidden(true);  // asked for in 2D: no depth test until 3D mode
    EXPECT_EQ(zEnabled(), 0u);
    GR_3D_Set(true);
    EXPECT_EQ(zEnabled(), 1u);
}

TEST_F(Graphics3DTest, TheTransformStackHolds51Matrices)
{
    for (int i = 0; i < kTransformStackSize; ++i) {
        EXPECT_TRUE(GR_3D_TransformPush()) << i;
    }
    EXPECT_FALSE(GR_3D_TransformPush());
    GR_3D_TransformStackClear();
    EXPECT_FALSE(GR_3D_TransformStackPop());
    EXPECT_FALSE(GR_3D_TransformStackTop());
    EXPECT_FALSE(GR_3D_TransformStackDiscard());
}

TEST_F(Graphics3DTest, PopRestoresTheSavedWorld)
{
    GR_3D_TransformSetTranslation(1.0f, 2.0f, 3.0f);
    GR_3D_TransformPush();
    GR_3D_TransformIdentity();
    ASSERT_TRUE(GR_3D_TransformStackPop());
    Matrix world{};
    GR_D3D_GetMatrix(TransformKind::World, world);
    EXPECT_EQ(world.m[12], 1.0f);
    EXPECT_EQ(world.m[14], 3.0f);
    EXPECT_TRUE(GR_3D_TransformStackEmpty());
}

// Where the world matrix takes the point (1, 0, 0).
Vector3 Transformed()
{
    Matrix world{};
    GR_D3D_GetMatrix(TransformKind::World, world);
    return Vector3{world.m[0] + world.m[12], world.m[1] + world.m[13], world.m[2] + world.m[14]};
}

TEST_F(Graphics3DTest, TransformsAddedLaterApplyAfterThoseInPlace)
{
    GR_3D_TransformSetRotationZ(90.0f);
    GR_3D_TransformAddTranslation(10.0f, 0.0f, 0.0f);
    const Vector3 rotatedThenMoved = Transformed();
    EXPECT_NEAR(rotatedThenMoved.x, 10.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(rotatedThenMoved.y), 1.0f, 1e-5f);

    GR_3D_TransformSetTranslation(10.0f, 0.0f, 0.0f);
    GR_3D_TransformAddRotationZ(90.0f);
    const Vector3 movedThenRotated = Transformed();
    EXPECT_NEAR(movedThenRotated.x, 0.0f, 1e-4f);
    EXPECT_NEAR(std::fabs(movedThenRotated.y), 11.0f, 1e-4f);
}

TEST_F(Graphics3DTest, ProjectionSettersReportTheirKind)
{
    GR_3D_SetProjectionOrtho(0.0f, 0.0f, 320.0f, 240.0f, 0.0f);
    EXPECT_TRUE(GR_3D_IsOrthographic());
    GR_3D_SetProjectionPerspective(0.0f, 0.0f, 320.0f, 240.0f, 0.0f);
    EXPECT_FALSE(GR_3D_IsOrthographic());
}

}  // namespace
}  // namespace bw
