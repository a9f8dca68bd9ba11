// The object record, as far as instances need it today: the defaults a new
// instance copies, the parent link and the two instance lists that object
// selectors in game code address. Event tables, physics settings and the
// OBJT reader join this record with the rest of the object code.
#pragma once

#include <cstdint>
#include <string>

#include "platform/hash.h"
#include "platform/linked_list.h"

namespace bw {

class CInstance;

inline constexpr uint32_t kObjectFlagSolid = 1u << 0;
inline constexpr uint32_t kObjectFlagVisible = 1u << 1;
inline constexpr uint32_t kObjectFlagPersistent = 1u << 2;

class CObject {
public:
    explicit CObject(int32_t index) : index(index) {}
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

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
    CObject* parentObject = nullptr;  // resolved parent, null when none

    SLinkedList<CInstance*> instances;            // whose object is this one
    SLinkedList<CInstance*> descendantInstances;  // of this object and its descendants
};

// The object table, keyed by object index. It owns the objects.
Hash<CObject*>& Object_Table();
// Takes ownership; a second object under the same index shadows nothing:
// lookups find the first.
void Object_Insert(CObject* object);
CObject* Object_Find(int32_t index);
bool Object_Exists(int32_t index);
// Deletes every object and empties the table.
void Object_FreeAll();

}  // namespace bw
