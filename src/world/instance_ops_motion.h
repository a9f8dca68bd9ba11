// Moves of one instance that game code asks for and that need no collision
// shapes: snapping to a grid, wrapping around the room, heading for a point.
#pragma once

namespace bw {

class CInstance;

// Each coordinate whose snap is above 0 goes to the nearest multiple of it
// (ties to even).
void Move_Snap(CInstance* self, float hsnap, float vsnap);
// An instance moving out of the room on a chosen axis comes back in on the
// other side, shifted by its sprite's scaled size.
void Move_Wrap(CInstance* self, bool horizontal, bool vertical);
// Heads for (x, y) at the given speed.
void Move_TowardsPoint(CInstance* self, float x, float y, float speed);

}  // namespace bw
