#include "graphics/render_state.h"

#include <bit>
#include <cstring>

#include "graphics/device/device.h"
#include "graphics/graphics_3d.h"
#include "graphics/vertex_batch.h"

namespace bw {

namespace {

constexpr uint32_t kConstructorDefaults[RenderStateCache::kStateCount] = {
    0, 0, 3, 1, 1, 0, 5, 6, 0, 0, 1, 5, 1, 0, 0, 0, 1, 0, 0x3F800000u, 0, 0, 0, 0, 3, 15,
};

// The engine states that drive a device state: 1-8, 10-13, 15-18, 20, 21, 23, 24.
constexpr uint32_t kHandledStates = 0x1FEu | 0x3C00u | 0x78000u | 0x300000u | 0x1800000u;
constexpr uint64_t kHandledSamplers = 0x3FFu;  // entries 0..9

// What the game asked for. The wishes start where the engine cache starts,
// except that shading starts smooth.
struct RenderWishes {
    uint32_t sourceBlend = BlendSrcAlpha;
    uint32_t destinationBlend = BlendInvSrcAlpha;
    uint32_t colourWriteMask = 15;
    bool culling = false;
    bool hidden = false;
    bool lighting = false;
    bool smoothShading = true;
    bool zWrite = true;
    bool fogEnable = false;
    uint32_t fogColour = 0;  // ARGB
    float fogStart = 0.0f;
    float fogEnd = 0.0f;
    bool alphaTest = false;
    uint32_t alphaRef = 1;
    uint32_t alphaFunc = kCmpGreater;
    bool interpolation = true;
    bool textureRepeat = true;
    bool textureBlending = true;
    bool perspective = false;
};

RenderStateCache g_cache;
RenderWishes g_wishes;
AppliedStateFlags g_appliedFlags;
bool g_scaleInterpolation = true;
uint32_t g_deviceStates[kRenderStateCount];
uint32_t g_deviceSamplers[8][kSamplerStateCount];

uint32_t TranslateBlend(uint32_t value)
{
    return value >= 2 && value <= 17 ? value : BlendZero;
}

uint32_t TranslateFogMode(uint32_t value)
{
    return value <= 2 ? value : kFogLinear;
}

// The fog the device can do: 1 table, 2 vertex, 0 none.
int FogCapability()
{
    IGraphicsDevice* device = Device_Get();
    const uint32_t caps = device != nullptr ? device->GetCaps().rasterCaps : 0;
    if ((caps & kRasterCapsFogTable) != 0) {
        return 1;
    }
    return (caps & kRasterCapsFogVertex) != 0 ? 2 : 0;
}

}  // namespace

RenderStateCache::RenderStateCache()
{
    std::memcpy(m_applied, kConstructorDefaults, sizeof(m_applied));
    std::memcpy(m_pending, kConstructorDefaults, sizeof(m_pending));
    std::memset(m_appliedSampler, 0, sizeof(m_appliedSampler));
    std::memset(m_pendingSampler, 0, sizeof(m_pendingSampler));
}

void RenderStateCache::Set(uint32_t index, uint32_t value)
{
    if (index >= kStateCount || m_pending[index] == value) {
        return;
    }
    m_pending[index] = value;
    if (value != m_applied[index]) {
        m_dirty |= 1u << index;
    } else {
        m_dirty &= ~(1u << index);
    }
}

void RenderStateCache::SetSampler(uint32_t stage, uint32_t setting, uint32_t value)
{
    const uint32_t entry = stage * 4 + setting;
    if (setting > 3 || entry >= kSamplerCount || m_pendingSampler[entry] == value) {
        return;
    }
    m_pendingSampler[entry] = value;
    if (value != m_appliedSampler[entry]) {
        m_samplerDirty |= uint64_t{1} << entry;
    } else {
        m_samplerDirty &= ~(uint64_t{1} << entry);
    }
}

void RenderStateCache::Flush()
{
    if (m_dirty != 0) {
        for (uint32_t i = 0; i < kStateCount; ++i) {
            if ((m_dirty & (1u << i)) != 0) {
                GR_D3D_ApplyState(i, m_pending[i]);
                m_applied[i] = m_pending[i];
            }
        }
        m_dirty = 0;
    }
    if (m_samplerDirty != 0) {
        for (uint32_t i = 0; i < kSamplerCount; ++i) {
            if ((m_samplerDirty & (uint64_t{1} << i)) != 0) {
                GR_D3D_SetTextureFilter(i / 4, i % 4, m_pendingSampler[i]);
                m_appliedSampler[i] = m_pendingSampler[i];
            }
        }
        m_samplerDirty = 0;
    }
}

void RenderStateCache::ApplyAll()
{
    m_dirty |= kHandledStates;
    m_samplerDirty |= kHandledSamplers;
    Flush();
}

RenderStateCache& GR_RenderStateCache()
{
    return g_cache;
}

const AppliedStateFlags& GR_AppliedStateFlags()
{
    return g_appliedFlags;
}

void GR_D3D_ApplyState(uint32_t index, uint32_t value)
{
    switch (index) {
    case ES_ZEnable:
        g_appliedFlags.zEnable = value != 0;
        GR_D3D_SetRenderState(RS_ZENABLE, value);
        break;
    case ES_FillMode:
        GR_D3D_SetRenderState(RS_FILLMODE, value == 1 ? kFillPoint : value == 2 ? kFillWireframe : kFillSolid);
        break;
    case ES_ShadeMode:
        GR_D3D_SetRenderState(RS_SHADEMODE, value == 1 ? kShadeFlat : kShadeGouraud);
        break;
    case ES_ZWriteEnable:
        GR_D3D_SetRenderState(RS_ZWRITEENABLE, value);
        break;
    case ES_AlphaTestEnable:
        GR_D3D_SetRenderState(RS_ALPHATESTENABLE, value);
        break;
    case ES_SrcBlend:
        GR_D3D_SetRenderState(RS_SRCBLEND, TranslateBlend(value));
        break;
    case ES_DestBlend:
        GR_D3D_SetRenderState(RS_DESTBLEND, TranslateBlend(value));
        break;
    case ES_CullMode:
        g_appliedFlags.cull = value;
        GR_D3D_SetRenderState(RS_CULLMODE, value == 1 ? kCullCW : value == 2 ? kCullCCW : kCullNone);
        break;
    case ES_AlphaRef:
        GR_D3D_SetRenderState(RS_ALPHAREF, value);
        break;
    case ES_AlphaFunc:
        GR_D3D_SetRenderState(RS_ALPHAFUNC, value >= 1 && value <= 7 ? value : kCmpAlways);
        break;
    case ES_AlphaBlendEnable:
        GR_D3D_SetRenderState(RS_ALPHABLENDENABLE, value);
        break;
    case ES_FogEnable:
        g_appliedFlags.fogEnable = value != 0;
        GR_D3D_SetRenderState(RS_FOGENABLE, value);
        break;
    case ES_FogColour:
        GR_D3D_SetRenderState(RS_FOGCOLOR, value);
        break;
    case ES_FogTableMode:
        GR_D3D_SetRenderState(RS_FOGTABLEMODE, TranslateFogMode(value));
        break;
    case ES_FogStart:
        GR_D3D_SetRenderState(RS_FOGSTART, value);
        break;
    case ES_FogEnd:
        GR_D3D_SetRenderState(RS_FOGEND, value);
        break;
    case ES_RangeFogEnable:
        GR_D3D_SetRenderState(RS_RANGEFOGENABLE, value);
        break;
    case ES_Lighting:
        g_appliedFlags.lighting = value != 0;
        GR_D3D_SetRenderState(RS_LIGHTING, value);
        break;
    case ES_FogVertexMode:
        GR_D3D_SetRenderState(RS_FOGVERTEXMODE, TranslateFogMode(value));
        break;
    case ES_ColourWriteEnable:
        GR_D3D_SetRenderState(RS_COLORWRITEENABLE, value & 15);
        break;
    default:
        break;
    }
}

void GR_D3D_SetTextureFilter(uint32_t stage, uint32_t setting, uint32_t value)
{
    switch (setting) {
    case ESS_MagFilter:
        GR_D3D_SetSamplerState(stage, kSampMagFilter, value == 0 ? kTexFilterLinear : kTexFilterPoint);
        break;
    case ESS_MinFilter:
        GR_D3D_SetSamplerState(stage, kSampMinFilter, value == 0 ? kTexFilterLinear : kTexFilterPoint);
        break;
    case ESS_AddressU:
        GR_D3D_SetSamplerState(stage, kSampAddressU, value == 0 ? kTexAddressWrap : kTexAddressClamp);
        break;
    case ESS_AddressV:
        GR_D3D_SetSamplerState(stage, kSampAddressV, value == 0 ? kTexAddressWrap : kTexAddressClamp);
        break;
    default:
        break;
    }
}

void GR_D3D_SetRenderState(uint32_t state, uint32_t value)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || state >= kRenderStateCount || g_deviceStates[state] == value) {
        return;
    }
    g_deviceStates[state] = value;
    device->SetRenderState(state, value);
}

void GR_D3D_SetSamplerState(uint32_t stage, uint32_t type, uint32_t value)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr || stage >= 8 || type >= kSamplerStateCount || g_deviceSamplers[stage][type] == value) {
        return;
    }
    g_deviceSamplers[stage][type] = value;
    device->SetSamplerState(stage, type, value);
}

void GR_D3D_ClearStateMirrors()
{
    std::memset(g_deviceStates, 0xFF, sizeof(g_deviceStates));
    std::memset(g_deviceSamplers, 0xFF, sizeof(g_deviceSamplers));
}

void GR_D3D_SetDefaultStates()
{
    std::memset(g_deviceStates, 0xFF, sizeof(g_deviceStates));
    GR_D3D_SetRenderState(RS_LIGHTING, 1);
    GR_D3D_SetRenderState(RS_ZENABLE, 1);
    GR_D3D_SetRenderState(RS_FILLMODE, kFillSolid);
    GR_D3D_SetRenderState(RS_SHADEMODE, kShadeGouraud);
    GR_D3D_SetRenderState(RS_ZWRITEENABLE, 1);
    GR_D3D_SetRenderState(RS_ALPHATESTENABLE, 0);
    GR_D3D_SetRenderState(RS_LASTPIXEL, 1);
    GR_D3D_SetRenderState(RS_SRCBLEND, BlendOne);
    GR_D3D_SetRenderState(RS_DESTBLEND, BlendZero);
    GR_D3D_SetRenderState(RS_CULLMODE, kCullNone);
    GR_D3D_SetRenderState(RS_ZFUNC, kCmpLessEqual);
    GR_D3D_SetRenderState(RS_ALPHAREF, 128);
    GR_D3D_SetRenderState(RS_ALPHAFUNC, kCmpAlways);
    GR_D3D_SetRenderState(RS_DITHERENABLE, 1);
    GR_D3D_SetRenderState(RS_ALPHABLENDENABLE, 0);
    GR_D3D_SetRenderState(RS_FOGENABLE, 0);
    GR_D3D_SetRenderState(RS_SPECULARENABLE, 0);
    GR_D3D_SetRenderState(RS_FOGCOLOR, 0);
    GR_D3D_SetRenderState(RS_FOGTABLEMODE, kFogNone);
    GR_D3D_SetRenderState(RS_FOGSTART, 0);
    GR_D3D_SetRenderState(RS_FOGEND, 1);
    GR_D3D_SetRenderState(RS_STENCILENABLE, 0);
    GR_D3D_SetRenderState(RS_STENCILZFAIL, 1);
    GR_D3D_SetRenderState(RS_COLORWRITEENABLE, 15);
    GR_D3D_SetRenderState(RS_BLENDOP, 1);
}

void GR_D3D_SetTextureStageOps(bool blend)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return;
    }
    if (!blend) {
        device->SetTextureStageState(0, kTssColorOp, kTopSelectArg1);
        device->SetTextureStageState(0, kTssAlphaOp, kTopSelectArg1);
        return;
    }
    device->SetTextureStageState(0, kTssColorOp, kTopModulate);
    device->SetTextureStageState(0, kTssColorArg1, kTaTexture);
    device->SetTextureStageState(0, kTssColorArg2, kTaDiffuse);
    device->SetTextureStageState(0, kTssAlphaOp, kTopModulate);
    device->SetTextureStageState(0, kTssAlphaArg1, kTaTexture);
    device->SetTextureStageState(0, kTssAlphaArg2, kTaDiffuse);
}

void GR_ApplyRenderState()
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return;
    }
    GR_D3D_SetDefaultStates();
    g_cache.Set(ES_AlphaBlendEnable, 1);
    GR_SetCulling(g_wishes.culling);
    GR_SetBlendModeExt(g_wishes.sourceBlend, g_wishes.destinationBlend);
    GR_3D_SetLighting(g_wishes.lighting);
    GR_3D_SetShading(g_wishes.smoothShading);
    GR_3D_SetHidden(g_wishes.hidden);
    GR_3D_SetFog(g_wishes.fogEnable, g_wishes.fogColour, g_wishes.fogStart, g_wishes.fogEnd);
    device->SetTexture(0, 0);
    GR_SetInterpolation(g_wishes.interpolation);
    GR_D3D_SetTextureStageOps(g_wishes.textureBlending);
    Texture_SetRepeat(g_wishes.textureRepeat);
    g_cache.Set(ES_ColourWriteEnable, g_wishes.colourWriteMask);
    GR_SetAlphaTest(g_wishes.alphaTest);
    GR_SetAlphaTestRefValue(g_wishes.alphaRef);
    GR_SetAlphaTestFunc(g_wishes.alphaFunc);
    g_cache.ApplyAll();
}

void GR_SetScaleInterpolation(bool linear)
{
    g_scaleInterpolation = linear;
}

bool GR_GetScaleInterpolation()
{
    return g_scaleInterpolation;
}

void GR_SetBlendModeExt(uint32_t source, uint32_t destination)
{
    g_wishes.sourceBlend = source;
    g_wishes.destinationBlend = destination;
    g_cache.Set(ES_SrcBlend, source);
    g_cache.Set(ES_DestBlend, destination);
}

void GR_SetBlendMode(int32_t mode)
{
    switch (mode) {
    case 1:
        GR_SetBlendModeExt(BlendSrcAlpha, BlendOne);
        break;
    case 2:
        GR_SetBlendModeExt(BlendSrcAlpha, BlendInvSrcColor);
        break;
    case 3:
        GR_SetBlendModeExt(BlendZero, BlendInvSrcColor);
        break;
    default:
        GR_SetBlendModeExt(BlendSrcAlpha, BlendInvSrcAlpha);
        break;
    }
}

void GR_SetColourWriteEnable(bool red, bool green, bool blue, bool alpha)
{
    g_wishes.colourWriteMask = (red ? 1u : 0u) | (green ? 2u : 0u) | (blue ? 4u : 0u) | (alpha ? 8u : 0u);
    g_cache.Set(ES_ColourWriteEnable, g_wishes.colourWriteMask);
}

void GR_SetCulling(bool on)
{
    g_wishes.culling = on;
    g_cache.Set(ES_CullMode, on ? 2 : 0);
}

void GR_3D_SetHidden(bool on)
{
    g_wishes.hidden = on;
    g_cache.Set(ES_ZEnable, on && GR_3D_IsOn() ? 1 : 0);
}

void GR_3D_SetLighting(bool on)
{
    g_wishes.lighting = on;
    g_cache.Set(ES_Lighting, on ? 1 : 0);
}

void GR_3D_SetShading(bool smooth)
{
    g_wishes.smoothShading = smooth;
    g_cache.Set(ES_ShadeMode, smooth ? 2 : 1);
}

void GR_3D_SetZWriteEnable(bool on)
{
    g_wishes.zWrite = on;
    g_cache.Set(ES_ZWriteEnable, on ? 1 : 0);
}

void GR_3D_SetFog(bool enable, uint32_t colour, float start, float end)
{
    // The script colour's red is the low byte; the device wants ARGB.
    const uint32_t argb = 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
    g_wishes.fogEnable = enable;
    if (!enable) {
        g_cache.Set(ES_FogEnable, 0);
        return;
    }
    const int capability = FogCapability();
    if (capability == 0) {
        // Without fog support the old colour and range stay as they were.
        g_wishes.fogEnable = false;
        g_cache.Set(ES_FogEnable, 0);
        return;
    }
    g_wishes.fogColour = argb;
    g_wishes.fogStart = start;
    g_wishes.fogEnd = end;
    g_cache.Set(ES_FogEnable, 1);
    if (capability == 1) {
        g_cache.Set(ES_FogTableMode, kFogLinear);
    } else {
        g_cache.Set(ES_FogVertexMode, kFogLinear);
        g_cache.Set(ES_RangeFogEnable, 1);
    }
    g_cache.Set(ES_FogColour, argb);
    g_cache.Set(ES_FogStart, std::bit_cast<uint32_t>(start));
    g_cache.Set(ES_FogEnd, std::bit_cast<uint32_t>(end));
}

void GR_SetAlphaTest(bool on)
{
    g_wishes.alphaTest = on;
    if (Device_Get() != nullptr) {
        g_cache.Set(ES_AlphaTestEnable, on ? 1 : 0);
    }
}

void GR_SetAlphaTestRefValue(uint32_t value)
{
    g_wishes.alphaRef = value;
    g_cache.Set(ES_AlphaRef, value);
}

void GR_SetAlphaTestFunc(uint32_t compare)
{
    g_wishes.alphaFunc = compare;
    g_cache.Set(ES_AlphaFunc, compare);
}

void GR_SetInterpolation(bool linear)
{
    g_wishes.interpolation = linear;
    g_cache.SetSampler(0, ESS_MagFilter, linear ? 0 : 1);
    g_cache.SetSampler(0, ESS_MinFilter, linear ? 0 : 1);
}

void Texture_SetRepeat(bool repeat)
{
    g_wishes.textureRepeat = repeat;
    g_cache.SetSampler(0, ESS_AddressU, repeat ? 0 : 1);
    g_cache.SetSampler(0, ESS_AddressV, repeat ? 0 : 1);
}

void Texture_SetBlending(bool on)
{
    GR_VB_Flush();
    g_wishes.textureBlending = on;
    GR_D3D_SetTextureStageOps(on);
}

void GR_3D_SetPerspective(bool on)
{
    g_wishes.perspective = on;
}

bool GR_GetAlphaTest()
{
    return g_wishes.alphaTest;
}

uint32_t GR_GetAlphaTestRefValue()
{
    return g_wishes.alphaRef;
}

uint32_t GR_GetAlphaTestFunc()
{
    return g_wishes.alphaFunc;
}

bool GR_GetInterpolation()
{
    return g_wishes.interpolation;
}

bool Texture_GetRepeat()
{
    return g_wishes.textureRepeat;
}

bool GR_3D_GetPerspective()
{
    return g_wishes.perspective;
}

bool GR_3D_GetHidden()
{
    return g_wishes.hidden;
}

void GR_ResetRenderWishes()
{
    g_cache = RenderStateCache();
    g_wishes = RenderWishes();
    g_appliedFlags = AppliedStateFlags();
    g_scaleInterpolation = true;
    GR_D3D_ClearStateMirrors();
}

TextureRepeatScope::TextureRepeatScope() : m_repeat(Texture_GetRepeat())
{
    GR_VB_Flush();
    Texture_SetRepeat(true);
}

TextureRepeatScope::~TextureRepeatScope()
{
    Texture_SetRepeat(m_repeat);
}

}  // namespace bw
