// Debug drawing of a physics world (physics_world_draw_debug) and of one
// instance's body (physics_draw_debug) with the program's own primitives,
// in pixels.
#pragma once

#include <cstdint>

namespace bw {

class PhysicsWorld;
struct PhysicsObject;

// The phy_debug_render_* flags.
enum PhysicsDebugFlags : uint32_t {
    kDebugShapes = 1,
    kDebugJoints = 2,
    kDebugComs = 4,
    kDebugAabb = 8,
    kDebugObb = 16,  // not drawn
    kDebugCoreShapes = 32,  // not drawn
    kDebugCollisionPairs = 64,
};

void PhysicsWorld_DrawDebug(PhysicsWorld& world, uint32_t flags);
// The body's fixtures in the current colour, and the anchors of its joints.
void PhysicsObject_DrawDebug(const PhysicsObject& object, float inverseScale);

// Box2D colour components (0..1) as a drawing colour; 1 gives 255.
uint32_t Physics_DebugColour(float r, float g, float b);

}  // namespace bw
