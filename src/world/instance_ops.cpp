#include "world/instance_ops.h"

#include <functional>

#include "script/error_report.h"
#include "world/event.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/object.h"
#include "world/resource_lookups.h"
#include "world/room.h"
#include "world/run_requests.h"

namespace bw {

namespace {

// Stops when visit answers false.
void ForEachInList(const InstanceList& list, const std::function<bool(CInstance*)>& visit)
{
    for (CInstance* at = list.First(); at != nullptr;) {
        CInstance* next = at->i_next;  // read first: visit may not keep the link
        if (!visit(at)) {
            return;
        }
        at = next;
    }
}

// Squared distance, rounded to single precision when the object's list is
// walked, as the finders have always compared it.
template <typename Better>
CInstance* FindByDistance(float x, float y, int32_t selector, double start, Better better)
{
    if (selector >= kInstanceIdFirst) {
        return nullptr;
    }
    const bool single = selector != kSelectorAll;
    CInstance* found = nullptr;
    double best = start;
    Instance_ForEachCandidate(selector, [&](CInstance* instance) {
        if (!Instance_IsLive(instance)) {
            return true;
        }
        const double dx = double{instance->i_x} - x;
        const double dy = double{instance->i_y} - y;
        double distance = dx * dx + dy * dy;
        if (single) {
            distance = static_cast<float>(distance);
        }
        if (better(distance, best)) {
            best = distance;
            found = instance;
        }
        return true;
    });
    return found;
}

bool CanDeactivate(const CInstance* instance)
{
    return Instance_IsLive(instance);
}

bool CanActivate(const CInstance* instance)
{
    return instance != nullptr && instance->i_deactivated && !instance->i_marked;
}

void SetActive(CInstance* instance, bool active)
{
    InstanceArray_AddUnique(instance);
    instance->i_deactivated = active ? 0 : 1;
}

// The scratch collection of an activation change: every instance of both
// room lists that the change may touch.
void ForEachGathered(bool active, const std::function<void(CInstance*)>& visit)
{
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return;
    }
    for (const InstanceList* list : {&room->activeInstances, &room->deactivatedInstances}) {
        ForEachInList(*list, [&](CInstance* instance) {
            if (active ? CanActivate(instance) : CanDeactivate(instance)) {
                visit(instance);
            }
            return true;
        });
    }
}

// Self is left active by the "not me" forms, if it still lives.
void KeepSelfActive(CInstance* self)
{
    if (CanActivate(self)) {
        SetActive(self, true);
    }
}

bool SpriteExists(int32_t sprite)
{
    SpriteInfo info;
    return Sprite_GetInfo(sprite, &info);
}

bool IsOutside(CInstance* instance, const ActivationRegion& region)
{
    const float x1 = region.left;
    const float y1 = region.top;
    const float x2 = region.left + region.width;
    const float y2 = region.top + region.height;
    if (SpriteExists(instance->i_spriteindex) || SpriteExists(instance->i_maskindex)) {
        const InstanceBBox& box = instance->GetBBox();
        return x1 > static_cast<float>(box.right) || static_cast<float>(box.left) > x2 ||
               y1 > static_cast<float>(box.bottom) || static_cast<float>(box.top) > y2;
    }
    return instance->i_x < x1 || instance->i_x > x2 || instance->i_y < y1 || instance->i_y > y2;
}

void SetRegionActive(const ActivationRegion& region, bool active)
{
    ForEachGathered(active, [&](CInstance* instance) {
        if (IsOutside(instance, region) != region.inside) {
            SetActive(instance, active);
        }
    });
}

void PerformCreate(CInstance* instance)
{
    Event_Perform(instance, instance, kEventCreate, 0);
    instance->i_created = 1;
}

void ReportMissing(const char* text, int32_t number)
{
    Code_Error_Runtime(Run_ConcatMessage(text, number).c_str(), false);
}

}  // namespace

void Instance_ForEachCandidate(int32_t selector, const std::function<bool(CInstance*)>& visit)
{
    if (selector == kSelectorAll) {
        if (const CRoom* room = Room_Current()) {
            ForEachInList(room->activeInstances, visit);
        }
    } else if (selector >= kInstanceIdFirst) {
        if (CInstance* instance = Instance_Find(selector)) {
            visit(instance);
        }
    } else if (const CObject* object = Object_Find(selector)) {
        for (CInstance* instance : object->descendantInstances) {
            if (!visit(instance)) {
                return;
            }
        }
    }
}

CInstance* Instance_Create(int32_t objectIndex, float x, float y)
{
    return Instance_Create(objectIndex, x, y, [](CInstance&) {});
}

CInstance* Instance_Create(int32_t objectIndex, float x, float y, const std::function<void(CInstance&)>& prepare)
{
    if (!Object_Exists(objectIndex)) {
        ReportMissing("Creating instance for non-existing object: ", objectIndex);
        return nullptr;
    }
    CRoom* room = Room_Current();
    if (room == nullptr) {
        return nullptr;
    }
    CInstance* instance = room->AddInstance(x, y, objectIndex);
    prepare(*instance);
    PerformCreate(instance);
    return instance;
}

CInstance* Instance_Copy(CInstance* self, bool performCreate)
{
    CRoom* room = Room_Current();
    if (self == nullptr || room == nullptr) {
        return nullptr;
    }
    CInstance* copy = room->AddInstance(self->i_x, self->i_y, self->i_objindex);
    // The copy takes self's id with everything else; the id table already
    // knows it under its own, which it must keep.
    const int32_t id = copy->i_id;
    copy->CopyFrom(*self, true);
    copy->SetId(id, false);
    // The copy's place, angle and image scale are self's.
    copy->RemakePhysicsBody(room);
    // Placed by its object's depth; self's may differ.
    if (copy->i_depth != copy->SortedDepth()) {
        Instance_DepthChangeQueue().AddUnique(copy);
    }
    if (performCreate) {
        PerformCreate(copy);
    }
    return copy;
}

void Instance_Destroy(CInstance* instance)
{
    if (instance == nullptr || instance->i_destroyed) {
        return;
    }
    instance->i_destroyed = 1;
    Event_Perform(instance, instance, kEventDestroy, 0);
    instance->i_marked = 1;
}

void Instance_Change(CInstance* instance, int32_t objectIndex, bool perform)
{
    if (!Object_Exists(objectIndex)) {
        ReportMissing("Asking to change into non-existing object: ", objectIndex);
        return;
    }
    if (instance == nullptr || objectIndex == instance->i_objindex) {
        return;
    }
    if (perform && !instance->i_destroyed) {
        Event_Perform(instance, instance, kEventDestroy, 0);
    }
    instance->ChangeObject(objectIndex);
    if (perform) {
        Event_Perform(instance, instance, kEventCreate, 0);
    }
}

void Instance_SetSprite(CInstance* instance, int32_t sprite)
{
    if (!SpriteExists(sprite)) {
        ReportMissing("Setting instance to non-existing sprite: ", sprite);
        return;
    }
    if (instance != nullptr) {
        instance->SetSpriteIndex(sprite);
    }
}

CInstance* Instance_FindNth(CInstance* self, CInstance* other, int32_t selector, int32_t n)
{
    if (selector == kSelectorSelf || selector == kSelectorOther) {
        CInstance* instance = selector == kSelectorSelf ? self : other;
        return n == 0 && Instance_IsLive(instance) ? instance : nullptr;
    }
    if (n < 0) {
        return nullptr;
    }
    CInstance* found = nullptr;
    int32_t left = n;
    Instance_ForEachCandidate(selector, [&](CInstance* instance) {
        if (!Instance_IsLive(instance)) {
            return true;
        }
        if (left-- == 0) {
            found = instance;
            return false;
        }
        return true;
    });
    return found;
}

int32_t Instance_Number(int32_t selector)
{
    int32_t count = 0;
    const auto countLive = [&count](CInstance* instance) {
        count += Instance_IsLive(instance) ? 1 : 0;
        return true;
    };
    if (selector == kSelectorAll || selector >= kInstanceIdFirst) {
        Instance_ForEachCandidate(selector, countLive);
    } else {
        Instance_ForEachOfObject(selector, countLive);
    }
    return count;
}

CInstance* Instance_Nearest(float x, float y, int32_t selector)
{
    return FindByDistance(x, y, selector, static_cast<double>(100000000.0f),
                          [](double distance, double best) { return best > distance; });
}

CInstance* Instance_Furthest(float x, float y, int32_t selector)
{
    return FindByDistance(x, y, selector, -1.0, [](double distance, double best) { return distance > best; });
}

void Instance_DeactivateAll(CInstance* self, bool notMe)
{
    ForEachGathered(false, [](CInstance* instance) { SetActive(instance, false); });
    if (notMe) {
        KeepSelfActive(self);
    }
}

void Instance_ActivateAll()
{
    ForEachGathered(true, [](CInstance* instance) { SetActive(instance, true); });
}

void Instance_SetObjectActive(CInstance* self, CInstance* other, int32_t selector, bool active)
{
    const auto changes = active ? &CanActivate : &CanDeactivate;
    if (selector == kSelectorSelf || selector == kSelectorOther || selector >= kInstanceIdFirst) {
        CInstance* instance = selector == kSelectorSelf    ? self
                              : selector == kSelectorOther ? other
                                                           : Instance_Find(selector);
        if (changes(instance)) {
            SetActive(instance, active);
        }
        return;
    }
    if (selector != kSelectorAll && !Object_Exists(selector)) {
        return;
    }
    ForEachGathered(active, [&](CInstance* instance) {
        const bool named = selector == kSelectorAll || instance->i_objindex == selector ||
                           (instance->i_object != nullptr && instance->i_object->IsChildOf(selector));
        if (named) {
            SetActive(instance, active);
        }
    });
}

void Instance_DeactivateRegion(CInstance* self, const ActivationRegion& region, bool notMe)
{
    SetRegionActive(region, false);
    if (notMe) {
        KeepSelfActive(self);
    }
}

void Instance_ActivateRegion(const ActivationRegion& region)
{
    SetRegionActive(region, true);
}

}  // namespace bw
