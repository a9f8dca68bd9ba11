// A room's physics world: the Box2D world with the room's scale, update
// speed and iteration count, the contacts recorded during a step, and the
// 32 collision categories given to objects on demand. Positions from game
// code are pixels; multiplied by the scale they are Box2D units.
//
// Box2D's own filter holds 16 category bits, too few for 32 categories: each
// fixture carries our own 32-bit category, mask and group (FixtureFilter, in
// its user data) and the world's contact filter decides on those.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <unordered_map>
#include <utility>
#include <vector>

#include <box2d/box2d.h>

namespace bw {

class CInstance;
class CRoom;
struct PhysicsObject;

inline constexpr float kPhysicsPi = 3.1415927f;
inline constexpr int32_t kCollisionCategoryCount = 32;
inline constexpr int32_t kManifoldsPerContact = 8;

// An instance's image angle: its body's angle in degrees, negated.
inline float Physics_ImageAngle(float radians)
{
    return -radians * 180.0f / kPhysicsPi;
}

// What a fixture collides with. Fixtures with the same non-zero group always
// (positive) or never (negative) collide; otherwise each must be in the
// other's mask.
struct FixtureFilter {
    uint32_t category = 0;
    uint32_t mask = 0;
    int32_t group = 0;
    int32_t slot = -1;  // the category slot the bits come from, -1 none
};
FixtureFilter* Fixture_Filter(const b2Fixture* fixture);

// One touching pair of fixtures in one step, with every manifold Box2D
// reported for it during the step's sub-steps. Only the first
// manifoldCount manifolds are ever written or read: the rest stay
// uninitialised, which spares a step thousands of needless clears.
struct PhysicsContact {
    int32_t manifoldCount = 0;
    b2Fixture* fixtureA = nullptr;
    b2Fixture* fixtureB = nullptr;
    std::array<b2Manifold, kManifoldsPerContact> manifolds;
    std::array<b2WorldManifold, kManifoldsPerContact> worldManifolds;
};

struct CollisionCategory {
    int32_t object = -1;  // owner, -1 free
    uint32_t categoryBits = 0;
    uint32_t maskBits = 0;
};

class PhysicsWorld {
public:
    // A scale at or below 0 (or not a number) is refused by the callers:
    // positions read back divide by it.
    PhysicsWorld(float scale, int32_t updateSpeed);
    // Bodies still in the world are destroyed with it, their instances left
    // without one.
    ~PhysicsWorld();
    PhysicsWorld(const PhysicsWorld&) = delete;
    PhysicsWorld& operator=(const PhysicsWorld&) = delete;

    static bool ScaleIsValid(float scale);

    b2World& World() { return m_world; }
    float Scale() const { return m_scale; }
    void SetScale(float scale) { m_scale = scale; }
    int32_t updateSpeed;
    int32_t iterations = 10;
    bool paused = false;

    // Gravity in Box2D units, unscaled; any gravity but (0, 0) wakes every
    // dynamic body.
    void SetGravity(float x, float y);

    // One game step at the room's speed: instances on paths, the sub-steps,
    // the write-back to instances, the collision events.
    void Update(CRoom& room, int32_t roomSpeed, bool anyPath);
    double SimulatedTime() const { return m_simulatedTime; }
    // How many times the forces on the bodies were cleared (once a step).
    uint64_t ForceClears() const { return m_forceClears; }

    // Collision categories: the slot of the object (-1 with none, reported
    // when all 32 are taken), and every fixture's filter brought up to date.
    int32_t AssignCollisionCategory(int32_t objectIndex);
    const CollisionCategory& Category(int32_t slot) const { return m_categories[static_cast<size_t>(slot)]; }
    void RefreshFilters();

    // Recording from the contact listener, and what the events read.
    void AddContact(b2Contact& contact);
    int32_t RecordedContactCount() const { return static_cast<int32_t>(m_contacts.size()); }
    const PhysicsContact* ContactBeingReported() const { return m_reported; }
    int32_t ContactPointCount(const CInstance* instance) const;
    bool ContactPoint(const CInstance* instance, int32_t index, float* x, float* y) const;
    bool ContactNormal(const CInstance* instance, int32_t index, float* nx, float* ny) const;

    // A body destroyed while collision events run waits for their end, so no
    // recorded contact ever points at a freed fixture.
    void DestroyBody(b2Body* body);

private:
    class ContactListener : public b2ContactListener {
    public:
        explicit ContactListener(PhysicsWorld& world) : m_owner(world) {}
        void BeginContact(b2Contact* contact) override;
        void PostSolve(b2Contact* contact, const b2ContactImpulse* impulse) override;

    private:
        PhysicsWorld& m_owner;
    };
    class ContactFilter : public b2ContactFilter {
    public:
        bool ShouldCollide(b2Fixture* fixtureA, b2Fixture* fixtureB) override;
    };

    void MovePathInstances(CRoom& room);
    void FollowActivation();
    void WriteBack();
    void RaiseCollisionEvents();
    // The manifold that holds point `index` of the reported contact, and the
    // point's place in it; null when the instance is not in the contact.
    const b2WorldManifold* FindPoint(const CInstance* instance, int32_t index, int32_t* point) const;

    b2World m_world;
    ContactListener m_listener{*this};
    ContactFilter m_filter;
    float m_scale;
    double m_simulatedTime = 0.0;
    uint64_t m_forceClears = 0;
    std::array<CollisionCategory, kCollisionCategoryCount> m_categories{};
    // The fixtures of a pair in a fixed order, so either order finds it.
    struct FixturePair {
        FixturePair(const b2Fixture* a, const b2Fixture* b) : first(std::min(a, b)), second(std::max(a, b)) {}
        bool operator==(const FixturePair&) const = default;
        const b2Fixture* first;
        const b2Fixture* second;
    };
    struct FixturePairHash {
        size_t operator()(const FixturePair& pair) const
        {
            return std::hash<const void*>()(pair.first) * 31u ^ std::hash<const void*>()(pair.second);
        }
    };
    std::vector<PhysicsContact> m_contacts;
    // Emptied every step: its nodes go back to a pool and come back from it
    // instead of the heap.
    std::pmr::unsynchronized_pool_resource m_indexMemory;
    std::pmr::unordered_map<FixturePair, size_t, FixturePairHash> m_contactIndex{&m_indexMemory};
    const PhysicsContact* m_reported = nullptr;
    bool m_raisingEvents = false;
    std::vector<b2Body*> m_doomedBodies;
};

// The current room's world, null when it has none.
PhysicsWorld* PhysicsWorld_Current();
// The body record of an instance of the current room's world; null without.
PhysicsObject* PhysicsObject_Of(const CInstance* instance);

}  // namespace bw
