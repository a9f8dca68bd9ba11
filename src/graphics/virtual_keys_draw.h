// Draws the on-screen virtual keys that are shown, over the finished frame.
#pragma once

namespace bw {

// Every shown virtual key as a plain white quad at depth 0.5, over the
// window in GUI units (the window's size while the game sets none). Nothing
// is drawn, and no state changes, when none is shown.
void IO_VirtualKeys_Draw();

}  // namespace bw
