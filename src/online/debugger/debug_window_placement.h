// Where the debug window opens. Both windows would otherwise open centred,
// one over the other; beside a centred game the form may not fit, so the
// rule keeps it whole on the screen the game is on.
#pragma once

#include <cstdint>

namespace bw {

// A rectangle on the desktop: top-left corner and size, in pixels.
struct DebugScreenRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const DebugScreenRect&) const = default;
};

// The form's size when the screen allows it.
inline constexpr int32_t kDebugFormWidth = 720;
inline constexpr int32_t kDebugFormHeight = 560;
// Pixels between the game window's frame and the form.
inline constexpr int32_t kDebugFormGap = 8;

// The form's frame (wanted width x height) to the right of the game's
// frame, level with its top, where it fits on the screen; otherwise as far
// right (and up) as the screen allows. Never larger than the screen, never
// past it.
DebugScreenRect DebugForm_Placement(const DebugScreenRect& screen, const DebugScreenRect& gameFrame, int32_t width,
                                    int32_t height);

// The form's client area placed by that rule on the screen that holds the
// game window's centre (the first screen when none does), its frame taken to
// be as wide as the game's (the form's own is known only once it is open).
// False when there is no game window or no screen.
bool DebugForm_OpeningPlace(DebugScreenRect* client);

}  // namespace bw
