#include "world/object.h"

#include <memory>
#include <string>
#include <vector>

#include "world/game_state.h"
#include "world/instance.h"
#include "world/instance_table.h"
#include "world/room.h"
#include "world/room_table.h"

namespace bw {

namespace {

int32_t g_objectCount = 0;
uint64_t g_eventsVersion = 1;  // objects start at 0: their first question fills

void EventsChanged()
{
    ++g_eventsVersion;
}

// Deleted objects, out of the table but not yet freed: the event code that
// deleted one may still be running it, and the scratch instance of room or
// constant code may still name it.
std::vector<std::unique_ptr<CObject>>& DeletedObjects()
{
    // Never destroyed by static finalisers, which may run after what an
    // object's events need.
    static auto& deleted = *new std::vector<std::unique_ptr<CObject>>;
    return deleted;
}

constexpr int32_t kObjectIndexLimit = 100000;  // parent indices at or above this resolve to nothing

// A parent chain in a package may loop; every walk up a chain takes at most
// as many steps as there are objects, so a loop ends instead of hanging.
int32_t ChainStepLimit()
{
    return Object_Table().Count() + 1;
}

// Ancestors are followed through the resolved pointers.
template <typename Visit>
void ForSelfAndAncestors(CObject* object, Visit&& visit)
{
    int32_t stepsLeft = ChainStepLimit();
    for (CObject* at = object; at != nullptr && stepsLeft-- > 0; at = at->parentObject) {
        visit(*at);
    }
}

// The first object on the chain from start (itself, then its parent by
// index, ...) whose own event (type, number) is present.
CEvent* FindOnChain(const CObject& start, int32_t type, int32_t number, int32_t* owner)
{
    int32_t stepsLeft = ChainStepLimit();
    for (const CObject* at = &start; at != nullptr && stepsLeft-- > 0; at = Object_Find(at->parent)) {
        if (CEvent* event = at->GetEvent(type, number)) {
            if (owner != nullptr) {
                *owner = at->index;
            }
            return event;
        }
    }
    return nullptr;
}

// The instances of the object and its descendants leave (or join) the
// descendant lists of every ancestor above the object.
void DetachFromAncestors(CObject& object)
{
    for (CInstance* instance : object.descendantInstances) {
        ForSelfAndAncestors(object.parentObject, [instance](CObject& at) { at.descendantInstances.Remove(instance); });
    }
}

void AttachToAncestors(CObject& object)
{
    for (CInstance* instance : object.descendantInstances) {
        ForSelfAndAncestors(object.parentObject, [instance](CObject& at) { at.descendantInstances.Append(instance); });
    }
}

}  // namespace

CObject::CObject(int32_t index) : index(index) {}

CObject::~CObject() = default;

void CObject::Clear()
{
    flags = kObjectFlagVisible;
    sprite = -1;
    parent = -1;
    mask = -1;
    depth = 0;
    parentObject = nullptr;
    name.clear();
    physics = ObjectPhysics{};
    for (auto& slots : events) {
        slots.clear();
    }
    EventsChanged();
    instances = SLinkedList<CInstance*>{};
    descendantInstances = SLinkedList<CInstance*>{};
}

CEvent* CObject::GetEvent(int32_t type, int32_t number) const
{
    if (type < 0 || type >= kEventTypeCount || number < 0) {
        return nullptr;
    }
    const auto& slots = events[static_cast<size_t>(type)];
    if (static_cast<size_t>(number) >= slots.size()) {
        return nullptr;
    }
    CEvent* event = slots[static_cast<size_t>(number)].get();
    return event != nullptr && event->IsPresent() ? event : nullptr;
}

void CObject::SetEvent(int32_t type, int32_t number, std::unique_ptr<CEvent> event)
{
    auto& slots = events[static_cast<size_t>(type)];
    if (static_cast<size_t>(number) >= slots.size()) {
        slots.resize(static_cast<size_t>(number) + 1);
    }
    slots[static_cast<size_t>(number)] = std::move(event);
    EventsChanged();
}

const CObject::FoundEvent& CObject::Found(int32_t type, int32_t number) const
{
    if (m_foundVersion != g_eventsVersion) {
        for (auto& answers : m_found) {
            answers.clear();
        }
        m_foundVersion = g_eventsVersion;
    }
    auto& answers = m_found[static_cast<size_t>(type)];
    if (static_cast<size_t>(number) >= answers.size()) {
        answers.resize(static_cast<size_t>(number) + 1);
    }
    FoundEvent& found = answers[static_cast<size_t>(number)];
    if (!found.known) {
        found.event = LookUpEvent(type, number, &found.owner);
        found.known = true;
    }
    return found;
}

CEvent* CObject::FindEvent(int32_t type, int32_t number, int32_t* owner) const
{
    if (type < 0 || type >= kEventTypeCount || number < 0 || number >= kEventNumberCount) {
        return LookUpEvent(type, number, owner);
    }
    const FoundEvent& found = Found(type, number);
    if (found.event != nullptr && owner != nullptr) {
        *owner = found.owner;
    }
    return found.event;
}

CEvent* CObject::LookUpEvent(int32_t type, int32_t number, int32_t* owner) const
{
    if (CEvent* event = FindOnChain(*this, type, number, owner)) {
        return event;
    }
    if (type != kEventCollision) {
        return nullptr;
    }
    // A collision with a descendant of an object named on this chain: the
    // other object's nearer ancestors win.
    const CObject* other = Object_Find(number);
    int32_t stepsLeft = ChainStepLimit();
    for (const CObject* ancestor = other != nullptr ? Object_Find(other->parent) : nullptr;
         ancestor != nullptr && stepsLeft-- > 0; ancestor = Object_Find(ancestor->parent)) {
        if (CEvent* event = FindOnChain(*this, kEventCollision, ancestor->index, owner)) {
            return event;
        }
    }
    return nullptr;
}

bool CObject::HasEvent(int32_t type, int32_t number) const
{
    if (type == kEventCollision) {
        return FindOnChain(*this, type, number, nullptr) != nullptr;
    }
    return FindEvent(type, number) != nullptr;
}

bool CObject::IsChildOf(int32_t ancestor) const
{
    int32_t stepsLeft = ChainStepLimit();
    for (const CObject* at = Object_Find(parent); at != nullptr && stepsLeft-- > 0; at = Object_Find(at->parent)) {
        if (at->index == ancestor) {
            return true;
        }
    }
    return false;
}

void CObject::SetParent(int32_t parentIndex)
{
    DetachFromAncestors(*this);
    parent = parentIndex;
    parentObject = Object_Find(parentIndex);
    AttachToAncestors(*this);
    EventsChanged();
}

bool CObject::Compile()
{
    CurrentEvent& current = Event_Current();
    for (int32_t type = 0; type < kEventTypeCount; ++type) {
        const auto& slots = events[static_cast<size_t>(type)];
        for (size_t number = 0; number < slots.size(); ++number) {
            if (slots[number] == nullptr) {
                continue;
            }
            current.type = type;
            current.number = static_cast<int32_t>(number);
            if (!Event_CompileAction(slots[number].get())) {
                return false;
            }
        }
    }
    return true;
}

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
    if (object->index >= g_objectCount) {
        g_objectCount = object->index + 1;
    }
    EventsChanged();
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

const char* Object_Name(int32_t index)
{
    const CObject* object = Object_Find(index);
    return object != nullptr ? object->name.c_str() : "<undefined>";
}

int32_t Object_FindByName(const char* name)
{
    if (name == nullptr) {
        return -1;
    }
    for (const auto& node : Object_Table()) {
        if (node.value != nullptr && node.value->name == name) {
            return node.value->index;
        }
    }
    return -1;
}

int32_t Object_Count()
{
    return g_objectCount;
}

void Object_SetCount(int32_t count)
{
    g_objectCount = count;
}

int32_t Object_Add()
{
    const int32_t index = g_objectCount;
    auto* object = new CObject(index);
    object->TakeName("__newobject" + std::to_string(index));
    Object_Insert(object);
    return index;
}

bool Object_Delete(int32_t index)
{
    CObject* object = Object_Find(index);
    if (object == nullptr) {
        return false;
    }
    const std::vector<CInstance*> own(object->instances.begin(), object->instances.end());
    for (CInstance* instance : own) {
        object->RemoveInstance(instance);
        if (instance->i_object == object) {
            instance->i_object = nullptr;
        }
    }
    for (const auto& node : Object_Table()) {
        CObject* child = node.value;
        if (child != nullptr && child->parentObject == object) {
            DetachFromAncestors(*child);
            child->parentObject = nullptr;
        }
    }
    // Instances off the object's list still point at it: those deactivated,
    // those of kept rooms not being played, and those whose change queued
    // in this pass leads into or out of it.
    auto forget = [object](CInstance* instance) {
        if (instance->i_object == object) {
            instance->i_object = nullptr;
        }
        if (instance->i_prevobject == object) {
            instance->i_prevobject = nullptr;
        }
    };
    auto forgetInRoom = [&forget](const CRoom* room) {
        if (room == nullptr) {
            return;
        }
        for (const InstanceList* list : {&room->activeInstances, &room->deactivatedInstances}) {
            for (CInstance* instance = list->First(); instance != nullptr; instance = instance->i_next) {
                forget(instance);
            }
        }
    };
    forgetInRoom(Room_Current());
    for (int32_t room = 0; room < Room_Count(); ++room) {
        forgetInRoom(Room_Get(room));
    }
    const InstanceQueue& changing = Instance_ObjectChangeQueue();
    for (int32_t at = 0; at < changing.Count(); ++at) {
        forget(changing.At(at));
    }
    Object_Table().Delete(static_cast<uint32_t>(index), object);
    DeletedObjects().emplace_back(object);
    EventsChanged();
    return true;
}

void Object_FreeDeleted()
{
    DeletedObjects().clear();
}

void Object_LinkParents()
{
    for (const auto& node : Object_Table()) {
        CObject* object = node.value;
        if (object == nullptr || object->parent < 0 || object->parent >= kObjectIndexLimit) {
            continue;
        }
        if (CObject* parent = Object_Find(object->parent)) {
            object->parentObject = parent;
        }
    }
    EventsChanged();
}

void Object_FreeAll()
{
    Object_Table().Clear([](CObject*& object) { delete object; });
    Object_FreeDeleted();
    g_objectCount = 0;
    EventsChanged();
}

uint64_t Object_EventsVersion()
{
    return g_eventsVersion;
}

bool Object_AnyHasEvent(int32_t type, int32_t number)
{
    struct Answer {
        int32_t type;
        int32_t number;
        bool any;
    };
    static std::vector<Answer> answers;
    static uint64_t answersVersion = 0;
    if (answersVersion != g_eventsVersion) {
        answers.clear();
        answersVersion = g_eventsVersion;
    }
    for (const Answer& answer : answers) {
        if (answer.type == type && answer.number == number) {
            return answer.any;
        }
    }
    bool any = false;
    for (const auto& node : Object_Table()) {
        if (node.value != nullptr && node.value->HasEvent(type, number)) {
            any = true;
            break;
        }
    }
    answers.push_back({type, number, any});
    return any;
}

}  // namespace bw
