// The device's life and the frames drawn with it. Creation (with its fallback
// messages), the reset that follows a change of window size, full screen or
// vsync, and every frame: the drawing of a frame lands in the screen texture
// (a render target of the game's size) and reaches the back buffer only in
// the end-of-frame blit, stretched to the window and letterboxed when the
// aspect ratio is kept. When the screen, the back buffer and the window are
// one size, the texture is copied into the window instead, and while nothing
// reads the screen texture the frame is drawn straight into the window.
#pragma once

#include <cstdint>

namespace bw {

class TextureRecord;

// Options word of the game header.
inline constexpr uint32_t kGraphicsFullscreen = 1, kGraphicsVSync = 2, kGraphicsSoftwareVertices = 4,
                          kGraphicsInterpolate = 8, kGraphicsKeepAspect = 16;

// Work that belongs to other modules but must happen at fixed points here.
struct ScreenHooks {
    void (*freeAllSurfaces)() = nullptr;     // before a reset: surfaces are render targets
    void (*resetSurfaceTarget)() = nullptr;  // a frame ended with a surface still the target
};
void GR_SetScreenHooks(const ScreenHooks& hooks);

// A device failure the game cannot go on from: the message, then the end of
// the process with -1, as the runner's other fatal errors end it: nothing
// of the shut-down runs, as the world was left in the middle of a step.
[[noreturn]] void GR_FailAndExit(const char* message);
bool GR_D3D_Init(int32_t w, int32_t h, uint32_t options);
bool GR_D3D_CreateDevice(int32_t w, int32_t h, uint32_t options);
bool GR_D3D_IsReady();
namespace Graphics {
// Full reset: surfaces freed, device reset, cleared, states applied again.
bool Reset();
}  // namespace Graphics
bool GR_D3D_Reset();
bool GR_D3D_Start_Frame();
void GR_D3D_BeginFrame();
bool GR_D3D_Finish_Frame(bool present);
void GR_D3D_EndFrame();
void GR_D3D_BlitScreen();
// Before the screen texture is read, and when a frame draws over the last
// one: brings the image into it when the window holds it (the frame drawn so
// far, or the one last shown), moves the open frame's drawing there and keeps
// the next frames on the texture for a while.
void GR_KeepScreenTexture();
void GR_D3D_GetLetterbox(int32_t& x, int32_t& y);
bool GR_D3D_Present();
// Begin, end and present in one call.
void GR_D3D_Frame();
bool GR_ShowWindowPending();
bool GR_D3D_LeaveFullscreen();
void GR_D3D_SetAntiAlias(int32_t level);
void GR_D3D_SetVSync(bool on);
void GR_D3D_ClearAll();
void GR_D3D_Shutdown();
void GR_D3D_FreeScreen();
void GR_UpdateFrameTiming();
void GR_D3D_InitTimerAndFont();

// Sizes: the game window (what the game asked for), the screen texture, the
// display (screen size clamped to the desktop), the back buffer, the client.
void GR_SetScreenSize(int32_t w, int32_t h);
int32_t GR_GetScreenWidth();
int32_t GR_GetScreenHeight();
// The size game code gives the GUI layer (display_set_gui_size); a
// negative side is unset and the game window's serves in its place.
void GR_SetGuiSize(int32_t w, int32_t h);
int32_t GR_GetGuiWidth();
int32_t GR_GetGuiHeight();
// Flushes, leaves 3D, and places what is drawn next over the whole game
// window in GUI units (what the draw GUI pass and the virtual keys use).
void GR_SetGuiProjection();
// The GUI projection for as long as it lives; at its end 3D mode comes
// back as it was, with the game's perspective and hidden-surface wishes,
// which leaving and entering 3D mode would otherwise reset.
class GuiProjectionScope {
public:
    GuiProjectionScope();
    ~GuiProjectionScope();
    GuiProjectionScope(const GuiProjectionScope&) = delete;
    GuiProjectionScope& operator=(const GuiProjectionScope&) = delete;

private:
    bool m_3d;
    bool m_perspective;
    bool m_hidden;
};
int32_t GR_GetDisplayWidth();
int32_t GR_GetDisplayHeight();
void GR_GetBackBufferSize(int32_t& w, int32_t& h);
void GR_GetClientSize(int32_t& w, int32_t& h);
TextureRecord* GR_GetScreenTexture();
bool GR_IsFullscreen();
void GR_SetFullscreenWish(bool fullscreen);
// The window built-ins ask for a size; the next reset takes it.
void GR_SetRequestedSize(int32_t w, int32_t h);
void GR_SetKeepPosition(bool keep);
// Header flag 0x40: a sizeable window frame.
void GR_SetWindowSizeable(bool sizeable);
int32_t GR_FrameOpenCount();
// Microseconds the last present took; frames in the last whole second.
int64_t GR_LastPresentMicroseconds();
int32_t GR_FramesLastSecond();

}  // namespace bw
