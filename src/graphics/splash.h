// The built-in splash image of packages in splash mode 1.
#pragma once

namespace bw {

// Draws the splash image over the whole window (made into a texture on the
// first call and kept for the run); nothing when it cannot be made.
void Splash_DrawImage();

}  // namespace bw
