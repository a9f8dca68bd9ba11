// Game code's containers: stacks, queues, lists and priority queues (maps in
// ds_map.h, grids in ds_grid.h). Each lives in a pool of its kind and game
// code sees only its id, the index into that pool. Entries are script values
// held by deep copy.
//
// A real entry may carry a nested-structure flag in its kind word (set by
// json_decode): its real is then the id of a ds_map or ds_list that the entry
// owns, destroyed when the entry is cleared, for as long as that id holds the
// structure stored with it (OwnedStructures). Ownership is never copied: a
// container copied whole, and every entry handed out to game code, drops the
// flags, so no two entries ever own the same structure.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "script/value.h"

namespace bw {

// ---- comparing values ----

// -1, 0 or 1. Reals are compared in single precision and are equal when
// their difference is below the precision; strings byte-wise (an absent text
// is greater than anything); any other pair of kinds gives 1.
int32_t DS_CompareValues(const Value& a, const Value& b);
// The precision is |epsilon|; it starts at 1e-8 and is shared by all containers.
void DS_SetPrecision(double epsilon);
double DS_GetPrecision();

// Whether value carries the ds_map / ds_list flag; the flags count only on a
// value whose kind bits are those of a real. Whether the entry still owns
// what its id names is its container's to say (OwnedStructures).
bool DS_OwnsMap(const Value& value);
bool DS_OwnsList(const Value& value);

// The structure a flagged value names: the map flag wins over the list
// flag, the id is the real truncated, and serial is that of the structure
// lying at the id now (0: none does, or the value carries no flag).
struct DSNamedStructure {
    bool isMap;
    int32_t id;
    uint64_t serial;
};
DSNamedStructure DS_NamedStructure(const Value& value);

// The structures that a container's flagged entries own, each by the serial
// it had when its entry was stored. Ids are reused lowest first: once game
// code destroys an owned structure by hand, a structure of its own may take
// the id, and the old entry's flag must not reach it (an encode would print
// the game's structure, a destroy would take it away).
class OwnedStructures {
public:
    // A value has been stored: when it carries a flag, the structure its id
    // names now is owned from here on.
    void Adopt(const Value& value);
    // value carries a flag and its id still holds the structure adopted.
    bool Owns(const Value& value) const;
    void Forget() { m_serials.clear(); }

private:
    std::unordered_map<uint64_t, uint64_t> m_serials;  // kind and id -> serial
};

// ---- the slots of a container ----

// A run of values whose length is the container's capacity. New slots hold
// the real 0; dropped slots are freed.
class ValueSlots {
public:
    ValueSlots() = default;
    ~ValueSlots();
    ValueSlots(const ValueSlots&) = delete;
    ValueSlots& operator=(const ValueSlots&) = delete;
    ValueSlots(ValueSlots&& other) noexcept;
    ValueSlots& operator=(ValueSlots&& other) noexcept;

    int32_t Capacity() const { return static_cast<int32_t>(m_values.size()); }
    void Resize(int32_t capacity);
    // Frees every slot and leaves capacity 0.
    void Release();
    // Becomes a copy of source, capacity included, without ownership flags.
    void CopyFrom(const ValueSlots& source);
    // Frees slot i's payload and makes it the real 0.
    void ClearSlot(int32_t i);

    Value& operator[](int32_t i) { return m_values[static_cast<size_t>(i)]; }
    const Value& operator[](int32_t i) const { return m_values[static_cast<size_t>(i)]; }
    Value* Data() { return m_values.data(); }

private:
    std::vector<Value> m_values;
};

// Stores a copy of value in slot, without the ownership flags.
void DS_StorePlain(Value& slot, const Value& value);

// ---- the containers ----
// Arrays grow to (entries in use) + 16 when full, never by doubling; the text
// form of a queue writes every slot, so its capacity is part of what games store.

class CDS_Stack {
public:
    virtual ~CDS_Stack() = default;
    void Push(const Value& value);
    // Moves the top into out (its old payload freed); false when empty.
    bool Pop(Value& out);
    const Value* Top() const;
    bool Empty() const { return m_count == 0; }
    int32_t Size() const { return m_count; }
    void Clear();
    void Copy(const CDS_Stack& source);
    // The text forms (ds_text.cpp). A read of a text of another kind, or of
    // one whose counts the text cannot hold, changes nothing and gives false.
    std::string Write() const;
    bool ReadFromString(const char* text);

    int32_t m_count = 0;
    ValueSlots m_items;  // bottom first
};

class CDS_Queue {
public:
    virtual ~CDS_Queue() = default;
    void Enqueue(const Value& value);
    // Copies the head into out and advances past it; false when empty.
    bool Dequeue(Value& out);
    const Value* Head() const;
    const Value* Tail() const;
    bool Empty() const { return m_head == m_tail; }
    int32_t Size() const { return m_tail - m_head; }
    void Clear();
    void Copy(const CDS_Queue& source);
    std::string WriteToString() const;
    bool ReadFromString(const char* text);

    // Live entries are [head, tail); slots below head keep the entries
    // already handed out until the queue compacts.
    int32_t m_tail = 0;
    int32_t m_head = 0;
    ValueSlots m_items;
};

class CDS_List {
public:
    virtual ~CDS_List();
    void Add(const Value& value);
    // 0 <= position <= count, else nothing.
    void Insert(int32_t position, const Value& value);
    // 0 <= position < count, else nothing.
    void Replace(int32_t position, const Value& value);
    void Delete(int32_t position);
    int32_t Find(const Value& value) const;
    const Value* GetValue(int32_t position) const;
    // Insertion sort: ascending keeps equal entries in order, descending
    // reverses them.
    void Sort(bool ascending);
    void Shuffle();
    // Destroys the structures that entries own; the capacity stays.
    void Clear();
    bool Empty() const { return m_count == 0; }
    int32_t Size() const { return m_count; }
    void Copy(const CDS_List& source);
    std::string WriteToString() const;
    bool ReadFromString(const char* text);

    int32_t m_count = 0;
    ValueSlots m_items;
    OwnedStructures m_owned;
};

class CDS_Priority {
public:
    virtual ~CDS_Priority() = default;
    void Add(const Value& value, const Value& priority);
    void ChangePriority(const Value& value, const Value& priority);
    const Value* FindPriority(const Value& value) const;
    void DeleteValue(const Value& value);
    const Value* FindMin() const;
    const Value* FindMax() const;
    // Moves the chosen value into out; false when empty.
    bool DeleteMin(Value& out);
    bool DeleteMax(Value& out);
    void Clear();
    bool Empty() const { return m_count == 0; }
    int32_t Size() const { return m_count; }
    void Copy(const CDS_Priority& source);
    std::string WriteToString() const;
    bool ReadFromString(const char* text);

    int32_t m_count = 0;
    ValueSlots m_values;      // entry i is (m_values[i], m_priorities[i]);
    ValueSlots m_priorities;  // both keep the same capacity

private:
    int32_t IndexOf(const Value& value) const;
    // The first entry whose priority no later one beats; -1 when empty.
    int32_t Extreme(int32_t better) const;
    void RemoveAt(int32_t index, Value& out);
};

// ---- pools ----

// Creation takes the lowest free id; a destroyed id is free again. The pool
// never shrinks during a run.
template <typename T>
class DataStructurePool {
public:
    int32_t Add(std::unique_ptr<T> object)
    {
        size_t id = 0;
        while (id < m_slots.size() && m_slots[id] != nullptr) {
            ++id;
        }
        if (id == m_slots.size()) {
            m_slots.emplace_back();
            m_serials.emplace_back();
        }
        m_slots[id] = std::move(object);
        m_serials[id] = ++m_lastSerial;
        return static_cast<int32_t>(id);
    }
    int32_t Create() { return Add(std::make_unique<T>()); }
    T* Get(int32_t id) const { return InRange(id) ? m_slots[static_cast<size_t>(id)].get() : nullptr; }
    // Tells the object in a slot from one made later under the same id
    // (ids are reused at once, addresses often): a number no other object
    // of the pool had, 0 for an empty slot.
    uint64_t Serial(int32_t id) const { return Get(id) != nullptr ? m_serials[static_cast<size_t>(id)] : 0; }
    bool InRange(int32_t id) const { return id >= 0 && static_cast<size_t>(id) < m_slots.size(); }
    // Empties the slot and hands the object over (null for an empty slot).
    std::unique_ptr<T> Take(int32_t id) { return InRange(id) ? std::move(m_slots[static_cast<size_t>(id)]) : nullptr; }
    void Destroy(int32_t id) { Take(id).reset(); }
    // Shut-down: destroys every object, the highest id first.
    void DestroyAll()
    {
        while (!m_slots.empty()) {
            std::unique_ptr<T> last = std::move(m_slots.back());
            m_slots.pop_back();
            m_serials.pop_back();
        }
    }

private:
    std::vector<std::unique_ptr<T>> m_slots;
    std::vector<uint64_t> m_serials;  // of each slot's object
    uint64_t m_lastSerial = 0;
};

DataStructurePool<CDS_Stack>& DS_StackPool();
DataStructurePool<CDS_Queue>& DS_QueuePool();
DataStructurePool<CDS_List>& DS_ListPool();
DataStructurePool<CDS_Priority>& DS_PriorityPool();

// Destroys the ds_map or ds_list that value, an entry of owner, owns (a
// structure owner did not adopt, or owner itself, is left alone). Whole
// trees go without recursion, and a structure reached twice is destroyed once.
void DS_DestroyOwned(const Value& value, const OwnedStructures& owned, const void* owner);

// Destroys every data structure of every kind (shut-down, game restart).
void DS_FreeAll();

// ---- entries for other subsystems ----

struct DSQueueItem {
    double real;
    const char* text;  // the entry is this text when present, else the real
};
int32_t DS_List_Create();
// An invalid id does nothing.
void DS_List_AddReal(int32_t list, double real);
// An invalid id is reported as by the built-ins.
void DS_List_AddString(int32_t list, const char* text);
int32_t DS_Queue_Create();
// Negative ids are ignored by these four.
void DS_Queue_EnqueueValues(int32_t queue, std::span<const DSQueueItem> items);
bool DS_Queue_Dequeue(int32_t queue, Value* out);
int32_t DS_Queue_Size(int32_t queue);
void DS_Queue_Clear(int32_t queue);
// With the id check and message of the built-ins.
void DS_Stack_Push(int32_t stack, const Value& value);
bool DS_Stack_Pop(int32_t stack, Value* out);

// "Data structure with index does not exist." through the run-time reporter.
void DS_ReportMissing();

}  // namespace bw
