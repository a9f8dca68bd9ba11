#include "host/window.h"

#include <SDL.h>
#include <epoxy/egl.h>

#include "host/clipboard_owner.h"
#include "host/keys.h"
#include "host/quit_signal.h"
#include "host/window_title.h"

namespace bw {

namespace {

struct HostWindowState {
    SDL_Window* window = nullptr;
    uint32_t windowId = 0;
    SDL_GLContext context = nullptr;
    SDL_Cursor* cursors[15] = {};
    WindowHandlers handlers;
    WindowEventState events;
    HostEventSink secondWindowSink = nullptr;
    bool quitRequested = false;
    bool swapKeepsImage = false;
};
HostWindowState g_window;

// Sees every event as SDL queues it, whoever pumps: the game window's close
// (or the system's quit) asks the runner to end at once, as a signal does,
// so that game code stuck in a loop gives way too. The event stays queued:
// the next pump still hands it to the close handler.
int RecordCloseAsQuit(void*, SDL_Event* event)
{
    const bool closed = event->type == SDL_WINDOWEVENT && event->window.event == SDL_WINDOWEVENT_CLOSE &&
                        event->window.windowID == g_window.windowId;
    if (closed || event->type == SDL_QUIT) QuitSignal_RecordClose();
    return 0;
}

bool VideoStarted()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        return true;
    }
    return HostSdl_Start(SDL_INIT_VIDEO);
}

void LoadCursors()
{
    static constexpr SDL_SystemCursor kSystemCursors[15] = {
        SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_CROSSHAIR, SDL_SYSTEM_CURSOR_IBEAM,
        SDL_SYSTEM_CURSOR_SIZENESW,  SDL_SYSTEM_CURSOR_SIZENS,   SDL_SYSTEM_CURSOR_SIZENWSE,  SDL_SYSTEM_CURSOR_SIZEWE,
        SDL_SYSTEM_CURSOR_ARROW,     SDL_SYSTEM_CURSOR_WAIT,     SDL_SYSTEM_CURSOR_HAND,      SDL_SYSTEM_CURSOR_NO,
        SDL_SYSTEM_CURSOR_WAITARROW, SDL_SYSTEM_CURSOR_ARROW,    SDL_SYSTEM_CURSOR_SIZEALL,
    };
    for (int i = 0; i < 15; ++i) {
        // Index 1 is "no cursor": it hides the pointer instead.
        g_window.cursors[i] = i == 1 ? nullptr : SDL_CreateSystemCursor(kSystemCursors[i]);
    }
}

bool DisplayIndexValid(int32_t display)
{
    return VideoStarted() && display >= 0 && display < SDL_GetNumVideoDisplays();
}

HostDisplayMode ModeFromSdl(const SDL_DisplayMode& mode)
{
    // Pixels stored in 32 bits count as 32-bit colour, as a desktop reports them.
    return HostDisplayMode{mode.w, mode.h, static_cast<int32_t>(SDL_BYTESPERPIXEL(mode.format)) * 8, mode.refresh_rate};
}

bool MakeWindowAndContext(const HostWindowSettings& settings, int alphaBits, int depthBits, int stencilBits)
{
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, alphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencilBits);
    Uint32 flags = SDL_WINDOW_OPENGL;
    flags |= settings.hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
    flags |= settings.borderless ? SDL_WINDOW_BORDERLESS : 0;
    flags |= settings.sizeable ? SDL_WINDOW_RESIZABLE : 0;
    g_window.window = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, settings.width,
                                       settings.height, flags);
    if (g_window.window == nullptr) {
        return false;
    }
    g_window.context = SDL_GL_CreateContext(g_window.window);
    if (g_window.context == nullptr) {
        SDL_DestroyWindow(g_window.window);
        g_window.window = nullptr;
        return false;
    }
    return true;
}

// Whether the window's surface keeps its image through swaps and through
// anything the player does between frames. Only a pbuffer does, whose swap
// changes nothing and which no one resizes. A GLX drawable promises nothing
// (on a virtual X display the image even reads back empty), and a window
// surface, even one set to preserve its buffer, gets new buffers when the
// player resizes the window: the last frame is gone before the next step
// could read it.
bool KeepImageThroughSwaps()
{
    if (!epoxy_has_egl()) {
        return false;
    }
    const EGLDisplay display = eglGetCurrentDisplay();
    const EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    if (display == EGL_NO_DISPLAY || surface == EGL_NO_SURFACE) {
        return false;
    }
    // Only a pbuffer answers this query.
    EGLint largestPbuffer = -1;
    return eglQuerySurface(display, surface, EGL_LARGEST_PBUFFER, &largestPbuffer) == EGL_TRUE && largestPbuffer != -1;
}

}  // namespace

void HostWindow_SetHandlers(const WindowHandlers& handlers)
{
    g_window.handlers = handlers;
}

const WindowHandlers& HostWindow_Handlers()
{
    return g_window.handlers;
}

bool HostWindow_Create(const HostWindowSettings& settings)
{
    if (g_window.window != nullptr || !VideoStarted()) {
        return g_window.window != nullptr;
    }
    // The GL library stays loaded for the life of the process: SDL would
    // unload it with the last window, and a driver unloaded mid-run strands
    // its allocations.
    static const bool glLoaded = SDL_GL_LoadLibrary(nullptr) == 0;
    if (!glLoaded) {
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The formats of every render target first, so that frames drawn into
    // the window itself blend with its alpha and test depth as they do
    // elsewhere (SDL keeps the surface opaque on screen all the same); a
    // driver without them gets its default window, which frames only reach
    // by a copy.
    if (!MakeWindowAndContext(settings, 8, 24, 8) && !MakeWindowAndContext(settings, 0, 16, 0)) {
        return false;
    }
    g_window.swapKeepsImage = KeepImageThroughSwaps();
    g_window.windowId = SDL_GetWindowID(g_window.window);
    SDL_AddEventWatch(&RecordCloseAsQuit, nullptr);
    LoadCursors();
    SDL_StartTextInput();
    return true;
}

void HostWindow_Destroy()
{
    SDL_DelEventWatch(&RecordCloseAsQuit, nullptr);
    g_window.windowId = 0;
    for (SDL_Cursor*& cursor : g_window.cursors) {
        if (cursor != nullptr) {
            SDL_FreeCursor(cursor);
            cursor = nullptr;
        }
    }
    if (g_window.context != nullptr) {
        SDL_GL_DeleteContext(g_window.context);
        g_window.context = nullptr;
    }
    if (g_window.window != nullptr) {
        SDL_DestroyWindow(g_window.window);
        g_window.window = nullptr;
    }
    g_window.swapKeepsImage = false;
}

const char* HostWindow_LastError()
{
    return SDL_GetError();
}

uint32_t HostKeyboard_Modifiers()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 ? Keys_Modifiers(static_cast<uint16_t>(SDL_GetModState())) : 0;
}

bool HostWindow_Exists()
{
    return g_window.window != nullptr;
}

void HostWindow_SwapBuffers()
{
    if (g_window.window != nullptr) {
        SDL_GL_SwapWindow(g_window.window);
    }
}

bool HostWindow_SwapKeepsImage()
{
    return g_window.swapKeepsImage;
}

void HostWindow_SetSwapInterval(bool vsync)
{
    if (g_window.context != nullptr) {
        SDL_GL_SetSwapInterval(vsync ? 1 : 0);
    }
}

void HostWindow_PumpEvents()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    // A quit signal, or a close of the game's window the watch saw, reaches
    // the handlers as SDL itself would hand a quit on: one quit event, read
    // with the others (which latches the quit, so that dialogs give way).
    if (QuitSignal_Received() && !g_window.quitRequested) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT) g_window.quitRequested = true;
        if (g_window.secondWindowSink == nullptr || !g_window.secondWindowSink(event)) {
            Window_TranslateEvent(event, g_window.handlers, g_window.events);
        }
    }
}

void HostWindow_LookForClose()
{
    if (g_window.window != nullptr) {
        SDL_PumpEvents();
    }
}

bool HostWindow_QuitRequested()
{
    return g_window.quitRequested || QuitSignal_Received();
}

void HostWindow_SetSecondWindowSink(HostEventSink sink)
{
    g_window.secondWindowSink = sink;
}

void HostWindow_Show()
{
    if (g_window.window != nullptr) {
        SDL_ShowWindow(g_window.window);
    }
}

void HostWindow_SetCaption(const char* utf8)
{
    WindowTitle_Set(g_window.window, utf8);
}

uint32_t HostWindow_Id()
{
    return g_window.window != nullptr ? SDL_GetWindowID(g_window.window) : 0;
}

void HostWindow_SetFullscreen(bool fullscreen)
{
    if (g_window.window != nullptr) {
        SDL_SetWindowFullscreen(g_window.window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }
}

void HostWindow_SetStyle(bool borderless, bool sizeable)
{
    if (g_window.window != nullptr) {
        SDL_SetWindowBordered(g_window.window, borderless ? SDL_FALSE : SDL_TRUE);
        SDL_SetWindowResizable(g_window.window, sizeable ? SDL_TRUE : SDL_FALSE);
    }
}

void HostWindow_GetClientSize(int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    if (g_window.window != nullptr) {
        SDL_GL_GetDrawableSize(g_window.window, &width, &height);
    }
}

void HostWindow_SetClientSize(int32_t width, int32_t height)
{
    if (g_window.window != nullptr) {
        SDL_SetWindowSize(g_window.window, width, height);
    }
}

void HostWindow_GetPosition(int32_t& x, int32_t& y)
{
    x = 0;
    y = 0;
    if (g_window.window != nullptr) {
        SDL_GetWindowPosition(g_window.window, &x, &y);
    }
}

void HostWindow_SetPosition(int32_t x, int32_t y)
{
    if (g_window.window != nullptr) {
        SDL_SetWindowPosition(g_window.window, x, y);
    }
}

void HostWindow_GetBorders(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom)
{
    left = top = right = bottom = 0;
    if (g_window.window != nullptr && SDL_GetWindowBordersSize(g_window.window, &top, &left, &bottom, &right) != 0) {
        left = top = right = bottom = 0;
    }
}

bool HostWindow_IsMinimised()
{
    return g_window.window != nullptr && (SDL_GetWindowFlags(g_window.window) & SDL_WINDOW_MINIMIZED) != 0;
}

bool HostWindow_HasFocus()
{
    return g_window.window != nullptr && (SDL_GetWindowFlags(g_window.window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void HostWindow_SetCursor(HostCursor cursor)
{
    if (g_window.window == nullptr) {
        return;
    }
    const auto index = static_cast<size_t>(cursor);
    if (cursor == HostCursor::None || index >= 15 || g_window.cursors[index] == nullptr) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_SetCursor(g_window.cursors[index]);
    SDL_ShowCursor(SDL_ENABLE);
}

void HostMouse_GetWindowPosition(int32_t& x, int32_t& y)
{
    x = g_window.events.mouseX;
    y = g_window.events.mouseY;
}

void HostMouse_SetWindowPosition(int32_t x, int32_t y)
{
    if (g_window.window != nullptr) {
        SDL_WarpMouseInWindow(g_window.window, x, y);
        g_window.events.mouseX = x;
        g_window.events.mouseY = y;
    }
}

void HostMouse_GetDesktopPosition(int32_t& x, int32_t& y)
{
    x = 0;
    y = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_GetGlobalMouseState(&x, &y);
    }
}

void HostMouse_SetDesktopPosition(int32_t x, int32_t y)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_WarpMouseGlobal(x, y);
    }
}

int32_t HostDisplay_Count()
{
    return VideoStarted() ? SDL_GetNumVideoDisplays() : 0;
}

const char* HostDisplay_Name(int32_t display)
{
    const char* name = DisplayIndexValid(display) ? SDL_GetDisplayName(display) : nullptr;
    return name != nullptr ? name : "";
}

bool HostDisplay_GetDesktop(int32_t display, HostDisplayMode& mode, int32_t& x, int32_t& y)
{
    SDL_DisplayMode sdlMode;
    SDL_Rect bounds;
    if (!DisplayIndexValid(display) || SDL_GetDesktopDisplayMode(display, &sdlMode) != 0 ||
        SDL_GetDisplayBounds(display, &bounds) != 0) {
        return false;
    }
    mode = ModeFromSdl(sdlMode);
    x = bounds.x;
    y = bounds.y;
    return true;
}

int32_t HostDisplay_ModeCount(int32_t display)
{
    return DisplayIndexValid(display) ? SDL_GetNumDisplayModes(display) : 0;
}

bool HostDisplay_GetMode(int32_t display, int32_t index, HostDisplayMode& mode)
{
    SDL_DisplayMode sdlMode;
    if (!DisplayIndexValid(display) || SDL_GetDisplayMode(display, index, &sdlMode) != 0) {
        return false;
    }
    mode = ModeFromSdl(sdlMode);
    return true;
}

bool HostDisplay_SetMode(const HostDisplayMode& wanted, bool testOnly)
{
    if (!VideoStarted()) {
        return false;
    }
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        return false;
    }
    SDL_DisplayMode request = desktop;
    request.w = wanted.width > 0 ? wanted.width : desktop.w;
    request.h = wanted.height > 0 ? wanted.height : desktop.h;
    request.refresh_rate = wanted.refreshRate > 0 ? wanted.refreshRate : desktop.refresh_rate;
    SDL_DisplayMode closest;
    if (SDL_GetClosestDisplayMode(0, &request, &closest) == nullptr || closest.w != request.w ||
        closest.h != request.h || (wanted.refreshRate > 0 && closest.refresh_rate != wanted.refreshRate) ||
        (wanted.bitsPerPixel > 0 && static_cast<int32_t>(SDL_BYTESPERPIXEL(closest.format)) * 8 != wanted.bitsPerPixel)) {
        return false;
    }
    if (testOnly) {
        return true;
    }
    if (g_window.window == nullptr || SDL_SetWindowDisplayMode(g_window.window, &closest) != 0) {
        return false;
    }
    return SDL_SetWindowFullscreen(g_window.window, SDL_WINDOW_FULLSCREEN) == 0;
}

// ---- Clipboard ----

namespace {

// SDL answers "no text" for an empty text as for an empty clipboard. An
// empty text the runner put there itself is known: it is still there while
// the clipboard's owner is the one that took it then. Where the owner cannot
// be learnt, it counts until the runner puts another text.
struct ClipboardState {
    bool emptyTextPut = false;
    uint64_t ownerThen = 0;
};
ClipboardState g_clipboard;

}  // namespace

bool HostClipboard_HasText()
{
    if (!VideoStarted()) {
        return false;
    }
    return SDL_HasClipboardText() == SDL_TRUE ||
           (g_clipboard.emptyTextPut && ClipboardOwner_Get(g_window.window) == g_clipboard.ownerThen);
}

std::string HostClipboard_GetText()
{
    if (!VideoStarted()) {
        return {};
    }
    char* text = SDL_GetClipboardText();
    std::string copy = text != nullptr ? text : "";
    SDL_free(text);
    return copy;
}

bool HostClipboard_SetText(const char* text)
{
    const char* put = text != nullptr ? text : "";
    if (!VideoStarted() || SDL_SetClipboardText(put) != 0) {
        return false;
    }
    g_clipboard.emptyTextPut = put[0] == '\0';
    g_clipboard.ownerThen = ClipboardOwner_Get(g_window.window);
    return true;
}

}  // namespace bw
