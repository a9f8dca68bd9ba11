// Finding instances by id, and the queues of changes that wait for the end
// of the current event pass.
//
// The id table does not own instances: each has one owner, its room list or
// the list of instances carried to the next room. Ids can repeat (duplicated
// rooms, ids from the package), so removal names the instance as well as
// the id.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/hash.h"

namespace bw {

class CInstance;

// Counts event passes; an instance records it when made, and a pass skips
// the instances made after it began.
extern uint64_t EventPassStamp;

Hash<CInstance*>& Instance_Table();
// Appends at the tail of the id's bucket.
void InstanceHash_Insert(int32_t id, CInstance* instance);
// The first instance entered under the id; null when none.
CInstance* Instance_Find(int32_t id);
// Removes the entry of exactly this instance under the id; false when there
// is none. Other instances under the same id keep their order.
bool InstanceHash_Remove(int32_t id, CInstance* instance);
// Empties the table (game end); the instances stay with their owners.
void Instance_FreeAll();

// Instances waiting for work after the pass. Adding one that is already
// queued does nothing.
class InstanceQueue {
public:
    // True when the instance was added, false when it was already queued.
    bool AddUnique(CInstance* instance);
    bool Contains(const CInstance* instance) const;
    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
    CInstance* At(int32_t index) const { return m_items[static_cast<size_t>(index)]; }
    // Forgets the instance (it is being freed).
    void Remove(const CInstance* instance);
    void Clear() { m_items.clear(); }

private:
    std::vector<CInstance*> m_items;
};

// instance_change queues here; the step applies ApplyObjectChange to each.
InstanceQueue& Instance_ObjectChangeQueue();
// Instances to be put again at their depth: depth changes, object changes
// and instances carried in from another room. One list serves all three.
InstanceQueue& Instance_DepthChangeQueue();

// Not marked for destruction and not deactivated.
bool Instance_IsLive(const CInstance* instance);
// The instances an object index names, in the order writes reach them: the
// object's own and its descendants' instances, then those changing into it
// during this pass. Stops when visit answers false.
void Instance_ForEachOfObject(int32_t objectIndex, const std::function<bool(CInstance*)>& visit);

// After a pass: each queued object change in order, then the queue is empty.
void Run_ApplyObjectChanges();
// After a pass: every queued instance that is not deactivated leaves the
// current room's active list, then each goes in again by depth.
void Run_ApplyPendingInserts();

}  // namespace bw
