// The world's step: sub-steps at the room speed, forces through all of them,
// pausing, collision categories and the collision events from contacts.
#include <string>

#include "world/path_lookups.h"

#include "unit/physics/physics_fixture.h"

namespace bw::test {
namespace {

TEST_F(PhysicsTest, GravitySubStepsFollowTheRoomSpeed)
{
    struct Case {
        int32_t roomSpeed;
        int32_t steps;
        float velocity;  // Box2D units per second under gravity 10
    };
    LoadObjects({Object("faller")});
    for (const Case& c : {Case{30, 3, 1.0f}, Case{60, 3, 0.5f}, Case{120, 4, 1.0f / 3.0f}}) {
        SCOPED_TRACE(c.roomSpeed);
        room.speed = c.roomSpeed;
        CInstance* faller = BodyAt(0, 0.0f, 0.0f, Box(5, 5));
        const double before = World().SimulatedTime();
        Steps(c.steps);
        EXPECT_NEAR(faller->i_physics->body->GetLinearVelocity().y, c.velocity, 1e-5f);
        EXPECT_NEAR(World().SimulatedTime() - before, c.steps / static_cast<double>(c.roomSpeed), 1e-9);
        faller->i_marked = 1;
        PhysicsObject_Destroy(faller->i_physics);
        faller->i_physics = nullptr;
        World().SetGravity(0.0f, 10.0f);
    }
}

TEST_F(PhysicsTest, ForcesActThroughEverySubStepAndAreClearedAfterTheLast)
{
    LoadObjects({Object("pushed")});
    room.speed = 30;
    World().SetGravity(0.0f, 0.0f);
    CInstance* pushed = BodyAt(0, 0.0f, 0.0f, Box(5, 5));
    const float mass = pushed->i_physics->body->GetMass();
    PhysicsObject_Push(*pushed->i_physics, PushKind::Force, false, b2Vec2(0.0f, 0.0f), b2Vec2(mass * 6.0f, 0.0f));
    Steps(1);
    EXPECT_NEAR(pushed->i_physics->body->GetLinearVelocity().x, 6.0f * 2.0f / 60.0f, 1e-5f);
    Steps(1);
    EXPECT_NEAR(pushed->i_physics->body->GetLinearVelocity().x, 6.0f * 2.0f / 60.0f, 1e-5f);
}

TEST_F(PhysicsTest, WriteBackMovesTheInstanceAndAPausedWorldStandsStill)
{
    LoadObjects({Object("faller")});
    CInstance* faller = BodyAt(0, 100.0f, 50.0f, Box(5, 5));
    faller->i_physics->body->SetAngularVelocity(1.0f);
    Steps(1);
    EXPECT_GT(faller->i_y, 50.0f);
    EXPECT_FLOAT_EQ(faller->i_imageangle, -faller->i_physics->body->GetAngle() * 180.0f / kPhysicsPi);
    World().paused = true;
    const float y = faller->i_y;
    Steps(2);
    EXPECT_EQ(faller->i_y, y);
}

TEST_F(PhysicsTest, APausedWorldStillMovesInstancesOnPathsAndTheirStaticBodies)
{
    // Path 0: 100 pixels to the right at full speed.
    World_PathLookups().length = [](int32_t path, float* length) {
        *length = 100.0f;
        return path == 0;
    };
    World_PathLookups().position = [](int32_t path, float t, float* x, float* y, float* speed) {
        *x = 100.0f * t;
        *y = 0.0f;
        *speed = 100.0f;
        return path == 0;
    };
    LoadObjects({Object("walker", {{kEventOther, 8, "note()"}})});
    CInstance* walker = BodyAt(0, 0.0f, 0.0f, Box(5, 5, 0.0f));
    walker->StartPath(0, 50.0f, 1.0f, 0.0f, true, 0);
    World().paused = true;
    Steps(1);
    EXPECT_FLOAT_EQ(walker->i_x, 50.0f);
    EXPECT_FLOAT_EQ(walker->i_physics->body->GetPosition().x, 5.0f);
    Steps(1);
    EXPECT_EQ(Notes().size(), 1u);  // the end of the path
    World_PathLookups() = PathLookups{};
}

TEST_F(PhysicsTest, OnlyObjectsWithACollisionEventBetweenThemCollide)
{
    LoadObjects({Object("a", {{kEventCollision, 1, "note()"}}), Object("b"), Object("c")});
    World().SetGravity(0.0f, 0.0f);
    CInstance* a = BodyAt(0, 0.0f, 0.0f, Box(10, 10));
    CInstance* b = BodyAt(1, 5.0f, 0.0f, Box(10, 10));
    CInstance* c1 = BodyAt(2, 0.0f, 100.0f, Box(10, 10));
    CInstance* c2 = BodyAt(2, 5.0f, 100.0f, Box(10, 10));
    Steps(3);
    EXPECT_NE(a->i_x, 0.0f);  // pushed apart
    EXPECT_NE(b->i_x, 5.0f);
    EXPECT_EQ(c1->i_x, 0.0f);  // pass through each other
    EXPECT_EQ(c2->i_x, 5.0f);
    EXPECT_FALSE(Notes().empty());
}

TEST_F(PhysicsTest, TheThirtyThirdCategoryIsReportedAndCollidesWithNothing)
{
    std::vector<ObjectSpec> objects;
    for (int32_t i = 0; i < 33; ++i) {
        objects.push_back(Object(("o" + std::to_string(i)).c_str(), {{kEventCollision, static_cast<uint32_t>(i), ""}}));
    }
    LoadObjects(objects);
    for (int32_t i = 0; i < 32; ++i) {
        EXPECT_EQ(World().AssignCollisionCategory(i), i);
    }
    EXPECT_EQ(World().AssignCollisionCategory(32), -1);
    EXPECT_NE(ConsoleLines().find("Unable to assign a collision category for object o32.\nConsider using parenting"),
              std::string::npos);
    EXPECT_EQ(World().Category(5).maskBits, 1u << 5);
}

TEST_F(PhysicsTest, ChildrenSharingTheirParentsCollisionsShareItsCategory)
{
    ObjectSpec child = Object("child");
    child.parent = 0;
    LoadObjects({Object("parent", {{kEventCollision, 2, ""}}), child, Object("wall")});
    const int32_t parentSlot = World().AssignCollisionCategory(0);
    EXPECT_EQ(World().AssignCollisionCategory(1), parentSlot);
    const int32_t wallSlot = World().AssignCollisionCategory(2);
    EXPECT_EQ(World().Category(parentSlot).maskBits, 1u << wallSlot);
    EXPECT_EQ(World().Category(wallSlot).maskBits, 1u << parentSlot);
}

TEST_F(PhysicsTest, TwoRestingBoxesGiveOneRecordAndOneEventEachPerStep)
{
    LoadObjects({Object("box", {{kEventCollision, 1, "note(phy_collision_points)"}}),
                 Object("ground", {{kEventCollision, 0, "note(phy_collision_points)"}})});
    room.speed = 30;  // two sub-steps: their manifolds share the record
    BodyAt(1, 0.0f, 20.0f, Box(100, 10, 0.0f));
    BodyAt(0, 0.0f, 0.0f, Box(10, 10));
    Steps(10);  // settled, not yet asleep
    Notes().clear();
    Steps(1);
    ASSERT_EQ(Notes().size(), 2u);
    EXPECT_EQ(Notes()[0].args, (std::vector<double>{4.0}));  // two points in each of two manifolds
    EXPECT_EQ(Notes()[1].args, (std::vector<double>{4.0}));
}

TEST_F(PhysicsTest, ContactPointsAreReadOnlyDuringTheEvent)
{
    LoadObjects({Object("box", {{kEventCollision, 1, "note(phy_collision_x[0], phy_collision_y[0], "
                                                     "phy_col_normal_y[1], phy_collision_x[9])"}}),
                 Object("ground")});
    CInstance* ground = BodyAt(1, 0.0f, 20.0f, Box(100, 10, 0.0f));
    BodyAt(0, 0.0f, 0.0f, Box(10, 10));
    Steps(20);
    ASSERT_FALSE(Notes().empty());
    const std::vector<double>& read = Notes().back().args;
    ASSERT_EQ(read.size(), 4u);
    EXPECT_NEAR(std::abs(read[0]), 10.0, 0.5);
    EXPECT_NEAR(read[1], 10.0, 0.5);
    EXPECT_NEAR(std::abs(read[2]), 1.0, 1e-4);
    EXPECT_EQ(read[3], 0.0);  // no such point: the variable keeps what it had
    double points = -1.0;
    EXPECT_TRUE(PhysicsObject_ReadVariable(ground, static_cast<int32_t>(PhysicsVariable::CollisionPoints), 0,
                                           &points));
    EXPECT_EQ(points, 0.0);
}

TEST_F(PhysicsTest, ASensorReportsWhenTheContactBegins)
{
    LoadObjects({Object("sensor", {{kEventCollision, 1, "note()"}}), Object("thing")});
    World().SetGravity(0.0f, 0.0f);
    PhysicsFixture& sensing = Box(10, 10, 0.0f);
    sensing.sensor = true;
    BodyAt(0, 0.0f, 0.0f, sensing);
    BodyAt(1, 5.0f, 0.0f, Box(10, 10));
    Steps(1);
    EXPECT_EQ(Notes().size(), 1u);  // only the sensor's object has the event
    Steps(1);
    EXPECT_EQ(Notes().size(), 1u);  // begins once
}

// A collision event that destroys a body still in later records: the body
// waits for the events to end (this test runs under AddressSanitizer too).
TEST_F(PhysicsTest, ABodyDestroyedByACollisionEventOutlivesTheRecordsThatNameIt)
{
    AddBuiltin("drop_body", [](Value*, CInstance*, CInstance* other, int32_t, Value*) {
        PhysicsObject_Destroy(other->i_physics);
        other->i_physics = nullptr;
    }, 0);
    LoadObjects({Object("box", {{kEventCollision, 1, "drop_body()"}}), Object("ground")});
    BodyAt(1, 0.0f, 20.0f, Box(100, 10, 0.0f));
    BodyAt(0, -40.0f, 0.0f, Box(10, 10));
    BodyAt(0, 40.0f, 0.0f, Box(10, 10));
    Steps(20);
    EXPECT_EQ(World().World().GetBodyCount(), 2);
}

TEST_F(PhysicsTest, GravityWakesDynamicBodiesUnlessItIsZero)
{
    LoadObjects({Object("sleeper")});
    CInstance* sleeper = BodyAt(0, 0.0f, 0.0f, Box(5, 5));
    sleeper->i_physics->body->SetAwake(false);
    World().SetGravity(0.0f, 0.0f);
    EXPECT_FALSE(sleeper->i_physics->body->IsAwake());
    World().SetGravity(0.0f, 5.0f);
    EXPECT_TRUE(sleeper->i_physics->body->IsAwake());
}

}  // namespace
}  // namespace bw::test
