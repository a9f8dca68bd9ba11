// The displays ("adapters") with their desktop settings and modes, the choice
// of the mode that best fits the game's size, and the small services behind
// the display built-ins. On this platform there is no system-wide mode
// change: setting a mode means an exclusive full-screen window in it, and
// 16-bit modes do not exist.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bw {

struct DisplayMode {
    int16_t width;
    int16_t height;
    uint8_t bitsPerPixel;  // 16 or 32
    uint8_t refreshRate;
    uint16_t modeNumber;
    uint32_t adapter;
};

struct AdapterRecord {
    uint32_t flags = 0;  // bit 0: the desktop is portrait
    std::string deviceName;
    std::vector<DisplayMode> modes;
    int32_t desktopX = 0, desktopY = 0;
    int32_t desktopWidth = 640, desktopHeight = 480;
    int32_t desktopBits = 8;
    int32_t desktopFrequency = 60;
    uint32_t ordinal = 0;
};

void GR_D3D_EnumAdapters();
const std::vector<AdapterRecord>& GR_Adapters();
// The first adapter's mode that best fits w x h; null when it has none.
const DisplayMode* GR_Display_FindMode(int32_t w, int32_t h);
const DisplayMode* GR_Display_FindModeIn(const std::vector<DisplayMode>& modes, int32_t w, int32_t h);

int32_t GR_Display_GetWidth();
int32_t GR_Display_GetHeight();
int32_t GR_Display_GetFrequency();
int32_t GR_Display_GetColorDepth();
// Values <= 0 leave that field as it is.
bool GR_Display_TestAll(int32_t w, int32_t h, int32_t frequency, int32_t bitsPerPixel);
bool GR_Display_SetAll(int32_t w, int32_t h, int32_t frequency, int32_t bitsPerPixel);
bool GR_Display_SetSize(int32_t w, int32_t h);
bool GR_Display_SetFrequency(int32_t frequency);
bool GR_Display_SetColorDepth(int32_t bitsPerPixel);
int32_t GR_Display_MouseGetX();
int32_t GR_Display_MouseGetY();
// Moves the pointer only while the game's window is the active one.
void GR_Display_MouseSet(int32_t x, int32_t y);
void GR_Display_SetApplicationActive(bool active);

}  // namespace bw
