// The frame-rate overlay and the profiler. Once per frame, after the game
// has drawn and before the image is presented, the device calls
// Overlay_Draw: it closes the frame's profiler sections, updates the
// frames-per-second statistics and, when switched on, draws in screen
// pixels the FPS line with one bar per profiler section and the caption
// panel. Its text uses the small bitmap font of the built-in image table.
#pragma once

#include <cstdarg>
#include <cstdint>

namespace bw {

class TextureRecord;

// ---- Flags ---------------------------------------------------------------------
inline constexpr uint32_t kOverlayCaption = 1;    // the caption panel
inline constexpr uint32_t kOverlayFPS = 2;        // the FPS line and profiler bars
inline constexpr uint32_t kOverlayFPSToggle = 8;  // the panel offers the FPS switch
// Hidden until the game's debug settings ask for it.
void Overlay_SetFlags(uint32_t flags);
uint32_t Overlay_GetFlags();

// Puts this module behind the device's overlay call points.
void Overlay_Install();

// Graphics start: the profiler's frame state, and the font texture made once.
void Overlay_Start();
TextureRecord* Overlay_FontTexture();

// ---- Profiler ------------------------------------------------------------------
inline constexpr int32_t kProfilerMaxSections = 1024;
// A bar this long (in microseconds) spans the whole screen: one frame at
// 15 frames per second.
inline constexpr float kProfilerFrameBudget = 66666.664f;

struct ProfilerSection {
    int64_t begin = 0;  // microseconds (Timer_GetTime)
    int64_t end = 0;
    uint32_t colour = 0;  // 0xAARRGGBB
    const char* name = "";
    int32_t depth = 0;  // sections open around it when it began
};

// Depth 0, frame begun, frame start now, no sections, then "Total" opened.
void Profiler_StartFrame();
// Begins the frame first when needed. Beyond the section limit the section
// is not recorded, and its Profiler_End closes nothing else.
void Profiler_Begin(uint32_t colour, const char* name);
void Profiler_End();
int32_t Profiler_SectionCount();
const ProfilerSection& Profiler_Section(int32_t index);

// ---- Frames per second ---------------------------------------------------------
struct FPSStatistics {
    int32_t minimum = 2147483647;
    int32_t maximum = -2147483647 - 1;
    int32_t average = 30;
    int32_t frames = 0;
    int32_t current = 0;  // the last frame's
};
const FPSStatistics& FPS_Statistics();
// Closes the frame's sections and counts the frame into the statistics;
// the first 100 frames only count.
void Overlay_MeasureFrame();
// Back to the start values, the font texture freed (device shut-down, and
// tests); the next Overlay_Start makes the font again.
void Overlay_Reset();

// The frame's overlay: measures, handles a click on the panel, draws.
void Overlay_DrawFrame();
// Logs the statistics ("minFPS, maxFPS, avgFPS").
void Overlay_DumpFPS();

// ---- Mouse -----------------------------------------------------------------------
// A left click at a position in overlay pixels: opens, closes and switches
// the panel (see overlay.cpp).
void Overlay_HandleClick(int32_t x, int32_t y);

// ---- Text (screen pixels; colours 0xAABBGGRR, as script colours with alpha) --------
inline constexpr int32_t kOverlayLineHeight = 14;
// Any x equal to this centres each line of Overlay_Printf.
inline constexpr int32_t kOverlayCentred = static_cast<int32_t>(0x81234567u);

float Overlay_TextWidth(const char* text);
void Overlay_DrawText(float x, float y, uint32_t colour, const char* text);
// Four copies in the outline colour (one pixel left, right, up, and two
// down) under the text.
void Overlay_DrawTextOutlined(float x, float y, uint32_t outline, uint32_t colour, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
void Overlay_DrawTextCentred(float y, uint32_t outline, uint32_t colour, const char* text);
// Word-wrapped at the screen width on spaces and line feeds.
void Overlay_Printf(int32_t x, int32_t y, uint32_t outline, uint32_t colour, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
void Overlay_VPrintf(int32_t x, int32_t y, uint32_t outline, uint32_t colour, const char* format, va_list args);
void Overlay_DrawCaption();

}  // namespace bw
