// The game window of the host: one SDL window with an OpenGL 3.3 core context,
// the displays and their modes, the mouse cursor, and the pump that turns the
// window's events into calls on the handlers the runner registers (keys as
// Windows virtual-key codes, characters as UTF-16 units, mouse positions in
// client pixels). Nothing here exposes SDL to the callers.
#pragma once

#include <cstdint>
#include <string>

union SDL_Event;

namespace bw {

// Modifier bits given with keys: 1 shift, 2 alt, 4 control.
inline constexpr uint32_t kModifierShift = 1, kModifierAlt = 2, kModifierControl = 4;
// Mouse buttons given to the handlers.
inline constexpr int32_t kMouseLeft = 1, kMouseRight = 2, kMouseMiddle = 3;
// Bits given with a wheel turn: the modifiers above, then 8 left, 16 right,
// 32 middle button held.
inline constexpr uint32_t kWheelLeftButton = 8, kWheelRightButton = 16, kWheelMiddleButton = 32;

struct WindowHandlers {
    void (*keyDown)(int32_t key, uint32_t modifiers, bool repeat) = nullptr;
    void (*keyUp)(int32_t key, uint32_t modifiers) = nullptr;
    void (*character)(char16_t unit) = nullptr;
    void (*mouseDown)(int32_t button, int32_t x, int32_t y) = nullptr;
    void (*mouseUp)(int32_t button, int32_t x, int32_t y) = nullptr;
    void (*mouseMove)(int32_t x, int32_t y) = nullptr;
    // true when the turn was handled
    bool (*mouseWheel)(bool up, uint32_t bits, int32_t x, int32_t y) = nullptr;
    void (*focus)(bool focused) = nullptr;
    void (*activate)(bool active) = nullptr;
    void (*close)() = nullptr;
    // Alt+Enter; the runner decides whether its options allow the switch.
    void (*altEnter)() = nullptr;
};
void HostWindow_SetHandlers(const WindowHandlers& handlers);
const WindowHandlers& HostWindow_Handlers();

struct HostWindowSettings {
    int32_t width = 640;
    int32_t height = 480;
    bool borderless = false;
    bool sizeable = false;
    bool hidden = true;  // shown just before the first frame is presented
};

// Creates the window and makes its GL context current; false when either
// cannot be made (HostWindow_LastError says why).
bool HostWindow_Create(const HostWindowSettings& settings);
const char* HostWindow_LastError();
// The modifier bits of the keyboard now.
uint32_t HostKeyboard_Modifiers();
void HostWindow_Destroy();
bool HostWindow_Exists();
void HostWindow_SwapBuffers();
// True when the window's back buffer still holds the image just shown after
// a swap and after whatever happens between frames: a pbuffer, whose swap
// changes nothing and which no player resizes. Elsewhere its content is
// undefined after the swap or a resize, and so, under X, is the front buffer
// read back.
bool HostWindow_SwapKeepsImage();
void HostWindow_SetSwapInterval(bool vsync);
// Reads pending events and hands them to the handlers.
void HostWindow_PumpEvents();
// Reads pending events and hands none on: they wait for the next pump. A
// close of the game window among them asks the runner to end at once
// (host/quit_signal.h), as it does whoever reads it.
void HostWindow_LookForClose();
// True once the runner was asked to quit: a quit signal (at once, pumped or
// not), or the game window's close or the system's quit event read from
// the window. The runner is then ending, so every modal dialog, even one
// opened after the quit was read, gives way at once.
bool HostWindow_QuitRequested();
// Second windows (dialogs, the debug window) take the events addressed to
// them before the game window's handlers see any; the sink answers true
// for an event it took.
using HostEventSink = bool (*)(const SDL_Event& event);
void HostWindow_SetSecondWindowSink(HostEventSink sink);

void HostWindow_Show();
void HostWindow_SetCaption(const char* utf8);
// The window's number among the host's windows, 0 when there is none. Game
// code receives it where it expects a window handle.
uint32_t HostWindow_Id();
void HostWindow_SetFullscreen(bool fullscreen);
void HostWindow_SetStyle(bool borderless, bool sizeable);
void HostWindow_GetClientSize(int32_t& width, int32_t& height);
void HostWindow_SetClientSize(int32_t width, int32_t height);
// Position of the client area's top left on the desktop.
void HostWindow_GetPosition(int32_t& x, int32_t& y);
void HostWindow_SetPosition(int32_t x, int32_t y);
// Border sizes around the client area (0 without a window manager).
void HostWindow_GetBorders(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom);
bool HostWindow_IsMinimised();
bool HostWindow_HasFocus();

// The standard cursors, in the order of the runner's cursor table.
enum class HostCursor : int32_t {
    Arrow,
    None,
    Cross,
    IBeam,
    SizeNESW,
    SizeNS,
    SizeNWSE,
    SizeWE,
    UpArrow,
    Wait,
    Hand,
    No,
    AppStarting,
    Help,
    SizeAll,
};
void HostWindow_SetCursor(HostCursor cursor);

// Mouse in window client pixels, and on the desktop.
void HostMouse_GetWindowPosition(int32_t& x, int32_t& y);
void HostMouse_SetWindowPosition(int32_t x, int32_t y);
void HostMouse_GetDesktopPosition(int32_t& x, int32_t& y);
void HostMouse_SetDesktopPosition(int32_t x, int32_t y);

struct HostDisplayMode {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t refreshRate = 0;
};
// The displays need the video subsystem, which these start when needed.
int32_t HostDisplay_Count();
const char* HostDisplay_Name(int32_t display);
bool HostDisplay_GetDesktop(int32_t display, HostDisplayMode& mode, int32_t& x, int32_t& y);
int32_t HostDisplay_ModeCount(int32_t display);
bool HostDisplay_GetMode(int32_t display, int32_t index, HostDisplayMode& mode);
// There is no system-wide mode change here: the nearest is an exclusive
// full-screen window in that mode. Test only checks that such a mode exists.
bool HostDisplay_SetMode(const HostDisplayMode& wanted, bool testOnly);

// The desktop clipboard's text. It needs the video subsystem, which these
// start when needed; without one there is no clipboard and no text. An empty
// text is text too, as far as it can be known: the runner's own, while it
// still holds the clipboard.
bool HostClipboard_HasText();
std::string HostClipboard_GetText();
bool HostClipboard_SetText(const char* text);

}  // namespace bw
