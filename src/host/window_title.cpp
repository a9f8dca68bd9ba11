#include "host/window_title.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstring>

namespace bw {

namespace {

bool IsAscii(const char* text)
{
    for (; *text != '\0'; ++text) {
        if (static_cast<unsigned char>(*text) >= 0x80) {
            return false;
        }
    }
    return true;
}

void SetText(Display* display, Window window, Atom property, Atom type, const char* text)
{
    XChangeProperty(display, window, property, type, 8, PropModeReplace, reinterpret_cast<const unsigned char*>(text),
                    static_cast<int>(std::strlen(text)));
}

}  // namespace

void WindowTitle_Set(SDL_Window* window, const char* utf8)
{
    if (window == nullptr) {
        return;
    }
    const char* title = utf8 != nullptr ? utf8 : "";
    // SDL keeps the title for itself and sets it on the other video drivers.
    SDL_SetWindowTitle(window, title);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return;
    }
    Display* display = info.info.x11.display;
    const Window xWindow = info.info.x11.window;
    const Atom utf8String = XInternAtom(display, "UTF8_STRING", False);
    // ASCII keeps the type STRING, which every client reads (XFetchName reads
    // nothing else); its bytes are UTF-8 as they are.
    SetText(display, xWindow, XA_WM_NAME, IsAscii(title) ? XA_STRING : utf8String, title);
    SetText(display, xWindow, XInternAtom(display, "_NET_WM_NAME", False), utf8String, title);
    XFlush(display);
}

}  // namespace bw
