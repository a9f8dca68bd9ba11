#include "graphics/overlay_hooks.h"

#include "graphics/render_state.h"
#include "graphics/screen.h"
#include "graphics/transforms.h"
#include "platform/maths.h"

namespace bw {

namespace {

OverlayHooks g_hooks;

struct SavedScreenSpaceState {
    AppliedStateFlags flags;
    Matrix view{};
    Matrix projection{};
};
SavedScreenSpaceState g_saved;

void Call(void (*hook)())
{
    if (hook != nullptr) {
        hook();
    }
}

}  // namespace

void Overlay_SetHooks(const OverlayHooks& hooks)
{
    g_hooks = hooks;
}

void Overlay_Init()
{
    Call(g_hooks.init);
}

void Profiler_BeginFrame()
{
    Call(g_hooks.beginFrame);
}

void Overlay_Draw()
{
    Call(g_hooks.draw);
}

void FPS_Dump()
{
    Call(g_hooks.fpsDump);
}

void Overlay_Shutdown()
{
    Call(g_hooks.shutdown);
}

void Overlay_BeginScreenSpace()
{
    g_saved.flags = GR_AppliedStateFlags();
    GR_D3D_GetMatrix(TransformKind::View, g_saved.view);
    GR_D3D_GetMatrix(TransformKind::Projection, g_saved.projection);

    const float width = static_cast<float>(GR_GetScreenWidth());
    const float height = static_cast<float>(GR_GetScreenHeight());
    const Matrix view = Matrix_Translation(-(width / 2.0f), -(height / 2.0f), 16000.0f);
    Matrix projection{};
    Matrix_BuildOrthoProjection(projection, width, -height, 1.0f, 32000.0f);
    GR_D3D_SetMatrix(TransformKind::View, view);
    GR_D3D_SetMatrix(TransformKind::Projection, projection);

    GR_D3D_ApplyState(ES_CullMode, 0);
    GR_D3D_ApplyState(ES_ZEnable, 0);
    GR_D3D_ApplyState(ES_Lighting, 0);
    GR_D3D_ApplyState(ES_FogEnable, 0);
    GR_D3D_ApplyState(ES_AlphaBlendEnable, 1);
    GR_D3D_SetMatrix(TransformKind::World, Matrix_Identity());
}

void Overlay_EndScreenSpace()
{
    // The engine cache still holds the game's states: sending them all again
    // undoes what screen space changed behind its back.
    GR_RenderStateCache().ApplyAll();
    // The saved projection already carries its half-pixel correction.
    GR_D3D_RestoreMatrix(TransformKind::View, g_saved.view);
    GR_D3D_RestoreMatrix(TransformKind::Projection, g_saved.projection);
}

}  // namespace bw
