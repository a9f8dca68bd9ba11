// The built-in variables of the instance running the code. Every accessor
// refuses a null self. Fields without logic share the templates below; the
// variables with rules of their own have their own GV_/SV_ pair.
#include <algorithm>
#include <vector>

#include "script/world_access.h"
#include "world/builtin_variables.h"
#include "world/game_state.h"
#include "world/instance.h"
#include "world/resource_lookups.h"

namespace bw {

namespace {

template <typename Field, Field CInstance::*member>
bool GV_Field(CInstance* self, int32_t, Value* out)
{
    if (self == nullptr) {
        return false;
    }
    Value_SetReal(*out, static_cast<double>(self->*member));
    return true;
}

template <int32_t CInstance::*member>
bool SV_IntFromFloatField(CInstance* self, int32_t, const Value* in)
{
    if (self == nullptr) {
        return false;
    }
    self->*member = BuiltinArg_IntFromFloat(in);
    return true;
}

// solid, visible, persistent: any non-zero whole number sets the flag.
template <uint8_t CInstance::*member>
bool SV_NonZeroField(CInstance* self, int32_t, const Value* in)
{
    if (self == nullptr) {
        return false;
    }
    self->*member = BuiltinArg_IntFromFloat(in) != 0 ? 1 : 0;
    return true;
}

template <uint8_t CInstance::*member>
bool SV_FlagField(CInstance* self, int32_t, const Value* in)
{
    if (self == nullptr) {
        return false;
    }
    self->*member = BuiltinArg_Flag(in) ? 1 : 0;
    return true;
}

// The variables held in one f32 field: a load and a store each, which the
// getter and setter wrap and the machine calls directly (no Value between,
// no table lookup); the getter is the plain field getter. A store takes the
// value as every f32 setter takes it.
template <float CInstance::*member>
double LoadFloat(const CInstance* self)
{
    return static_cast<double>(self->*member);
}

template <float CInstance::*member>
void StoreFloat(CInstance* self, const Value* in)
{
    self->*member = BuiltinArg_Float(in);
}

template <void (CInstance::*set)(float)>
void StoreThrough(CInstance* self, const Value* in)
{
    (self->*set)(BuiltinArg_Float(in));
}

void StoreX(CInstance* self, const Value* in)
{
    self->SetPosition(BuiltinArg_Float(in), self->i_y);
}

void StoreY(CInstance* self, const Value* in)
{
    self->SetPosition(self->i_x, BuiltinArg_Float(in));
}

template <void (*store)(CInstance*, const Value*)>
bool SV_Store(CInstance* self, int32_t, const Value* in)
{
    if (self == nullptr) {
        return false;
    }
    store(self, in);
    return true;
}

#define BW_GET(type, field) &GV_Field<type, &CInstance::field>
// A variable held in the f32 field, written through store.
#define BW_FIELD(name, field, store)                                                                 \
    {{name, BW_GET(float, field), &SV_Store<store>, true},                                          \
     {&LoadFloat<&CInstance::field>, store}}

bool GV_Alarm(CInstance* self, int32_t index, Value* out)
{
    if (self == nullptr) {
        return false;
    }
    Value_SetReal(*out, self->GetAlarm(BuiltinArg_Element(index, kInstanceAlarmCount)));
    return true;
}

bool SV_Alarm(CInstance* self, int32_t index, const Value* in)
{
    if (self == nullptr) {
        return false;
    }
    self->SetAlarm(BuiltinArg_Element(index, kInstanceAlarmCount), BuiltinArg_IntFromFloat(in));
    return true;
}

template <int32_t InstanceBBox::*side>
bool GV_BBox(CInstance* self, int32_t, Value* out)
{
    if (self == nullptr) {
        return false;
    }
    Value_SetReal(*out, self->GetBBox().*side);
    return true;
}

bool SV_SpriteIndex(CInstance* self, int32_t, const Value* in)
{
    if (self == nullptr) {
        return false;
    }
    self->SetSpriteIndex(BuiltinArg_IntFromFloat(in));
    return true;
}

bool GV_ImageSingle(CInstance* self, int32_t, Value* out)
{
    if (self == nullptr) {
        return false;
    }
    Value_SetReal(*out, self->i_imagespeed == 0.0f ? static_cast<double>(self->i_imageindex) : -1.0);
    return true;
}

bool SV_ImageSingle(CInstance* self, int32_t, const Value* in)
{
    if (self == nullptr) {
        return false;
    }
    const double value = BuiltinArg_Real(in);
    if (value >= 0.0) {
        self->i_imageindex = BuiltinArg_Float(in);
        self->i_imagespeed = 0.0f;
    } else {
        self->i_imagespeed = 1.0f;
    }
    return true;
}

bool GV_ImageNumber(CInstance* self, int32_t, Value* out)
{
    if (self == nullptr) {
        return false;
    }
    Value_SetReal(*out, self->GetImageNumber());
    return true;
}

// sprite_width, sprite_height, sprite_xoffset, sprite_yoffset: a measure of
// the sprite times the matching image scale, 0 without a sprite.
template <int32_t SpriteInfo::*measure, float CInstance::*scale>
bool GV_SpriteMeasure(CInstance* self, int32_t, Value* out)
{
    if (self == nullptr) {
        return false;
    }
    SpriteInfo info;
    const bool exists = Sprite_GetInfo(self->i_spriteindex, &info);
    Value_SetReal(*out, exists ? static_cast<double>(static_cast<float>(info.*measure) * self->*scale) : 0.0);
    return true;
}

bool GV_ImageBlend(CInstance* self, int32_t, Value* out)
{
    if (self == nullptr) {
        return false;
    }
    Value_SetReal(*out, static_cast<uint32_t>(self->i_imageblend));
    return true;
}

bool SV_MaskIndex(CInstance* self, int32_t, const Value* in)
{
    if (self == nullptr) {
        return false;
    }
    self->SetMaskIndex(BuiltinArg_Int(in));
    return true;
}

bool GV_AsyncLoad(CInstance*, int32_t, Value* out)
{
    Value_SetReal(*out, Event_Current().asyncLoad);
    return true;
}

// The physics layer owns the bodies; without its hooks every instance reads
// as one without a body, for which the variables report failure.
template <PhysicsVariable V>
bool GV_Physics(CInstance* self, int32_t arrayIndex, Value* out)
{
    const auto read = Instance_PhysicsHooks().read;
    double value = 0.0;
    if (self == nullptr || read == nullptr || !read(self, V, arrayIndex, &value)) {
        return false;
    }
    Value_SetReal(*out, value);
    return true;
}

template <PhysicsVariable V>
bool SV_Physics(CInstance* self, int32_t, const Value* in)
{
    const auto write = Instance_PhysicsHooks().write;
    return self != nullptr && write != nullptr && write(self, V, BuiltinArg_Real(in));
}

bool GV_DisplayAA(CInstance*, int32_t, Value* out)
{
    Value_SetReal(*out, Display_State().displayAA);
    return true;
}

bool GV_DeltaTime(CInstance*, int32_t, Value* out)
{
    Value_SetReal(*out, static_cast<double>(Display_State().deltaTime));
    return true;
}

bool GV_WebglEnabled(CInstance*, int32_t, Value* out)
{
    Value_SetReal(*out, 1.0);
    return true;
}

// A registration and, for a variable held in one f32 field, its direct
// access.
struct InstanceVariable {
    BuiltinVariableRegistration entry;
    BuiltinFieldAccess field;
};

// The order is the ids: never reorder, only append at the end of a group.
const InstanceVariable kInstanceVariables[] = {
    BW_FIELD("x", i_x, &StoreX),
    BW_FIELD("y", i_y, &StoreY),
    BW_FIELD("xprevious", i_xprevious, &StoreFloat<&CInstance::i_xprevious>),
    BW_FIELD("yprevious", i_yprevious, &StoreFloat<&CInstance::i_yprevious>),
    BW_FIELD("xstart", i_xstart, &StoreFloat<&CInstance::i_xstart>),
    BW_FIELD("ystart", i_ystart, &StoreFloat<&CInstance::i_ystart>),
    BW_FIELD("hspeed", i_hspeed, &StoreThrough<&CInstance::SetHSpeed>),
    BW_FIELD("vspeed", i_vspeed, &StoreThrough<&CInstance::SetVSpeed>),
    BW_FIELD("direction", i_direction, &StoreThrough<&CInstance::SetDirection>),
    BW_FIELD("speed", i_speed, &StoreThrough<&CInstance::SetSpeed>),
    BW_FIELD("friction", i_friction, &StoreFloat<&CInstance::i_friction>),
    BW_FIELD("gravity", i_gravity, &StoreFloat<&CInstance::i_gravity>),
    BW_FIELD("gravity_direction", i_gravitydir, &StoreFloat<&CInstance::i_gravitydir>),
    {{"object_index", BW_GET(int32_t, i_objindex), nullptr, false}, {}},
    {{"id", BW_GET(int32_t, i_id), nullptr, false}, {}},
    {{"alarm", &GV_Alarm, &SV_Alarm, true}, {}},
    {{"solid", BW_GET(uint8_t, i_solid), &SV_NonZeroField<&CInstance::i_solid>, true}, {}},
    {{"visible", BW_GET(uint8_t, i_visible), &SV_NonZeroField<&CInstance::i_visible>, true}, {}},
    {{"persistent", BW_GET(uint8_t, i_persistent), &SV_NonZeroField<&CInstance::i_persistent>, true}, {}},
    BW_FIELD("depth", i_depth, &StoreThrough<&CInstance::SetDepth>),
    {{"bbox_left", &GV_BBox<&InstanceBBox::left>, nullptr, false}, {}},
    {{"bbox_right", &GV_BBox<&InstanceBBox::right>, nullptr, false}, {}},
    {{"bbox_top", &GV_BBox<&InstanceBBox::top>, nullptr, false}, {}},
    {{"bbox_bottom", &GV_BBox<&InstanceBBox::bottom>, nullptr, false}, {}},
    {{"sprite_index", BW_GET(int32_t, i_spriteindex), &SV_SpriteIndex, true}, {}},
    BW_FIELD("image_index", i_imageindex, &StoreFloat<&CInstance::i_imageindex>),
    {{"image_single", &GV_ImageSingle, &SV_ImageSingle, true}, {}},
    {{"image_number", &GV_ImageNumber, nullptr, false}, {}},
    {{"sprite_width", &GV_SpriteMeasure<&SpriteInfo::width, &CInstance::i_imagescalex>, nullptr, false}, {}},
    {{"sprite_height", &GV_SpriteMeasure<&SpriteInfo::height, &CInstance::i_imagescaley>, nullptr, false}, {}},
    {{"sprite_xoffset", &GV_SpriteMeasure<&SpriteInfo::xorigin, &CInstance::i_imagescalex>, nullptr, false}, {}},
    {{"sprite_yoffset", &GV_SpriteMeasure<&SpriteInfo::yorigin, &CInstance::i_imagescaley>, nullptr, false}, {}},
    BW_FIELD("image_xscale", i_imagescalex, &StoreThrough<&CInstance::SetImageXScale>),
    BW_FIELD("image_yscale", i_imagescaley, &StoreThrough<&CInstance::SetImageYScale>),
    BW_FIELD("image_angle", i_imageangle, &StoreThrough<&CInstance::SetImageAngle>),
    BW_FIELD("image_alpha", i_imagealpha, &StoreFloat<&CInstance::i_imagealpha>),
    BW_FIELD("image_speed", i_imagespeed, &StoreFloat<&CInstance::i_imagespeed>),
    {{"image_blend", &GV_ImageBlend, &SV_IntFromFloatField<&CInstance::i_imageblend>, true}, {}},
    {{"mask_index", BW_GET(int32_t, i_maskindex), &SV_MaskIndex, true}, {}},
    {{"path_index", BW_GET(int32_t, i_pathindex), nullptr, false}, {}},
    BW_FIELD("path_position", i_pathposition, &StoreThrough<&CInstance::SetPathPosition>),
    BW_FIELD("path_positionprevious", i_pathpositionprevious, &StoreThrough<&CInstance::SetPathPositionPrevious>),
    BW_FIELD("path_speed", i_pathspeed, &StoreFloat<&CInstance::i_pathspeed>),
    BW_FIELD("path_scale", i_pathscale, &StoreFloat<&CInstance::i_pathscale>),
    BW_FIELD("path_orientation", i_pathorientation, &StoreFloat<&CInstance::i_pathorientation>),
    {{"path_endaction", BW_GET(int32_t, i_pathend), &SV_IntFromFloatField<&CInstance::i_pathend>, true}, {}},
    {{"timeline_index", BW_GET(int32_t, i_timelineindex), &SV_IntFromFloatField<&CInstance::i_timelineindex>, true}, {}},
    BW_FIELD("timeline_position", i_timelineposition, &StoreFloat<&CInstance::i_timelineposition>),
    BW_FIELD("timeline_speed", i_timelinespeed, &StoreFloat<&CInstance::i_timelinespeed>),
    {{"timeline_running", BW_GET(uint8_t, i_timelinerunning), &SV_FlagField<&CInstance::i_timelinerunning>, true}, {}},
    {{"timeline_loop", BW_GET(uint8_t, i_timelineloop), &SV_FlagField<&CInstance::i_timelineloop>, true}, {}},
    {{"async_load", &GV_AsyncLoad, nullptr, true}, {}},
    {{"phy_rotation", &GV_Physics<PhysicsVariable::Rotation>, &SV_Physics<PhysicsVariable::Rotation>, true}, {}},
    {{"phy_position_x", &GV_Physics<PhysicsVariable::PositionX>, &SV_Physics<PhysicsVariable::PositionX>, true}, {}},
    {{"phy_position_y", &GV_Physics<PhysicsVariable::PositionY>, &SV_Physics<PhysicsVariable::PositionY>, true}, {}},
    {{"phy_angular_velocity", &GV_Physics<PhysicsVariable::AngularVelocity>, &SV_Physics<PhysicsVariable::AngularVelocity>, true}, {}},
    {{"phy_linear_velocity_x", &GV_Physics<PhysicsVariable::LinearVelocityX>, &SV_Physics<PhysicsVariable::LinearVelocityX>, true}, {}},
    {{"phy_linear_velocity_y", &GV_Physics<PhysicsVariable::LinearVelocityY>, &SV_Physics<PhysicsVariable::LinearVelocityY>, true}, {}},
    {{"phy_speed_x", &GV_Physics<PhysicsVariable::SpeedX>, &SV_Physics<PhysicsVariable::SpeedX>, true}, {}},
    {{"phy_speed_y", &GV_Physics<PhysicsVariable::SpeedY>, &SV_Physics<PhysicsVariable::SpeedY>, true}, {}},
    {{"phy_bullet", &GV_Physics<PhysicsVariable::Bullet>, &SV_Physics<PhysicsVariable::Bullet>, true}, {}},
    {{"phy_fixed_rotation", &GV_Physics<PhysicsVariable::FixedRotation>, &SV_Physics<PhysicsVariable::FixedRotation>, true}, {}},
    {{"phy_active", &GV_Physics<PhysicsVariable::Active>, &SV_Physics<PhysicsVariable::Active>, true}, {}},
    {{"phy_mass", &GV_Physics<PhysicsVariable::Mass>, nullptr, false}, {}},
    {{"phy_inertia", &GV_Physics<PhysicsVariable::Inertia>, nullptr, false}, {}},
    {{"phy_com_x", &GV_Physics<PhysicsVariable::ComX>, nullptr, false}, {}},
    {{"phy_com_y", &GV_Physics<PhysicsVariable::ComY>, nullptr, false}, {}},
    {{"phy_dynamic", &GV_Physics<PhysicsVariable::Dynamic>, nullptr, false}, {}},
    {{"phy_kinematic", &GV_Physics<PhysicsVariable::Kinematic>, nullptr, false}, {}},
    {{"phy_sleeping", &GV_Physics<PhysicsVariable::Sleeping>, nullptr, false}, {}},
    {{"phy_collision_points", &GV_Physics<PhysicsVariable::CollisionPoints>, nullptr, false}, {}},
    {{"phy_collision_x", &GV_Physics<PhysicsVariable::CollisionX>, nullptr, false}, {}},
    {{"phy_collision_y", &GV_Physics<PhysicsVariable::CollisionY>, nullptr, false}, {}},
    {{"phy_col_normal_x", &GV_Physics<PhysicsVariable::ColNormalX>, nullptr, false}, {}},
    {{"phy_col_normal_y", &GV_Physics<PhysicsVariable::ColNormalY>, nullptr, false}, {}},
    {{"display_aa", &GV_DisplayAA, nullptr, false}, {}},
    {{"delta_time", &GV_DeltaTime, nullptr, false}, {}},
    {{"webgl_enabled", &GV_WebglEnabled, nullptr, false}, {}},
};

#undef BW_FIELD
#undef BW_GET

}  // namespace

void Variable_BuiltIn_RegisterInstance()
{
    static std::vector<BuiltinFieldAccess> fields;
    fields.clear();
    for (const InstanceVariable& variable : kInstanceVariables) {
        const int32_t id = Variable_BuiltIn_Add(variable.entry.name, variable.entry.getter, variable.entry.setter,
                                                variable.entry.canSet);
        if (id >= 0 && variable.field.load != nullptr) {
            fields.resize(std::max(fields.size(), static_cast<size_t>(id) + 1));
            fields[static_cast<size_t>(id)] = variable.field;
        }
    }
    WorldAccess& access = Code_WorldAccess();
    access.builtinFields = fields.data();
    access.builtinFieldCount = static_cast<int32_t>(fields.size());
}

}  // namespace bw
