// Joints between the bodies of two instances: distance, revolute,
// prismatic, pulley and gear joints, found by id, read and written by field
// number. All records are in one list; each belongs to one world.
#pragma once

#include <cstdint>

#include <box2d/box2d.h>

namespace bw {

class PhysicsWorld;

struct PhysicsJoint {
    int32_t id = 0;
    b2Joint* joint = nullptr;
    PhysicsWorld* world = nullptr;
    // Box2D 2.4 keeps a stiffness, not the frequency and damping ratio game
    // code sets; a distance joint keeps them here (frequency 0: rigid).
    float frequency = 0.0f;
    float dampingRatio = 0.0f;
};

// The field numbers of physics_joint_get_value / _set_value.
enum JointField : int32_t {
    kJointAnchor1X = 0,
    kJointAnchor1Y,
    kJointAnchor2X,
    kJointAnchor2Y,
    kJointReactionForceX,
    kJointReactionForceY,
    kJointReactionTorque,
    kJointMotorSpeed,
    kJointAngle,
    kJointMotorTorque,
    kJointMaxMotorTorque,
    kJointTranslation,
    kJointSpeed,
    kJointMotorForce,
    kJointMaxMotorForce,
    kJointLength1,
    kJointLength2,
    kJointDampingRatio,
    kJointFrequency,
    kJointLowerAngle,
    kJointUpperAngle,
    kJointLimitEnabled,
};

struct RevoluteSettings {
    b2Vec2 anchor{0.0f, 0.0f};
    float lowerAngle = 0.0f;  // radians
    float upperAngle = 0.0f;
    bool enableLimit = false;
    float maxMotorTorque = 0.0f;
    float motorSpeed = 0.0f;
    bool enableMotor = false;
    bool collideConnected = false;
};

struct PrismaticSettings {
    b2Vec2 anchor{0.0f, 0.0f};
    b2Vec2 axis{0.0f, 0.0f};
    float lowerTranslation = 0.0f;
    float upperTranslation = 0.0f;
    bool enableLimit = false;
    float maxMotorForce = 0.0f;
    float motorSpeed = 0.0f;
    bool enableMotor = false;
    bool collideConnected = false;
};

struct PulleySettings {
    b2Vec2 groundA{0.0f, 0.0f};
    b2Vec2 groundB{0.0f, 0.0f};
    b2Vec2 localAnchorA{0.0f, 0.0f};
    b2Vec2 localAnchorB{0.0f, 0.0f};
    float ratio = 1.0f;
    bool collideConnected = false;
};

// Each creator answers the new joint's id, or -1 (reported) when the
// settings would trip Box2D's checks.
int32_t PhysicsWorld_CreateDistanceJoint(PhysicsWorld& world, b2Body* a, b2Body* b, b2Vec2 anchorA, b2Vec2 anchorB,
                                         bool collideConnected);
int32_t PhysicsWorld_CreateRevoluteJoint(PhysicsWorld& world, b2Body* a, b2Body* b, const RevoluteSettings& settings);
int32_t PhysicsWorld_CreatePrismaticJoint(PhysicsWorld& world, b2Body* a, b2Body* b,
                                          const PrismaticSettings& settings);
int32_t PhysicsWorld_CreatePulleyJoint(PhysicsWorld& world, b2Body* a, b2Body* b, const PulleySettings& settings);
// -1 unless both joints are revolute or prismatic.
int32_t PhysicsWorld_CreateGearJoint(PhysicsWorld& world, b2Body* a, b2Body* b, PhysicsJoint& joint1,
                                     PhysicsJoint& joint2, float ratio);

PhysicsJoint* Physics_Joint_Find(int32_t id);
PhysicsJoint* Physics_Joint_FindByB2Joint(const b2Joint* joint);
double Physics_Joint_GetValue(const PhysicsJoint& record, int32_t field);
void Physics_Joint_SetValue(PhysicsJoint& record, int32_t field, double value);
void Physics_Joint_EnableMotor(PhysicsJoint& record, bool on);
// Gear joints over this joint go first: a gear must never outlive the
// joints it drives. False when there is no such joint.
bool PhysicsWorld_DeleteJoint(int32_t id);
// Every joint attached to the body (and every gear over them).
void Physics_Joint_DeleteOfBody(const b2Body* body);
// The world is going: its records go without touching Box2D.
void Physics_Joint_ForgetWorld(const PhysicsWorld* world);

}  // namespace bw
