// The object record: the template of instances. It holds the defaults a new
// instance copies, the parent link, the physics settings, the event table
// (event type and number to compiled code) and the two instance lists that
// object selectors in game code address. Objects live in the object table,
// keyed by object index; indices may have holes after object_delete.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/hash.h"
#include "platform/linked_list.h"
#include "world/event.h"

namespace bw {

class CInstance;

inline constexpr uint32_t kObjectFlagSolid = 1u << 0;
inline constexpr uint32_t kObjectFlagVisible = 1u << 1;
inline constexpr uint32_t kObjectFlagPersistent = 1u << 2;

struct ObjectVertex {
    float x = 0.0f;
    float y = 0.0f;
};

// What the physics layer needs to give the object's instances a body. The
// defaults are those of a package that does not state the field.
struct ObjectPhysics {
    uint8_t enabled = 0;
    uint8_t sensor = 0;
    int32_t shape = 0;  // 0 circle (radius = x of the second vertex), 1 or 2 polygon
    int32_t group = 0;  // low 16 bits, as a signed group index
    float density = 0.0f;
    float restitution = 0.0f;
    float linearDamping = 0.0f;
    float angularDamping = 0.0f;
    float friction = 0.2f;
    uint8_t awake = 1;
    uint8_t kinematic = 0;
    std::vector<ObjectVertex> vertices;  // object space
};

class CObject {
public:
    explicit CObject(int32_t index);
    virtual ~CObject();
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    // Back to an empty object (visible only, no sprite, parent or mask, no
    // events, no physics); the instance lists are emptied, the instances
    // themselves stay with their owners.
    void Clear();
    // Fills the object from its OBJT record at recordOffset; the package
    // format decides which physics fields the record holds. Each event entry
    // read takes one from *entriesLeft: records may share lists, and the
    // budget keeps a crafted chunk from costing more than its size. False,
    // with the reason in *error, for anything that does not lie inside the
    // package, does not fit the event table or exceeds the budget. A
    // collision event is numbered by the other object, so its number must
    // be below objectCount, the package's object count.
    bool LoadFromChunk(const PackageView& package, uint32_t recordOffset, uint32_t format, uint32_t objectCount,
                       uint32_t* entriesLeft, std::string* error);

    void SetName(const char* text) { name = text != nullptr ? text : ""; }
    void TakeName(std::string&& text) { name = std::move(text); }

    // The object's own event, or null: a type outside the table, a number
    // beyond the type's array, an empty slot or an event without code.
    CEvent* GetEvent(int32_t type, int32_t number) const;
    // Puts the event in the object's own table (type within the table,
    // number >= 0), replacing what was there.
    void SetEvent(int32_t type, int32_t number, std::unique_ptr<CEvent> event);
    // The event as instances of this object see it: its own or the nearest
    // ancestor's; a collision with an object that nobody on the chain names
    // is looked up under the other object's ancestors, nearest first. *owner
    // (when given) receives the index of the object whose table held it.
    // The answer is kept until Object_EventsVersion moves: every event pass
    // and every drawn instance asks it.
    CEvent* FindEvent(int32_t type, int32_t number, int32_t* owner = nullptr) const;
    // The same answer, looked up in the tables each time (for walks over
    // every event of every object, which would only fill the kept answers).
    CEvent* LookUpEvent(int32_t type, int32_t number, int32_t* owner = nullptr) const;
    // The object's own chain only (no collision through the other object's
    // ancestors).
    bool HasEvent(int32_t type, int32_t number) const;
    // True when ancestor stands on the parent chain (the object itself does
    // not count).
    bool IsChildOf(int32_t ancestor) const;
    // Sets the parent index and resolves the parent pointer. The instances of
    // this object and its descendants move from the old ancestors'
    // descendant lists to the new ones'.
    void SetParent(int32_t parentIndex);
    // Compiles every event made from text; false at the first failure (it
    // has reported itself).
    bool Compile();

    // Appends the instance to its own list and to the descendant list of
    // this object and of every ancestor reached through the parent pointers.
    void AddInstance(CInstance* instance);
    // The reverse of AddInstance; the result of the last removal.
    bool RemoveInstance(CInstance* instance);

    uint32_t flags = kObjectFlagVisible;
    int32_t sprite = -1;
    int32_t depth = 0;
    int32_t parent = -1;  // parent object index; < 0 ends the chain
    int32_t mask = -1;    // -1: instances use their sprite as mask
    std::string name;
    int32_t index;
    ObjectPhysics physics;
    CObject* parentObject = nullptr;  // resolved parent, null when none

    // Per event type, indexed by event number; null slots are no event.
    // Changed through SetEvent, so that the kept answers of FindEvent go.
    std::array<std::vector<std::unique_ptr<CEvent>>, kEventTypeCount> events;

    SLinkedList<CInstance*> instances;            // whose object is this one
    SLinkedList<CInstance*> descendantInstances;  // of this object and its descendants

private:
    struct FoundEvent {
        CEvent* event = nullptr;
        int32_t owner = -1;
        bool known = false;
    };
    const FoundEvent& Found(int32_t type, int32_t number) const;

    // FindEvent's answers per type, by event number (numbers below
    // kEventNumberCount), valid while m_foundVersion is the current
    // Object_EventsVersion.
    mutable std::array<std::vector<FoundEvent>, kEventTypeCount> m_found;
    mutable uint64_t m_foundVersion = 0;
};

// Moves whenever an answer of CObject::FindEvent may change: an object
// joins or leaves the table, an event table, a parent or a whole object is
// changed. Walks that hold a found event check it after running game code.
uint64_t Object_EventsVersion();
// Whether any object has or inherits event (type, number), so that a pass
// over every instance for an event nobody has can be left out; the answer
// is kept until Object_EventsVersion moves.
bool Object_AnyHasEvent(int32_t type, int32_t number);

// The object table, keyed by object index. It owns the objects.
Hash<CObject*>& Object_Table();
// Takes ownership; the object count grows to cover the index. A second
// object under the same index shadows nothing: lookups find the first.
void Object_Insert(CObject* object);
CObject* Object_Find(int32_t index);
bool Object_Exists(int32_t index);
// The name, "<undefined>" for an absent index.
const char* Object_Name(int32_t index);
// The first object, in table order, with exactly that name; -1 when none.
int32_t Object_FindByName(const char* name);
// The highest index + 1 (the OBJT list's count, grown by Object_Add).
int32_t Object_Count();
// The OBJT list's count, empty slots at its end included.
void Object_SetCount(int32_t count);
// object_add: an empty object under the next index, named "__newobject"
// and that index; the index.
int32_t Object_Add();
// object_delete: the object goes; the count stays. Its instances keep
// their object index but lose the object, and its children lose their
// parent, so no instance or object is left pointing at it. False when the
// index is absent. The code running may be the object's own, or a pass
// may be walking its instance list: the object leaves the table at once,
// so nothing finds it and none of its events runs again, but it is freed
// only by Object_FreeDeleted.
bool Object_Delete(int32_t index);
// Frees the deleted objects; called where no game code runs.
void Object_FreeDeleted();
// Resolves every parent pointer whose index names an object.
void Object_LinkParents();
// Deletes every object, deleted ones still waiting included; the count is
// 0 again.
void Object_FreeAll();

}  // namespace bw
