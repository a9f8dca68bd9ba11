// The physics built-ins as game code calls them, and the world's life with
// its room.
#include "unit/physics/physics_fixture.h"

namespace bw::test {
namespace {

TEST_F(PhysicsTest, FlagsAreTrueAboveOneHalf)
{
    const auto id = static_cast<int32_t>(Call("physics_fixture_create", {}));
    Call("physics_fixture_set_sensor", {static_cast<double>(id), 0.51});
    EXPECT_TRUE(Physics_Fixture_Find(id)->sensor);
    Call("physics_fixture_set_sensor", {static_cast<double>(id), 0.5});
    EXPECT_FALSE(Physics_Fixture_Find(id)->sensor);
    Call("physics_fixture_set_sensor", {static_cast<double>(id + 1000), 1.0});
    EXPECT_TRUE(Reported("The physics fixture does not exist"));
}

TEST_F(PhysicsTest, BindingToAllSkipsDeactivatedInstances)
{
    LoadObjects({Object("thing")});
    for (int32_t i = 0; i < 4; ++i) {
        AddInstance(0)->i_deactivated = i == 3;
    }
    const auto id = static_cast<double>(Call("physics_fixture_create", {}));
    Call("physics_fixture_set_box_shape", {id, 5, 5});
    Call("physics_fixture_bind", {id, -3});
    EXPECT_EQ(World().World().GetBodyCount(), 3);
    Call("physics_fixture_bind", {id, 123456});
    EXPECT_TRUE(Reported("  is not valid."));
}

TEST_F(PhysicsTest, AddingAPointThatBreaksThePolygonReportsBothErrors)
{
    const auto id = static_cast<double>(Call("physics_fixture_create", {}));
    Call("physics_fixture_set_polygon_shape", {id});
    Call("physics_fixture_add_point", {id, 0, 0});
    Call("physics_fixture_add_point", {id, 10, 10});
    Call("physics_fixture_add_point", {id, 10, 0});
    EXPECT_TRUE(Reported("is concave or ordered anti-clockwise"));
    EXPECT_TRUE(Reported("The fixture must be a polygon shape, convex, ordered clockwise and have no more than 8"));
}

TEST_F(PhysicsTest, JointsNeedBodiesAndAReadOfADeletedJointReportsIt)
{
    LoadObjects({Object("thing")});
    CInstance* a = BodyAt(0, 0, 0, Box(5, 5, 0.0f));
    CInstance* bare = AddInstance(0);
    const double a_id = a->i_id;
    EXPECT_EQ(Call("physics_joint_distance_create", {a_id, static_cast<double>(bare->i_id), 0, 0, 0, 0, 0}), -1.0);
    EXPECT_TRUE(Reported("physics_joint_distance_create: An instance does not have an associated physics "
                         "representation"));
    EXPECT_EQ(Call("physics_joint_revolute_create", {a_id, 99999999, 0, 0, 0, 0, 0, 0, 0, 0, 0}), -1.0);
    EXPECT_TRUE(Reported("Unable to find instance: 99999999"));
    CInstance* b = BodyAt(0, 0, 30, Box(5, 5));
    const double joint =
        Call("physics_joint_distance_create", {a_id, static_cast<double>(b->i_id), 0, 0, 0, 30, 0});
    ASSERT_GE(joint, 1.0);
    EXPECT_NEAR(Call("physics_joint_get_value", {joint, kJointLength1}), 3.0, 1e-5);
    Call("physics_joint_delete", {joint});
    ConsoleLines().clear();
    EXPECT_EQ(Call("physics_joint_get_value", {joint, kJointLength1}), 0.0);
    EXPECT_TRUE(Reported("A joint does not exist"));
}

TEST_F(PhysicsTest, OverlapPlacesSelfsBodyAndTestsTheTargetsWhereTheyAre)
{
    LoadObjects({Object("thing"), Object("other")});
    CInstance* self = BodyAt(0, 0, 0, Box(5, 5));
    BodyAt(1, 100, 0, Box(5, 5));
    AddInstance(1);  // no body: never overlaps
    EXPECT_EQ(Call("physics_test_overlap", {95, 0, 45, 1}, self), 1.0);
    EXPECT_EQ(Call("physics_test_overlap", {50, 0, 0, 1}, self), 0.0);
    EXPECT_EQ(Call("physics_test_overlap", {0, 0, 0, 987654}, self), 0.0);
    EXPECT_TRUE(Reported("physics_test_overlap:   is not valid."));
}

TEST_F(PhysicsTest, CreatingAWorldAgainChangesOnlyItsScaleAndUpdateSpeed)
{
    LoadObjects({Object("thing")});
    PhysicsWorld* world = &World();
    world->updateSpeed = 90;
    BodyAt(0, 0, 0, Box(5, 5));
    Call("physics_world_create", {0.5});
    EXPECT_EQ(room.physicsWorld, world);
    EXPECT_EQ(world->Scale(), 0.5f);
    EXPECT_EQ(world->updateSpeed, room.speed);
    EXPECT_EQ(world->World().GetBodyCount(), 1);
    EXPECT_TRUE(room.physicsEnabled);  // game saves refuse the room
    Call("physics_world_create", {0.0});
    EXPECT_TRUE(Reported("The physics world scale must be above 0"));
    EXPECT_EQ(world->Scale(), 0.5f);
}

TEST_F(PhysicsTest, MissingWorldsAndBodiesAreReported)
{
    LoadObjects({Object("thing")});
    CInstance* bare = AddInstance(0);
    Call("physics_apply_torque", {1.0}, bare);
    EXPECT_TRUE(Reported("The instance does not have an associated physics representation"));
    Room_PhysicsHooks().destroyWorld(room.physicsWorld);
    room.physicsWorld = nullptr;
    Call("physics_pause_enable", {1.0});
    EXPECT_TRUE(Reported("physics_pause_enable() The current room does not have a physics world representation"));
    Call("physics_world_gravity", {0, 1});
    EXPECT_TRUE(Reported("The current room does not have a physics world representation"));
    Room_SetCurrent(nullptr, -1);
    Call("physics_world_create", {0.1});
    EXPECT_TRUE(Reported("No room is available to create a physics world for"));
}

TEST_F(PhysicsTest, ARoomWithPhysicsSettingsStartsWithAWorldAndBodiesForItsObjects)
{
    ObjectSpec ball = Object("ball");
    ball.vertices = {{0, 0}, {8, 0}};  // circle, radius 8
    LoadObjects({ball});
    Object_Find(0)->physics.enabled = 1;
    Object_Find(0)->physics.shape = 0;
    Object_Find(0)->physics.density = 1.0f;
    Object_Find(0)->sprite = 3;
    FakeSprites()[3] = SpriteInfo{1, 16, 16, 8, 8, 0, 0, 15, 15, false};
    CRoom level;
    level.physicsEnabled = 1;
    level.gravityY = 20;
    level.pixelsToMetres = 0.05f;
    level.CreateRecord();
    level.AddInstanceRecord(10, 10, 0);
    CRoom running;
    running.CreateInstances(&level, true);
    ASSERT_NE(running.physicsWorld, nullptr);
    EXPECT_EQ(running.physicsWorld->World().GetGravity().y, 20.0f);
    CInstance* instance = running.activeInstances.First();
    ASSERT_NE(instance->i_physics, nullptr);
    EXPECT_FLOAT_EQ(instance->i_physics->body->GetFixtureList()->GetShape()->m_radius, 0.4f);
    CInstance* added = running.AddInstance(50, 50, 0);
    EXPECT_NE(added->i_physics, nullptr);
    Room_SetCurrent(&running, 0);
    instance->SetImageAngle(90.0f);
    CInstance* copy = Instance_Copy(instance, false);
    ASSERT_NE(copy->i_physics, nullptr);
    EXPECT_NEAR(copy->i_physics->body->GetAngle(), -kPhysicsPi / 2.0f, 1e-6f);
    EXPECT_NE(copy->i_physics->body, instance->i_physics->body);
    EXPECT_EQ(level.physicsWorld, nullptr);  // templates keep only the settings
    running.SetDefaults();                   // the instances, then the world go
    EXPECT_EQ(running.physicsWorld, nullptr);
    Room_SetCurrent(&room, 0);
}

}  // namespace
}  // namespace bw::test
