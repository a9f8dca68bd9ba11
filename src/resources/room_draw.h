// Drawing the current room into the game image: the views that follow an
// instance move first, then the room is drawn through each visible view (or
// once when views are off): background colour, background layers, the
// tiles, instances and particle systems merged by depth, the foreground
// layers. The draw GUI event follows over the window in GUI units, then the
// cursor sprite.
//
// Depth convention: a larger depth is further away and is drawn earlier.
// The z handed to the device is the depth held at 11000 for instances,
// tiles and particles; backgrounds sit at 12000 and foregrounds at -12000.
#pragma once

#include <cstdint>
#include <optional>

#include "graphics/transforms.h"

namespace bw {

// The room area being drawn, in room pixels.
struct RoomDrawRectangle {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Particle systems live above the graphics; their owner registers how the
// depth bands of the automatically drawn systems are walked. Unset, a room
// has no particle systems.
struct ParticleDepthBands {
    // The largest depth, then the next smaller one; none when there is none.
    std::optional<float> (*maxDepth)() = nullptr;
    std::optional<float> (*nextDepth)(float depth) = nullptr;
    void (*drawDepth)(float depth) = nullptr;
};
void Room_SetParticleDepthBands(const ParticleDepthBands& bands);

// Once per step, at room start and on request.
void Room_Draw();
// Moves the views that follow an instance and tells the window how each
// visible view maps the room; sets the view scale factors.
void Room_FollowViews();
// One view's (or the whole room's) area.
void Room_DrawView(const RoomDrawRectangle& rectangle);
// The draw GUI event on every visible instance that has it.
void Room_DrawEvent64Pass(const RoomDrawRectangle& rectangle);
// At room start: the game's screen size from the room's views.
void Room_ComputePortSize();

// The rectangle of the last view drawn (kept for the drawing built-ins).
RoomDrawRectangle Room_GetDrawRectangle();
// Window size over how far the visible ports reach from the window's corner
// (their largest right and bottom edges), per axis; 1 while no view is
// visible.
void Room_GetViewScale(float& x, float& y);
// What the projection's half-pixel correction is measured against: the
// current room and its first view.
ProjectionReference Room_ProjectionReference();

}  // namespace bw
