#include "world/object.h"

namespace bw {

namespace {

// Ancestors are followed through the resolved pointers; a cycle would loop
// forever, so the walk stops after as many steps as there are objects.
template <typename Visit>
void ForSelfAndAncestors(CObject* object, Visit&& visit)
{
    int32_t stepsLeft = Object_Table().Count() + 1;
    for (CObject* at = object; at != nullptr && stepsLeft-- > 0; at = at->parentObject) {
        visit(*at);
    }
}

}  // namespace

void CObject::AddInstance(CInstance* instance)
{
    instances.Append(instance);
    ForSelfAndAncestors(this, [instance](CObject& at) { at.descendantInstances.Append(instance); });
}

bool CObject::RemoveInstance(CInstance* instance)
{
    bool removed = instances.Remove(instance);
    ForSelfAndAncestors(this, [instance, &removed](CObject& at) { removed = at.descendantInstances.Remove(instance); });
    return removed;
}

Hash<CObject*>& Object_Table()
{
    static Hash<CObject*> table(512);
    return table;
}

void Object_Insert(CObject* object)
{
    Object_Table().Insert(static_cast<uint32_t>(object->index), object);
}

CObject* Object_Find(int32_t index)
{
    if (index < 0) {
        return nullptr;
    }
    CObject** found = Object_Table().Find(static_cast<uint32_t>(index));
    return found != nullptr ? *found : nullptr;
}

bool Object_Exists(int32_t index)
{
    return Object_Find(index) != nullptr;
}

void Object_FreeAll()
{
    Object_Table().Clear([](CObject*& object) { delete object; });
}

}  // namespace bw
