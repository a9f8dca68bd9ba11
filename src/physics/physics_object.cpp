#include "physics/physics_object.h"

#include <cmath>
#include <memory>
#include <string>

#include "physics/physics_fixture.h"
#include "physics/physics_joint.h"
#include "physics/physics_world.h"
#include "platform/console.h"
#include "script/error_report.h"
#include "world/instance.h"
#include "world/object.h"
#include "world/resource_lookups.h"
#include "world/room.h"

namespace bw {

namespace {

constexpr float kDegreesToRadians = kPhysicsPi / 180.0f;
constexpr float kRadiansToDegrees = 180.0f / kPhysicsPi;

b2BodyType BodyTypeOf(const PhysicsFixture& fixture)
{
    if (fixture.density > 0.0f) {
        return b2_dynamicBody;
    }
    return fixture.kinematic ? b2_kinematicBody : b2_staticBody;
}

// Box2D aborts on a negative or NaN damping or density.
float NonNegative(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

bool AllFinite(std::initializer_list<float> values)
{
    for (float value : values) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    return true;
}

// The fixture's shape as Box2D takes it; false (reported) when it cannot be
// made.
bool MakeShape(const PhysicsFixture& fixture, const CInstance& instance, b2CircleShape* circle,
               b2PolygonShape* polygon, const b2Shape** shape)
{
    *shape = nullptr;
    if (fixture.shape == FixtureShape::Circle) {
        circle->m_radius = fixture.radius;
        *shape = circle;
    } else if (fixture.pointList) {
        if (!Physics_Fixture_MakePolygon(fixture, Object_Name(instance.i_objindex), polygon)) {
            return false;
        }
        *shape = polygon;
    } else if (fixture.shape == FixtureShape::Polygon) {
        if (!Physics_Fixture_MakeBox(fixture, NonNegative(fixture.density), polygon)) {
            return false;
        }
        *shape = polygon;
    }
    return true;
}

void AddFixture(b2Body& body, const PhysicsFixture& fixture, const b2Shape& shape, int32_t slot,
                const CollisionCategory* category)
{
    auto filter = std::make_unique<FixtureFilter>();
    filter->slot = slot;
    filter->group = fixture.group;
    if (category != nullptr) {
        filter->category = category->categoryBits;
        filter->mask = category->maskBits;
    }
    b2FixtureDef def;
    def.shape = &shape;
    def.friction = std::isfinite(fixture.friction) ? fixture.friction : 0.0f;
    def.restitution = std::isfinite(fixture.restitution) ? fixture.restitution : 0.0f;
    def.density = NonNegative(fixture.density);
    def.isSensor = fixture.sensor;
    def.userData.pointer = reinterpret_cast<uintptr_t>(filter.release());
    body.CreateFixture(&def);
}

// Box2D aborts when a body's rotational inertia about its centre of mass
// comes out not above 0, as float overflow or cancellation make it for
// shapes huge or far from the body's origin. This repeats the sums of
// b2Body::ResetMassData, in its order, over the fixtures the body would
// have; as if the body were dynamic and free to turn, since either may
// change later.
bool KeepsPositiveInertia(const b2Body* body, const b2Shape& shape, float density)
{
    float mass = 0.0f;
    b2Vec2 centre(0.0f, 0.0f);
    float inertia = 0.0f;
    const auto add = [&](const b2MassData& data) {
        mass += data.mass;
        centre += data.mass * data.center;
        inertia += data.I;
    };
    b2MassData data;
    if (density != 0.0f) {
        shape.ComputeMass(&data, density);
        add(data);
    }
    for (const b2Fixture* fixture = body != nullptr ? body->GetFixtureList() : nullptr; fixture != nullptr;
         fixture = fixture->GetNext()) {
        if (fixture->GetDensity() != 0.0f) {
            fixture->GetMassData(&data);
            add(data);
        }
    }
    if (mass > 0.0f) {
        centre *= 1.0f / mass;
    }
    return !(inertia > 0.0f) || inertia - mass * b2Dot(centre, centre) > 0.0f;
}

void Wake(b2Body& body)
{
    body.SetAwake(true);
}

// Box2D keeps the inverse mass and inverse inertia about the centre of mass
// to itself; these are the same, from what it shows.
float InverseMass(const b2Body& body)
{
    return body.GetMass() > 0.0f ? 1.0f / body.GetMass() : 0.0f;
}

float InverseInertia(const b2Body& body)
{
    const b2Vec2& centre = body.GetLocalCenter();
    const float aboutCentre = body.GetInertia() - body.GetMass() * b2Dot(centre, centre);
    return !body.IsFixedRotation() && aboutCentre > 0.0f ? 1.0f / aboutCentre : 0.0f;
}

// Whether the body keeps a finite velocity and spin when given this linear
// and angular impulse, or when carrying this force and torque through a
// step (which lasts at most a second).
bool KeepsFiniteMotion(const b2Body& body, b2Vec2 linear, float angular)
{
    return linear.IsValid() && std::isfinite(angular) &&
           (body.GetLinearVelocity() + InverseMass(body) * linear).IsValid() &&
           std::isfinite(body.GetAngularVelocity() + InverseInertia(body) * angular);
}

// Adds a force and torque to those the body carries into the next step;
// false, adding nothing, when the body would not stay finite with them.
bool TakesForce(PhysicsObject& object, b2Vec2 force, float torque)
{
    const uint64_t clears = object.world->ForceClears();
    if (object.pushedAtClear != clears) {
        object.pushedForce.SetZero();
        object.pushedTorque = 0.0f;
        object.pushedAtClear = clears;
    }
    const b2Vec2 totalForce = object.pushedForce + force;
    const float totalTorque = object.pushedTorque + torque;
    if (!KeepsFiniteMotion(*object.body, totalForce, totalTorque)) {
        return false;
    }
    object.pushedForce = totalForce;
    object.pushedTorque = totalTorque;
    return true;
}

}  // namespace

bool PhysicsObject_TakesPart(const PhysicsObject& object, const CInstance& instance)
{
    return object.active && !instance.i_deactivated;
}

CInstance* Body_Instance(const b2Body* body)
{
    return reinterpret_cast<CInstance*>(const_cast<b2Body*>(body)->GetUserData().pointer);
}

bool PhysicsWorld_BindFixture(PhysicsWorld& world, const PhysicsFixture& fixture, CInstance& instance)
{
    b2CircleShape circle;
    b2PolygonShape polygon;
    const b2Shape* shape = nullptr;
    if (!MakeShape(fixture, instance, &circle, &polygon, &shape)) {
        return false;
    }
    const b2Body* existing = instance.i_physics != nullptr ? instance.i_physics->body : nullptr;
    if (shape != nullptr && !KeepsPositiveInertia(existing, *shape, NonNegative(fixture.density))) {
        Code_Error_Runtime("The fixture's shape is too large or too far from the instance for its mass", false);
        return false;
    }
    const int32_t slot = world.AssignCollisionCategory(instance.i_objindex);
    const CollisionCategory* category = slot >= 0 ? &world.Category(slot) : nullptr;
    if (instance.i_physics != nullptr) {
        if (shape != nullptr) {
            AddFixture(*instance.i_physics->body, fixture, *shape, slot, category);
        }
        return true;
    }
    b2BodyDef def;
    def.type = BodyTypeOf(fixture);
    const float scale = world.Scale();
    def.position.Set(instance.i_x * scale, instance.i_y * scale);
    def.angle = -instance.i_imageangle * kDegreesToRadians;
    if (!def.position.IsValid() || !std::isfinite(def.angle)) {
        def.position.SetZero();
        def.angle = 0.0f;
    }
    def.awake = fixture.awake;
    def.linearDamping = NonNegative(fixture.linearDamping);
    def.angularDamping = NonNegative(fixture.angularDamping);
    def.allowSleep = true;
    def.userData.pointer = reinterpret_cast<uintptr_t>(&instance);
    b2Body* body = world.World().CreateBody(&def);
    if (shape != nullptr) {
        AddFixture(*body, fixture, *shape, slot, category);
    }
    instance.i_physics = new PhysicsObject{body, slot, &world};
    world.RefreshFilters();
    return true;
}

void PhysicsObject_CreateForInstance(CInstance* instance, CRoom* room)
{
    const CObject* object = instance->i_object;
    if (object == nullptr || !object->physics.enabled || room == nullptr || room->physicsWorld == nullptr ||
        Sprite_FrameCount(instance->i_spriteindex) <= 0) {
        return;
    }
    const ObjectPhysics& settings = object->physics;
    PhysicsWorld& world = *room->physicsWorld;
    const float scale = world.Scale();
    const float xscale = instance->i_imagescalex;
    const float yscale = instance->i_imagescaley;
    PhysicsFixture fixture;
    if (settings.shape == 0) {
        if (settings.vertices.size() < 2) {
            Console().Printf("Corrupt shape data for %s\n", object->name.c_str());
            return;
        }
        float radius = settings.vertices[1].x * scale;
        if (std::fabs(xscale - yscale) < 0.0001f) {
            radius *= std::fabs(xscale);
        } else {
            Console().Printf("Image scale for physics object using circle collision should not vary across axes: %s\n",
                             object->name.c_str());
        }
        if (!Physics_Fixture_SetCircleShape(fixture, radius)) {
            return;
        }
    } else if (settings.shape == 1 || settings.shape == 2) {
        Physics_Fixture_SetPolygonShape(fixture);
        const bool mirrored = xscale * yscale < 0.0f;
        const size_t count = settings.vertices.size();
        for (size_t i = 0; i < count && fixture.points.size() < kFixtureMaxPoints; ++i) {
            const ObjectVertex& vertex = settings.vertices[mirrored ? count - 1 - i : i];
            fixture.points.emplace_back(vertex.x * scale * xscale, vertex.y * scale * yscale);
        }
    }
    fixture.density = settings.density;
    fixture.restitution = settings.restitution;
    fixture.group = settings.group;
    fixture.linearDamping = settings.linearDamping;
    fixture.angularDamping = settings.angularDamping;
    fixture.friction = settings.friction;
    fixture.sensor = settings.sensor != 0;
    fixture.awake = settings.awake != 0;
    fixture.kinematic = settings.kinematic != 0;
    PhysicsWorld_BindFixture(world, fixture, *instance);
}

void PhysicsObject_Destroy(PhysicsObject* object)
{
    if (object == nullptr) {
        return;
    }
    Physics_Joint_DeleteOfBody(object->body);
    object->world->DestroyBody(object->body);
    delete object;
}

void PhysicsObject_SetPosition(PhysicsObject& object, float x, float y)
{
    if (!AllFinite({x, y})) {
        return;
    }
    object.body->SetTransform(b2Vec2(x, y), object.body->GetAngle());
    Wake(*object.body);
}

void PhysicsObject_SetRotation(PhysicsObject& object, float degrees)
{
    const float radians = degrees * kDegreesToRadians;
    if (!std::isfinite(Physics_ImageAngle(radians))) {
        return;
    }
    object.body->SetTransform(object.body->GetPosition(), radians);
    Wake(*object.body);
}

void PhysicsObject_SetLinearVelocity(PhysicsObject& object, float vx, float vy)
{
    if (!AllFinite({vx, vy})) {
        return;
    }
    b2Body& body = *object.body;
    const bool moving = vx != 0.0f || vy != 0.0f;
    if (body.GetType() == b2_staticBody && moving) {
        body.SetType(b2_kinematicBody);
    }
    if (body.GetType() != b2_staticBody) {
        body.SetLinearVelocity(b2Vec2(vx, vy));
    }
    Wake(body);
}

void PhysicsObject_SetAngularVelocity(PhysicsObject& object, float degreesPerSecond)
{
    const float radians = degreesPerSecond * kDegreesToRadians;
    if (!std::isfinite(radians)) {
        return;
    }
    b2Body& body = *object.body;
    if (body.GetType() != b2_staticBody) {
        body.SetAngularVelocity(radians);
    }
    Wake(body);
}

void PhysicsObject_Push(PhysicsObject& object, PushKind kind, bool local, b2Vec2 point, b2Vec2 vector)
{
    b2Body& body = *object.body;
    if (body.GetType() != b2_dynamicBody || !point.IsValid() || !vector.IsValid()) {
        return;
    }
    if (local) {
        point = body.GetWorldPoint(point);
        vector = body.GetWorldVector(vector);
    }
    const float torque = b2Cross(point - body.GetWorldCenter(), vector);
    if (kind == PushKind::Force) {
        if (TakesForce(object, vector, torque)) {
            body.ApplyForce(vector, point, true);
        }
    } else if (KeepsFiniteMotion(body, vector, torque)) {
        body.ApplyLinearImpulse(vector, point, true);
    }
}

void PhysicsObject_ApplyTorque(PhysicsObject& object, float torque)
{
    if (object.body->GetType() == b2_dynamicBody && TakesForce(object, b2Vec2(0.0f, 0.0f), torque)) {
        object.body->ApplyTorque(torque, true);
    }
}

bool PhysicsObject_SetMassProperties(PhysicsObject& object, float mass, b2Vec2 centre, float inertia)
{
    // Box2D aborts unless the inertia about the centre of mass stays
    // positive: inertia above mass x |centre|^2.
    const float effectiveMass = mass > 0.0f ? mass : 1.0f;
    if (!AllFinite({mass, inertia}) || !centre.IsValid() ||
        (inertia > 0.0f && !object.body->IsFixedRotation() && inertia <= effectiveMass * b2Dot(centre, centre))) {
        Code_Error_Runtime("The inertia must be greater than the mass times the squared distance of the centre of mass",
                           false);
        return false;
    }
    b2MassData data;
    data.mass = mass;
    data.center = centre;
    data.I = inertia;
    object.body->SetMassData(&data);
    return true;
}

bool PhysicsWorld_TestOverlap(const CInstance& instance, const CInstance& other, b2Vec2 position, float radians)
{
    if (instance.i_physics == nullptr || other.i_physics == nullptr || !position.IsValid() ||
        !std::isfinite(radians)) {
        return false;
    }
    const b2Transform placed(position, b2Rot(radians));
    const b2Body* otherBody = other.i_physics->body;
    for (const b2Fixture* mine = instance.i_physics->body->GetFixtureList(); mine != nullptr; mine = mine->GetNext()) {
        for (const b2Fixture* theirs = otherBody->GetFixtureList(); theirs != nullptr; theirs = theirs->GetNext()) {
            if (b2TestOverlap(mine->GetShape(), 0, theirs->GetShape(), 0, placed, otherBody->GetTransform())) {
                return true;
            }
        }
    }
    return false;
}

// ---- the phy_* variables ----

namespace {

int32_t RoomSpeed()
{
    const CRoom* room = Room_Current();
    return room != nullptr ? room->speed : 0;
}

bool ReadContact(const PhysicsWorld& world, const CInstance* instance, PhysicsVariable variable, int32_t index,
                 double* out)
{
    float x = 0.0f;
    float y = 0.0f;
    bool found = false;
    switch (variable) {
    case PhysicsVariable::CollisionPoints:
        *out = world.ContactPointCount(instance);
        return true;
    case PhysicsVariable::CollisionX:
    case PhysicsVariable::CollisionY:
        found = world.ContactPoint(instance, index, &x, &y);
        break;
    default:
        found = world.ContactNormal(instance, index, &x, &y);
        break;
    }
    // A point the contact does not have reads as 0: only a missing world or
    // body makes a physics read fail.
    const bool first = variable == PhysicsVariable::CollisionX || variable == PhysicsVariable::ColNormalX;
    *out = !found ? 0.0 : first ? x : y;
    return true;
}

}  // namespace

bool PhysicsObject_ReadVariable(CInstance* instance, int32_t which, int32_t arrayIndex, double* out)
{
    const PhysicsWorld* world = PhysicsWorld_Current();
    const auto variable = static_cast<PhysicsVariable>(which);
    const PhysicsObject* object = instance->i_physics;
    if (world == nullptr || object == nullptr) {
        return false;
    }
    if (variable >= PhysicsVariable::CollisionPoints) {
        return ReadContact(*world, instance, variable, arrayIndex, out);
    }
    const b2Body& body = *object->body;
    const float scale = world->Scale();
    const double speedDivisor = static_cast<double>(scale) * RoomSpeed();
    switch (variable) {
    case PhysicsVariable::Rotation: *out = body.GetAngle() * kRadiansToDegrees; break;
    case PhysicsVariable::PositionX: *out = body.GetPosition().x / scale; break;
    case PhysicsVariable::PositionY: *out = body.GetPosition().y / scale; break;
    case PhysicsVariable::AngularVelocity: *out = body.GetAngularVelocity() * kRadiansToDegrees; break;
    case PhysicsVariable::LinearVelocityX: *out = body.GetLinearVelocity().x / scale; break;
    case PhysicsVariable::LinearVelocityY: *out = body.GetLinearVelocity().y / scale; break;
    case PhysicsVariable::SpeedX: *out = speedDivisor != 0.0 ? body.GetLinearVelocity().x / speedDivisor : 0.0; break;
    case PhysicsVariable::SpeedY: *out = speedDivisor != 0.0 ? body.GetLinearVelocity().y / speedDivisor : 0.0; break;
    case PhysicsVariable::Bullet: *out = body.IsBullet(); break;
    case PhysicsVariable::FixedRotation: *out = body.IsFixedRotation(); break;
    case PhysicsVariable::Active: *out = object->active; break;
    case PhysicsVariable::Mass: *out = body.GetMass(); break;
    case PhysicsVariable::Inertia: *out = body.GetInertia(); break;
    case PhysicsVariable::ComX: *out = body.GetWorldCenter().x / scale; break;
    case PhysicsVariable::ComY: *out = body.GetWorldCenter().y / scale; break;
    case PhysicsVariable::Dynamic: *out = body.GetType() == b2_dynamicBody; break;
    case PhysicsVariable::Kinematic: *out = body.GetType() == b2_kinematicBody; break;
    case PhysicsVariable::Sleeping: *out = !body.IsAwake(); break;
    default: return false;
    }
    return true;
}

bool PhysicsObject_WriteVariable(CInstance* instance, int32_t which, double value)
{
    const PhysicsWorld* world = PhysicsWorld_Current();
    PhysicsObject* object = instance->i_physics;
    if (world == nullptr || object == nullptr) {
        return false;
    }
    b2Body& body = *object->body;
    const float scale = world->Scale();
    const auto single = static_cast<float>(value);
    const float scaled = static_cast<float>(value * scale);
    const float perStep = static_cast<float>(value * scale * RoomSpeed());
    const b2Vec2 position = body.GetPosition();
    const b2Vec2 velocity = body.GetLinearVelocity();
    const bool flag = value > 0.5;
    switch (static_cast<PhysicsVariable>(which)) {
    case PhysicsVariable::Rotation: PhysicsObject_SetRotation(*object, single); break;
    case PhysicsVariable::PositionX: PhysicsObject_SetPosition(*object, scaled, position.y); break;
    case PhysicsVariable::PositionY: PhysicsObject_SetPosition(*object, position.x, scaled); break;
    case PhysicsVariable::AngularVelocity: PhysicsObject_SetAngularVelocity(*object, single); break;
    case PhysicsVariable::LinearVelocityX: PhysicsObject_SetLinearVelocity(*object, scaled, velocity.y); break;
    case PhysicsVariable::LinearVelocityY: PhysicsObject_SetLinearVelocity(*object, velocity.x, scaled); break;
    case PhysicsVariable::SpeedX: PhysicsObject_SetLinearVelocity(*object, perStep, velocity.y); break;
    case PhysicsVariable::SpeedY: PhysicsObject_SetLinearVelocity(*object, velocity.x, perStep); break;
    case PhysicsVariable::Bullet: body.SetBullet(flag); break;
    case PhysicsVariable::FixedRotation: body.SetFixedRotation(flag); break;  // recomputes the mass data
    case PhysicsVariable::Active:
        object->active = flag;
        body.SetEnabled(PhysicsObject_TakesPart(*object, *instance));
        break;
    default: return false;
    }
    return true;
}

}  // namespace bw
