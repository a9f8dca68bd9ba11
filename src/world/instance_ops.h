// What the instance built-ins of game code do to the world: create, copy,
// change, destroy, find and count instances, and switch them between the
// current room's active and deactivated lists. The built-ins only convert
// their arguments; the work and its error reports are here. Room changes and
// the end of the game are requests, served by the main loop (run_requests.h).
//
// Selectors: -1 self, -2 other, -3 every instance of the current room's
// active list, -4 none, 0..99999 an object with its descendants, 100000 and
// above one instance by id. Destroyed (marked) and deactivated instances are
// never found or counted.
#pragma once

#include <cstdint>
#include <functional>

#include "script/code_node.h"
#include "world/variable_access.h"

namespace bw {

class CInstance;

// A new instance of the object at (x, y) in the current room, its create
// event performed; null (with a report) for an object that does not exist,
// and null without a current room.
CInstance* Instance_Create(int32_t objectIndex, float x, float y);
// The same, with prepare run on the new instance before its create event.
CInstance* Instance_Create(int32_t objectIndex, float x, float y, const std::function<void(CInstance&)>& prepare);
// A new instance of self's object at self's position holding every field and
// variable of self, under an id of its own. The create event runs only when
// performCreate is set. Null without a current room.
CInstance* Instance_Copy(CInstance* self, bool performCreate);
// The destroy event runs once in an instance's life; the instance is marked
// and the room sweeps it later.
void Instance_Destroy(CInstance* instance);
// Into the object (reported when it does not exist); nothing when it is the
// instance's own. With perform, the destroy event of the old object (unless
// it has run) and then the create event of the new one.
void Instance_Change(CInstance* instance, int32_t objectIndex, bool perform);
// Reported when the sprite does not exist.
void Instance_SetSprite(CInstance* instance, int32_t sprite);

// The instances a selector other than self and other names, in order: the
// active list for all, the one instance for an id, the object's descendants
// list for an object. Destroyed and deactivated ones are among them: the
// caller decides. Stops when visit answers false.
void Instance_ForEachCandidate(int32_t selector, const std::function<bool(CInstance*)>& visit);

// The live instance a selector names for instance_find / instance_exists:
// the n-th (from 0) of them; an id names one instance, found only for n 0.
CInstance* Instance_FindNth(CInstance* self, CInstance* other, int32_t selector, int32_t n);
// Count of live instances; an object counts the instances changing into it
// during this pass as well. Self and other are the caller's own business
// (-1 and -2 name objects here, so none).
int32_t Instance_Number(int32_t selector);
// The live instance nearest to (or furthest from) the point. An instance id
// finds nothing, nor does an instance 10,000 or more units away (nearest);
// among equal distances the first in list order wins.
CInstance* Instance_Nearest(float x, float y, int32_t selector);
CInstance* Instance_Furthest(float x, float y, int32_t selector);

// Activation changes take effect on the instance's flag at once; the room
// moves the instance between its lists when the step applies them.
// instance_deactivate_all / instance_activate_all; with notMe self stays.
void Instance_DeactivateAll(CInstance* self, bool notMe);
void Instance_ActivateAll();
// instance_deactivate_object / instance_activate_object: -1 self, -2 other,
// -3 all, an id, or an object with its descendants.
void Instance_SetObjectActive(CInstance* self, CInstance* other, int32_t selector, bool active);
// The region runs from (left, top) to (left + width, top + height). With
// inside, what touches it changes; without, what lies wholly outside it.
// An instance with a sprite or mask is judged by its bounding box, any
// other by its position. With notMe (deactivation only) self stays.
struct ActivationRegion {
    float left = 0.0f;
    float top = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    bool inside = true;
};
void Instance_DeactivateRegion(CInstance* self, const ActivationRegion& region, bool notMe);
void Instance_ActivateRegion(const ActivationRegion& region);

}  // namespace bw
