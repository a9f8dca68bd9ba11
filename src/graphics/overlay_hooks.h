// The frame-rate overlay and profiler live with the debugging tools; the
// device calls them at fixed points of every frame through this table, which
// those tools fill in at start-up. Until they do, each point does nothing.
//
// Entering and leaving screen space is real here: the end-of-frame blit uses
// it to draw in window pixels and to leave the game's drawing state as it
// was.
#pragma once

namespace bw {

struct OverlayHooks {
    void (*init)() = nullptr;        // when the graphics timer starts
    void (*beginFrame)() = nullptr;  // every frame begin (profiler frame)
    void (*draw)() = nullptr;        // every frame end, after the last flush
    void (*fpsDump)() = nullptr;     // at shut-down, after the screen is freed
    void (*shutdown)() = nullptr;    // before the device goes: frees the overlay's textures
};
void Overlay_SetHooks(const OverlayHooks& hooks);

void Overlay_Init();
void Profiler_BeginFrame();
void Overlay_Draw();
void FPS_Dump();
void Overlay_Shutdown();

// Saves the z, fog, lighting and cull states and the view and projection,
// then sets a pixel-space view and projection of the screen size with
// culling, z, lighting and fog off, alpha blending on and an identity world.
void Overlay_BeginScreenSpace();
// Puts back what Overlay_BeginScreenSpace saved.
void Overlay_EndScreenSpace();

}  // namespace bw
