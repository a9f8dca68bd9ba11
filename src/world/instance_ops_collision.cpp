#include "world/instance_ops_collision.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/random.h"
#include "script/operators.h"
#include "world/event.h"
#include "world/instance.h"
#include "world/instance_ops.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/object_lists.h"
#include "world/resource_lookups.h"
#include "world/room.h"
#include "world/run_hooks.h"

namespace bw {

namespace {

// The first live candidate of the selector that passes the test; with
// notMe, self is never a candidate.
template <typename Test>
CInstance* FindFirst(const CInstance* self, int32_t selector, bool notMe, Test&& test)
{
    CInstance* found = nullptr;
    Instance_ForEachCandidate(selector, [&](CInstance* instance) {
        if (!Instance_IsLive(instance) || (notMe && instance == self)) {
            return true;
        }
        if (test(*instance)) {
            found = instance;
            return false;
        }
        return true;
    });
    return found;
}

// Self stands at (x, y) for as long as this lives, then goes back.
class TrialPlace {
public:
    TrialPlace(CInstance& instance, float x, float y) : m_instance(instance), m_x(instance.i_x), m_y(instance.i_y)
    {
        m_instance.SetPosition(x, y);
    }
    ~TrialPlace() { m_instance.SetPosition(m_x, m_y); }
    TrialPlace(const TrialPlace&) = delete;
    TrialPlace& operator=(const TrialPlace&) = delete;

private:
    CInstance& m_instance;
    float m_x;
    float m_y;
};

// Whether self at (x, y) overlaps no live instance of the room (only solid
// ones when solidOnly).
bool PlaceClear(CInstance* self, float x, float y, bool solidOnly)
{
    if (self == nullptr) {
        return true;
    }
    const TrialPlace trial(*self, x, y);
    return FindFirst(self, kSelectorAll, true, [&](CInstance& instance) {
               return (!solidOnly || instance.i_solid) && self->CollisionInstance(instance, true);
           }) == nullptr;
}

// Each live instance of the room's active list that contains the point,
// pixel masks deciding. The visits run events, so the walk is a pass of its
// own: an instance made by one of them (perhaps right at the point, by a
// destroy event that leaves a successor) is not visited, or the walk might
// never end.
template <typename Visit>
void ForEachAtPoint(float x, float y, Visit&& visit)
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    const uint64_t stamp = EventPassStamp++;
    for (CInstance* instance = room->activeInstances.First(); instance != nullptr; instance = instance->i_next) {
        if (Instance_IsLive(instance) && instance->i_createstamp <= stamp && instance->CollisionPoint(x, y, true)) {
            visit(instance);
        }
    }
}

// Degrees to radians as the instance's own motion does it: single precision
// throughout, pi rounded to single.
constexpr float kPi = 3.1415927f;

struct StepVector {
    float dx;
    float dy;
};

// One unit in the direction (degrees; the y axis points down).
StepVector UnitStep(float direction)
{
    const float radians = direction * kPi / 180.0f;
    return {std::cos(radians), -std::sin(radians)};
}

// A distance of 0 or less means "as far as it takes", up to 1000 steps. A
// distance no 32-bit count holds gives none, as it always has.
int32_t StepCount(float maxDistance)
{
    return maxDistance > 0.0f ? Code_RealToInt32(maxDistance) : 1000;
}

// Moves self one unit; false when that leaves it where it was (far from the
// origin a unit is below a float's resolution), after which every further
// step would only repeat the same test.
bool StepOnce(CInstance& self, const StepVector& step)
{
    const float x = self.i_x + step.dx;
    const float y = self.i_y + step.dy;
    if (x == self.i_x && y == self.i_y) {
        return false;
    }
    self.SetPosition(x, y);
    return true;
}

// Advanced bouncing: the free directions nearest to the motion on either
// side, in steps of 10 degrees, decide the new direction.
void BounceAdvanced(CInstance& self, bool all, bool changed)
{
    const float start = std::nearbyint(self.i_direction / 10.0f) * 10.0f;
    const auto freeTowards = [&](float angle) {
        const StepVector step = UnitStep(angle);
        return Place_FreeOrEmpty(&self, self.i_x + step.dx * self.i_speed, self.i_y + step.dy * self.i_speed, all);
    };
    float clockwise = start;
    for (int32_t i = 1; i <= 35; ++i) {
        clockwise = start - 10.0f * static_cast<float>(i);
        if (freeTowards(clockwise)) {
            break;
        }
        changed = true;
    }
    for (int32_t j = 1; j <= 35; ++j) {
        const float counter = start + 10.0f * static_cast<float>(j);
        if (freeTowards(counter)) {
            if (changed) {
                self.SetDirection(counter + clockwise + 180.0f - start);
            }
            return;
        }
        // Blocked on this side too: a ball that grazes a wall on its
        // counter-clockwise side turns as one that grazes it clockwise.
        changed = true;
    }
    // Enclosed on every side.
    self.SetDirection(start + 350.0f + clockwise + 180.0f - start);
}

void BounceSimple(CInstance& self, bool all)
{
    const float x = self.i_x;
    const float y = self.i_y;
    const float hspeed = self.i_hspeed;
    const float vspeed = self.i_vspeed;
    const bool horizontalFree = Place_FreeOrEmpty(&self, x + hspeed, y, all);
    const bool verticalFree = Place_FreeOrEmpty(&self, x, y + vspeed, all);
    const bool diagonalFree = Place_FreeOrEmpty(&self, x + hspeed, y + vspeed, all);
    if (!horizontalFree) {
        self.SetHSpeed(-self.i_hspeed);
    }
    if (horizontalFree && verticalFree) {
        // Only a corner is in the way: straight back.
        if (!diagonalFree) {
            self.SetHSpeed(-self.i_hspeed);
            self.SetVSpeed(-self.i_vspeed);
        }
    } else if (!verticalFree) {
        self.SetVSpeed(-self.i_vspeed);
    }
}

// ---- the collision event pass ----

bool SkippedByPass(const CInstance& instance, uint64_t stamp)
{
    return instance.i_marked || instance.i_deactivated || instance.i_createstamp > stamp;
}

void PutBack(CInstance& instance)
{
    instance.SetPosition(instance.i_xprevious, instance.i_yprevious);
    instance.SetPathPosition(instance.i_pathpositionprevious);
}

// The motion of this step once more, from the previous position.
void StepAgain(CInstance& instance)
{
    if (const auto pathStep = Run_Hooks().pathStep) {
        pathStep(&instance);
    }
    instance.SetPosition(instance.i_x + instance.i_hspeed, instance.i_y + instance.i_vspeed);
}

void Collide(CInstance& a, CInstance& b)
{
    if (a.i_solid || b.i_solid) {
        PutBack(a);
        PutBack(b);
    }
    Event_Perform(&a, &b, kEventCollision, b.i_objindex);
    Event_Perform(&b, &a, kEventCollision, a.i_objindex);
    // The events may have changed the flags: they are read again. Solid
    // partners try their step once more and stay back if they meet again.
    if (a.i_solid || b.i_solid) {
        StepAgain(a);
        StepAgain(b);
        if (a.CollisionInstance(b, true)) {
            PutBack(a);
            PutBack(b);
        }
    }
}

// Every two overlapping instances of the pair's objects. Instances of one
// object meeting each other are taken once per two, not once in each order.
// The instance lists keep their nodes while events run (instances leave
// them only between passes), so a walk survives new instances; an object
// deleted by game code ends the walk.
void HandlePair(const ObjectPair& pair)
{
    const uint64_t stamp = EventPassStamp++;
    const CObject* first = Object_Find(pair.lower);
    const CObject* second = Object_Find(pair.higher);
    if (first == nullptr || second == nullptr) {
        return;
    }
    const bool sameObject = first == second;
    for (auto at = first->instances.begin(); at != first->instances.end();) {
        CInstance* a = *at;
        ++at;
        for (auto partner = sameObject ? at : second->instances.begin(); partner != second->instances.end();) {
            CInstance* b = *partner;
            ++partner;
            if (SkippedByPass(*a, stamp)) {
                break;
            }
            if (SkippedByPass(*b, stamp) || !a->CollisionInstance(*b, true)) {
                continue;
            }
            Collide(*a, *b);
            if (Object_Find(pair.lower) != first || Object_Find(pair.higher) != second) {
                return;
            }
        }
    }
}

// One axis of move_random's region: positions from left, width of them.
struct Span {
    double left = 0.0;
    double width = 0.0;
};

// A width below 1 (an instance as wide as the room or wider) keeps the left
// edge rather than drawing from an empty or negative range.
float Pick(const Span& span, int32_t snap)
{
    const double widest = std::numeric_limits<int32_t>::max();
    const double offset = span.width >= 1.0 ? Random_Int(static_cast<int32_t>(std::min(span.width, widest))) : 0.0;
    float position = static_cast<float>(span.left + offset);
    if (snap > 0) {
        position = std::floor(position / static_cast<float>(snap)) * static_cast<float>(snap);
    }
    return position;
}

}  // namespace

CInstance* Collision_Point(CInstance* self, float x, float y, int32_t selector, bool precise, bool notMe)
{
    return FindFirst(self, selector, notMe,
                     [&](CInstance& instance) { return instance.CollisionPoint(x, y, precise); });
}

CInstance* Collision_Rectangle(CInstance* self, float x1, float y1, float x2, float y2, int32_t selector,
                               bool precise, bool notMe)
{
    return FindFirst(self, selector, notMe,
                     [&](CInstance& instance) { return instance.CollisionRectangle(x1, y1, x2, y2, precise); });
}

CInstance* Collision_Ellipse(CInstance* self, float x1, float y1, float x2, float y2, int32_t selector,
                             bool precise, bool notMe)
{
    return FindFirst(self, selector, notMe,
                     [&](CInstance& instance) { return instance.CollisionEllipse(x1, y1, x2, y2, precise); });
}

CInstance* Collision_Line(CInstance* self, float x1, float y1, float x2, float y2, int32_t selector, bool precise,
                          bool notMe)
{
    return FindFirst(self, selector, notMe,
                     [&](CInstance& instance) { return instance.CollisionLine(x1, y1, x2, y2, precise); });
}

CInstance* Instance_Position(float x, float y, int32_t selector)
{
    return Collision_Point(nullptr, x, y, selector, true, false);
}

bool Position_Meeting(float x, float y, int32_t selector)
{
    return Instance_Position(x, y, selector) != nullptr;
}

void Position_Destroy(float x, float y)
{
    ForEachAtPoint(x, y, [](CInstance* instance) { Instance_Destroy(instance); });
}

void Position_Change(float x, float y, int32_t objectIndex, bool perform)
{
    if (!Object_Exists(objectIndex)) {
        // Instance_Change reports the missing object in its own words.
        Instance_Change(nullptr, objectIndex, perform);
        return;
    }
    ForEachAtPoint(x, y, [&](CInstance* instance) { Instance_Change(instance, objectIndex, perform); });
}

CInstance* Instance_Place(CInstance* self, float x, float y, int32_t selector)
{
    if (self == nullptr) {
        return nullptr;
    }
    const TrialPlace trial(*self, x, y);
    return FindFirst(self, selector, false,
                     [self](CInstance& instance) { return self->CollisionInstance(instance, true); });
}

bool Place_Meeting(CInstance* self, float x, float y, int32_t selector)
{
    return Instance_Place(self, x, y, selector) != nullptr;
}

bool Place_Empty(CInstance* self, float x, float y)
{
    return PlaceClear(self, x, y, false);
}

bool Place_Free(CInstance* self, float x, float y)
{
    return PlaceClear(self, x, y, true);
}

bool Place_FreeOrEmpty(CInstance* self, float x, float y, bool all)
{
    return all ? Place_Empty(self, x, y) : Place_Free(self, x, y);
}

void Move_Random(CInstance* self, int32_t hsnap, int32_t vsnap, int32_t tries)
{
    const CRoom* room = Room_Current();
    if (self == nullptr || room == nullptr) {
        return;
    }
    Span horizontal{0.0, static_cast<double>(room->width)};
    Span vertical{0.0, static_cast<double>(room->height)};
    SpriteInfo sprite;
    if (Sprite_GetInfo(self->i_spriteindex, &sprite) || Sprite_GetInfo(self->i_maskindex, &sprite)) {
        // The whole box stays inside the room.
        self->ComputeBBox();
        const InstanceBBox& box = self->i_bbox;
        horizontal.left = std::nearbyint(self->i_x - static_cast<float>(box.left));
        horizontal.width =
            std::nearbyint(static_cast<float>(room->width) + self->i_x - static_cast<float>(box.right)) -
            horizontal.left;
        vertical.left = std::nearbyint(self->i_y - static_cast<float>(box.top));
        vertical.width =
            std::nearbyint(static_cast<float>(room->height) + self->i_y - static_cast<float>(box.bottom)) -
            vertical.left;
    }
    for (int32_t attempt = 0; attempt < tries; ++attempt) {
        const float x = Pick(horizontal, hsnap);
        const float y = Pick(vertical, vsnap);
        if (Place_Free(self, x, y)) {
            self->SetPosition(x, y);
            return;
        }
    }
}

void Move_Contact(CInstance* self, float direction, float maxDistance, bool all)
{
    if (self == nullptr || !Place_FreeOrEmpty(self, self->i_x, self->i_y, all)) {
        return;
    }
    const StepVector step = UnitStep(direction);
    const int32_t steps = StepCount(maxDistance);
    for (int32_t i = 0; i < steps; ++i) {
        if (!Place_FreeOrEmpty(self, self->i_x + step.dx, self->i_y + step.dy, all) || !StepOnce(*self, step)) {
            return;
        }
    }
}

void Move_Outside(CInstance* self, float direction, float maxDistance, bool all)
{
    if (self == nullptr || Place_FreeOrEmpty(self, self->i_x, self->i_y, all)) {
        return;
    }
    const StepVector step = UnitStep(direction);
    const int32_t steps = StepCount(maxDistance);
    for (int32_t i = 0; i < steps; ++i) {
        if (!StepOnce(*self, step) || Place_FreeOrEmpty(self, self->i_x, self->i_y, all)) {
            return;
        }
    }
}

void Move_Bounce(CInstance* self, bool advanced, bool all)
{
    if (self == nullptr) {
        return;
    }
    bool changed = false;
    if (!Place_FreeOrEmpty(self, self->i_x, self->i_y, all)) {
        self->SetPosition(self->i_xprevious, self->i_yprevious);
        changed = true;
    }
    if (advanced) {
        BounceAdvanced(*self, all, changed);
    } else {
        BounceSimple(*self, all);
    }
}

void Run_HandleCollisions()
{
    for (const ObjectPair& pair : Object_CollisionPairs()) {
        HandlePair(pair);
    }
}

}  // namespace bw
