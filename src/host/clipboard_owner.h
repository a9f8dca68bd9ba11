// Who holds the desktop clipboard. SDL reads the clipboard's text but cannot
// tell an empty text from no clipboard at all; who holds it can be learnt
// under X11, where the clipboard is the CLIPBOARD selection and one window
// at a time owns it.
#pragma once

#include <cstdint>

struct SDL_Window;

namespace bw {

// The X window owning the clipboard, seen through `window`'s display; 0 when
// none does, and where it cannot be learnt (no window, no X11).
uint64_t ClipboardOwner_Get(SDL_Window* window);

}  // namespace bw
