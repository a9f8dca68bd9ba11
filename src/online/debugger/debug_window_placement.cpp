#include "online/debugger/debug_window_placement.h"

#include <algorithm>

#include "host/window.h"

namespace bw {

namespace {

// The start of a span of length inside the screen's span, as near wanted as
// it can be.
int32_t Within(int32_t wanted, int32_t length, int32_t screenStart, int32_t screenLength)
{
    return std::max(std::min(wanted, screenStart + screenLength - length), screenStart);
}

bool Holds(const DebugScreenRect& screen, int32_t x, int32_t y)
{
    return x >= screen.x && x < screen.x + screen.width && y >= screen.y && y < screen.y + screen.height;
}

bool ScreenOf(int32_t display, DebugScreenRect* screen)
{
    HostDisplayMode mode;
    if (!HostDisplay_GetDesktop(display, mode, screen->x, screen->y)) {
        return false;
    }
    screen->width = mode.width;
    screen->height = mode.height;
    return true;
}

}  // namespace

DebugScreenRect DebugForm_Placement(const DebugScreenRect& screen, const DebugScreenRect& gameFrame, int32_t width,
                                    int32_t height)
{
    DebugScreenRect form;
    form.width = std::clamp(width, 0, std::max(screen.width, 0));
    form.height = std::clamp(height, 0, std::max(screen.height, 0));
    form.x = Within(gameFrame.x + gameFrame.width + kDebugFormGap, form.width, screen.x, screen.width);
    form.y = Within(gameFrame.y, form.height, screen.y, screen.height);
    return form;
}

bool DebugForm_OpeningPlace(DebugScreenRect* client)
{
    if (!HostWindow_Exists()) {
        return false;
    }
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    HostWindow_GetPosition(x, y);
    HostWindow_GetClientSize(width, height);
    HostWindow_GetBorders(left, top, right, bottom);
    DebugScreenRect screen;
    bool found = false;
    for (int32_t display = 0; display < HostDisplay_Count() && !found; ++display) {
        found = ScreenOf(display, &screen) && Holds(screen, x + width / 2, y + height / 2);
    }
    if (!found && !ScreenOf(0, &screen)) {
        return false;
    }
    const DebugScreenRect gameFrame{x - left, y - top, width + left + right, height + top + bottom};
    const DebugScreenRect frame = DebugForm_Placement(screen, gameFrame, kDebugFormWidth + left + right,
                                                      kDebugFormHeight + top + bottom);
    *client = {frame.x + left, frame.y + top, std::max(frame.width - left - right, 0),
               std::max(frame.height - top - bottom, 0)};
    return true;
}

}  // namespace bw
