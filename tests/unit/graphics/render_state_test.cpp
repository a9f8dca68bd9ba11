#include "graphics/render_state.h"

#include "recording_fixture.h"

namespace bw {
namespace {

using RenderStateTest = RecordingDeviceTest;

TEST_F(RenderStateTest, SettingAStateBackToItsAppliedValueClearsTheDirtyBit)
{
    RenderStateCache& cache = GR_RenderStateCache();
    const uint32_t applied = cache.Applied(ES_SrcBlend);
    cache.Set(ES_SrcBlend, BlendOne);
    EXPECT_EQ(cache.DirtyMask(), 1u << ES_SrcBlend);
    cache.Set(ES_SrcBlend, applied);
    EXPECT_EQ(cache.DirtyMask(), 0u);
}

TEST_F(RenderStateTest, SamplerSettingBackToItsAppliedValueClearsTheDirtyBit)
{
    RenderStateCache& cache = GR_RenderStateCache();
    cache.SetSampler(0, ESS_MagFilter, 1);
    EXPECT_NE(cache.SamplerDirtyMask(), 0u);
    cache.SetSampler(0, ESS_MagFilter, 0);
    EXPECT_EQ(cache.SamplerDirtyMask(), 0u);
}

TEST_F(RenderStateTest, SettersReachTheDeviceOnlyAtTheFlush)
{
    GR_3D_SetLighting(true);
    EXPECT_EQ(device->Count("SetRenderState"), 0u);
    GR_RenderStateCache().Flush();
    EXPECT_EQ(device->RenderState(RS_LIGHTING), 1u);
    EXPECT_EQ(GR_RenderStateCache().DirtyMask(), 0u);
}

TEST_F(RenderStateTest, BlendModesTranslateToTheDeviceFactors)
{
    struct Case {
        int32_t mode;
        uint32_t source, destination;
    };
    const Case cases[] = {
        {0, BlendSrcAlpha, BlendInvSrcAlpha}, {1, BlendSrcAlpha, BlendOne},  {2, BlendSrcAlpha, BlendInvSrcColor},
        {3, BlendZero, BlendInvSrcColor},     {7, BlendSrcAlpha, BlendInvSrcAlpha},
    };
    for (const Case& c : cases) {
        GR_SetBlendMode(c.mode);
        GR_RenderStateCache().Flush();
        EXPECT_EQ(device->RenderState(RS_SRCBLEND), c.source) << "mode " << c.mode;
        EXPECT_EQ(device->RenderState(RS_DESTBLEND), c.destination) << "mode " << c.mode;
    }
}

TEST_F(RenderStateTest, EngineValuesTranslateToDeviceValues)
{
    struct Case {
        uint32_t index, value, state, expected;
    };
    const Case cases[] = {
        {ES_CullMode, 1, RS_CULLMODE, kCullCW},          {ES_CullMode, 2, RS_CULLMODE, kCullCCW},
        {ES_CullMode, 7, RS_CULLMODE, kCullNone},        {ES_FillMode, 1, RS_FILLMODE, kFillPoint},
        {ES_FillMode, 0, RS_FILLMODE, kFillSolid},       {ES_ShadeMode, 1, RS_SHADEMODE, kShadeFlat},
        {ES_ShadeMode, 0, RS_SHADEMODE, kShadeGouraud},  {ES_SrcBlend, 0, RS_SRCBLEND, BlendZero},
        {ES_DestBlend, 18, RS_DESTBLEND, BlendZero},     {ES_DestBlend, 17, RS_DESTBLEND, 17},
        {ES_AlphaFunc, 9, RS_ALPHAFUNC, kCmpAlways},     {ES_AlphaFunc, 2, RS_ALPHAFUNC, kCmpLess},
        {ES_FogTableMode, 9, RS_FOGTABLEMODE, kFogLinear}, {ES_FogVertexMode, 2, RS_FOGVERTEXMODE, kFogExp2},
        {ES_ColourWriteEnable, 0x1F, RS_COLORWRITEENABLE, 15},
    };
    for (const Case& c : cases) {
        GR_D3D_ApplyState(c.index, c.value);
        EXPECT_EQ(device->RenderState(c.state), c.expected) << "engine state " << c.index << " = " << c.value;
    }
}

TEST_F(RenderStateTest, TheDeviceMirrorSkipsValuesTheDeviceAlreadyHolds)
{
    GR_D3D_ApplyState(ES_Lighting, 1);
    GR_D3D_ApplyState(ES_Lighting, 1);
    EXPECT_EQ(device->Count("SetRenderState"), 1u);
}

TEST_F(RenderStateTest, ApplyRenderStateBringsBackTheGamesWishesAfterAReset)
{
    GR_SetBlendMode(1);
    GR_SetAlphaTest(true);
    GR_SetAlphaTestRefValue(40);
    GR_SetCulling(true);
    GR_RenderStateCache().Flush();
    device->ClearCalls();

    GR_ApplyRenderState();

    EXPECT_EQ(device->RenderState(RS_DESTBLEND), BlendOne);
    EXPECT_EQ(device->RenderState(RS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(device->RenderState(RS_ALPHAREF), 40u);
    EXPECT_EQ(device->RenderState(RS_CULLMODE), kCullCCW);
    EXPECT_EQ(device->RenderState(RS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(device->RenderState(RS_SHADEMODE), kShadeGouraud);
}

TEST_F(RenderStateTest, FogWithoutDeviceSupportStaysOffAndKeepsTheOldSettings)
{
    GR_3D_SetFog(true, 0x0000FF, 10.0f, 20.0f);
    GR_RenderStateCache().Flush();
    device->rasterCaps = 0;
    GR_3D_SetFog(true, 0xFF0000, 30.0f, 40.0f);
    GR_RenderStateCache().Flush();

    EXPECT_EQ(device->RenderState(RS_FOGENABLE), 0u);
    EXPECT_EQ(device->RenderState(RS_FOGCOLOR), 0xFFFF0000u);  // red, as first set
    EXPECT_EQ(device->RenderState(RS_FOGSTART), std::bit_cast<uint32_t>(10.0f));
}

TEST_F(RenderStateTest, VertexFogIsUsedWhenTheDeviceHasNoTableFog)
{
    device->rasterCaps = kRasterCapsFogVertex;
    GR_3D_SetFog(true, 0, 1.0f, 2.0f);
    GR_RenderStateCache().Flush();
    EXPECT_EQ(device->RenderState(RS_FOGVERTEXMODE), kFogLinear);
    EXPECT_EQ(device->RenderState(RS_RANGEFOGENABLE), 1u);
}

TEST_F(RenderStateTest, HiddenSurfaceRemovalAskedForIn2DTakesEffectWith3D)
{
    GR_D3D_ApplyState(ES_ZEnable, 0);
    GR_3D_SetHidden(true);
    GR_RenderStateCache().Flush();
    EXPECT_EQ(device->RenderState(RS_ZENABLE), 0u);

    GR_3D_Set(true);
    GR_RenderStateCache().Flush();
    EXPECT_EQ(device->RenderState(RS_ZENABLE), 1u);
}

TEST_F(RenderStateTest, InterpolationAndRepeatSetTheSamplerStates)
{
    GR_SetInterpolation(false);
    Texture_SetRepeat(false);
    GR_RenderStateCache().Flush();
    std::vector<uint32_t> magnification;
    for (const RecordedCall* call : device->Find("SetSamplerState")) {
        if (call->args[1] == kSampMagFilter) {
            magnification.push_back(call->args[2]);
        }
        if (call->args[1] == kSampAddressU) {
            EXPECT_EQ(call->args[2], kTexAddressClamp);
        }
    }
    EXPECT_EQ(magnification, std::vector<uint32_t>{kTexFilterPoint});
}

}  // namespace
}  // namespace bw
