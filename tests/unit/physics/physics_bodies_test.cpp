// Fixtures, bodies, the phy_* variables and joints, and the calls Box2D
// would abort on, which are refused before they reach it.
#include <cmath>
#include <limits>

#include "unit/physics/physics_fixture.h"

namespace bw::test {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST_F(PhysicsTest, PolygonPointsMustRunClockwiseOnScreenAroundAConvexShape)
{
    struct Case {
        std::vector<b2Vec2> points;
        bool lastAccepted;
    };
    const Case cases[] = {
        {{{0, 0}, {10, 0}, {10, 10}}, true},
        {{{0, 0}, {10, 10}, {10, 0}}, false},
        {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true},
        {{{0, 0}, {10, 0}, {5, 1}, {10, 10}}, false},  // concave
        {{{0, 0}, {5, 0}, {10, 0}}, false},            // collinear
    };
    for (const Case& c : cases) {
        PhysicsFixture& fixture = Physics_Fixture_Create();
        Physics_Fixture_SetPolygonShape(fixture);
        bool accepted = true;
        for (const b2Vec2& point : c.points) {
            accepted = Physics_Fixture_AddPoint(fixture, point.x, point.y);
        }
        EXPECT_EQ(accepted, c.lastAccepted);
        EXPECT_EQ(fixture.points.size(), c.points.size());  // a refused point stays
    }
    PhysicsFixture& box = Box(1, 1);
    EXPECT_FALSE(Physics_Fixture_AddPoint(box, 0, 0));
}

TEST_F(PhysicsTest, ATwoPointPolygonBoundToAnInstanceIsAFatalErrorNamingTheObject)
{
    LoadObjects({Object("shard")});
    PhysicsFixture& fixture = Physics_Fixture_Create();
    Physics_Fixture_SetPolygonShape(fixture);
    Physics_Fixture_AddPoint(fixture, 0, 0);
    Physics_Fixture_AddPoint(fixture, 1, 0);
    CInstance* instance = AddInstance(0);
    EXPECT_FALSE(PhysicsWorld_BindFixture(World(), fixture, *instance));
    EXPECT_EQ(instance->i_physics, nullptr);
    EXPECT_NE(ConsoleLines().find("Too few vertices in polygon shape fixture for shard"), std::string::npos);
}

TEST_F(PhysicsTest, BodyTypeFollowsTheFirstFixtureAndLaterBindsAddFixtures)
{
    LoadObjects({Object("thing")});
    PhysicsFixture& kinematic = Box(5, 5, 0.0f);
    kinematic.kinematic = true;
    PhysicsFixture& dense = Box(5, 5, 0.5f);
    dense.kinematic = true;
    EXPECT_EQ(BodyAt(0, 0, 0, kinematic)->i_physics->body->GetType(), b2_kinematicBody);
    CInstance* dynamic = BodyAt(0, 0, 0, dense);
    EXPECT_EQ(dynamic->i_physics->body->GetType(), b2_dynamicBody);
    EXPECT_EQ(BodyAt(0, 0, 0, Box(5, 5, 0.0f))->i_physics->body->GetType(), b2_staticBody);
    PhysicsWorld_BindFixture(World(), kinematic, *dynamic);
    EXPECT_EQ(dynamic->i_physics->body->GetType(), b2_dynamicBody);
    EXPECT_NE(dynamic->i_physics->body->GetFixtureList()->GetNext(), nullptr);
}

TEST_F(PhysicsTest, VariablesConvertBetweenPixelsStepsAndBox2DUnits)
{
    LoadObjects({Object("thing")});
    room.speed = 30;
    CInstance* thing = BodyAt(0, 0, 0, Box(5, 5));
    const auto write = [thing](PhysicsVariable variable, double value) {
        EXPECT_TRUE(PhysicsObject_WriteVariable(thing, static_cast<int32_t>(variable), value));
    };
    const auto read = [thing](PhysicsVariable variable) {
        double value = 0.0;
        EXPECT_TRUE(PhysicsObject_ReadVariable(thing, static_cast<int32_t>(variable), 0, &value));
        return value;
    };
    write(PhysicsVariable::SpeedX, 2.0);
    EXPECT_FLOAT_EQ(thing->i_physics->body->GetLinearVelocity().x, 6.0f);
    EXPECT_NEAR(read(PhysicsVariable::SpeedX), 2.0, 1e-6);
    write(PhysicsVariable::LinearVelocityY, 50.0);
    EXPECT_FLOAT_EQ(thing->i_physics->body->GetLinearVelocity().y, 5.0f);
    EXPECT_FLOAT_EQ(thing->i_physics->body->GetLinearVelocity().x, 6.0f);
    write(PhysicsVariable::PositionX, 30.0);
    EXPECT_NEAR(read(PhysicsVariable::PositionX), 30.0, 1e-5);
    write(PhysicsVariable::Rotation, 90.0);
    EXPECT_NEAR(thing->i_physics->body->GetAngle(), kPhysicsPi / 2.0f, 1e-6f);
    EXPECT_EQ(read(PhysicsVariable::Dynamic), 1.0);
    CInstance* bare = AddInstance(0);
    double untouched = 7.0;
    for (const PhysicsVariable variable : {PhysicsVariable::Mass, PhysicsVariable::CollisionPoints,
                                           PhysicsVariable::CollisionX, PhysicsVariable::ColNormalY}) {
        EXPECT_FALSE(PhysicsObject_ReadVariable(bare, static_cast<int32_t>(variable), 0, &untouched));
    }
    EXPECT_EQ(untouched, 7.0);
    EXPECT_FALSE(PhysicsObject_WriteVariable(bare, static_cast<int32_t>(PhysicsVariable::SpeedX), 1.0));
}

TEST_F(PhysicsTest, AStaticBodyGivenAVelocityBecomesKinematic)
{
    LoadObjects({Object("wall")});
    CInstance* wall = BodyAt(0, 0, 0, Box(5, 5, 0.0f));
    PhysicsObject_SetLinearVelocity(*wall->i_physics, 0.0f, 0.0f);
    EXPECT_EQ(wall->i_physics->body->GetType(), b2_staticBody);
    PhysicsObject_SetLinearVelocity(*wall->i_physics, 1.0f, 0.0f);
    EXPECT_EQ(wall->i_physics->body->GetType(), b2_kinematicBody);
    EXPECT_FLOAT_EQ(wall->i_physics->body->GetLinearVelocity().x, 1.0f);
}

TEST_F(PhysicsTest, RevoluteFieldsReadAndWrite)
{
    LoadObjects({Object("thing")});
    b2Body* a = BodyAt(0, 0, 0, Box(5, 5, 0.0f))->i_physics->body;
    b2Body* b = BodyAt(0, 10, 0, Box(5, 5))->i_physics->body;
    RevoluteSettings settings;
    settings.anchor = b2Vec2(0.5f, 0.0f);
    settings.upperAngle = 1.0f;
    const int32_t id = PhysicsWorld_CreateRevoluteJoint(World(), a, b, settings);
    PhysicsJoint& joint = *Physics_Joint_Find(id);
    EXPECT_EQ(Physics_Joint_GetValue(joint, kJointMaxMotorTorque), 0.0);
    Physics_Joint_SetValue(joint, kJointMaxMotorTorque, 12.0);
    EXPECT_FLOAT_EQ(static_cast<b2RevoluteJoint*>(joint.joint)->GetMaxMotorTorque(), 12.0f);
    Physics_Joint_SetValue(joint, kJointLowerAngle, 45.0);
    EXPECT_FLOAT_EQ(static_cast<b2RevoluteJoint*>(joint.joint)->GetLowerLimit(), 45.0f * kPhysicsPi / 180.0f);
    EXPECT_NEAR(Physics_Joint_GetValue(joint, kJointLowerAngle), 45.0, 1e-4);
    Physics_Joint_SetValue(joint, kJointLowerAngle, 90.0);  // above the upper limit: refused
    EXPECT_NEAR(Physics_Joint_GetValue(joint, kJointLowerAngle), 45.0, 1e-4);
    b->SetTransform(b->GetPosition(), 0.5f);
    EXPECT_NEAR(Physics_Joint_GetValue(joint, kJointAngle), 0.5, 1e-6);  // radians
    EXPECT_NEAR(Physics_Joint_GetValue(joint, kJointAnchor1X), 0.5, 1e-6);
    EXPECT_EQ(Physics_Joint_GetValue(joint, 99), 0.0);
    EXPECT_TRUE(PhysicsWorld_DeleteJoint(id));
    EXPECT_FALSE(PhysicsWorld_DeleteJoint(id));
}

TEST_F(PhysicsTest, DistanceJointsHoldTheirLengthAndTakeAFrequency)
{
    LoadObjects({Object("thing")});
    b2Body* a = BodyAt(0, 0, 0, Box(5, 5, 0.0f))->i_physics->body;
    b2Body* b = BodyAt(0, 0, 50, Box(5, 5))->i_physics->body;
    const int32_t id = PhysicsWorld_CreateDistanceJoint(World(), a, b, a->GetPosition(), b->GetPosition(), false);
    PhysicsJoint& joint = *Physics_Joint_Find(id);
    EXPECT_NEAR(Physics_Joint_GetValue(joint, kJointLength1), 5.0, 1e-5);
    Steps(120);
    EXPECT_NEAR(b2Distance(a->GetPosition(), b->GetPosition()), 5.0f, 0.01f);
    // Hanging still, the joint holds the body's weight (a force, per second).
    EXPECT_NEAR(Physics_Joint_GetValue(joint, kJointReactionForceY), -b->GetMass() * 10.0f, 0.05 * b->GetMass() * 10.0f);
    Physics_Joint_SetValue(joint, kJointFrequency, 2.0);
    EXPECT_EQ(Physics_Joint_GetValue(joint, kJointFrequency), 2.0);
    EXPECT_GT(static_cast<b2DistanceJoint*>(joint.joint)->GetStiffness(), 0.0f);
}

TEST_F(PhysicsTest, GearsNeedMotorJointsAndGoBeforeTheJointsTheyUse)
{
    LoadObjects({Object("thing")});
    b2Body* ground = BodyAt(0, 0, 0, Box(5, 5, 0.0f))->i_physics->body;
    b2Body* a = BodyAt(0, 20, 0, Box(5, 5))->i_physics->body;
    b2Body* b = BodyAt(0, 40, 0, Box(5, 5))->i_physics->body;
    RevoluteSettings at;
    at.anchor = a->GetPosition();
    PhysicsJoint& hinge1 = *Physics_Joint_Find(PhysicsWorld_CreateRevoluteJoint(World(), ground, a, at));
    at.anchor = b->GetPosition();
    PhysicsJoint& hinge2 = *Physics_Joint_Find(PhysicsWorld_CreateRevoluteJoint(World(), ground, b, at));
    PhysicsJoint& rope1 = *Physics_Joint_Find(
        PhysicsWorld_CreateDistanceJoint(World(), ground, a, ground->GetPosition(), a->GetPosition(), false));
    EXPECT_EQ(PhysicsWorld_CreateGearJoint(World(), a, b, rope1, rope1, 1.0f), -1);
    const int32_t gear = PhysicsWorld_CreateGearJoint(World(), a, b, hinge1, hinge2, 2.0f);
    ASSERT_GE(gear, 0);
    EXPECT_TRUE(PhysicsWorld_DeleteJoint(hinge1.id));
    EXPECT_EQ(Physics_Joint_Find(gear), nullptr);
    Steps(2);
}

// Box2D's build aborts the process on any of these; each is refused first.
TEST_F(PhysicsTest, CallsBox2DWouldAbortOnAreRefused)
{
    LoadObjects({Object("thing")});
    PhysicsFixture& fixture = Physics_Fixture_Create();
    EXPECT_FALSE(Physics_Fixture_SetBoxShape(fixture, 0.0f, 1.0f));
    EXPECT_FALSE(Physics_Fixture_SetBoxShape(fixture, 1.0f, -1.0f));
    EXPECT_FALSE(Physics_Fixture_SetCircleShape(fixture, kNaN));
    Physics_Fixture_SetPolygonShape(fixture);
    fixture.points = {{0, 0}, {0.001f, 0}, {0.001f, 0.001f}};  // closer than Box2D's weld distance
    fixture.density = 1.0f;
    fixture.linearDamping = -1.0f;
    fixture.angularDamping = kNaN;
    CInstance* thing = AddInstance(0);
    EXPECT_FALSE(PhysicsWorld_BindFixture(World(), fixture, *thing));
    PhysicsFixture& damped = Box(5, 5);
    damped.linearDamping = -1.0f;
    damped.angularDamping = kNaN;
    thing = BodyAt(0, 0, 0, damped);
    EXPECT_FALSE(PhysicsObject_SetMassProperties(*thing->i_physics, 1.0f, b2Vec2(1.0f, 0.0f), 0.5f));
    EXPECT_TRUE(PhysicsObject_SetMassProperties(*thing->i_physics, 1.0f, b2Vec2(1.0f, 0.0f), 2.0f));
    PhysicsObject_SetPosition(*thing->i_physics, kNaN, 0.0f);
    PhysicsObject_Push(*thing->i_physics, PushKind::Impulse, true, b2Vec2(kNaN, 0.0f), b2Vec2(1.0f, 0.0f));
    b2Body* a = thing->i_physics->body;
    b2Body* b = BodyAt(0, 20, 0, Box(5, 5))->i_physics->body;
    RevoluteSettings revolute;
    revolute.lowerAngle = 1.0f;
    EXPECT_EQ(PhysicsWorld_CreateRevoluteJoint(World(), a, b, revolute), -1);
    PrismaticSettings prismatic;
    EXPECT_EQ(PhysicsWorld_CreatePrismaticJoint(World(), a, b, prismatic), -1);  // zero axis
    prismatic.axis = b2Vec2(1.0f, 0.0f);
    prismatic.lowerTranslation = 2.0f;
    EXPECT_EQ(PhysicsWorld_CreatePrismaticJoint(World(), a, b, prismatic), -1);
    PulleySettings pulley;
    pulley.ratio = 0.0f;
    EXPECT_EQ(PhysicsWorld_CreatePulleyJoint(World(), a, b, pulley), -1);
    Steps(2);
    EXPECT_TRUE(a->GetPosition().IsValid());
}

// Box2D aborts too on a joint with one body at both ends, on a gear over a
// joint whose second body cannot move, and on a mass too large to centre.
TEST_F(PhysicsTest, OneBodyJointsAndUncentrableMassesAreRefused)
{
    LoadObjects({Object("thing")});
    b2Body* ground = BodyAt(0, 0, 0, Box(5, 5, 0.0f))->i_physics->body;
    b2Body* a = BodyAt(0, 20, 0, Box(5, 5))->i_physics->body;
    RevoluteSettings at;
    at.anchor = a->GetPosition();
    EXPECT_EQ(PhysicsWorld_CreateDistanceJoint(World(), a, a, at.anchor, at.anchor, false), -1);
    EXPECT_EQ(PhysicsWorld_CreateRevoluteJoint(World(), a, a, at), -1);
    PhysicsJoint& toGround = *Physics_Joint_Find(PhysicsWorld_CreateRevoluteJoint(World(), a, ground, at));
    PhysicsJoint& hinge = *Physics_Joint_Find(PhysicsWorld_CreateRevoluteJoint(World(), ground, a, at));
    EXPECT_EQ(PhysicsWorld_CreateGearJoint(World(), a, ground, toGround, hinge, 1.0f), -1);
    EXPECT_EQ(PhysicsWorld_CreateGearJoint(World(), a, a, hinge, hinge, 1.0f), -1);
    PhysicsFixture& huge = Physics_Fixture_Create();
    ASSERT_TRUE(Physics_Fixture_SetCircleShape(huge, 1e30f));
    huge.density = 1.0f;
    EXPECT_FALSE(PhysicsWorld_BindFixture(World(), huge, *AddInstance(0)));
    Steps(2);
}

// Box2D checks a pulley's ratio for its sign, and the area it weighs a
// polygon by, summed its own way, only after rounding and overflow.
TEST_F(PhysicsTest, NegativePulleyRatiosAndShapesWithoutAWeighableAreaAreRefused)
{
    LoadObjects({Object("thing")});
    const double a = BodyAt(0, 0, 0, Box(5, 5))->i_id;
    const double b = BodyAt(0, 40, 0, Box(5, 5))->i_id;
    EXPECT_EQ(Call("physics_joint_pulley_create", {a, b, 0, 0, 10, 10, 0, 0, 40, 40, -1, 0, 0, 0}), -1.0);
    EXPECT_TRUE(Reported("The ratio of a pulley joint must be above 0"));
    PhysicsFixture& speck = Physics_Fixture_Create();
    ASSERT_TRUE(Physics_Fixture_SetBoxShape(speck, 1e-4f, 1e-4f));
    EXPECT_TRUE(BodyAt(0, 0, 0, speck)->i_physics != nullptr);  // no density: never weighed
    speck.density = 1.0f;
    EXPECT_FALSE(PhysicsWorld_BindFixture(World(), speck, *AddInstance(0)));
    const std::vector<b2Vec2> unweighable[] = {
        {{0, 0}, {10, 0}, {INFINITY, 10}},
        {{0, 0}, {-1e20f, 2e20f}, {-2e20f, 1e20f}},  // products overflow
    };
    for (const std::vector<b2Vec2>& points : unweighable) {
        PhysicsFixture& polygon = Physics_Fixture_Create();
        Physics_Fixture_SetPolygonShape(polygon);
        polygon.points = points;
        EXPECT_FALSE(PhysicsWorld_BindFixture(World(), polygon, *AddInstance(0)));
    }
}

TEST_F(PhysicsTest, DestroyingAnInstanceTakesItsBodyAndJoints)
{
    LoadObjects({Object("thing")});
    CInstance* a = BodyAt(0, 0, 0, Box(5, 5, 0.0f));
    CInstance* b = BodyAt(0, 0, 50, Box(5, 5));
    const int32_t id = PhysicsWorld_CreateDistanceJoint(World(), a->i_physics->body, b->i_physics->body,
                                                        b2Vec2(0, 0), b2Vec2(0, 5), false);
    room.DestroyInstance(b);
    EXPECT_EQ(Physics_Joint_Find(id), nullptr);
    EXPECT_EQ(World().World().GetBodyCount(), 1);
}

}  // namespace
}  // namespace bw::test
