#include "world/instance_table.h"

#include <algorithm>

#include "world/instance.h"
#include "world/object.h"
#include "world/room.h"

namespace bw {

uint64_t EventPassStamp = 0;

Hash<CInstance*>& Instance_Table()
{
    static Hash<CInstance*> table(512);
    return table;
}

void InstanceHash_Insert(int32_t id, CInstance* instance)
{
    Instance_Table().Insert(static_cast<uint32_t>(id), instance);
}

CInstance* Instance_Find(int32_t id)
{
    CInstance** found = Instance_Table().Find(static_cast<uint32_t>(id));
    return found != nullptr ? *found : nullptr;
}

bool InstanceHash_Remove(int32_t id, CInstance* instance)
{
    // Ids can repeat (room duplicates, ids from the package): the node must
    // be the one of this instance, not merely the first of its id.
    return Instance_Table().Delete(static_cast<uint32_t>(id), instance);
}

bool Instance_IsLive(const CInstance* instance)
{
    return instance != nullptr && !instance->i_marked && !instance->i_deactivated;
}

void Instance_ForEachOfObject(int32_t objectIndex, const std::function<bool(CInstance*)>& visit)
{
    if (const CObject* object = Object_Find(objectIndex)) {
        for (CInstance* instance : object->descendantInstances) {
            if (!visit(instance)) {
                return;
            }
        }
    }
    const InstanceQueue& changing = Instance_ObjectChangeQueue();
    for (int32_t at = 0; at < changing.Count(); ++at) {
        CInstance* instance = changing.At(at);
        if (instance->i_objindex == objectIndex && !visit(instance)) {
            return;
        }
    }
}

void Instance_FreeAll()
{
    Instance_Table().Clear();
}

bool InstanceQueue::AddUnique(CInstance* instance)
{
    if (Contains(instance)) {
        return false;
    }
    m_items.push_back(instance);
    return true;
}

bool InstanceQueue::Contains(const CInstance* instance) const
{
    return std::find(m_items.begin(), m_items.end(), instance) != m_items.end();
}

void InstanceQueue::Remove(const CInstance* instance)
{
    m_items.erase(std::remove(m_items.begin(), m_items.end(), instance), m_items.end());
}

InstanceQueue& Instance_ObjectChangeQueue()
{
    static InstanceQueue queue;
    return queue;
}

InstanceQueue& Instance_DepthChangeQueue()
{
    static InstanceQueue queue;
    return queue;
}

void Run_ApplyObjectChanges()
{
    InstanceQueue& queue = Instance_ObjectChangeQueue();
    for (int32_t at = 0; at < queue.Count(); ++at) {
        queue.At(at)->ApplyObjectChange();
    }
    queue.Clear();
}

void Run_ApplyPendingInserts()
{
    InstanceQueue& queue = Instance_DepthChangeQueue();
    CRoom* room = Room_Current();
    if (room != nullptr) {
        std::vector<CInstance*> moving;
        for (int32_t at = 0; at < queue.Count(); ++at) {
            CInstance* instance = queue.At(at);
            if (!instance->i_deactivated && room->activeInstances.Unlink(instance)) {
                moving.push_back(instance);
            }
        }
        for (CInstance* instance : moving) {
            room->activeInstances.InsertByDepth(instance);
        }
    }
    queue.Clear();
}

}  // namespace bw
