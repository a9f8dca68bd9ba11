#include "world/instance.h"

#include <cmath>

#include "world/instance_table.h"
#include "world/object.h"
#include "world/resource_lookups.h"
#include "world/room.h"
#include "world/variable_list.h"

namespace bw {

namespace {

// The whole part of the image index (truncated toward zero) must name a
// frame of the sprite; NaN never does.
bool ImageIndexFitsFrames(float imageIndex, int32_t frameCount)
{
    return std::trunc(imageIndex) < static_cast<float>(frameCount);
}

}  // namespace

InstancePhysicsHooks& Instance_PhysicsHooks()
{
    static InstancePhysicsHooks hooks;
    return hooks;
}

CInstance::CInstance(float x, float y, int32_t id, int32_t objectIndex, bool addToObjectLists)
    : i_createstamp(EventPassStamp)
{
    SetObject(objectIndex, addToObjectLists);
    i_x = x;
    i_y = y;
    i_id = id;
    i_xstart = x;
    i_ystart = y;
    i_xprevious = x;
    i_yprevious = y;
    i_timer.fill(-1);
    i_vars = new CVariableList();
}

CInstance::~CInstance()
{
    delete i_vars;
}

void CInstance::TakeObjectDefaults(const CObject& object)
{
    i_maskindex = object.mask;
    i_depth = static_cast<float>(object.depth);
    i_solid = (object.flags & kObjectFlagSolid) != 0;
    i_visible = (object.flags & kObjectFlagVisible) != 0;
    i_persistent = (object.flags & kObjectFlagPersistent) != 0;
    i_spriteindex = object.sprite;
    if (!ImageIndexFitsFrames(i_imageindex, Sprite_FrameCount(i_spriteindex))) {
        i_imageindex = 0.0f;
    }
    i_bboxdirty = 1;
}

void CInstance::SetObject(int32_t objectIndex, bool addToLists)
{
    if (i_object != nullptr) {
        i_object->RemoveInstance(this);
    }
    i_object = nullptr;
    i_objindex = objectIndex == -1 ? 0 : objectIndex;
    CObject* object = Object_Find(i_objindex);
    if (object == nullptr) {
        return;
    }
    i_object = object;
    if (addToLists) {
        object->AddInstance(this);
    }
    TakeObjectDefaults(*object);
}

void CInstance::ChangeObject(int32_t objectIndex)
{
    // Only the first change of a pass records the object whose lists the
    // instance must leave: it is still in those lists until the change is
    // applied.
    if (Instance_ObjectChangeQueue().AddUnique(this)) {
        i_prevobject = i_object;
    }
    i_objindex = objectIndex;
    i_object = Object_Find(objectIndex);
    if (i_object == nullptr) {
        return;
    }
    TakeObjectDefaults(*i_object);
    Instance_DepthChangeQueue().AddUnique(this);
}

void CInstance::ApplyObjectChange()
{
    if (i_prevobject != nullptr) {
        i_prevobject->RemoveInstance(this);
        i_prevobject = nullptr;
    }
    if (i_object != nullptr) {
        i_object->AddInstance(this);
    }
    CRoom* room = Room_Current();
    if (!i_deactivated && room != nullptr && room->activeInstances.Unlink(this)) {
        room->activeInstances.InsertByDepth(this);
    }
}

void CInstance::CopyFrom(const CInstance& other, bool addToLists)
{
    if (i_object != nullptr) {
        i_object->RemoveInstance(this);
    }
    i_carriedover = 0;
    i_id = other.i_id;
    i_spriteindex = other.i_spriteindex;
    i_imageindex = other.i_imageindex;
    i_imagespeed = other.i_imagespeed;
    i_imagescalex = other.i_imagescalex;
    i_imagescaley = other.i_imagescaley;
    i_imageangle = other.i_imageangle;
    i_imagealpha = other.i_imagealpha;
    i_imageblend = other.i_imageblend;
    i_maskindex = other.i_maskindex;
    i_depth = other.i_depth;
    i_precise = other.i_precise;
    i_x = other.i_x;
    i_y = other.i_y;
    i_xstart = other.i_xstart;
    i_ystart = other.i_ystart;
    i_xprevious = other.i_xprevious;
    i_yprevious = other.i_yprevious;
    i_direction = other.i_direction;
    i_speed = other.i_speed;
    i_friction = other.i_friction;
    i_gravitydir = other.i_gravitydir;
    i_gravity = other.i_gravity;
    i_hspeed = other.i_hspeed;
    i_vspeed = other.i_vspeed;
    i_bboxdirty = other.i_bboxdirty;
    i_bbox = other.i_bbox;
    i_visible = other.i_visible;
    i_solid = other.i_solid;
    i_persistent = other.i_persistent;
    i_objindex = other.i_objindex;
    i_object = other.i_object;
    if (addToLists && i_object != nullptr) {
        i_object->AddInstance(this);
    }
    i_timer = other.i_timer;
    i_vars->CopyFrom(*other.i_vars);
    i_marked = other.i_marked;
    i_deactivated = other.i_deactivated;
    i_pathindex = other.i_pathindex;
    i_pathposition = other.i_pathposition;
    i_pathpositionprevious = other.i_pathpositionprevious;
    i_pathspeed = other.i_pathspeed;
    i_pathscale = other.i_pathscale;
    i_pathorientation = other.i_pathorientation;
    i_pathend = other.i_pathend;
    // With the origin, a copy and an instance carried into the next room go
    // on along their path from where they stand.
    i_pathxstart = other.i_pathxstart;
    i_pathystart = other.i_pathystart;
    i_timelineindex = other.i_timelineindex;
    i_timelineposition = other.i_timelineposition;
    i_timelinespeed = other.i_timelinespeed;
    i_timelinerunning = other.i_timelinerunning;
    i_timelineloop = other.i_timelineloop;
    i_creationcode = other.i_creationcode;
}

void CInstance::SetId(int32_t id, bool rehash)
{
    if (rehash) {
        InstanceHash_Remove(i_id, this);
        i_id = id;
        InstanceHash_Insert(i_id, this);
    } else {
        i_id = id;
    }
}

void CInstance::FreeLinks()
{
    if (i_object != nullptr) {
        i_object->RemoveInstance(this);
        i_object = nullptr;
    }
    // A pending object change still holds the lists it is to leave.
    if (i_prevobject != nullptr) {
        i_prevobject->RemoveInstance(this);
        i_prevobject = nullptr;
    }
    DestroyPhysicsBody();
    // The queues hold no owner's reference: a freed instance must not stay
    // in them until the next pass ends.
    Instance_ObjectChangeQueue().Remove(this);
    Instance_DepthChangeQueue().Remove(this);
    i_vars->Clear();
}

void CInstance::CreatePhysicsBody(CRoom* room)
{
    if (Instance_PhysicsHooks().createBody != nullptr) {
        Instance_PhysicsHooks().createBody(this, room);
    }
}

void CInstance::RemakePhysicsBody(CRoom* room)
{
    DestroyPhysicsBody();
    CreatePhysicsBody(room);
}

void CInstance::DestroyPhysicsBody()
{
    if (i_physics != nullptr && Instance_PhysicsHooks().destroyBody != nullptr) {
        Instance_PhysicsHooks().destroyBody(i_physics);
    }
    i_physics = nullptr;
}

int32_t CInstance::GetAlarm(int32_t index) const
{
    return index >= 0 && index < kInstanceAlarmCount ? i_timer[static_cast<size_t>(index)] : -1;
}

void CInstance::SetAlarm(int32_t index, int32_t value)
{
    if (index >= 0 && index < kInstanceAlarmCount) {
        i_timer[static_cast<size_t>(index)] = value;
    }
}

int32_t CInstance::GetImageNumber() const
{
    return Sprite_FrameCount(i_spriteindex);
}

void CInstance::SetSpriteIndex(int32_t sprite)
{
    i_spriteindex = sprite;
    if (!ImageIndexFitsFrames(i_imageindex, Sprite_FrameCount(sprite))) {
        i_imageindex = 0.0f;
    }
    i_bboxdirty = 1;
}

void CInstance::SetDepth(float depth)
{
    if (depth != i_depth) {
        i_depth = depth;
        Instance_DepthChangeQueue().AddUnique(this);
    }
}

}  // namespace bw
