#include "graphics/display.h"

#include <cmath>

#include "host/window.h"

namespace bw {

namespace {

std::vector<AdapterRecord> g_adapters;
bool g_applicationActive = true;

AdapterRecord ReadAdapter(int32_t display)
{
    AdapterRecord adapter;
    adapter.ordinal = static_cast<uint32_t>(display);
    adapter.deviceName = HostDisplay_Name(display);
    HostDisplayMode desktop;
    int32_t x = 0;
    int32_t y = 0;
    if (HostDisplay_GetDesktop(display, desktop, x, y)) {
        adapter.desktopX = x;
        adapter.desktopY = y;
        adapter.desktopWidth = desktop.width;
        adapter.desktopHeight = desktop.height;
        adapter.desktopBits = desktop.bitsPerPixel;
        adapter.desktopFrequency = desktop.refreshRate;
    }
    const int32_t count = HostDisplay_ModeCount(display);
    for (int32_t i = 0; i < count; ++i) {
        HostDisplayMode mode;
        if (HostDisplay_GetMode(display, i, mode) && (mode.bitsPerPixel == 16 || mode.bitsPerPixel == 32)) {
            adapter.modes.push_back(DisplayMode{static_cast<int16_t>(mode.width), static_cast<int16_t>(mode.height),
                                                static_cast<uint8_t>(mode.bitsPerPixel),
                                                static_cast<uint8_t>(mode.refreshRate), static_cast<uint16_t>(i),
                                                adapter.ordinal});
        }
    }
    if (adapter.desktopWidth < adapter.desktopHeight) {
        adapter.flags |= 1;
    }
    return adapter;
}

bool SetMode(int32_t w, int32_t h, int32_t frequency, int32_t bitsPerPixel, bool testOnly)
{
    return HostDisplay_SetMode(HostDisplayMode{w, h, bitsPerPixel, frequency}, testOnly);
}

}  // namespace

void GR_D3D_EnumAdapters()
{
    g_adapters.clear();
    const int32_t count = HostDisplay_Count();
    for (int32_t display = 0; display < count; ++display) {
        g_adapters.push_back(ReadAdapter(display));
    }
}

const std::vector<AdapterRecord>& GR_Adapters()
{
    return g_adapters;
}

const DisplayMode* GR_Display_FindMode(int32_t w, int32_t h)
{
    return g_adapters.empty() ? nullptr : GR_Display_FindModeIn(g_adapters.front().modes, w, h);
}

const DisplayMode* GR_Display_FindModeIn(const std::vector<DisplayMode>& modes, int32_t w, int32_t h)
{
    // First the smallest mode at least as large, preferring the last that improved.
    const DisplayMode* best = nullptr;
    int64_t bestHeightExcess = 999999999;
    int64_t bestWidthExcess = 999999999;
    for (const DisplayMode& mode : modes) {
        const int64_t heightExcess = int64_t{mode.height} - h;
        const int64_t widthExcess = int64_t{mode.width} - w;
        if (heightExcess >= 0 && heightExcess < bestHeightExcess && widthExcess >= 0 &&
            widthExcess < bestWidthExcess) {
            bestHeightExcess = heightExcess;
            bestWidthExcess = widthExcess;
            best = &mode;
        }
    }
    if (best != nullptr) {
        return best;
    }
    // Otherwise the closest area, then 32-bit, then the refresh nearest 60 Hz.
    const double requestedArea = static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(w) *
                                                                          static_cast<uint32_t>(h)));
    if (requestedArea <= 0.0) {
        return modes.empty() ? nullptr : &modes.front();
    }
    double bestScore = 99999999.0;
    for (const DisplayMode& mode : modes) {
        const double score =
            std::fabs(1.0 - static_cast<double>(int64_t{mode.width} * mode.height) / requestedArea);
        bool wins = score < bestScore;
        if (!wins && score == bestScore && mode.bitsPerPixel == 32) {
            wins = best->bitsPerPixel != 32 ||
                   std::abs(int32_t{mode.refreshRate} - 60) < std::abs(int32_t{best->refreshRate} - 60);
        }
        if (wins) {
            bestScore = score;
            best = &mode;
        }
    }
    return best;
}

int32_t GR_Display_GetWidth()
{
    HostDisplayMode mode;
    int32_t x = 0;
    int32_t y = 0;
    return HostDisplay_GetDesktop(0, mode, x, y) ? mode.width : 0;
}

int32_t GR_Display_GetHeight()
{
    HostDisplayMode mode;
    int32_t x = 0;
    int32_t y = 0;
    return HostDisplay_GetDesktop(0, mode, x, y) ? mode.height : 0;
}

int32_t GR_Display_GetFrequency()
{
    HostDisplayMode mode;
    int32_t x = 0;
    int32_t y = 0;
    return HostDisplay_GetDesktop(0, mode, x, y) ? mode.refreshRate : -1;
}

int32_t GR_Display_GetColorDepth()
{
    HostDisplayMode mode;
    int32_t x = 0;
    int32_t y = 0;
    return HostDisplay_GetDesktop(0, mode, x, y) ? mode.bitsPerPixel : -1;
}

bool GR_Display_TestAll(int32_t w, int32_t h, int32_t frequency, int32_t bitsPerPixel)
{
    return SetMode(w, h, frequency, bitsPerPixel, true);
}

bool GR_Display_SetAll(int32_t w, int32_t h, int32_t frequency, int32_t bitsPerPixel)
{
    return SetMode(w, h, frequency, bitsPerPixel, false);
}

bool GR_Display_SetSize(int32_t w, int32_t h)
{
    return SetMode(w, h, 0, 0, false);
}

bool GR_Display_SetFrequency(int32_t frequency)
{
    return SetMode(0, 0, frequency, 0, false);
}

bool GR_Display_SetColorDepth(int32_t bitsPerPixel)
{
    return SetMode(0, 0, 0, bitsPerPixel, false);
}

int32_t GR_Display_MouseGetX()
{
    int32_t x = 0;
    int32_t y = 0;
    HostMouse_GetDesktopPosition(x, y);
    return x;
}

int32_t GR_Display_MouseGetY()
{
    int32_t x = 0;
    int32_t y = 0;
    HostMouse_GetDesktopPosition(x, y);
    return y;
}

void GR_Display_MouseSet(int32_t x, int32_t y)
{
    if (g_applicationActive) {
        HostMouse_SetDesktopPosition(x, y);
    }
}

void GR_Display_SetApplicationActive(bool active)
{
    g_applicationActive = active;
}

}  // namespace bw
