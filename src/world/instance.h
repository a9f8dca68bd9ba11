// CInstance: one live thing in a room. The record holds its flags, id,
// object, sprite and image state, position, motion, bounding box, alarms,
// its own variables, path and timeline state and depth. Rooms own instances
// (their lists) and the id table finds them; the game step applies the
// object and depth changes queued here between event passes.
#pragma once

#include <array>
#include <cstdint>

namespace bw {

class CObject;
class CVariableList;
class CCode;
class InstanceList;
class CRoom;
struct PhysicsObject;

inline constexpr int32_t kInstanceAlarmCount = 12;
inline constexpr int32_t kInstanceIdFirst = 100000;

struct InstanceBBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class CInstance {
public:
    CInstance(float x, float y, int32_t id, int32_t objectIndex, bool addToObjectLists);
    ~CInstance();
    CInstance(const CInstance&) = delete;
    CInstance& operator=(const CInstance&) = delete;

    // Takes the object's defaults (mask, depth, flags, sprite). An index of
    // -1 is stored as 0; an index that names no object leaves i_object null
    // and the instance's own values as they are.
    void SetObject(int32_t objectIndex, bool addToLists);
    // instance_change: takes the new object's defaults now and queues the
    // list changes for ApplyObjectChange after the event.
    void ChangeObject(int32_t objectIndex);
    void ApplyObjectChange();
    // instance_copy: every field but the stamp, the destroyed and created
    // flags, the physics body, the list links and the sorted depth.
    void CopyFrom(const CInstance& other, bool addToLists);
    // With rehash the id table follows the new id.
    void SetId(int32_t id, bool rehash);
    // Releases what the instance owns and its object-list links; run before
    // the record is deleted.
    void FreeLinks();
    // A body in the room's physics world when the instance's object uses
    // physics and the room has a world (the physics layer decides).
    void CreatePhysicsBody(CRoom* room);
    void DestroyPhysicsBody();
    // A body made for the object's defaults (or in another room's world)
    // gives way to one at the instance's own place, angle and image scale.
    void RemakePhysicsBody(CRoom* room);

    // Indexes outside 0..11 read -1 and write nothing.
    int32_t GetAlarm(int32_t index) const;
    void SetAlarm(int32_t index, int32_t value);
    // The sprite's frame count, 0 without a sprite.
    int32_t GetImageNumber() const;

    // Motion setters keep speed/direction and hspeed/vspeed consistent.
    void UpdateFromDirection();
    void UpdateFromHV();
    void SetDirection(float direction);
    void SetSpeed(float speed);
    void SetHSpeed(float hspeed);
    void SetVSpeed(float vspeed);
    // motion_add and gravity: adds a vector to hspeed and vspeed.
    void AddMotion(float direction, float length);
    // The game step's friction (toward speed 0, never past it) and gravity.
    void ApplyFrictionGravity();
    void SetPosition(float x, float y);
    void SetSpriteIndex(int32_t sprite);
    void SetMaskIndex(int32_t mask);
    void SetImageXScale(float scale);
    void SetImageYScale(float scale);
    void SetImageAngle(float angle);
    void SetPathPosition(float position);
    void SetPathPositionPrevious(float position);
    void SetPathSpeed(float speed);
    // Follows the path from its start (its end for a negative speed); an
    // absolute path first moves the instance onto it. Path -1, a missing
    // path, one of length 0 or a negative scale leaves the instance on no
    // path. End actions: 0 stop, 1 restart, 2 continue, 3 reverse.
    void StartPath(int32_t path, float speed, float scale, float orientation, bool relative, int32_t endAction);
    // One step along the path; true when a moving step reached an end. A
    // path at speed 0 holds the instance, at an end as much as between them.
    bool PathStep();
    void SetDepth(float depth);
    // Recomputes the bounding box from the mask sprite.
    void ComputeBBox();
    // The box, recomputed first when stale.
    const InstanceBBox& GetBBox();

    // Whether the instance's mask meets the other instance, the point, the
    // rectangle, the ellipse inscribed in the rectangle or the line. Boxes
    // decide unless precise is asked and the mask sprite has pixel masks.
    bool CollisionInstance(CInstance& other, bool precise);
    bool CollisionPoint(float x, float y, bool precise);
    bool CollisionRectangle(float x1, float y1, float x2, float y2, bool precise);
    bool CollisionEllipse(float x1, float y1, float x2, float y2, bool precise);
    bool CollisionLine(float x1, float y1, float x2, float y2, bool precise);

    // Fields, in the order of the record's definition.
    uint8_t i_bboxdirty = 1;
    uint8_t i_visible = 0;
    uint8_t i_solid = 0;
    uint8_t i_persistent = 0;
    uint8_t i_marked = 0;       // destroyed; swept by the room later
    uint8_t i_deactivated = 0;
    uint8_t i_destroyed = 0;    // the destroy event has run
    uint8_t i_carriedover = 0;
    uint8_t i_created = 0;      // the create event has run
    uint64_t i_createstamp = 0;
    int32_t i_id = 0;
    int32_t i_objindex = 0;
    CObject* i_object = nullptr;
    PhysicsObject* i_physics = nullptr;
    int32_t i_spriteindex = -1;
    float i_imageindex = 0.0f;
    float i_imagespeed = 1.0f;
    float i_imagescalex = 1.0f;
    float i_imagescaley = 1.0f;
    float i_imageangle = 0.0f;
    float i_imagealpha = 1.0f;
    int32_t i_imageblend = 0xFFFFFF;
    int32_t i_maskindex = -1;
    uint8_t i_precise = 0;
    float i_x = 0.0f;
    float i_y = 0.0f;
    float i_xstart = 0.0f;
    float i_ystart = 0.0f;
    float i_xprevious = 0.0f;
    float i_yprevious = 0.0f;
    float i_direction = 0.0f;
    float i_speed = 0.0f;
    float i_friction = 0.0f;
    float i_gravitydir = 270.0f;
    float i_gravity = 0.0f;
    float i_hspeed = 0.0f;
    float i_vspeed = 0.0f;
    InstanceBBox i_bbox;
    std::array<int32_t, kInstanceAlarmCount> i_timer{};
    CVariableList* i_vars = nullptr;  // owned
    int32_t i_pathindex = -1;
    float i_pathposition = 0.0f;
    float i_pathpositionprevious = 0.0f;
    float i_pathspeed = 0.0f;
    float i_pathscale = 1.0f;
    float i_pathorientation = 0.0f;
    int32_t i_pathend = 0;
    float i_pathxstart = 0.0f;
    float i_pathystart = 0.0f;
    int32_t i_timelineindex = -1;
    float i_timelineposition = 0.0f;
    float i_timelinespeed = 1.0f;
    uint8_t i_timelinerunning = 0;
    uint8_t i_timelineloop = 0;
    CCode* i_creationcode = nullptr;  // owned by the room template
    CObject* i_prevobject = nullptr;  // object left by a pending change
    CInstance* i_next = nullptr;
    CInstance* i_prev = nullptr;
    InstanceList* i_list = nullptr;   // the room list the links belong to
    float i_depth = 0.0f;

    // The depth the instance sits under in its room list; only the list
    // writes it, since the list's depth index is keyed by it.
    float SortedDepth() const { return i_sorteddepth; }

private:
    friend class InstanceList;
    float i_sorteddepth = 0.0f;
    bool i_depthindexed = false;  // counted in its list's depth index

    void TakeObjectDefaults(const CObject& object);
};

// The phy_* variables of an instance, in the order the variable table
// lists them.
enum class PhysicsVariable : int32_t {
    Rotation,
    PositionX,
    PositionY,
    AngularVelocity,
    LinearVelocityX,
    LinearVelocityY,
    SpeedX,
    SpeedY,
    Bullet,
    FixedRotation,
    Active,
    Mass,
    Inertia,
    ComX,
    ComY,
    Dynamic,
    Kinematic,
    Sleeping,
    CollisionPoints,
    CollisionX,
    CollisionY,
    ColNormalX,
    ColNormalY,
};

// Physics bodies belong to the physics layer; it registers how a body is
// made for a new instance, destroyed when its instance goes, and how the
// phy_* variables read and write it. Reads and writes answer false when
// the instance has no body or the room no world.
struct InstancePhysicsHooks {
    void (*createBody)(CInstance* instance, CRoom* room) = nullptr;
    void (*destroyBody)(PhysicsObject* body) = nullptr;
    bool (*read)(CInstance* instance, PhysicsVariable variable, int32_t arrayIndex, double* out) = nullptr;
    bool (*write)(CInstance* instance, PhysicsVariable variable, double value) = nullptr;
};
InstancePhysicsHooks& Instance_PhysicsHooks();

// Asks the processor for the instance fields an event pass reads first
// (the pass's flags, position, variable list) while the instance before it
// still runs: a pass over thousands of instances otherwise waits on memory
// at each one.
inline void Instance_Prefetch(const CInstance* instance)
{
    __builtin_prefetch(&instance->i_bboxdirty);
    __builtin_prefetch(&instance->i_y);
    __builtin_prefetch(&instance->i_vars);
}

}  // namespace bw
