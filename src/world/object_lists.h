// The per-event object lists and the collision pair list: what the event
// passes of the game step walk instead of asking every object whether it
// has an event. Both are rebuilt as a whole whenever the parent structure or
// the event tables change.
//
// The walk rule: a pass walks a snapshot. Object_EventList and
// Object_CollisionPairs hand out a view that keeps the lists it was taken
// from alive; game code run during the walk may rebuild the lists
// (object_set_parent, object_event_clear: a rebuild swaps in new storage)
// or delete an object, and the view the pass holds stays whole and
// unchanged until it is dropped. Hold the view for the whole pass: a
// range-for over the call does (the temporary lives as long as the loop).
// The lists hold object indices, not objects: an object deleted during the
// pass simply is not found (Object_Find gives null) and must be skipped.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "world/event.h"

namespace bw {

// Two objects between which a collision event is defined, lower index first.
struct ObjectPair {
    int32_t lower = 0;
    int32_t higher = 0;
};

struct ObjectEventLists {
    // Per (type, number), the objects that have or inherit the event,
    // ascending. Create, destroy and draw use number 0 only; alarms go to
    // 12, steps to 16, keyboard, mouse, other, key press and key release to
    // 128. Collisions have no per-number lists: see collisionPairs.
    std::array<std::array<std::vector<int32_t>, kEventNumberCount>, kEventTypeCount> byEvent;
    // Each unordered pair once, even when both objects name each other.
    std::vector<ObjectPair> collisionPairs;
};

// One list of the lists in force, kept alive as long as the view lives.
template <typename T>
class ObjectListView {
public:
    ObjectListView(std::shared_ptr<const ObjectEventLists> lists, const std::vector<T>& items)
        : m_lists(std::move(lists)), m_items(&items)
    {
    }
    typename std::vector<T>::const_iterator begin() const { return m_items->begin(); }
    typename std::vector<T>::const_iterator end() const { return m_items->end(); }
    int32_t Count() const { return static_cast<int32_t>(m_items->size()); }
    const T& operator[](int32_t at) const { return (*m_items)[static_cast<size_t>(at)]; }

private:
    std::shared_ptr<const ObjectEventLists> m_lists;
    const std::vector<T>* m_items;
};

// The objects listed for event (type, number); empty for a type or number
// outside the lists (collisions included).
ObjectListView<int32_t> Object_EventList(int32_t type, int32_t number);
// The pairs of objects between which the collision pass tests instances.
ObjectListView<ObjectPair> Object_CollisionPairs();
// Rebuilds both from the object table (game start, object_set_parent,
// object_event_clear).
void Object_BuildEventLists();
// Game end: the lists in force become empty.
void ObjectLists_Free();

}  // namespace bw
