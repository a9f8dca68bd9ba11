// Fixtures: reusable descriptions of a shape with its material and body
// settings, kept in one list for the whole game and found by id. Binding
// one to an instance makes or extends the instance's body (physics_object).
#pragma once

#include <cstdint>
#include <vector>

#include <box2d/box2d.h>

namespace bw {

enum class FixtureShape { None, Circle, Polygon };

struct PhysicsFixture {
    int32_t id = 0;
    float linearDamping = 0.0f;
    float angularDamping = 0.0f;
    bool awake = true;
    bool kinematic = false;
    FixtureShape shape = FixtureShape::None;
    float radius = 0.0f;               // circle, Box2D units
    b2Vec2 boxHalfExtents{0.0f, 0.0f};  // a box made by SetBoxShape
    bool pointList = false;            // a polygon built point by point
    std::vector<b2Vec2> points;        // Box2D units, at most 8
    float friction = 0.2f;
    float restitution = 0.0f;
    float density = 0.0f;
    bool sensor = false;
    int32_t group = 0;
};

inline constexpr int32_t kFixtureMaxPoints = 8;

PhysicsFixture& Physics_Fixture_Create();
PhysicsFixture* Physics_Fixture_Find(int32_t id);
bool Physics_Fixture_Delete(int32_t id);

// Each drops the previous shape. A radius or half extent that is not a
// positive number is refused with a report (Box2D would abort on it).
bool Physics_Fixture_SetCircleShape(PhysicsFixture& fixture, float radius);
bool Physics_Fixture_SetBoxShape(PhysicsFixture& fixture, float halfWidth, float halfHeight);
void Physics_Fixture_SetPolygonShape(PhysicsFixture& fixture);
// False when not a polygon built point by point, when 8 points are there,
// or when the points no longer run clockwise on screen around a convex
// shape (reported; the point stays).
bool Physics_Fixture_AddPoint(PhysicsFixture& fixture, float x, float y);

// The Box2D polygon of a point list; false (reported, naming the shape's
// problem) when Box2D would refuse it: too few points, a point not finite,
// points closer than its weld distance, no area as Box2D sums it.
bool Physics_Fixture_MakePolygon(const PhysicsFixture& fixture, const char* objectName, b2PolygonShape* shape);
// The Box2D polygon of a box; false (reported) when the box is to be weighed
// (density above 0) but Box2D would find no area in it.
bool Physics_Fixture_MakeBox(const PhysicsFixture& fixture, float density, b2PolygonShape* shape);

}  // namespace bw
