#include "physics/physics_joint.h"

#include <cfloat>
#include <cmath>
#include <memory>
#include <vector>

#include "physics/physics_records.h"
#include "physics/physics_world.h"
#include "script/error_report.h"

namespace bw {

namespace {

constexpr float kRadiansToDegrees = 180.0f / kPhysicsPi;
constexpr float kDegreesToRadians = kPhysicsPi / 180.0f;

PhysicsRecords<PhysicsJoint>& Joints()
{
    static PhysicsRecords<PhysicsJoint> joints;
    return joints;
}

// -1 (reported) for a joint with one body at both ends, on which Box2D
// aborts.
int32_t AddRecord(PhysicsWorld& world, const b2JointDef& def)
{
    if (def.bodyA == def.bodyB) {
        Code_Error_Runtime("A joint needs two different instances", false);
        return -1;
    }
    def.bodyA->SetAwake(true);
    def.bodyB->SetAwake(true);
    PhysicsJoint& record = Joints().Add();
    record.world = &world;
    record.joint = world.World().CreateJoint(&def);
    return record.id;
}

// Box2D aborts on a lower limit above the upper one.
bool LimitsInOrder(float lower, float upper)
{
    if (std::isfinite(lower) && std::isfinite(upper) && lower <= upper) {
        return true;
    }
    Code_Error_Runtime("The lower limit of a joint must not be above its upper limit", false);
    return false;
}

bool IsMotorJoint(const b2Joint& joint)
{
    return joint.GetType() == e_revoluteJoint || joint.GetType() == e_prismaticJoint;
}

// Box2D 2.4 has a spring stiffness where game code sets a frequency and a
// damping ratio; frequency 0 keeps the joint rigid at its length.
void ApplyDistanceSettings(const PhysicsJoint& record)
{
    auto* joint = static_cast<b2DistanceJoint*>(record.joint);
    const float length = joint->GetLength();
    joint->SetMinLength(0.0f);
    if (record.frequency > 0.0f && std::isfinite(record.frequency)) {
        float stiffness = 0.0f;
        float damping = 0.0f;
        b2LinearStiffness(stiffness, damping, record.frequency, record.dampingRatio, joint->GetBodyA(),
                          joint->GetBodyB());
        joint->SetMaxLength(FLT_MAX);
        joint->SetStiffness(stiffness);
        joint->SetDamping(damping);
    } else {
        joint->SetMaxLength(length);
        joint->SetMinLength(length);
        joint->SetStiffness(0.0f);
        joint->SetDamping(0.0f);
    }
}

}  // namespace

int32_t PhysicsWorld_CreateDistanceJoint(PhysicsWorld& world, b2Body* a, b2Body* b, b2Vec2 anchorA, b2Vec2 anchorB,
                                         bool collideConnected)
{
    if (!anchorA.IsValid() || !anchorB.IsValid()) {
        return -1;
    }
    b2DistanceJointDef def;
    def.Initialize(a, b, anchorA, anchorB);
    def.collideConnected = collideConnected;
    const int32_t id = AddRecord(world, def);
    if (id >= 0) {
        ApplyDistanceSettings(*Physics_Joint_Find(id));
    }
    return id;
}

int32_t PhysicsWorld_CreateRevoluteJoint(PhysicsWorld& world, b2Body* a, b2Body* b, const RevoluteSettings& settings)
{
    if (!settings.anchor.IsValid() || !LimitsInOrder(settings.lowerAngle, settings.upperAngle)) {
        return -1;
    }
    b2RevoluteJointDef def;
    def.Initialize(a, b, settings.anchor);
    def.lowerAngle = settings.lowerAngle;
    def.upperAngle = settings.upperAngle;
    def.enableLimit = settings.enableLimit;
    def.maxMotorTorque = settings.maxMotorTorque;
    def.motorSpeed = settings.motorSpeed;
    def.enableMotor = settings.enableMotor;
    def.collideConnected = settings.collideConnected;
    return AddRecord(world, def);
}

int32_t PhysicsWorld_CreatePrismaticJoint(PhysicsWorld& world, b2Body* a, b2Body* b,
                                          const PrismaticSettings& settings)
{
    if (!settings.anchor.IsValid() || !LimitsInOrder(settings.lowerTranslation, settings.upperTranslation)) {
        return -1;
    }
    if (!settings.axis.IsValid() || settings.axis.LengthSquared() <= b2_epsilon * b2_epsilon) {
        Code_Error_Runtime("The axis of a prismatic joint must not be zero", false);
        return -1;
    }
    b2PrismaticJointDef def;
    def.Initialize(a, b, settings.anchor, settings.axis);
    def.lowerTranslation = settings.lowerTranslation;
    def.upperTranslation = settings.upperTranslation;
    def.enableLimit = settings.enableLimit;
    def.maxMotorForce = settings.maxMotorForce;
    def.motorSpeed = settings.motorSpeed;
    def.enableMotor = settings.enableMotor;
    def.collideConnected = settings.collideConnected;
    return AddRecord(world, def);
}

int32_t PhysicsWorld_CreatePulleyJoint(PhysicsWorld& world, b2Body* a, b2Body* b, const PulleySettings& settings)
{
    // Box2D aborts on a ratio not above its epsilon, negative ones too.
    if (!(settings.ratio > b2_epsilon) || !std::isfinite(settings.ratio)) {
        Code_Error_Runtime("The ratio of a pulley joint must be above 0", false);
        return -1;
    }
    const b2Vec2 anchorA = a->GetWorldPoint(settings.localAnchorA);
    const b2Vec2 anchorB = b->GetWorldPoint(settings.localAnchorB);
    if (!settings.groundA.IsValid() || !settings.groundB.IsValid() || !anchorA.IsValid() || !anchorB.IsValid()) {
        return -1;
    }
    // Box2D 2.4 pulleys have no maximum lengths: the ropes are limited only
    // by the pulley's total length.
    b2PulleyJointDef def;
    def.Initialize(a, b, settings.groundA, settings.groundB, anchorA, anchorB, settings.ratio);
    def.collideConnected = settings.collideConnected;
    return AddRecord(world, def);
}

int32_t PhysicsWorld_CreateGearJoint(PhysicsWorld& world, b2Body* a, b2Body* b, PhysicsJoint& joint1,
                                     PhysicsJoint& joint2, float ratio)
{
    // Box2D aborts on a gear over any other kind of joint.
    if (!IsMotorJoint(*joint1.joint) || !IsMotorJoint(*joint2.joint) || !std::isfinite(ratio)) {
        return -1;
    }
    // A kept room's joints belong to its own world; a gear there would tie
    // that world's bodies to this one's joint list.
    if (joint1.world != &world || joint2.world != &world) {
        Code_Error_Runtime("A joint does not exist", false);
        return -1;
    }
    // It aborts too unless the second body of each joint moves freely.
    if (joint1.joint->GetBodyB()->GetType() != b2_dynamicBody ||
        joint2.joint->GetBodyB()->GetType() != b2_dynamicBody) {
        Code_Error_Runtime("A gear joint needs the second instance of each of its joints to be dynamic", false);
        return -1;
    }
    b2GearJointDef def;
    def.bodyA = a;
    def.bodyB = b;
    def.joint1 = joint1.joint;
    def.joint2 = joint2.joint;
    def.ratio = ratio;
    def.collideConnected = false;
    return AddRecord(world, def);
}

PhysicsJoint* Physics_Joint_Find(int32_t id)
{
    return Joints().Find(id);
}

PhysicsJoint* Physics_Joint_FindByB2Joint(const b2Joint* joint)
{
    for (const auto& record : Joints().All()) {
        if (record->joint == joint) {
            return record.get();
        }
    }
    return nullptr;
}

double Physics_Joint_GetValue(const PhysicsJoint& record, int32_t field)
{
    const b2Joint& joint = *record.joint;
    const float inverseStep = static_cast<float>(record.world->updateSpeed);
    const b2JointType type = joint.GetType();
    const auto* revolute = type == e_revoluteJoint ? static_cast<const b2RevoluteJoint*>(&joint) : nullptr;
    const auto* prismatic = type == e_prismaticJoint ? static_cast<const b2PrismaticJoint*>(&joint) : nullptr;
    const auto* distance = type == e_distanceJoint ? static_cast<const b2DistanceJoint*>(&joint) : nullptr;
    const auto* pulley = type == e_pulleyJoint ? static_cast<const b2PulleyJoint*>(&joint) : nullptr;
    switch (field) {
    case kJointAnchor1X: return joint.GetAnchorA().x;
    case kJointAnchor1Y: return joint.GetAnchorA().y;
    case kJointAnchor2X: return joint.GetAnchorB().x;
    case kJointAnchor2Y: return joint.GetAnchorB().y;
    case kJointReactionForceX: return joint.GetReactionForce(inverseStep).x;
    case kJointReactionForceY: return joint.GetReactionForce(inverseStep).y;
    case kJointReactionTorque: return joint.GetReactionTorque(inverseStep);
    case kJointMotorSpeed:
        return revolute != nullptr ? revolute->GetMotorSpeed() : prismatic != nullptr ? prismatic->GetMotorSpeed() : 0.0;
    case kJointAngle: return revolute != nullptr ? revolute->GetJointAngle() : 0.0;
    case kJointMotorTorque: return revolute != nullptr ? revolute->GetMotorTorque(inverseStep) : 0.0;
    case kJointTranslation: return prismatic != nullptr ? prismatic->GetJointTranslation() : 0.0;
    case kJointSpeed: return prismatic != nullptr ? prismatic->GetJointSpeed() : 0.0;
    case kJointMotorForce: return prismatic != nullptr ? prismatic->GetMotorForce(inverseStep) : 0.0;
    case kJointLength1:
        return distance != nullptr ? distance->GetLength() : pulley != nullptr ? pulley->GetCurrentLengthA() : 0.0;
    case kJointLength2: return pulley != nullptr ? pulley->GetCurrentLengthB() : 0.0;
    case kJointDampingRatio: return distance != nullptr ? record.dampingRatio : 0.0;
    case kJointFrequency: return distance != nullptr ? record.frequency : 0.0;
    case kJointLowerAngle: return revolute != nullptr ? revolute->GetLowerLimit() * kRadiansToDegrees : 0.0;
    case kJointUpperAngle: return revolute != nullptr ? revolute->GetUpperLimit() * kRadiansToDegrees : 0.0;
    case kJointLimitEnabled: return revolute != nullptr && revolute->IsLimitEnabled() ? 1.0 : 0.0;
    default: return 0.0;  // the maximum motor torque and force read 0 too
    }
}

void Physics_Joint_SetValue(PhysicsJoint& record, int32_t field, double value)
{
    b2Joint& joint = *record.joint;
    const auto single = static_cast<float>(value);
    if (!std::isfinite(single)) {
        return;
    }
    const b2JointType type = joint.GetType();
    auto* revolute = type == e_revoluteJoint ? static_cast<b2RevoluteJoint*>(&joint) : nullptr;
    auto* prismatic = type == e_prismaticJoint ? static_cast<b2PrismaticJoint*>(&joint) : nullptr;
    switch (field) {
    case kJointMotorSpeed:
        if (revolute != nullptr || prismatic != nullptr) {
            joint.GetBodyA()->SetAwake(true);
            joint.GetBodyB()->SetAwake(true);
            revolute != nullptr ? revolute->SetMotorSpeed(single) : prismatic->SetMotorSpeed(single);
        }
        break;
    case kJointMaxMotorTorque:
        if (revolute != nullptr) {
            revolute->SetMaxMotorTorque(single);
        }
        break;
    case kJointMaxMotorForce:
        if (prismatic != nullptr) {
            prismatic->SetMaxMotorForce(single);
        }
        break;
    case kJointLength1:
    case kJointDampingRatio:
    case kJointFrequency:
        if (type == e_distanceJoint) {
            if (field == kJointLength1) {
                static_cast<b2DistanceJoint&>(joint).SetLength(single);
            } else {
                (field == kJointFrequency ? record.frequency : record.dampingRatio) = single;
            }
            ApplyDistanceSettings(record);
        }
        break;
    case kJointLowerAngle:
    case kJointUpperAngle:
        if (revolute != nullptr) {
            const float radians = single * kDegreesToRadians;
            const float lower = field == kJointLowerAngle ? radians : revolute->GetLowerLimit();
            const float upper = field == kJointUpperAngle ? radians : revolute->GetUpperLimit();
            if (LimitsInOrder(lower, upper)) {
                revolute->SetLimits(lower, upper);
            }
        }
        break;
    case kJointLimitEnabled:
        if (revolute != nullptr) {
            revolute->EnableLimit(value > 0.5);
        }
        break;
    default:
        break;
    }
}

void Physics_Joint_EnableMotor(PhysicsJoint& record, bool on)
{
    b2Joint& joint = *record.joint;
    if (!IsMotorJoint(joint)) {
        return;
    }
    joint.GetBodyA()->SetAwake(true);
    joint.GetBodyB()->SetAwake(true);
    if (joint.GetType() == e_revoluteJoint) {
        static_cast<b2RevoluteJoint&>(joint).EnableMotor(on);
    } else {
        static_cast<b2PrismaticJoint&>(joint).EnableMotor(on);
    }
}

bool PhysicsWorld_DeleteJoint(int32_t id)
{
    PhysicsJoint* record = Physics_Joint_Find(id);
    if (record == nullptr) {
        return false;
    }
    // A gear keeps pointers to its two joints: it goes before either.
    std::vector<int32_t> gears;
    for (const auto& other : Joints().All()) {
        if (other->joint->GetType() == e_gearJoint) {
            auto* gear = static_cast<b2GearJoint*>(other->joint);
            if (gear->GetJoint1() == record->joint || gear->GetJoint2() == record->joint) {
                gears.push_back(other->id);
            }
        }
    }
    for (int32_t gear : gears) {
        PhysicsWorld_DeleteJoint(gear);
    }
    record->world->World().DestroyJoint(record->joint);
    Joints().Erase(id);
    return true;
}

void Physics_Joint_DeleteOfBody(const b2Body* body)
{
    std::vector<int32_t> attached;
    for (const auto& record : Joints().All()) {
        if (record->joint->GetBodyA() == body || record->joint->GetBodyB() == body) {
            attached.push_back(record->id);
        }
    }
    for (int32_t id : attached) {
        PhysicsWorld_DeleteJoint(id);
    }
}

void Physics_Joint_ForgetWorld(const PhysicsWorld* world)
{
    std::erase_if(Joints().All(), [world](const auto& record) { return record->world == world; });
}

}  // namespace bw
