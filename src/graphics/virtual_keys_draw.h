// Draws the on-screen virtual keys that are shown, over the finished frame.
#pragma once

namespace bw {

// Every shown virtual key as a plain white quad at depth 0.5, in window
// pixels (no built-in sets a GUI size of its own, so GUI units are window
// pixels). Nothing is drawn, and no state changes, when none is shown.
void IO_VirtualKeys_Draw();

}  // namespace bw
