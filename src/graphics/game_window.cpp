#include "graphics/game_window.h"

#include <cmath>

#include "graphics/display.h"
#include "platform/real_to_int.h"
#include "graphics/screen.h"
#include "host/window.h"
#include "world/run_loop.h"

namespace bw {

namespace {

constexpr float kDegreesToRadians = 3.1415927f / 180.0f;

struct ViewMapping {
    bool inUse = false;
    float xview = 0, yview = 0, wview = 0, hview = 0;
    float xport = 0, yport = 0, wport = 0, hport = 0;
    float angle = 0;
    float extra = 0;
};

struct GameWindowState {
    bool sizeChanged = false;
    int32_t captionMode = 0;
    std::string caption;
    uint32_t colour = 0xFF000000u;
    int32_t cursor = 0;
    ViewMapping mappings[kViewMappingCount];
    int32_t mappingsInUse = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
};
GameWindowState g_window;

// Window pixels to screen-buffer pixels along one axis. A window with no
// room left beside the letterbox (minimised) maps unscaled.
double WindowToBuffer(int32_t window, int32_t buffer, int32_t client, int32_t offset)
{
    const int32_t shown = client - 2 * offset;
    if (shown <= 0) {
        return window;
    }
    return static_cast<double>(window) * (static_cast<double>(buffer) / static_cast<double>(shown));
}

struct WindowGeometry {
    int32_t clientW, clientH, offsetX, offsetY;
};

WindowGeometry Geometry()
{
    WindowGeometry geometry{};
    GR_GetClientSize(geometry.clientW, geometry.clientH);
    if (HostWindow_IsMinimised()) {
        geometry.clientW = 0;
        geometry.clientH = 0;
    }
    GR_D3D_GetLetterbox(geometry.offsetX, geometry.offsetY);
    return geometry;
}

// The view scale factors of room drawing, which turn port rectangles into
// window pixels; 0 (never set) is 1.
double BufferScale(float factor)
{
    return factor != 0.0f ? factor : 1.0;
}

HostCursor CursorFor(int32_t cursor, bool& known)
{
    known = true;
    switch (cursor) {
    case 0:
    case -2:
        return HostCursor::Arrow;
    case -1:
    case -5:
        return HostCursor::None;
    case -3:
        return HostCursor::Cross;
    case -4:
        return HostCursor::IBeam;
    case -6:
        return HostCursor::SizeNESW;
    case -7:
        return HostCursor::SizeNS;
    case -8:
        return HostCursor::SizeNWSE;
    case -9:
        return HostCursor::SizeWE;
    case -10:
        return HostCursor::UpArrow;
    case -11:
        return HostCursor::Wait;
    case -12:
    case -21:
        return HostCursor::Hand;
    case -19:
        return HostCursor::AppStarting;
    case -20:
        return HostCursor::Help;
    case -22:
        return HostCursor::SizeAll;
    default:
        if (cursor <= -13 && cursor >= -18) {
            return HostCursor::No;
        }
        known = false;
        return HostCursor::Arrow;
    }
}

}  // namespace

void Window_SetFullscreen(bool on)
{
    GR_SetFullscreenWish(on);
    Run_RequestDisplayReset();
}

bool Window_GetFullscreen()
{
    return GR_IsFullscreen();
}

void Window_SetSize(int32_t w, int32_t h)
{
    GR_SetRequestedSize(w, h);
    Run_RequestDisplayReset();
    g_window.sizeChanged = true;
}

void Window_SetRectangle(int32_t x, int32_t y, int32_t w, int32_t h)
{
    Window_SetPosition(x, y);
    GR_SetKeepPosition(true);
    Window_SetSize(w, h);
}

void Window_SetPosition(int32_t x, int32_t y)
{
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    HostWindow_GetBorders(left, top, right, bottom);
    HostWindow_SetPosition(Int32_SaturatedSum(x, left), Int32_SaturatedSum(y, top));
}

void Window_Center()
{
    const std::vector<AdapterRecord>& adapters = GR_Adapters();
    const int32_t desktopW = adapters.empty() ? GR_Display_GetWidth() : adapters.front().desktopWidth;
    const int32_t desktopH = adapters.empty() ? GR_Display_GetHeight() : adapters.front().desktopHeight;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    HostWindow_GetBorders(left, top, right, bottom);
    int32_t w = 0;
    int32_t h = 0;
    HostWindow_GetClientSize(w, h);
    Window_SetPosition((desktopW - (w + left + right)) / 2, (desktopH - (h + top + bottom)) / 2);
}

int32_t Window_GetX()
{
    int32_t x = 0, y = 0, left = 0, top = 0, right = 0, bottom = 0;
    HostWindow_GetPosition(x, y);
    HostWindow_GetBorders(left, top, right, bottom);
    return x - left;
}

int32_t Window_GetY()
{
    int32_t x = 0, y = 0, left = 0, top = 0, right = 0, bottom = 0;
    HostWindow_GetPosition(x, y);
    HostWindow_GetBorders(left, top, right, bottom);
    return y - top;
}

int32_t Window_GetWidth()
{
    int32_t w = 0, h = 0;
    HostWindow_GetClientSize(w, h);
    return w;
}

int32_t Window_GetHeight()
{
    int32_t w = 0, h = 0;
    HostWindow_GetClientSize(w, h);
    return h;
}

bool Window_SizeChanged()
{
    return g_window.sizeChanged;
}

void Window_ClearSizeChanged()
{
    g_window.sizeChanged = false;
}

void Window_SetCaptionMode(int32_t mode)
{
    g_window.captionMode = mode;
}

void Window_SetCaption(const char* utf8, bool force)
{
    if (!force && g_window.captionMode != 2 && g_window.captionMode != 3) {
        return;
    }
    g_window.caption = utf8 != nullptr ? utf8 : "";
    HostWindow_SetCaption(g_window.caption.c_str());
}

const std::string& Window_GetCaption()
{
    return g_window.caption;
}

void Window_SetColour(uint32_t colour)
{
    g_window.colour = colour | 0xFF000000u;
}

uint32_t Window_GetColour()
{
    return g_window.colour & 0xFFFFFFu;
}

void Window_SetCursor(int32_t cursor)
{
    g_window.cursor = cursor;
    bool known = false;
    const HostCursor host = CursorFor(cursor, known);
    if (known) {
        HostWindow_SetCursor(host);
    }
}

int32_t Window_GetCursor()
{
    return g_window.cursor;
}

void Window_SetViewMapping(int32_t index, float xport, float yport, float wport, float hport, float xview, float yview,
                           float wview, float hview, float angle, float extra)
{
    if (index < 0 || index >= kViewMappingCount) {
        return;
    }
    ViewMapping& mapping = g_window.mappings[index];
    if (!mapping.inUse) {
        ++g_window.mappingsInUse;
    }
    mapping = ViewMapping{true, xview, yview, wview, hview, xport, yport, wport, hport, angle, extra};
}

void Window_ClearViewMapping(int32_t index)
{
    if (index < 0 || index >= kViewMappingCount || !g_window.mappings[index].inUse) {
        return;
    }
    g_window.mappings[index].inUse = false;
    --g_window.mappingsInUse;
}

void Window_ResetViewMappings()
{
    for (ViewMapping& mapping : g_window.mappings) {
        mapping.inUse = false;
    }
    g_window.mappingsInUse = 0;
}

int32_t Window_ViewMappingsInUse()
{
    return g_window.mappingsInUse;
}

void Window_SetBufferScale(float x, float y)
{
    g_window.scaleX = x;
    g_window.scaleY = y;
}

bool Window_ViewMouse(int32_t index, int32_t windowX, int32_t windowY, int32_t& x, int32_t& y)
{
    if (index < 0 || index >= kViewMappingCount) {
        return false;
    }
    const ViewMapping& mapping = g_window.mappings[index];
    if (!mapping.inUse || mapping.wport == 0.0f || mapping.hport == 0.0f) {
        return false;
    }
    const WindowGeometry geometry = Geometry();
    int32_t bx = GR_TruncToInt32(WindowToBuffer(windowX, GR_GetScreenWidth(), geometry.clientW, geometry.offsetX) /
                                 BufferScale(g_window.scaleX));
    int32_t by = GR_TruncToInt32(WindowToBuffer(windowY, GR_GetScreenHeight(), geometry.clientH, geometry.offsetY) /
                                 BufferScale(g_window.scaleY));
    bx -= GR_TruncToInt32(mapping.xport);
    by -= GR_TruncToInt32(mapping.yport);
    const double dx = static_cast<double>(bx) * mapping.wview / mapping.wport;
    const double dy = static_cast<double>(by) * mapping.hview / mapping.hport;
    if (std::fabs(mapping.angle) < 0.01f) {
        x = GR_RoundToInt32(mapping.xview + dx);
        y = GR_RoundToInt32(mapping.yview + dy);
        return true;
    }
    const float a = -mapping.angle * kDegreesToRadians;
    const double ox = dx - mapping.wview / 2.0;
    const double oy = dy - mapping.hview / 2.0;
    x = GR_RoundToInt32(std::cos(a) * ox + mapping.xview + mapping.wview / 2.0 + std::sin(a) * oy);
    y = GR_RoundToInt32(mapping.yview + mapping.hview / 2.0 - std::sin(a) * ox + std::cos(a) * oy);
    return true;
}

void Window_MouseToRoom(int32_t windowX, int32_t windowY, int32_t& x, int32_t& y)
{
    const WindowGeometry geometry = Geometry();
    windowX -= geometry.offsetX;
    windowY -= geometry.offsetY;
    if (g_window.mappingsInUse == 0) {
        x = GR_TruncToInt32(WindowToBuffer(windowX, GR_GetScreenWidth(), geometry.clientW, geometry.offsetX));
        y = GR_TruncToInt32(WindowToBuffer(windowY, GR_GetScreenHeight(), geometry.clientH, geometry.offsetY));
        return;
    }
    x = windowX;
    y = windowY;
    for (int32_t index = kViewMappingCount - 1; index >= 0; --index) {
        if (!g_window.mappings[index].inUse) {
            continue;
        }
        if (!Window_ViewMouse(index, windowX, windowY, x, y)) {
            continue;
        }
        const ViewMapping& mapping = g_window.mappings[index];
        if (x >= mapping.xview && x < mapping.xview + mapping.wview && y >= mapping.yview &&
            y < mapping.yview + mapping.hview) {
            return;
        }
    }
}

bool Window_RoomToScreen(int32_t index, float x, float y, float& screenX, float& screenY)
{
    if (index < 0 || index >= kViewMappingCount) {
        return false;
    }
    const ViewMapping& mapping = g_window.mappings[index];
    if (!mapping.inUse || mapping.wview == 0.0f || mapping.hview == 0.0f) {
        return false;
    }
    const float a = -mapping.angle * kDegreesToRadians;
    const float rx = x - mapping.xview - mapping.wview / 2.0f;
    const float ry = y - mapping.yview - mapping.hview / 2.0f;
    const bool turned = std::fabs(mapping.angle) >= 0.01f;
    const float ox = turned ? std::cos(a) * rx - std::sin(a) * ry : rx;
    const float oy = turned ? std::sin(a) * rx + std::cos(a) * ry : ry;
    // The way back of Window_ViewMouse: through the port, then the scale.
    const float portX = mapping.xport + (ox + mapping.wview / 2.0f) * mapping.wport / mapping.wview;
    const float portY = mapping.yport + (oy + mapping.hview / 2.0f) * mapping.hport / mapping.hview;
    screenX = static_cast<float>(portX * BufferScale(g_window.scaleX));
    screenY = static_cast<float>(portY * BufferScale(g_window.scaleY));
    return true;
}

int32_t Window_MouseGetX()
{
    int32_t x = 0, y = 0;
    HostMouse_GetWindowPosition(x, y);
    return x;
}

int32_t Window_MouseGetY()
{
    int32_t x = 0, y = 0;
    HostMouse_GetWindowPosition(x, y);
    return y;
}

void Window_MouseSet(int32_t x, int32_t y)
{
    HostMouse_SetWindowPosition(x, y);
}

int32_t Window_ViewMouseGetX(int32_t index)
{
    int32_t x = 0, y = 0;
    Window_ViewMouse(index, Window_MouseGetX(), Window_MouseGetY(), x, y);
    return x;
}

int32_t Window_ViewMouseGetY(int32_t index)
{
    int32_t x = 0, y = 0;
    Window_ViewMouse(index, Window_MouseGetX(), Window_MouseGetY(), x, y);
    return y;
}

}  // namespace bw
