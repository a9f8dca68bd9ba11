#include "graphics/main_window.h"

#include "graphics/display.h"
#include "graphics/game_window.h"
#include "graphics/screen.h"
#include "host/window.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "world/run_loop.h"

namespace bw {

namespace {

bool g_altEnterAllowed = false;
// Whether the game window has the keyboard focus; the game may freeze while
// it is in the background. A window that never reports focus (no display)
// counts as in front.
bool g_hasFocus = true;
PauseListener g_pauseListener = nullptr;

}  // namespace

bool MainWindow_Create(int32_t width, int32_t height, uint32_t headerFlags, const char* caption)
{
    // The window never asks for more than the screen.
    const int32_t screenW = GR_Display_GetWidth();
    const int32_t screenH = GR_Display_GetHeight();
    if (screenW > 0 && width > screenW) {
        width = screenW;
    }
    if (screenH > 0 && height > screenH) {
        height = screenH;
    }
    tagIConsole& console = Console();
    HostWindowSettings settings;
    settings.width = width;
    settings.height = height;
    settings.borderless = (headerFlags & kHeaderBorderless) != 0;
    settings.sizeable = !settings.borderless && (headerFlags & kHeaderSizeable) != 0;
    console.Printf("AdjustWindowRectEx\n");
    console.Printf("RegisterClassEx\n");
    console.Printf("CreateWindowEx\n");
    if (!HostWindow_Create(settings)) {
        console.Printf("CreateWindowEx: %s\n", HostWindow_LastError());
        return false;
    }
    GR_SetWindowSizeable(settings.sizeable);
    Window_SetCaption(caption != nullptr ? caption : "Brackwell:Runner", true);
    Window_SetCursor((headerFlags & kHeaderShowCursor) != 0 ? 0 : -1);
    WindowHandlers handlers = HostWindow_Handlers();
    handlers.altEnter = &MainWindow_OnAltEnter;
    handlers.close = &MainWindow_OnClose;
    handlers.focus = &MainWindow_OnFocus;
    handlers.activate = &MainWindow_OnActivate;
    HostWindow_SetHandlers(handlers);
    ProcessMessages_SetPump(&HostWindow_PumpEvents);
    return true;
}

void MainWindow_Destroy()
{
    ProcessMessages_SetPump(nullptr);
    HostWindow_Destroy();
}

uint32_t MainWindow_GetModifiers()
{
    return HostKeyboard_Modifiers();
}

void MainWindow_SetAltEnterAllowed(bool allowed)
{
    g_altEnterAllowed = allowed;
}

// The window's close button and the system's quit both end the run: the
// start-up loop and every wait (keyboard_wait, mouse_wait) watch the flag,
// and the game then ends and shuts down as after any other stop.
void MainWindow_OnClose()
{
    GameRunningFlag = 0;
}

void MainWindow_OnFocus(bool focused)
{
    g_hasFocus = focused;
}

void MainWindow_OnActivate(bool active)
{
    if (!active && g_pauseListener != nullptr) g_pauseListener();
}

void MainWindow_SetPauseListener(PauseListener listener)
{
    g_pauseListener = listener;
}

bool MainWindow_InBackground()
{
    return !g_hasFocus;
}

void MainWindow_OnAltEnter()
{
    if (g_altEnterAllowed) {
        Window_SetFullscreen(!Window_GetFullscreen());
    }
}

}  // namespace bw
