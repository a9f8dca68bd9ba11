#include "host/window_title.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstring>
#include <string>

namespace bw {

namespace {

// Longest title handed to the window system, in bytes. An X request holds
// at most 256 KiB without the big-requests extension (16 MiB with it), and
// a property too large for one ends the process: Xlib's handler of the
// error exits. No title bar shows a thousandth of it.
constexpr size_t kMaxTitleBytes = 65536;

// The longest run of whole characters from the start that fits.
std::string FittingTitle(const char* utf8)
{
    size_t length = std::strlen(utf8);
    if (length > kMaxTitleBytes) {
        length = kMaxTitleBytes;
        while (length > 0 && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    return std::string(utf8, length);
}

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
    const std::string fitting = FittingTitle(utf8 != nullptr ? utf8 : "");
    const char* title = fitting.c_str();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        SDL_SetWindowTitle(window, title);
        return;
    }
    // Under X11 SDL converts the title through the process's locale, which
    // is C here: a title holding a character C cannot spell is dropped, and
    // the conversion's buffer is never freed. So the title is written here
    // alone; nothing reads SDL's own copy of it back.
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
