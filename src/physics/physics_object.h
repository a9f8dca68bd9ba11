// The body of an instance: made by binding fixtures (PhysicsWorld_BindFixture),
// moved, pushed and turned by the physics built-ins and the phy_* variables,
// destroyed with its instance or its world. The body's user data is the
// instance.
#pragma once

#include <cstdint>

#include <box2d/box2d.h>

namespace bw {

class CInstance;
class CRoom;
class PhysicsWorld;
struct PhysicsFixture;

struct PhysicsObject {
    b2Body* body = nullptr;
    int32_t slot = -1;  // the collision category of the instance's object
    PhysicsWorld* world = nullptr;
    // phy_active: whether the body takes part in the world while its
    // instance is active (a deactivated instance's never does).
    bool active = true;
    // The forces and torque pushed on the body since its world last cleared
    // them, while the world's count of clears is pushedAtClear: Box2D keeps
    // their sums to itself.
    b2Vec2 pushedForce{0.0f, 0.0f};
    float pushedTorque = 0.0f;
    uint64_t pushedAtClear = 0;
};

CInstance* Body_Instance(const b2Body* body);
// Whether the instance's body takes part in its world: phy_active, and never
// while the instance is deactivated.
bool PhysicsObject_TakesPart(const PhysicsObject& object, const CInstance& instance);

// Binds the fixture's description to the instance: the first bind makes the
// body, later ones add fixtures to it. False (reported) when the fixture
// cannot become a Box2D shape.
bool PhysicsWorld_BindFixture(PhysicsWorld& world, const PhysicsFixture& fixture, CInstance& instance);
// An instance of an object that uses physics gets its body from the
// object's settings when the room has a world.
void PhysicsObject_CreateForInstance(CInstance* instance, CRoom* room);
// Deletes the body's joints, then the body, then the record.
void PhysicsObject_Destroy(PhysicsObject* object);

// Positions and velocities in Box2D units (callers scale room pixels by the
// world's pixels-to-metres factor first), angles in degrees.
void PhysicsObject_SetPosition(PhysicsObject& object, float x, float y);
void PhysicsObject_SetRotation(PhysicsObject& object, float degrees);
void PhysicsObject_SetLinearVelocity(PhysicsObject& object, float vx, float vy);
void PhysicsObject_SetAngularVelocity(PhysicsObject& object, float degreesPerSecond);

enum class PushKind { Force, Impulse };
// World point and vector, or with local set, both in body coordinates. A
// push (or torque) that would leave the body a velocity, spin, force or
// torque that is not a number is refused: the body would turn NaN at the
// next step, and every body it touches after it.
void PhysicsObject_Push(PhysicsObject& object, PushKind kind, bool local, b2Vec2 point, b2Vec2 vector);
void PhysicsObject_ApplyTorque(PhysicsObject& object, float torque);
// False (reported) when the mass data would trip Box2D's checks.
bool PhysicsObject_SetMassProperties(PhysicsObject& object, float mass, b2Vec2 centre, float inertia);
// The instance's body placed at (x, y) turned by radians against the
// other's body where it is.
bool PhysicsWorld_TestOverlap(const CInstance& instance, const CInstance& other, b2Vec2 position, float radians);

// The phy_* variables.
bool PhysicsObject_ReadVariable(CInstance* instance, int32_t variable, int32_t arrayIndex, double* out);
bool PhysicsObject_WriteVariable(CInstance* instance, int32_t variable, double value);

}  // namespace bw
