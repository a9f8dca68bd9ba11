#include "host/clipboard_owner.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace bw {

uint64_t ClipboardOwner_Get(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    Display* display = info.info.x11.display;
    return XGetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False));
}

}  // namespace bw
