#include "graphics/overlay.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/builtin_images.h"
#include "graphics/device/device.h"
#include "graphics/overlay_hooks.h"
#include "graphics/screen.h"
#include "graphics/texture_records.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"
#include "platform/console.h"
#include "platform/options.h"
#include "platform/package_loader.h"
#include "platform/timer.h"
#include "world/input.h"
#include "world/object_loader.h"

namespace bw {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kTotalColour = 0xFF000080u;
constexpr int32_t kStatisticsWarmUpFrames = 100;

struct Profiler {
    std::array<ProfilerSection, kProfilerMaxSections> sections{};
    int32_t count = 0;
    std::array<int32_t, kProfilerMaxSections> open{};  // indices of open sections
    int32_t depth = 0;
    int32_t unrecorded = 0;  // begun beyond the limit and not ended yet
    bool frameBegun = false;
    int64_t frameStart = 0;
};

// A click sequence on a 10 x 10 grid over the screen; each step is a cell
// and how many cells off a click may land.
struct TapStep {
    int32_t column, row, tolerance;
};
constexpr TapStep kOpenPanelTaps[] = {{0, 0, 1}, {9, 0, 1}, {9, 9, 1}, {0, 9, 1}, {0, 0, 1}, {9, 9, 1}, {5, 5, 1}};
constexpr TapStep kOfferFPSTaps[] = {{0, 9, 1}, {9, 9, 1}, {0, 9, 1}, {9, 9, 1},
                                     {5, 0, 1}, {5, 9, 1}, {5, 0, 1}, {5, 9, 1}};

struct OverlayState {
    uint32_t flags = 0;
    FPSStatistics fps;
    Profiler profiler;
    TextureRecord* font = nullptr;
    int32_t openTaps = 0;
    int32_t fpsTaps = 0;
};
OverlayState g_overlay;

// "CLOSE" and the FPS switch of the panel.
constexpr int32_t kCloseWidthFromRight = 80, kCloseRightMargin = 16, kCloseTop = 81, kCloseBottom = 95;
constexpr int32_t kSwitchLeft = 11, kSwitchRight = 73, kSwitchTop = 11, kSwitchBottom = 25;
constexpr float kPanelHeight = 100.0f;
constexpr uint32_t kPanelColour = 0xC0000000u;
constexpr float kBarTop = 16.0f, kBarHeight = 5.0f, kBarStep = 6.0f;

template <size_t N>
void AdvanceTaps(const TapStep (&steps)[N], int32_t& counter, int32_t x, int32_t y, bool& completed)
{
    completed = false;
    const int32_t cellW = std::max(1, GR_GetScreenWidth() / 10);
    const int32_t cellH = std::max(1, GR_GetScreenHeight() / 10);
    const TapStep& step = steps[static_cast<size_t>(counter)];
    const bool hit = std::abs(x / cellW - step.column) <= step.tolerance &&
                     std::abs(y / cellH - step.row) <= step.tolerance;
    if (!hit) {
        counter = 0;
        return;
    }
    if (++counter == static_cast<int32_t>(N)) {
        counter = 0;
        completed = true;
    }
}

void DrawQuad(float x0, float y0, float x1, float y1, uint32_t colour)
{
    auto* out = reinterpret_cast<Vertex2D*>(GR_VB_AllocVerts(PrimitiveTriangleList, nullptr, sizeof(Vertex2D), 6));
    if (out == nullptr) {
        return;
    }
    const Vertex2D corners[4] = {{x0, y0, 0.7f, colour}, {x1, y0, 0.7f, colour}, {x1, y1, 0.7f, colour},
                                 {x0, y1, 0.7f, colour}};
    const int order[6] = {0, 1, 2, 2, 3, 0};
    for (int i = 0; i < 6; ++i) {
        out[i] = corners[order[i]];
    }
}

void DrawProfilerBars()
{
    const Profiler& profiler = g_overlay.profiler;
    const float scale = static_cast<float>(GR_GetScreenWidth()) / kProfilerFrameBudget;
    for (int32_t i = 0; i < profiler.count; ++i) {
        const ProfilerSection& section = profiler.sections[static_cast<size_t>(i)];
        const float x0 = static_cast<float>(section.begin - profiler.frameStart) * scale;
        const float x1 = x0 + static_cast<float>(section.end - section.begin) * scale;
        const float y0 = kBarTop + static_cast<float>(section.depth) * kBarStep;
        DrawQuad(x0, y0, x1, y0 + kBarHeight, section.colour);
    }
}

void HandleMouse()
{
    if (!IO_MouseButtonPressed(1, 0)) {
        return;
    }
    int32_t clientW = 0, clientH = 0;
    GR_GetClientSize(clientW, clientH);
    int64_t x = IO_MouseWindowX(0), y = IO_MouseWindowY(0);
    if (clientW > 0 && clientH > 0) {
        x = x * GR_GetScreenWidth() / clientW;
        y = y * GR_GetScreenHeight() / clientH;
    }
    Overlay_HandleClick(static_cast<int32_t>(x), static_cast<int32_t>(y));
}

}  // namespace

void Overlay_SetFlags(uint32_t flags)
{
    g_overlay.flags = flags;
}

uint32_t Overlay_GetFlags()
{
    return g_overlay.flags;
}

void Overlay_Install()
{
    OverlayHooks hooks;
    hooks.init = &Overlay_Start;
    hooks.beginFrame = &Profiler_StartFrame;
    hooks.draw = &Overlay_DrawFrame;
    hooks.fpsDump = &Overlay_DumpFPS;
    hooks.shutdown = &Overlay_Reset;
    Overlay_SetHooks(hooks);
}

void Overlay_Start()
{
    g_overlay.profiler.depth = 0;
    g_overlay.profiler.unrecorded = 0;
    g_overlay.profiler.frameBegun = false;
    if (g_overlay.font == nullptr) {
        g_overlay.font = EmbeddedImage_CreateTexture(kBuiltinOverlayFont);
    }
}

TextureRecord* Overlay_FontTexture()
{
    return g_overlay.font;
}

void Profiler_StartFrame()
{
    Profiler& profiler = g_overlay.profiler;
    profiler.depth = 0;
    profiler.unrecorded = 0;
    profiler.frameBegun = true;
    profiler.frameStart = Timer_GetTime();
    profiler.count = 0;
    Profiler_Begin(kTotalColour, "Total");
}

void Profiler_Begin(uint32_t colour, const char* name)
{
    Profiler& profiler = g_overlay.profiler;
    if (!profiler.frameBegun) {
        Profiler_StartFrame();
    }
    if (profiler.count >= kProfilerMaxSections) {
        ++profiler.unrecorded;
        return;
    }
    const int32_t index = profiler.count++;
    profiler.sections[static_cast<size_t>(index)] =
        ProfilerSection{Timer_GetTime(), 0, colour, name != nullptr ? name : "", profiler.depth};
    profiler.open[static_cast<size_t>(profiler.depth++)] = index;
}

void Profiler_End()
{
    Profiler& profiler = g_overlay.profiler;
    // The end of a section that was never recorded must not close one that
    // was: that would cut short an enclosing section.
    if (profiler.unrecorded > 0) {
        --profiler.unrecorded;
        return;
    }
    if (profiler.depth > 0) {
        const int32_t index = profiler.open[static_cast<size_t>(--profiler.depth)];
        profiler.sections[static_cast<size_t>(index)].end = Timer_GetTime();
    }
}

int32_t Profiler_SectionCount()
{
    return g_overlay.profiler.count;
}

const ProfilerSection& Profiler_Section(int32_t index)
{
    return g_overlay.profiler.sections[static_cast<size_t>(index)];
}

const FPSStatistics& FPS_Statistics()
{
    return g_overlay.fps;
}

void Overlay_MeasureFrame()
{
    if (!g_overlay.profiler.frameBegun) {
        Profiler_StartFrame();
    }
    Profiler_End();
    const ProfilerSection& total = g_overlay.profiler.sections[0];
    // A frame never lasts less than a microsecond, so the rate stays finite.
    const int64_t frameTime = std::max<int64_t>(1, total.end - total.begin + GR_LastPresentMicroseconds());
    const auto fps = static_cast<int32_t>(std::lround(1000000.0 / static_cast<double>(frameTime)));
    FPSStatistics& statistics = g_overlay.fps;
    statistics.current = fps;
    if (statistics.frames >= kStatisticsWarmUpFrames) {
        statistics.minimum = std::min(statistics.minimum, fps);
        statistics.maximum = std::max(statistics.maximum, fps);
        statistics.average = static_cast<int32_t>((static_cast<int64_t>(statistics.average) + fps) / 2);
    }
    if (statistics.frames < 2147483647) {
        ++statistics.frames;
    }
}

void Overlay_Reset()
{
    GR_Texture_Free(g_overlay.font);
    g_overlay = OverlayState{};
}

void Overlay_HandleClick(int32_t x, int32_t y)
{
    uint32_t& flags = g_overlay.flags;
    bool completed = false;
    if ((flags & kOverlayCaption) == 0) {
        AdvanceTaps(kOpenPanelTaps, g_overlay.openTaps, x, y, completed);
        if (completed) {
            flags |= kOverlayCaption;
        }
        return;
    }
    const int32_t width = GR_GetScreenWidth();
    if (x > width - kCloseWidthFromRight && x < width - kCloseRightMargin && y >= kCloseTop && y <= kCloseBottom) {
        flags &= ~(kOverlayCaption | kOverlayFPSToggle);
        return;
    }
    if ((flags & kOverlayFPSToggle) != 0) {
        if (x >= kSwitchLeft && x <= kSwitchRight && y >= kSwitchTop && y <= kSwitchBottom) {
            flags ^= kOverlayFPS;
        }
        return;
    }
    AdvanceTaps(kOfferFPSTaps, g_overlay.fpsTaps, x, y, completed);
    if (completed) {
        flags |= kOverlayFPSToggle;
    }
}

void Overlay_DrawCaption()
{
    const float width = static_cast<float>(GR_GetScreenWidth());
    DrawQuad(0.0f, 0.0f, width, kPanelHeight, kPanelColour);
    char line[128];
    std::snprintf(line, sizeof line, "Vask Games Runner v%d.%d(%d)[%s]%c", 1, 2, 0, "r0",
                  Object_MarkedEventLoaded() ? '*' : ' ');
    Overlay_DrawTextCentred(40.0f, kBlack, kWhite, line);
    const GamePackage& package = Package();
    if (package.hasHeader) {
        const char* name = package.header.displayName != nullptr ? package.header.displayName : "";
        const std::string game = std::string("Game : ") + name + " v" + std::to_string(Options().versionMajor) + "." +
                                 std::to_string(Options().versionMinor);
        Overlay_DrawTextCentred(54.0f, kBlack, kWhite, game.c_str());
    }
    Overlay_DrawTextOutlined(width - 80.0f, 80.0f, kBlack, kWhite, "CLOSE");
    if ((g_overlay.flags & kOverlayFPSToggle) != 0) {
        Overlay_DrawTextOutlined(10.0f, 10.0f, kBlack, kWhite, "%s",
                                 (g_overlay.flags & kOverlayFPS) != 0 ? "FPS : ON" : "FPS : OFF");
    }
}

void Overlay_DrawFrame()
{
    Overlay_MeasureFrame();
    HandleMouse();
    const uint32_t flags = g_overlay.flags;
    // Hidden, the overlay leaves the frame's drawing state untouched.
    if ((flags & (kOverlayFPS | kOverlayCaption)) != 0) {
        Overlay_BeginScreenSpace();
        if ((flags & kOverlayFPS) != 0) {
            DrawProfilerBars();
            Overlay_DrawTextOutlined(0.0f, 0.0f, kBlack, kWhite, "%dfps\t\t(%d)(%d)", g_overlay.fps.current,
                                     GR_TextureSwaps(), GR_VB_DrawCalls());
        }
        if ((flags & kOverlayCaption) != 0) {
            Overlay_DrawCaption();
        }
        GR_VB_Flush();
        Overlay_EndScreenSpace();
    }
    g_overlay.profiler.frameBegun = false;
}

void Overlay_DumpFPS()
{
    tagIConsole& console = Console();
    console.Printf("---------------------------------------------------------------\n");
    console.Printf("minFPS, maxFPS, avgFPS\n");
    console.Printf("%d, %d, %d\n", g_overlay.fps.minimum, g_overlay.fps.maximum, g_overlay.fps.average);
}

}  // namespace bw
