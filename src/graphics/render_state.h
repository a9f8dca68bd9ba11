// Drawing state is never sent to the device at the moment game code sets it.
// The engine layer (`RenderStateCache`) keeps a pending and an applied value
// per engine state with a dirty bit; the vertex batch refuses to grow while
// anything is dirty and every batch flush ends with `Flush`, so a state
// change lands exactly between the vertices drawn before and after it. Below
// it, a mirror of the device's states skips device calls that change nothing.
//
// The setters are the back ends of the graphics and 3D built-ins; each also
// remembers what the game asked for, so `GR_ApplyRenderState` can bring it
// all back after the device is created or reset.
#pragma once

#include <cstdint>

namespace bw {

// Engine render-state indices (0, 9, 14, 19 and 22 drive nothing).
enum EngineState : uint32_t {
    ES_ZEnable = 1,
    ES_FillMode = 2,
    ES_ShadeMode = 3,
    ES_ZWriteEnable = 4,
    ES_AlphaTestEnable = 5,
    ES_SrcBlend = 6,
    ES_DestBlend = 7,
    ES_CullMode = 8,
    ES_AlphaRef = 10,
    ES_AlphaFunc = 11,
    ES_AlphaBlendEnable = 12,
    ES_FogEnable = 13,
    ES_FogColour = 15,
    ES_FogTableMode = 16,
    ES_FogStart = 17,
    ES_FogEnd = 18,
    ES_RangeFogEnable = 20,
    ES_Lighting = 21,
    ES_FogVertexMode = 23,
    ES_ColourWriteEnable = 24,
};

// Engine sampler settings; entry = stage * 4 + setting.
enum EngineSampler : uint32_t {
    ESS_MagFilter = 0,  // 0 linear, non-zero point
    ESS_MinFilter = 1,
    ESS_AddressU = 2,  // 0 wrap, non-zero clamp
    ESS_AddressV = 3,
};

class RenderStateCache {
public:
    static constexpr uint32_t kStateCount = 25;
    static constexpr uint32_t kSamplerCount = 32;

    RenderStateCache();

    // Only the pending value changes; the dirty bit says whether it now
    // differs from what the device was last given.
    void Set(uint32_t index, uint32_t value);
    void SetSampler(uint32_t stage, uint32_t setting, uint32_t value);
    // Sends every dirty state to the device.
    void Flush();
    // Marks every handled state dirty and flushes: after the device's own
    // defaults were set, or when someone changed device states behind us.
    void ApplyAll();

    uint32_t DirtyMask() const { return m_dirty; }
    uint64_t SamplerDirtyMask() const { return m_samplerDirty; }
    uint32_t Pending(uint32_t index) const { return m_pending[index]; }
    uint32_t Applied(uint32_t index) const { return m_applied[index]; }

private:
    uint32_t m_dirty = 0;
    uint32_t m_applied[kStateCount];
    uint32_t m_pending[kStateCount];
    uint64_t m_samplerDirty = 0;
    uint32_t m_appliedSampler[kSamplerCount];
    uint32_t m_pendingSampler[kSamplerCount];
};

// The program's one cache.
RenderStateCache& GR_RenderStateCache();

// What the last `GR_D3D_ApplyState` calls left in force; the overlay saves
// and restores these around its screen-space drawing.
struct AppliedStateFlags {
    bool zEnable = false;
    bool fogEnable = false;
    bool lighting = false;
    uint32_t cull = 0;  // the engine value of state 8
};
const AppliedStateFlags& GR_AppliedStateFlags();

// Engine state to device state, through the device mirror.
void GR_D3D_ApplyState(uint32_t index, uint32_t value);
void GR_D3D_SetTextureFilter(uint32_t stage, uint32_t setting, uint32_t value);
// Device states, sent only when they differ from the mirror.
void GR_D3D_SetRenderState(uint32_t state, uint32_t value);
void GR_D3D_SetSamplerState(uint32_t stage, uint32_t type, uint32_t value);
// Forgets what the device holds (a new device): every value set next
// reaches it.
void GR_D3D_ClearStateMirrors();
// The device's defaults, with the mirror first marked unknown.
void GR_D3D_SetDefaultStates();
// off: texture only; on: texture times vertex colour.
void GR_D3D_SetTextureStageOps(bool blend);

// Brings the device to the game's wishes (after creation and every reset).
void GR_ApplyRenderState();

// Creation option: filter linearly when the game image is stretched onto the
// window. The game's own filtering starts from it too, and a reset keeps
// whatever the game set since.
void GR_SetScaleInterpolation(bool linear);
bool GR_GetScaleInterpolation();

// Setters behind the built-ins.
void GR_SetBlendModeExt(uint32_t source, uint32_t destination);
void GR_SetBlendMode(int32_t mode);  // 0 normal, 1 add, 2 max, 3 subtract; others normal
void GR_SetColourWriteEnable(bool red, bool green, bool blue, bool alpha);
void GR_SetCulling(bool on);
void GR_3D_SetHidden(bool on);
void GR_3D_SetLighting(bool on);
void GR_3D_SetShading(bool smooth);
void GR_3D_SetZWriteEnable(bool on);
// colour: 0x00BBGGRR script colour.
void GR_3D_SetFog(bool enable, uint32_t colour, float start, float end);
void GR_SetAlphaTest(bool on);
void GR_SetAlphaTestRefValue(uint32_t value);
void GR_SetAlphaTestFunc(uint32_t compare);
void GR_SetInterpolation(bool linear);
void Texture_SetRepeat(bool repeat);
void Texture_SetBlending(bool on);
void GR_3D_SetPerspective(bool on);

bool GR_GetAlphaTest();
uint32_t GR_GetAlphaTestRefValue();
uint32_t GR_GetAlphaTestFunc();
bool GR_GetInterpolation();
bool Texture_GetRepeat();
bool GR_3D_GetPerspective();
bool GR_3D_GetHidden();

// Texture repeat on for the scope's life (what is batched so far is drawn
// first, under the old setting), then back to what it was.
class TextureRepeatScope {
public:
    TextureRepeatScope();
    ~TextureRepeatScope();
    TextureRepeatScope(const TextureRepeatScope&) = delete;
    TextureRepeatScope& operator=(const TextureRepeatScope&) = delete;

private:
    bool m_repeat;
};

// Back to the start-up wishes and a fresh cache (device creation and tests).
void GR_ResetRenderWishes();

}  // namespace bw
