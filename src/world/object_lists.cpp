#include "world/object_lists.h"

#include <algorithm>
#include <set>
#include <utility>

#include "world/object.h"

namespace bw {

namespace {

std::shared_ptr<const ObjectEventLists>& ListsInForce()
{
    static std::shared_ptr<const ObjectEventLists> lists = std::make_shared<const ObjectEventLists>();
    return lists;
}

// The highest event number each type gets lists for; -1: none (collisions
// have the pair list; type 11 is never raised).
constexpr std::array<int32_t, kEventTypeCount> kHighestListedNumber = {
    0,    // create
    0,    // destroy
    12,   // alarm
    16,   // step
    -1,   // collision
    128,  // keyboard
    128,  // mouse
    128,  // other
    0,    // draw
    128,  // key press
    128,  // key release
    -1,
};

void BuildCollisionPairs(std::vector<ObjectPair>* pairs)
{
    const int32_t count = Object_Count();
    std::set<std::pair<int32_t, int32_t>> seen;
    for (int32_t a = 0; a < count; ++a) {
        const CObject* object = Object_Find(a);
        if (object == nullptr) {
            continue;
        }
        for (int32_t b = 0; b < count; ++b) {
            if (object->LookUpEvent(kEventCollision, b) == nullptr) {
                continue;
            }
            const ObjectPair pair{std::min(a, b), std::max(a, b)};
            if (seen.emplace(pair.lower, pair.higher).second) {
                pairs->push_back(pair);
            }
        }
    }
}

}  // namespace

ObjectListView<int32_t> Object_EventList(int32_t type, int32_t number)
{
    static const std::vector<int32_t> kNone;
    std::shared_ptr<const ObjectEventLists> lists = ListsInForce();
    if (type < 0 || type >= kEventTypeCount || number < 0 || number >= kEventNumberCount) {
        return ObjectListView<int32_t>(std::move(lists), kNone);
    }
    const std::vector<int32_t>& listed = lists->byEvent[static_cast<size_t>(type)][static_cast<size_t>(number)];
    return ObjectListView<int32_t>(std::move(lists), listed);
}

ObjectListView<ObjectPair> Object_CollisionPairs()
{
    std::shared_ptr<const ObjectEventLists> lists = ListsInForce();
    const std::vector<ObjectPair>& pairs = lists->collisionPairs;
    return ObjectListView<ObjectPair>(std::move(lists), pairs);
}

void Object_BuildEventLists()
{
    auto lists = std::make_shared<ObjectEventLists>();
    const int32_t count = Object_Count();
    for (int32_t type = 0; type < kEventTypeCount; ++type) {
        for (int32_t number = 0; number <= kHighestListedNumber[static_cast<size_t>(type)]; ++number) {
            std::vector<int32_t>& listed = lists->byEvent[static_cast<size_t>(type)][static_cast<size_t>(number)];
            for (int32_t index = 0; index < count; ++index) {
                const CObject* object = Object_Find(index);
                if (object != nullptr && object->LookUpEvent(type, number) != nullptr) {
                    listed.push_back(index);
                }
            }
        }
    }
    BuildCollisionPairs(&lists->collisionPairs);
    ListsInForce() = std::move(lists);
}

void ObjectLists_Free()
{
    ListsInForce() = std::make_shared<const ObjectEventLists>();
}

}  // namespace bw
