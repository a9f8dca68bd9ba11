#include "physics/physics_debug_draw.h"

#include <algorithm>

#include <box2d/box2d.h>

#include "graphics/draw_2d.h"
#include "physics/physics_object.h"
#include "physics/physics_world.h"

namespace bw {

namespace {

constexpr uint32_t kAxisXColour = 0x0000FF;  // red
constexpr uint32_t kAxisYColour = 0xFF0000;  // blue
constexpr float kAnchorCross = 2.0f;

// Draws Box2D's debug output in pixels.
class CPhysicsDebugRender : public b2Draw {
public:
    explicit CPhysicsDebugRender(float inverseScale) : m_inverseScale(inverseScale) {}

    void DrawPolygon(const b2Vec2* vertices, int32 count, const b2Color& color) override
    {
        UseColour(color);
        for (int32 i = 0; i < count; ++i) {
            Line(vertices[i], vertices[(i + 1) % count]);
        }
    }

    void DrawSolidPolygon(const b2Vec2* vertices, int32 count, const b2Color& color) override
    {
        UseColour(color);
        for (int32 i = 1; i + 1 < count; ++i) {
            const b2Vec2 a = Pixels(vertices[0]);
            const b2Vec2 b = Pixels(vertices[i]);
            const b2Vec2 c = Pixels(vertices[i + 1]);
            GR_DrawTriangle(a.x, a.y, b.x, b.y, c.x, c.y, 0);
        }
    }

    void DrawCircle(const b2Vec2& centre, float radius, const b2Color& color) override
    {
        UseColour(color);
        Ellipse(centre, radius, 1);
    }

    void DrawSolidCircle(const b2Vec2& centre, float radius, const b2Vec2&, const b2Color& color) override
    {
        UseColour(color);
        Ellipse(centre, radius, 0);
    }

    void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) override
    {
        UseColour(color);
        Line(p1, p2);
    }

    void DrawTransform(const b2Transform& xf) override
    {
        GR_SetColour(kAxisXColour);
        Line(xf.p, xf.p + xf.q.GetXAxis());
        GR_SetColour(kAxisYColour);
        Line(xf.p, xf.p + xf.q.GetYAxis());
    }

    void DrawPoint(const b2Vec2& p, float, const b2Color& color) override
    {
        UseColour(color);
        const b2Vec2 at = Pixels(p);
        GR_DrawPoint(at.x, at.y);
    }

    b2Vec2 Pixels(const b2Vec2& p) const { return m_inverseScale * p; }

    void Line(const b2Vec2& p1, const b2Vec2& p2) const
    {
        const b2Vec2 a = Pixels(p1);
        const b2Vec2 b = Pixels(p2);
        GR_DrawLine(a.x, a.y, b.x, b.y);
    }

    void Ellipse(const b2Vec2& centre, float radius, int32_t outline) const
    {
        const b2Vec2 c = Pixels(centre);
        const float r = radius * m_inverseScale;
        GR_DrawEllipse(c.x - r, c.y - r, c.x + r, c.y + r, outline);
    }

private:
    static void UseColour(const b2Color& color) { GR_SetColour(Physics_DebugColour(color.r, color.g, color.b)); }

    float m_inverseScale;
};

void DrawFixture(CPhysicsDebugRender& render, const b2Fixture& fixture, const b2Transform& xf)
{
    const b2Shape* shape = fixture.GetShape();
    if (shape->GetType() == b2Shape::e_circle) {
        const auto* circle = static_cast<const b2CircleShape*>(shape);
        render.Ellipse(b2Mul(xf, circle->m_p), circle->m_radius, 1);
    } else if (shape->GetType() == b2Shape::e_polygon) {
        const auto* polygon = static_cast<const b2PolygonShape*>(shape);
        for (int32 i = 0; i < polygon->m_count; ++i) {
            render.Line(b2Mul(xf, polygon->m_vertices[i]), b2Mul(xf, polygon->m_vertices[(i + 1) % polygon->m_count]));
        }
    }
}

void DrawAnchor(CPhysicsDebugRender& render, const b2Vec2& from, const b2Vec2& anchor)
{
    const b2Vec2 at = render.Pixels(anchor);
    GR_DrawLine(at.x - kAnchorCross, at.y, at.x + kAnchorCross, at.y);
    GR_DrawLine(at.x, at.y - kAnchorCross, at.x, at.y + kAnchorCross);
    render.Line(from, anchor);
}

}  // namespace

uint32_t Physics_DebugColour(float r, float g, float b)
{
    // Box2D's components run to 1, which scaled by 256 is one past a byte.
    const auto channel = [](float c) {
        return static_cast<uint8_t>(std::clamp(c * 256.0f, 0.0f, 255.0f));
    };
    return GR_MakeColour(channel(r), channel(g), channel(b));
}

void PhysicsWorld_DrawDebug(PhysicsWorld& world, uint32_t flags)
{
    uint32_t box2dFlags = 0;
    box2dFlags |= (flags & kDebugShapes) != 0 ? b2Draw::e_shapeBit : 0;
    box2dFlags |= (flags & kDebugJoints) != 0 ? b2Draw::e_jointBit : 0;
    box2dFlags |= (flags & kDebugComs) != 0 ? b2Draw::e_centerOfMassBit : 0;
    box2dFlags |= (flags & kDebugAabb) != 0 ? b2Draw::e_aabbBit : 0;
    box2dFlags |= (flags & kDebugCollisionPairs) != 0 ? b2Draw::e_pairBit : 0;
    CPhysicsDebugRender render(1.0f / world.Scale());
    render.SetFlags(box2dFlags);
    world.World().SetDebugDraw(&render);
    world.World().DebugDraw();
    world.World().SetDebugDraw(nullptr);
}

void PhysicsObject_DrawDebug(const PhysicsObject& object, float inverseScale)
{
    CPhysicsDebugRender render(inverseScale);
    const b2Body& body = *object.body;
    for (const b2Fixture* fixture = body.GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext()) {
        DrawFixture(render, *fixture, body.GetTransform());
    }
    for (const b2JointEdge* edge = object.body->GetJointList(); edge != nullptr; edge = edge->next) {
        b2Joint& joint = *edge->joint;
        DrawAnchor(render, joint.GetBodyA()->GetPosition(), joint.GetAnchorA());
        DrawAnchor(render, joint.GetBodyB()->GetPosition(), joint.GetAnchorB());
        if (joint.GetType() == e_pulleyJoint) {
            const auto& pulley = static_cast<const b2PulleyJoint&>(joint);
            render.Line(joint.GetAnchorA(), pulley.GetGroundAnchorA());
            render.Line(joint.GetAnchorB(), pulley.GetGroundAnchorB());
        }
    }
}

}  // namespace bw
