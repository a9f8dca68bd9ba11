#include "physics/physics_world.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "physics/physics_joint.h"
#include "physics/physics_object.h"
#include "platform/console.h"
#include "script/error_report.h"
#include "world/event.h"
#include "world/instance.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/room.h"

namespace bw {

namespace {

constexpr int32_t kOtherPathEnd = 8;

// The partners of an object: the other member of every collision pair that
// holds it (itself for a pair with itself).
std::vector<int32_t> CollisionPartners(int32_t objectIndex)
{
    std::vector<int32_t> partners;
    for (const ObjectPair& pair : Object_CollisionPairs()) {
        if (pair.lower == objectIndex) {
            partners.push_back(pair.higher);
        } else if (pair.higher == objectIndex) {
            partners.push_back(pair.lower);
        }
    }
    std::erase(partners, -1);
    return partners;
}

// The instance of a fixture's body while it may get collision events: none
// once the body is destroyed or the instance deactivated.
CInstance* EventInstance(const b2Fixture* fixture)
{
    CInstance* instance = Body_Instance(fixture->GetBody());
    return instance != nullptr && !instance->i_deactivated ? instance : nullptr;
}

}  // namespace

FixtureFilter* Fixture_Filter(const b2Fixture* fixture)
{
    return reinterpret_cast<FixtureFilter*>(const_cast<b2Fixture*>(fixture)->GetUserData().pointer);
}

PhysicsWorld::PhysicsWorld(float scale, int32_t speed) : updateSpeed(speed), m_world(b2Vec2(0.0f, 10.0f)), m_scale(scale)
{
    m_world.SetAllowSleeping(true);
    m_world.SetContactListener(&m_listener);
    m_world.SetContactFilter(&m_filter);
    // Forces act through every sub-step of a game step and are cleared
    // after the last one (Update), not after each Box2D step.
    m_world.SetAutoClearForces(false);
}

PhysicsWorld::~PhysicsWorld()
{
    m_world.SetContactListener(nullptr);
    Physics_Joint_ForgetWorld(this);
    for (b2Body* body = m_world.GetBodyList(); body != nullptr; body = body->GetNext()) {
        if (CInstance* instance = Body_Instance(body)) {
            delete instance->i_physics;
            instance->i_physics = nullptr;
        }
        for (b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext()) {
            delete Fixture_Filter(fixture);
        }
    }
}

bool PhysicsWorld::ScaleIsValid(float scale)
{
    return std::isfinite(scale) && scale > 0.0f;
}

void PhysicsWorld::SetGravity(float x, float y)
{
    m_world.SetGravity(b2Vec2(x, y));
    if (x == 0.0f && y == 0.0f) {
        return;
    }
    for (b2Body* body = m_world.GetBodyList(); body != nullptr; body = body->GetNext()) {
        if (body->GetType() == b2_dynamicBody) {
            body->SetAwake(true);
        }
    }
}

void PhysicsWorld::MovePathInstances(CRoom& room)
{
    // Instances are never freed during a pass, but end-of-path events may
    // add some: walk the list as it was.
    std::vector<CInstance*> onPath;
    for (CInstance* instance = room.activeInstances.First(); instance != nullptr; instance = instance->i_next) {
        if (instance->i_pathindex >= 0) {
            onPath.push_back(instance);
        }
    }
    for (CInstance* instance : onPath) {
        if (instance->PathStep()) {
            Event_Perform(instance, instance, kEventOther, kOtherPathEnd);
        }
        PhysicsObject* object = instance->i_physics;
        if (object != nullptr && object->body->GetType() != b2_dynamicBody) {
            PhysicsObject_SetPosition(*object, instance->i_x * m_scale, instance->i_y * m_scale);
        }
    }
}

void PhysicsWorld::Update(CRoom& room, int32_t roomSpeed, bool anyPath)
{
    if (roomSpeed < 1) {
        return;
    }
    if (anyPath) {
        MovePathInstances(room);
    }
    if (paused) {
        return;
    }
    FollowActivation();
    m_contacts.clear();
    m_contactIndex.clear();
    for (double n = static_cast<double>(updateSpeed) / roomSpeed; n > 0.0; n -= 1.0) {
        const double dt = (n > 1.0 ? 1.0 : n) / updateSpeed;
        m_world.Step(static_cast<float>(dt), iterations, iterations);
        m_simulatedTime += dt;
    }
    m_world.ClearForces();
    ++m_forceClears;
    WriteBack();
    RaiseCollisionEvents();
}

// A deactivated instance's body stays where it is and nothing meets it
// until the instance is active again.
void PhysicsWorld::FollowActivation()
{
    for (b2Body* body = m_world.GetBodyList(); body != nullptr; body = body->GetNext()) {
        const CInstance* instance = Body_Instance(body);
        if (instance == nullptr) {
            continue;
        }
        const bool enabled = PhysicsObject_TakesPart(*instance->i_physics, *instance);
        if (body->IsEnabled() != enabled) {
            body->SetEnabled(enabled);
        }
    }
}

void PhysicsWorld::WriteBack()
{
    for (b2Body* body = m_world.GetBodyList(); body != nullptr; body = body->GetNext()) {
        CInstance* instance = Body_Instance(body);
        if (instance == nullptr) {
            continue;
        }
        const b2Vec2& position = body->GetPosition();
        instance->i_x = position.x / m_scale;
        instance->i_y = position.y / m_scale;
        instance->SetImageAngle(Physics_ImageAngle(body->GetAngle()));
        instance->i_bboxdirty = 1;
    }
}

void PhysicsWorld::RaiseCollisionEvents()
{
    m_raisingEvents = true;
    // From the last record to the first. Nothing adds records while the
    // events run, and bodies they destroy wait (DestroyBody), so the records
    // stay whole.
    for (auto at = m_contacts.rbegin(); at != m_contacts.rend(); ++at) {
        m_reported = &*at;
        // A body destroyed, or an instance deactivated, by the first event
        // has no second event to run.
        CInstance* a = EventInstance(at->fixtureA);
        CInstance* b = EventInstance(at->fixtureB);
        if (a != nullptr && b != nullptr) {
            Event_Perform(a, b, kEventCollision, b->i_objindex);
            a = EventInstance(at->fixtureA);
            b = EventInstance(at->fixtureB);
            if (a != nullptr && b != nullptr) {
                Event_Perform(b, a, kEventCollision, a->i_objindex);
            }
        }
    }
    m_reported = nullptr;
    m_contacts.clear();
    m_raisingEvents = false;
    for (b2Body* body : m_doomedBodies) {
        DestroyBody(body);
    }
    m_doomedBodies.clear();
}

void PhysicsWorld::DestroyBody(b2Body* body)
{
    body->GetUserData().pointer = 0;
    if (m_raisingEvents) {
        m_doomedBodies.push_back(body);
        return;
    }
    for (b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext()) {
        delete Fixture_Filter(fixture);
        fixture->GetUserData().pointer = 0;
    }
    m_world.DestroyBody(body);
}

// ---- collision categories ----

int32_t PhysicsWorld::AssignCollisionCategory(int32_t objectIndex)
{
    const std::vector<int32_t> partners = CollisionPartners(objectIndex);
    if (partners.empty()) {
        return -1;
    }
    // Children sharing their parent's collisions share its category.
    int32_t owner = objectIndex;
    for (CObject* parent = Object_Find(owner) != nullptr ? Object_Find(owner)->parentObject : nullptr;
         parent != nullptr && CollisionPartners(parent->index).size() == partners.size();
         parent = parent->parentObject) {
        owner = parent->index;
    }
    int32_t slot = -1;
    for (int32_t k = 0; k < kCollisionCategoryCount && slot < 0; ++k) {
        if (m_categories[static_cast<size_t>(k)].object == owner) {
            slot = k;
        }
    }
    for (int32_t k = 0; k < kCollisionCategoryCount && slot < 0; ++k) {
        CollisionCategory& free = m_categories[static_cast<size_t>(k)];
        if (free.object == -1) {
            free = CollisionCategory{owner, 1u << k, 0};
            slot = k;
        }
    }
    if (slot < 0) {
        const std::string message = "Unable to assign a collision category for object " +
                                    std::string(Object_Name(objectIndex)) +
                                    ".\nConsider using parenting to reduce collision overheads where possible.";
        Code_Error_Runtime(message.c_str(), false);
        return -1;
    }
    CollisionCategory& mine = m_categories[static_cast<size_t>(slot)];
    for (int32_t partner : partners) {
        for (CollisionCategory& theirs : m_categories) {
            if (theirs.object == partner) {
                mine.maskBits |= theirs.categoryBits;
                theirs.maskBits |= mine.categoryBits;
            }
        }
    }
    return slot;
}

void PhysicsWorld::RefreshFilters()
{
    for (b2Body* body = m_world.GetBodyList(); body != nullptr; body = body->GetNext()) {
        for (b2Fixture* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext()) {
            FixtureFilter* filter = Fixture_Filter(fixture);
            if (filter == nullptr || filter->slot < 0) {
                continue;
            }
            const CollisionCategory& category = Category(filter->slot);
            if (filter->category != category.categoryBits || filter->mask != category.maskBits) {
                filter->category = category.categoryBits;
                filter->mask = category.maskBits;
                // Box2D's own filter is unchanged; this only has it ask the
                // contact filter again.
                fixture->Refilter();
            }
        }
    }
}

bool PhysicsWorld::ContactFilter::ShouldCollide(b2Fixture* fixtureA, b2Fixture* fixtureB)
{
    const FixtureFilter* a = Fixture_Filter(fixtureA);
    const FixtureFilter* b = Fixture_Filter(fixtureB);
    if (a == nullptr || b == nullptr) {
        return false;
    }
    if (a->group == b->group && a->group != 0) {
        return a->group > 0;
    }
    return (a->mask & b->category) != 0 && (a->category & b->mask) != 0;
}

// ---- contacts ----

void PhysicsWorld::ContactListener::BeginContact(b2Contact* contact)
{
    if (contact->GetFixtureA()->IsSensor() || contact->GetFixtureB()->IsSensor()) {
        m_owner.AddContact(*contact);
    }
}

void PhysicsWorld::ContactListener::PostSolve(b2Contact* contact, const b2ContactImpulse*)
{
    m_owner.AddContact(*contact);
}

void PhysicsWorld::AddContact(b2Contact& contact)
{
    b2Fixture* a = contact.GetFixtureA();
    b2Fixture* b = contact.GetFixtureB();
    b2WorldManifold worldManifold;
    contact.GetWorldManifold(&worldManifold);
    // A pair touching through several sub-steps keeps one record.
    const auto [found, isNew] = m_contactIndex.try_emplace(FixturePair(a, b), m_contacts.size());
    if (isNew) {
        PhysicsContact& added = m_contacts.emplace_back();
        added.fixtureA = a;
        added.fixtureB = b;
    }
    PhysicsContact* record = &m_contacts[found->second];
    if (record->manifoldCount >= kManifoldsPerContact) {
        Console().Printf("WARNING: Too many manifolds in collision\n");
        return;
    }
    const auto at = static_cast<size_t>(record->manifoldCount++);
    record->manifolds[at] = *contact.GetManifold();
    record->worldManifolds[at] = worldManifold;
}

const b2WorldManifold* PhysicsWorld::FindPoint(const CInstance* instance, int32_t index, int32_t* point) const
{
    const PhysicsContact* record = ContactBeingReported();
    if (record == nullptr || index < 0 ||
        (Body_Instance(record->fixtureA->GetBody()) != instance &&
         Body_Instance(record->fixtureB->GetBody()) != instance)) {
        return nullptr;
    }
    int32_t before = 0;
    for (int32_t m = 0; m < record->manifoldCount; ++m) {
        const int32_t count = record->manifolds[static_cast<size_t>(m)].pointCount;
        if (index < before + count) {
            *point = index - before;
            return &record->worldManifolds[static_cast<size_t>(m)];
        }
        before += count;
    }
    return nullptr;
}

int32_t PhysicsWorld::ContactPointCount(const CInstance* instance) const
{
    const PhysicsContact* record = ContactBeingReported();
    if (record == nullptr || (Body_Instance(record->fixtureA->GetBody()) != instance &&
                              Body_Instance(record->fixtureB->GetBody()) != instance)) {
        return 0;
    }
    int32_t count = 0;
    for (int32_t m = 0; m < record->manifoldCount; ++m) {
        count += record->manifolds[static_cast<size_t>(m)].pointCount;
    }
    return count;
}

bool PhysicsWorld::ContactPoint(const CInstance* instance, int32_t index, float* x, float* y) const
{
    int32_t point = 0;
    const b2WorldManifold* manifold = FindPoint(instance, index, &point);
    if (manifold == nullptr) {
        return false;
    }
    *x = manifold->points[point].x / m_scale;
    *y = manifold->points[point].y / m_scale;
    return true;
}

bool PhysicsWorld::ContactNormal(const CInstance* instance, int32_t index, float* nx, float* ny) const
{
    int32_t point = 0;
    const b2WorldManifold* manifold = FindPoint(instance, index, &point);
    if (manifold == nullptr) {
        return false;
    }
    *nx = manifold->normal.x;
    *ny = manifold->normal.y;
    return true;
}

PhysicsWorld* PhysicsWorld_Current()
{
    CRoom* room = Room_Current();
    return room != nullptr ? room->physicsWorld : nullptr;
}

}  // namespace bw
