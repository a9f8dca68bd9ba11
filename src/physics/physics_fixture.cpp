#include "physics/physics_fixture.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "physics/physics_records.h"
#include "script/error_report.h"

namespace bw {

namespace {

PhysicsRecords<PhysicsFixture>& Fixtures()
{
    static PhysicsRecords<PhysicsFixture> fixtures;
    return fixtures;
}

bool IsPositive(float value)
{
    return std::isfinite(value) && value > 0.0f;
}

void DropShape(PhysicsFixture& fixture)
{
    fixture.shape = FixtureShape::None;
    fixture.radius = 0.0f;
    fixture.boxHalfExtents = b2Vec2(0.0f, 0.0f);
    fixture.pointList = false;
    fixture.points.clear();
}

void ReportFixture(const char* format, int32_t id, bool fatal)
{
    char message[160];
    std::snprintf(message, sizeof message, format, id);
    Code_Error_Runtime(message, fatal);
}

// Every point strictly inside every edge: with y pointing down the points
// then run clockwise on screen around a convex shape.
bool RunsClockwiseConvex(const std::vector<b2Vec2>& points)
{
    const size_t count = points.size();
    for (size_t i = 0; i < count; ++i) {
        const b2Vec2& a = points[i];
        const b2Vec2& b = points[(i + 1) % count];
        for (size_t k = 0; k < count; ++k) {
            if (k == i || k == (i + 1) % count) {
                continue;
            }
            const b2Vec2& p = points[k];
            if ((p.y - a.y) * (b.x - a.x) - (p.x - a.x) * (b.y - a.y) <= 0.0f) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

PhysicsFixture& Physics_Fixture_Create()
{
    return Fixtures().Add();
}

PhysicsFixture* Physics_Fixture_Find(int32_t id)
{
    return Fixtures().Find(id);
}

bool Physics_Fixture_Delete(int32_t id)
{
    return Fixtures().Erase(id);
}

bool Physics_Fixture_SetCircleShape(PhysicsFixture& fixture, float radius)
{
    if (!IsPositive(radius)) {
        ReportFixture("The circle shape of fixture %d needs a radius above 0", fixture.id, false);
        return false;
    }
    DropShape(fixture);
    fixture.shape = FixtureShape::Circle;
    fixture.radius = radius;
    return true;
}

bool Physics_Fixture_SetBoxShape(PhysicsFixture& fixture, float halfWidth, float halfHeight)
{
    if (!IsPositive(halfWidth) || !IsPositive(halfHeight)) {
        ReportFixture("The box shape of fixture %d needs a width and height above 0", fixture.id, false);
        return false;
    }
    DropShape(fixture);
    fixture.shape = FixtureShape::Polygon;
    fixture.boxHalfExtents = b2Vec2(halfWidth, halfHeight);
    return true;
}

void Physics_Fixture_SetPolygonShape(PhysicsFixture& fixture)
{
    DropShape(fixture);
    fixture.shape = FixtureShape::Polygon;
    fixture.pointList = true;
}

bool Physics_Fixture_AddPoint(PhysicsFixture& fixture, float x, float y)
{
    if (!fixture.pointList || fixture.points.size() >= kFixtureMaxPoints) {
        return false;
    }
    fixture.points.emplace_back(x, y);
    if (fixture.points.size() < 3 || RunsClockwiseConvex(fixture.points)) {
        return true;
    }
    ReportFixture("ERROR: The polygon shape for fixture %d is concave or ordered anti-clockwise", fixture.id, false);
    return false;
}

bool Physics_Fixture_MakePolygon(const PhysicsFixture& fixture, const char* objectName, b2PolygonShape* shape)
{
    const std::vector<b2Vec2>& points = fixture.points;
    if (points.size() < 3) {
        Code_Error_Runtime(("Too few vertices in polygon shape fixture for " + std::string(objectName)).c_str(), true);
        return false;
    }
    // Box2D welds points closer than this and aborts when fewer than three
    // are left; a hull without area cannot hold a density either.
    const float weld = 0.5f * b2_linearSlop;
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t k = i + 1; k < points.size(); ++k) {
            if (!points[i].IsValid() || b2DistanceSquared(points[i], points[k]) <= weld * weld) {
                ReportFixture("The polygon shape for fixture %d has points too close together", fixture.id, false);
                return false;
            }
        }
    }
    if (!RunsClockwiseConvex(points)) {
        ReportFixture("ERROR: The polygon shape for fixture %d is concave or ordered anti-clockwise", fixture.id,
                      false);
        return false;
    }
    // Measured from the first point, as Box2D does: products of coordinates
    // far from the origin would drown the area in rounding.
    float twiceArea = 0.0f;
    for (size_t i = 1; i + 1 < points.size(); ++i) {
        twiceArea += b2Cross(points[i] - points[0], points[i + 1] - points[0]);
    }
    if (std::fabs(twiceArea) * 0.5f <= b2_epsilon) {
        ReportFixture("The polygon shape for fixture %d has no area", fixture.id, false);
        return false;
    }
    shape->Set(points.data(), static_cast<int32>(points.size()));
    return true;
}

}  // namespace bw
