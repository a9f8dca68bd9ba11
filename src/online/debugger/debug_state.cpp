#include "online/debugger/debug_state.h"

#include <cmath>
#include <iterator>
#include <span>

#include "online/debugger/debug_protocol.h"
#include "script/vm_debug.h"
#include "world/instance.h"
#include "world/variable_access.h"
#include "world/variable_list.h"

namespace bw {

namespace {

constexpr int32_t kContactPointsShown = 4;

// One field of the built-in record: its wire type and how it is read.
struct BuiltinField {
    bool whole;  // u32; otherwise f32
    double (*read)(const CInstance& instance);
};

// The record's fields before the alarms and after them, in wire order.
const BuiltinField kHeadFields[] = {
    {true, [](const CInstance& i) -> double { return i.i_id; }},
    {true, [](const CInstance& i) -> double { return i.i_objindex; }},
    {false, [](const CInstance& i) -> double { return i.i_x; }},
    {false, [](const CInstance& i) -> double { return i.i_y; }},
    {false, [](const CInstance& i) -> double { return i.i_direction; }},
    {false, [](const CInstance& i) -> double { return i.i_friction; }},
    {false, [](const CInstance& i) -> double { return i.i_gravity; }},
    {false, [](const CInstance& i) -> double { return i.i_gravitydir; }},
    {false, [](const CInstance& i) -> double { return i.i_hspeed; }},
    {false, [](const CInstance& i) -> double { return i.i_vspeed; }},
    {false, [](const CInstance& i) -> double { return i.i_speed; }},
    {false, [](const CInstance& i) -> double { return i.i_xprevious; }},
    {false, [](const CInstance& i) -> double { return i.i_yprevious; }},
    {true, [](const CInstance& i) -> double { return i.i_spriteindex; }},
    {false, [](const CInstance& i) -> double { return i.i_imagealpha; }},
    {false, [](const CInstance& i) -> double { return i.i_imageangle; }},
    {true, [](const CInstance& i) -> double { return i.i_imageblend; }},
    {false, [](const CInstance& i) -> double { return i.i_imageindex; }},
    {true, [](const CInstance& i) -> double { return i.GetImageNumber(); }},
    {false, [](const CInstance& i) -> double { return i.i_imagespeed; }},
    {false, [](const CInstance& i) -> double { return i.i_imagescalex; }},
    {false, [](const CInstance& i) -> double { return i.i_imagescaley; }},
};

const BuiltinField kPathFields[] = {
    {true, [](const CInstance& i) -> double { return i.i_pathindex; }},
    {false, [](const CInstance& i) -> double { return i.i_pathposition; }},
    {false, [](const CInstance& i) -> double { return i.i_pathpositionprevious; }},
    {true, [](const CInstance& i) -> double { return i.i_pathend; }},
    {false, [](const CInstance& i) -> double { return i.i_pathscale; }},
    {false, [](const CInstance& i) -> double { return i.i_pathspeed; }},
    {false, [](const CInstance& i) -> double { return i.i_pathorientation; }},
};

const BuiltinField kTimelineFields[] = {
    {true, [](const CInstance& i) -> double { return i.i_timelineindex; }},
    {true, [](const CInstance& i) -> double { return i.i_timelinerunning; }},
    {false, [](const CInstance& i) -> double { return i.i_timelinespeed; }},
    {false, [](const CInstance& i) -> double { return i.i_timelineposition; }},
    {true, [](const CInstance& i) -> double { return i.i_timelineloop; }},
};

// One value of the physics section: its wire type and the body variable it
// shows (array index for the contact points), or none for a value this
// engine's bodies do not have, which reads 0.
struct PhysicsField {
    bool whole;
    bool present;
    PhysicsVariable variable;
    int32_t index;
};

constexpr PhysicsField Whole(PhysicsVariable variable, int32_t index = 0)
{
    return {true, true, variable, index};
}
constexpr PhysicsField Real(PhysicsVariable variable, int32_t index = 0)
{
    return {false, true, variable, index};
}
constexpr PhysicsField NoneWhole{true, false, PhysicsVariable::Active, 0};
constexpr PhysicsField NoneReal{false, false, PhysicsVariable::Active, 0};

// The 35 values: the named 18, then the contact count, the first four
// contact points, a static-body flag, the first contact's normal and five
// values kept 0. The angles are in degrees, as game code reads them.
const PhysicsField kPhysicsFields[] = {
    Whole(PhysicsVariable::Active),
    Whole(PhysicsVariable::FixedRotation),
    Real(PhysicsVariable::Rotation),
    Real(PhysicsVariable::LinearVelocityX),
    Real(PhysicsVariable::LinearVelocityY),
    Real(PhysicsVariable::SpeedX),
    Real(PhysicsVariable::SpeedY),
    Real(PhysicsVariable::PositionX),
    Real(PhysicsVariable::PositionY),
    Real(PhysicsVariable::AngularVelocity),
    Whole(PhysicsVariable::Bullet),
    Real(PhysicsVariable::ComX),
    Real(PhysicsVariable::ComY),
    Whole(PhysicsVariable::Dynamic),
    Whole(PhysicsVariable::Kinematic),
    Real(PhysicsVariable::Mass),
    Real(PhysicsVariable::Inertia),
    Whole(PhysicsVariable::Sleeping),
    Whole(PhysicsVariable::CollisionPoints),
    Real(PhysicsVariable::CollisionX, 0),
    Real(PhysicsVariable::CollisionY, 0),
    Real(PhysicsVariable::CollisionX, 1),
    Real(PhysicsVariable::CollisionY, 1),
    Real(PhysicsVariable::CollisionX, 2),
    Real(PhysicsVariable::CollisionY, 2),
    Real(PhysicsVariable::CollisionX, kContactPointsShown - 1),
    Real(PhysicsVariable::CollisionY, kContactPointsShown - 1),
    NoneWhole,  // the static flag: written from the two above
    Real(PhysicsVariable::ColNormalX),
    Real(PhysicsVariable::ColNormalY),
    NoneWhole,
    NoneWhole,
    NoneReal,
    NoneReal,
    NoneReal,
};
static_assert(std::size(kPhysicsFields) == 35);
constexpr size_t kStaticFlagAt = 27;

// Negative ids and indexes (-1: none) go on the wire as their two's
// complement; a NaN or a value out of range as 0.
uint32_t WholeWord(double value)
{
    if (!std::isfinite(value) || value < INT32_MIN || value > UINT32_MAX) {
        return 0;
    }
    return value < 0 ? static_cast<uint32_t>(static_cast<int32_t>(value)) : static_cast<uint32_t>(value);
}

void WriteField(DebugReply& buffer, bool whole, double value)
{
    if (whole) {
        buffer.U32(WholeWord(value));
    } else {
        buffer.F32(static_cast<float>(value));
    }
}

void WriteFields(DebugReply& buffer, std::span<const BuiltinField> fields, const CInstance* instance)
{
    for (const BuiltinField& field : fields) {
        WriteField(buffer, field.whole, instance != nullptr ? field.read(*instance) : 0.0);
    }
}

// The body's values; an instance without a body writes zeros throughout.
void WritePhysics(DebugReply& buffer, const CInstance* instance)
{
    const auto read = Instance_PhysicsHooks().read;
    const bool hasBody = instance != nullptr && instance->i_physics != nullptr && read != nullptr;
    double dynamicOrKinematic = 0.0;
    for (size_t i = 0; i < std::size(kPhysicsFields); ++i) {
        const PhysicsField& field = kPhysicsFields[i];
        double value = 0.0;
        if (hasBody && field.present &&
            !read(const_cast<CInstance*>(instance), field.variable, field.index, &value)) {
            value = 0.0;
        }
        if (field.variable == PhysicsVariable::Dynamic || field.variable == PhysicsVariable::Kinematic) {
            dynamicOrKinematic += field.present ? value : 0.0;
        }
        if (i == kStaticFlagAt) {
            value = hasBody && dynamicOrKinematic == 0.0 ? 1.0 : 0.0;
        }
        WriteField(buffer, field.whole, value);
    }
}

uint32_t InstanceId(const CInstance* instance)
{
    return instance != nullptr ? static_cast<uint32_t>(instance->i_id) : kDebugNoCode;
}

}  // namespace

void VM_DebugWriteInstance(DebugReply& buffer)
{
    const VMStopPosition& at = VM_StopPosition();
    if (at.code == nullptr) {
        buffer.U32(kDebugNoCode);
        return;
    }
    buffer.U32(Code_Identity(*at.code));
    buffer.U32(at.offset);
    buffer.U32(InstanceId(at.self));
    buffer.U32(InstanceId(at.other));
    std::vector<VariableView> variables;
    VM_RunningLocals(&variables);
    VM_DebugWriteVariables(buffer, variables);
    variables.clear();
    Variable_GlobalList().View(&variables);
    VM_DebugWriteVariables(buffer, variables);
    VM_DebugWriteBuiltinVariables(buffer, at.self);
}

void VM_DebugWriteVariables(DebugReply& buffer, const std::vector<VariableView>& variables)
{
    buffer.U32(static_cast<uint32_t>(variables.size()));
    for (const VariableView& variable : variables) {
        const uint32_t kind = Value_Kind(*variable.value);
        buffer.U32(static_cast<uint32_t>(variable.id));
        buffer.U32(kind);
        if (kind == kValueString) {
            const char* text = Value_String(*variable.value);
            buffer.String(text != nullptr ? text : "");
        } else {
            // An array has no number of its own: its row count stands in.
            buffer.F64(kind == kValueArray ? variable.value->rowCount : variable.value->real);
        }
    }
}

void VM_DebugWriteBuiltinVariables(DebugReply& buffer, const CInstance* instance)
{
    WriteFields(buffer, kHeadFields, instance);
    for (int32_t alarm = 0; alarm < kInstanceAlarmCount; ++alarm) {
        WriteField(buffer, true, instance != nullptr ? instance->GetAlarm(alarm) : 0.0);
    }
    WriteFields(buffer, kPathFields, instance);
    WritePhysics(buffer, instance);
    WriteFields(buffer, kTimelineFields, instance);
}

}  // namespace bw
