// The walk every event pass takes: each instance of each object listed for
// the event (object_lists.h), in the objects' list order. The event is
// looked up once per object, not once per instance, and again only when
// game code run by the pass changed the objects (Object_EventsVersion).
#pragma once

#include <cstdint>

#include "world/instance.h"
#include "world/object.h"
#include "world/object_lists.h"

namespace bw {

class CEvent;

// The event (type, number) as the instances listed under one object run it.
class ListedEvent {
public:
    ListedEvent(const CObject& object, int32_t type, int32_t number);
    // Performs it on the instance, one of the object's own. An instance
    // changing into another object during this pass (still on the old
    // object's list) runs its new object's event, as any other perform
    // would. False when game code deleted the object, and so the instance
    // list the walk is in.
    bool PerformOn(CInstance* instance);

private:
    void LookUp();

    const CObject* m_object;
    int32_t m_index;
    int32_t m_type;
    int32_t m_number;
    CEvent* m_event = nullptr;
    int32_t m_owner = -1;
    uint64_t m_version = 0;
};

// A pass leaves out destroyed and deactivated instances, and those made
// after the pass began (their creation stamp is later than its stamp).
inline bool Pass_Skips(const CInstance& instance, uint64_t stamp)
{
    return instance.i_marked || instance.i_deactivated || instance.i_createstamp > stamp;
}

// stampFor() is called once per listed object and gives the pass stamp its
// instances are held to; takes(instance) decides for those the pass does
// not skip.
// The next instance is taken before the event runs, so an instance the
// event makes is still reached (and skipped by its stamp). The walk holds
// the object lists it started with, so game code that rebuilds them
// cannot pull them away mid-walk.
template <typename StampFor, typename Takes>
void Event_PerformOnListed(int32_t type, int32_t number, StampFor&& stampFor, Takes&& takes)
{
    for (const int32_t objectIndex : Object_EventList(type, number)) {
        const CObject* object = Object_Find(objectIndex);
        if (object == nullptr) {
            continue;
        }
        const uint64_t stamp = stampFor();
        ListedEvent event(*object, type, number);
        for (auto at = object->instances.begin(); at != object->instances.end();) {
            CInstance* instance = *at;
            ++at;
            if (at != object->instances.end()) {
                Instance_Prefetch(*at);
            }
            if (Pass_Skips(*instance, stamp) || !takes(*instance)) {
                continue;
            }
            if (!event.PerformOn(instance)) {
                break;
            }
        }
    }
}

}  // namespace bw
