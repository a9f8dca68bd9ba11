#include "physics/physics_fixture.h"

#include <algorithm>
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
// then run clockwise on screen around a convex shape. Box2D wraps its hull
// with these same products, so a shape that passes keeps all its points
// there, in this order; a product that overflows into NaN would send the
// wrap astray, so it counts as outside.
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
            if (!((p.y - a.y) * (b.x - a.x) - (p.x - a.x) * (b.y - a.y) > 0.0f)) {
                return false;
            }
        }
    }
    return true;
}

// The area Box2D finds before it takes a polygon's centroid or weighs it
// (and aborts unless it is above b2_epsilon): triangles fanned out from the
// first vertex, summed in order, so rounding and overflow come out as there.
bool HasWeighableArea(const b2Vec2* vertices, size_t count)
{
    float area = 0.0f;
    for (size_t i = 0; i < count; ++i) {
        area += 0.5f * b2Cross(vertices[i] - vertices[0], vertices[(i + 1) % count] - vertices[0]);
    }
    return area > b2_epsilon;
}

// Box2D's hull starts at the rightmost point (of several, the one with the
// least y).
std::vector<b2Vec2> InBox2DHullOrder(const std::vector<b2Vec2>& points)
{
    const auto rightmost = std::min_element(points.begin(), points.end(), [](const b2Vec2& p, const b2Vec2& q) {
        return p.x > q.x || (p.x == q.x && p.y < q.y);
    });
    std::vector<b2Vec2> hull(points.size());
    std::rotate_copy(points.begin(), rightmost, points.end(), hull.begin());
    return hull;
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
    for (const b2Vec2& point : points) {
        if (!point.IsValid()) {
            ReportFixture("The polygon shape for fixture %d has a point that is not a finite number", fixture.id,
                          false);
            return false;
        }
    }
    // Box2D welds points closer than this and aborts when fewer than three
    // are left.
    const float weld = 0.5f * b2_linearSlop;
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t k = i + 1; k < points.size(); ++k) {
            if (b2DistanceSquared(points[i], points[k]) <= weld * weld) {
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
    if (!HasWeighableArea(InBox2DHullOrder(points).data(), points.size())) {
        ReportFixture("The polygon shape for fixture %d has no area", fixture.id, false);
        return false;
    }
    shape->Set(points.data(), static_cast<int32>(points.size()));
    return true;
}

bool Physics_Fixture_MakeBox(const PhysicsFixture& fixture, float density, b2PolygonShape* shape)
{
    shape->SetAsBox(fixture.boxHalfExtents.x, fixture.boxHalfExtents.y);
    if (density > 0.0f && !HasWeighableArea(shape->m_vertices, static_cast<size_t>(shape->m_count))) {
        ReportFixture("The box shape of fixture %d is too small to hold a density", fixture.id, false);
        return false;
    }
    return true;
}

}  // namespace bw
