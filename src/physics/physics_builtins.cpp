// Argument handling of the physics built-ins: ids and counts are rounded to
// the nearest integer, flags are true above 0.5, everything else is narrowed
// to single precision; positions and lengths are pixels, multiplied by the
// world's scale here.
#include "physics/physics_builtins.h"

#include <cmath>
#include <string>

#include "script/arguments.h"
#include "physics/physics_debug_draw.h"
#include "physics/physics_fixture.h"
#include "physics/physics_joint.h"
#include "physics/physics_object.h"
#include "physics/physics_world.h"
#include "script/error_report.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_table.h"
#include "world/room.h"
#include "world/run_hooks.h"

namespace bw {

namespace {

constexpr int32_t kFirstInstanceId = 100000;
constexpr int32_t kSelectorSelf = -1;
constexpr int32_t kSelectorOther = -2;
constexpr int32_t kSelectorAll = -3;
constexpr float kDegreesToRadians = kPhysicsPi / 180.0f;

constexpr const char* kNoFixture = "The physics fixture does not exist";
constexpr const char* kNoWorld = "The current room does not have a physics world representation";
constexpr const char* kNoRoom = "No room is available to create a physics world for";
constexpr const char* kNoBody = "The instance does not have an associated physics representation";
constexpr const char* kNoJoint = "A joint does not exist";

void Report(const char* message)
{
    Code_Error_Runtime(message, false);
}

bool Flag(const Value& value)
{
    return value.real > 0.5;
}

// Joint flags go to the nearest integer first.
bool JointFlag(const Value& value)
{
    return Arg_Round(value) > 0;
}

float Single(const Value& value)
{
    return Arg_Single(value);
}

PhysicsFixture* FixtureArg(const Value& value)
{
    PhysicsFixture* fixture = Physics_Fixture_Find(Arg_Round(value));
    if (fixture == nullptr) {
        Report(kNoFixture);
    }
    return fixture;
}

PhysicsWorld* WorldOrReport()
{
    PhysicsWorld* world = PhysicsWorld_Current();
    if (world == nullptr) {
        Report(kNoWorld);
    }
    return world;
}

// The current room, its world reported missing as the group's R and W.
PhysicsWorld* RoomWorldOrReport()
{
    if (Room_Current() == nullptr) {
        Report(kNoRoom);
        return nullptr;
    }
    return WorldOrReport();
}

PhysicsObject* BodyOrReport(CInstance* self)
{
    PhysicsObject* object = self != nullptr ? self->i_physics : nullptr;
    if (object == nullptr) {
        Report(kNoBody);
    }
    return object;
}

b2Vec2 ScaledPoint(const PhysicsWorld& world, const Value& x, const Value& y)
{
    return world.Scale() * b2Vec2(Single(x), Single(y));
}

bool Live(const CInstance* instance)
{
    return !instance->i_marked && !instance->i_deactivated;
}

// The instances a bind or overlap target names; false (reported with the
// caller's text) for an instance id that names nobody.
template <typename Visit>
bool ForEachTarget(CInstance* self, int32_t target, const char* missingId, Visit&& visit)
{
    if (target == kSelectorSelf) {
        if (self != nullptr) {
            visit(self);
        }
        return true;
    }
    if (target >= kFirstInstanceId) {
        CInstance* instance = Instance_Find(target);
        if (instance == nullptr) {
            Report(missingId);
            return false;
        }
        visit(instance);
        return true;
    }
    if (target != kSelectorAll && target < 0) {
        return true;
    }
    std::vector<CInstance*> named;
    Instance_ForEachCandidate(target, [&named](CInstance* instance) {
        if (Live(instance)) {
            named.push_back(instance);
        }
        return true;
    });
    for (CInstance* instance : named) {
        visit(instance);
    }
    return true;
}

// ---- the world ----

BW_BUILTIN(PhysicsWorldCreate)
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        Report(kNoRoom);
        return;
    }
    const float scale = Single(args[0]);
    if (!PhysicsWorld::ScaleIsValid(scale)) {
        Report("The physics world scale must be above 0");
        return;
    }
    if (room->physicsWorld != nullptr) {
        room->physicsWorld->SetScale(scale);
        room->physicsWorld->updateSpeed = room->speed;
    } else {
        room->physicsWorld = new PhysicsWorld(scale, room->speed);
    }
    // A room with a world is a physics room, which game saves refuse.
    room->physicsEnabled = 1;
    room->pixelsToMetres = scale;
}

BW_BUILTIN(PhysicsWorldGravity)
{
    if (PhysicsWorld* world = RoomWorldOrReport()) {
        world->SetGravity(Single(args[0]), Single(args[1]));
    }
}

BW_BUILTIN(PhysicsWorldUpdateSpeed)
{
    if (PhysicsWorld* world = RoomWorldOrReport()) {
        world->updateSpeed = Arg_Round(args[0]);
    }
}

BW_BUILTIN(PhysicsWorldUpdateIterations)
{
    if (PhysicsWorld* world = RoomWorldOrReport()) {
        world->iterations = Arg_Round(args[0]);
    }
}

BW_BUILTIN(PhysicsWorldDrawDebug)
{
    if (PhysicsWorld* world = WorldOrReport()) {
        PhysicsWorld_DrawDebug(*world, static_cast<uint32_t>(Arg_Round(args[0])) & 0xFFu);
    }
}

BW_BUILTIN(PhysicsPauseEnable)
{
    PhysicsWorld* world = PhysicsWorld_Current();
    if (world == nullptr) {
        Report("physics_pause_enable() The current room does not have a physics world representation");
        return;
    }
    world->paused = Flag(args[0]);
}

// ---- fixtures ----

BW_BUILTIN(PhysicsFixtureCreate)
{
    Value_SetReal(*result, Physics_Fixture_Create().id);
}

BW_BUILTIN(PhysicsFixtureSetKinematic)
{
    if (PhysicsFixture* fixture = FixtureArg(args[0])) {
        fixture->kinematic = true;
    }
}

// The setters of one field each.
template <typename Apply>
void SetFixtureField(Value* args, Apply&& apply)
{
    if (PhysicsFixture* fixture = FixtureArg(args[0])) {
        apply(*fixture, args[1]);
    }
}

BW_BUILTIN(PhysicsFixtureSetAwake)
{
    SetFixtureField(args, [](PhysicsFixture& f, const Value& v) { f.awake = Flag(v); });
}
BW_BUILTIN(PhysicsFixtureSetDensity)
{
    SetFixtureField(args, [](PhysicsFixture& f, const Value& v) { f.density = Single(v); });
}
BW_BUILTIN(PhysicsFixtureSetRestitution)
{
    SetFixtureField(args, [](PhysicsFixture& f, const Value& v) { f.restitution = Single(v); });
}
BW_BUILTIN(PhysicsFixtureSetFriction)
{
    SetFixtureField(args, [](PhysicsFixture& f, const Value& v) { f.friction = Single(v); });
}
BW_BUILTIN(PhysicsFixtureSetCollisionGroup)
{
    SetFixtureField(args, [](PhysicsFixture& f, const Value& v) { f.group = Arg_Round(v); });
}
BW_BUILTIN(PhysicsFixtureSetSensor)
{
    SetFixtureField(args, [](PhysicsFixture& f, const Value& v) { f.sensor = Flag(v); });
}
BW_BUILTIN(PhysicsFixtureSetLinearDamping)
{
    SetFixtureField(args, [](PhysicsFixture& f, const Value& v) { f.linearDamping = Single(v); });
}
BW_BUILTIN(PhysicsFixtureSetAngularDamping)
{
    SetFixtureField(args, [](PhysicsFixture& f, const Value& v) { f.angularDamping = Single(v); });
}

BW_BUILTIN(PhysicsFixtureSetCircleShape)
{
    PhysicsFixture* fixture = FixtureArg(args[0]);
    PhysicsWorld* world = fixture != nullptr ? WorldOrReport() : nullptr;
    if (world != nullptr) {
        Physics_Fixture_SetCircleShape(*fixture, Single(args[1]) * world->Scale());
    }
}

BW_BUILTIN(PhysicsFixtureSetBoxShape)
{
    PhysicsFixture* fixture = FixtureArg(args[0]);
    PhysicsWorld* world = fixture != nullptr ? WorldOrReport() : nullptr;
    if (world != nullptr) {
        Physics_Fixture_SetBoxShape(*fixture, Single(args[1]) * world->Scale(), Single(args[2]) * world->Scale());
    }
}

BW_BUILTIN(PhysicsFixtureSetPolygonShape)
{
    if (PhysicsFixture* fixture = FixtureArg(args[0])) {
        Physics_Fixture_SetPolygonShape(*fixture);
    }
}

BW_BUILTIN(PhysicsFixtureAddPoint)
{
    PhysicsFixture* fixture = FixtureArg(args[0]);
    PhysicsWorld* world = fixture != nullptr ? WorldOrReport() : nullptr;
    if (world != nullptr &&
        !Physics_Fixture_AddPoint(*fixture, Single(args[1]) * world->Scale(), Single(args[2]) * world->Scale())) {
        Report("The fixture must be a polygon shape, convex, ordered clockwise and have no more than 8 points");
    }
}

BW_SELF_BUILTIN(PhysicsFixtureBind)
{
    PhysicsFixture* fixture = FixtureArg(args[0]);
    if (fixture == nullptr) {
        return;
    }
    PhysicsWorld* world = PhysicsWorld_Current();
    if (world == nullptr) {
        Report("Cannot bind a fixture if no physics world exists for the current room");
        return;
    }
    ForEachTarget(self, Arg_Round(args[1]), "  is not valid.",
                  [world, fixture](CInstance* instance) { PhysicsWorld_BindFixture(*world, *fixture, *instance); });
}

BW_BUILTIN(PhysicsFixtureDelete)
{
    Physics_Fixture_Delete(Arg_Round(args[0]));
}

// ---- bodies ----

void Push(CInstance* self, Value* args, PushKind kind, bool local)
{
    PhysicsWorld* world = WorldOrReport();
    PhysicsObject* object = world != nullptr ? BodyOrReport(self) : nullptr;
    if (object != nullptr) {
        PhysicsObject_Push(*object, kind, local, ScaledPoint(*world, args[0], args[1]),
                           b2Vec2(Single(args[2]), Single(args[3])));
    }
}

BW_SELF_BUILTIN(PhysicsApplyForce)
{
    Push(self, args, PushKind::Force, false);
}
BW_SELF_BUILTIN(PhysicsApplyImpulse)
{
    Push(self, args, PushKind::Impulse, false);
}
BW_SELF_BUILTIN(PhysicsApplyLocalForce)
{
    Push(self, args, PushKind::Force, true);
}
BW_SELF_BUILTIN(PhysicsApplyLocalImpulse)
{
    Push(self, args, PushKind::Impulse, true);
}

BW_SELF_BUILTIN(PhysicsApplyTorque)
{
    if (PhysicsObject* object = BodyOrReport(self)) {
        PhysicsObject_ApplyTorque(*object, Single(args[0]));
    }
}

BW_SELF_BUILTIN(PhysicsMassProperties)
{
    PhysicsWorld* world = WorldOrReport();
    PhysicsObject* object = world != nullptr ? BodyOrReport(self) : nullptr;
    if (object != nullptr) {
        PhysicsObject_SetMassProperties(*object, Single(args[0]), ScaledPoint(*world, args[1], args[2]),
                                        Single(args[3]));
    }
}

BW_SELF_BUILTIN(PhysicsDrawDebug)
{
    PhysicsWorld* world = WorldOrReport();
    if (world != nullptr && self != nullptr && self->i_physics != nullptr) {
        PhysicsObject_DrawDebug(*self->i_physics, 1.0f / world->Scale());
    }
}

BW_SELF_BUILTIN(PhysicsTestOverlap)
{
    Value_SetReal(*result, 0.0);
    PhysicsWorld* world = WorldOrReport();
    if (world == nullptr || BodyOrReport(self) == nullptr) {
        return;
    }
    const b2Vec2 position = ScaledPoint(*world, args[0], args[1]);
    const float radians = Single(args[2]) * kDegreesToRadians;
    bool overlaps = false;
    ForEachTarget(self, Arg_Round(args[3]), "physics_test_overlap:   is not valid.", [&](CInstance* other) {
        overlaps = overlaps || PhysicsWorld_TestOverlap(*self, *other, position, radians);
    });
    Result_SetBool(result, overlaps);
}

// ---- joints ----

// The two bodies a joint creator names; false when reported.
bool JointBodies(const char* builtin, CInstance* self, CInstance* other, const Value& first, const Value& second,
                 b2Body** a, b2Body** b)
{
    CInstance* instances[2] = {nullptr, nullptr};
    const Value* selectors[2] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        const int32_t selector = Arg_Round(*selectors[i]);
        CInstance*& found = instances[i];
        if (selector == kSelectorSelf) {
            found = self;
        } else if (selector == kSelectorOther) {
            found = other;
        } else if (selector < kFirstInstanceId) {
            found = Instance_FindNth(self, other, selector, 0);
        } else {
            found = Instance_Find(selector);
        }
        if (found == nullptr) {
            Report(("Unable to find instance: " + std::to_string(selector)).c_str());
            return false;
        }
    }
    if (instances[0]->i_physics == nullptr || instances[1]->i_physics == nullptr) {
        if (PhysicsWorld_Current() != nullptr) {
            Report((std::string(builtin) + ": An instance does not have an associated physics representation").c_str());
        } else {
            Report(kNoWorld);
        }
        return false;
    }
    *a = instances[0]->i_physics->body;
    *b = instances[1]->i_physics->body;
    return true;
}

// Joint creation: the bodies resolved, then the creator given the world.
template <typename Create>
void CreateJoint(const char* builtin, Value* result, CInstance* self, CInstance* other, Value* args, Create&& create)
{
    Value_SetReal(*result, -1.0);
    b2Body* a = nullptr;
    b2Body* b = nullptr;
    if (!JointBodies(builtin, self, other, args[0], args[1], &a, &b)) {
        return;
    }
    PhysicsWorld* world = PhysicsWorld_Current();
    // Bodies of a kept room's instances cannot be joined across worlds.
    if (world == nullptr || &world->World() != a->GetWorld() || &world->World() != b->GetWorld()) {
        Report(kNoWorld);
        return;
    }
    Value_SetReal(*result, create(*world, a, b));
}

BW_SELF_BUILTIN(PhysicsJointDistanceCreate)
{
    CreateJoint("physics_joint_distance_create", result, self, other, args,
                [args](PhysicsWorld& world, b2Body* a, b2Body* b) {
                    return PhysicsWorld_CreateDistanceJoint(world, a, b, ScaledPoint(world, args[2], args[3]),
                                                            ScaledPoint(world, args[4], args[5]), JointFlag(args[6]));
                });
}

BW_SELF_BUILTIN(PhysicsJointRevoluteCreate)
{
    CreateJoint("physics_joint_revolute_create", result, self, other, args,
                [args](PhysicsWorld& world, b2Body* a, b2Body* b) {
                    RevoluteSettings settings;
                    settings.anchor = ScaledPoint(world, args[2], args[3]);
                    settings.lowerAngle = Single(args[4]) * kDegreesToRadians;
                    settings.upperAngle = Single(args[5]) * kDegreesToRadians;
                    settings.enableLimit = JointFlag(args[6]);
                    settings.maxMotorTorque = Single(args[7]);
                    settings.motorSpeed = Single(args[8]);
                    settings.enableMotor = JointFlag(args[9]);
                    settings.collideConnected = JointFlag(args[10]);
                    return PhysicsWorld_CreateRevoluteJoint(world, a, b, settings);
                });
}

BW_SELF_BUILTIN(PhysicsJointPrismaticCreate)
{
    CreateJoint("physics_joint_prismatic_create", result, self, other, args,
                [args](PhysicsWorld& world, b2Body* a, b2Body* b) {
                    PrismaticSettings settings;
                    settings.anchor = ScaledPoint(world, args[2], args[3]);
                    settings.axis = b2Vec2(Single(args[4]), Single(args[5]));
                    settings.lowerTranslation = Single(args[6]) * world.Scale();
                    settings.upperTranslation = Single(args[7]) * world.Scale();
                    settings.enableLimit = JointFlag(args[8]);
                    settings.maxMotorForce = Single(args[9]);
                    settings.motorSpeed = Single(args[10]);
                    settings.enableMotor = JointFlag(args[11]);
                    settings.collideConnected = JointFlag(args[12]);
                    return PhysicsWorld_CreatePrismaticJoint(world, a, b, settings);
                });
}

BW_SELF_BUILTIN(PhysicsJointPulleyCreate)
{
    // Arguments 12 and 13, the maximum lengths, have no Box2D 2.4
    // counterpart and are read for their place only.
    CreateJoint("physics_joint_pulley_create", result, self, other, args,
                [args](PhysicsWorld& world, b2Body* a, b2Body* b) {
                    PulleySettings settings;
                    settings.groundA = ScaledPoint(world, args[2], args[3]);
                    settings.groundB = ScaledPoint(world, args[4], args[5]);
                    settings.localAnchorA = ScaledPoint(world, args[6], args[7]);
                    settings.localAnchorB = ScaledPoint(world, args[8], args[9]);
                    settings.ratio = Single(args[10]);
                    settings.collideConnected = JointFlag(args[13]);
                    return PhysicsWorld_CreatePulleyJoint(world, a, b, settings);
                });
}

BW_SELF_BUILTIN(PhysicsJointGearCreate)
{
    PhysicsJoint* joint1 = Physics_Joint_Find(Arg_Round(args[2]));
    PhysicsJoint* joint2 = Physics_Joint_Find(Arg_Round(args[3]));
    if (joint1 == nullptr || joint2 == nullptr) {
        Value_SetReal(*result, -1.0);
        Report(kNoJoint);
        return;
    }
    CreateJoint("physics_joint_gear_create", result, self, other, args,
                [args, joint1, joint2](PhysicsWorld& world, b2Body* a, b2Body* b) {
                    return PhysicsWorld_CreateGearJoint(world, a, b, *joint1, *joint2, Single(args[4]));
                });
}

PhysicsJoint* JointArg(const Value& value)
{
    PhysicsJoint* joint = Physics_Joint_Find(Arg_Round(value));
    if (joint == nullptr) {
        Report(kNoJoint);
    }
    return joint;
}

BW_BUILTIN(PhysicsJointEnableMotor)
{
    if (PhysicsJoint* joint = JointArg(args[0])) {
        Physics_Joint_EnableMotor(*joint, JointFlag(args[1]));
    }
}

BW_BUILTIN(PhysicsJointGetValue)
{
    if (PhysicsJoint* joint = JointArg(args[0])) {
        Value_SetReal(*result, Physics_Joint_GetValue(*joint, Arg_Round(args[1])));
    }
}

BW_BUILTIN(PhysicsJointSetValue)
{
    if (PhysicsJoint* joint = JointArg(args[0])) {
        Physics_Joint_SetValue(*joint, Arg_Round(args[1]), args[2].real);
    }
}

BW_BUILTIN(PhysicsJointDelete)
{
    if (WorldOrReport() != nullptr) {
        PhysicsWorld_DeleteJoint(Arg_Round(args[0]));
    }
}

constexpr BuiltinRegistration kPhysicsBuiltins[] = {
    {"physics_world_create", &PhysicsWorldCreate, 1},
    {"physics_world_gravity", &PhysicsWorldGravity, 2},
    {"physics_world_update_speed", &PhysicsWorldUpdateSpeed, 1},
    {"physics_world_update_iterations", &PhysicsWorldUpdateIterations, 1},
    {"physics_world_draw_debug", &PhysicsWorldDrawDebug, 1},
    {"physics_pause_enable", &PhysicsPauseEnable, 1},
    {"physics_fixture_create", &PhysicsFixtureCreate, 0},
    {"physics_fixture_set_kinematic", &PhysicsFixtureSetKinematic, 1},
    {"physics_fixture_set_awake", &PhysicsFixtureSetAwake, 2},
    {"physics_fixture_set_density", &PhysicsFixtureSetDensity, 2},
    {"physics_fixture_set_restitution", &PhysicsFixtureSetRestitution, 2},
    {"physics_fixture_set_friction", &PhysicsFixtureSetFriction, 2},
    {"physics_fixture_set_collision_group", &PhysicsFixtureSetCollisionGroup, 2},
    {"physics_fixture_set_sensor", &PhysicsFixtureSetSensor, 2},
    {"physics_fixture_set_linear_damping", &PhysicsFixtureSetLinearDamping, 2},
    {"physics_fixture_set_angular_damping", &PhysicsFixtureSetAngularDamping, 2},
    {"physics_fixture_set_circle_shape", &PhysicsFixtureSetCircleShape, 2},
    {"physics_fixture_set_box_shape", &PhysicsFixtureSetBoxShape, 3},
    {"physics_fixture_set_polygon_shape", &PhysicsFixtureSetPolygonShape, 1},
    {"physics_fixture_add_point", &PhysicsFixtureAddPoint, 3},
    {"physics_fixture_bind", &PhysicsFixtureBind, 2},
    {"physics_fixture_delete", &PhysicsFixtureDelete, 1},
    {"physics_apply_force", &PhysicsApplyForce, 4},
    {"physics_apply_impulse", &PhysicsApplyImpulse, 4},
    {"physics_apply_local_force", &PhysicsApplyLocalForce, 4},
    {"physics_apply_local_impulse", &PhysicsApplyLocalImpulse, 4},
    {"physics_apply_torque", &PhysicsApplyTorque, 1},
    {"physics_mass_properties", &PhysicsMassProperties, 4},
    {"physics_draw_debug", &PhysicsDrawDebug, 0},
    {"physics_test_overlap", &PhysicsTestOverlap, 4},
    {"physics_joint_distance_create", &PhysicsJointDistanceCreate, 7},
    {"physics_joint_revolute_create", &PhysicsJointRevoluteCreate, 11},
    {"physics_joint_prismatic_create", &PhysicsJointPrismaticCreate, 13},
    {"physics_joint_pulley_create", &PhysicsJointPulleyCreate, 14},
    {"physics_joint_gear_create", &PhysicsJointGearCreate, 5},
    {"physics_joint_enable_motor", &PhysicsJointEnableMotor, 2},
    {"physics_joint_get_value", &PhysicsJointGetValue, 2},
    {"physics_joint_set_value", &PhysicsJointSetValue, 3},
    {"physics_joint_delete", &PhysicsJointDelete, 1},
};
static_assert(std::size(kPhysicsBuiltins) == 39);

// ---- the world's seams ----

PhysicsWorld* CreateRoomWorld(const CRoom& room)
{
    if (!PhysicsWorld::ScaleIsValid(room.pixelsToMetres)) {
        Report("The physics world scale must be above 0");
        return nullptr;
    }
    auto* world = new PhysicsWorld(room.pixelsToMetres, room.speed);
    world->SetGravity(static_cast<float>(room.gravityX), static_cast<float>(room.gravityY));
    return world;
}

bool StepRoomWorld(CRoom* room, bool anyPath)
{
    if (room->physicsWorld == nullptr) {
        return false;
    }
    room->physicsWorld->Update(*room, room->speed, anyPath);
    return true;
}

}  // namespace

void Function_Physics_Register()
{
    Builtins_Register(kPhysicsBuiltins);
}

void Physics_InstallHooks()
{
    InstancePhysicsHooks& instances = Instance_PhysicsHooks();
    instances.createBody = &PhysicsObject_CreateForInstance;
    instances.destroyBody = &PhysicsObject_Destroy;
    instances.read = [](CInstance* instance, PhysicsVariable variable, int32_t index, double* out) {
        return PhysicsObject_ReadVariable(instance, static_cast<int32_t>(variable), index, out);
    };
    instances.write = [](CInstance* instance, PhysicsVariable variable, double value) {
        return PhysicsObject_WriteVariable(instance, static_cast<int32_t>(variable), value);
    };
    Room_PhysicsHooks().createWorld = &CreateRoomWorld;
    Room_PhysicsHooks().destroyWorld = [](PhysicsWorld* world) { delete world; };
    Run_Hooks().stepPhysicsWorld = &StepRoomWorld;
}

void Physics_Init() {}

}  // namespace bw
