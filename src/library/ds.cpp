#include "library/ds.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "script/arguments.h"
#include "library/ds_grid.h"
#include "library/ds_map.h"
#include "platform/random.h"
#include "script/error_report.h"

namespace bw {

namespace {

constexpr int32_t kGrowth = 16;
double g_precision = 1e-8;

// A flag counts only on a value that is a real in the low 16 bits of its kind.
bool IsFlaggedReal(const Value& value)
{
    return (value.kind & 0xFFFFu) == kValueReal;
}

// Makes room for one more entry after count.
void GrowForOne(ValueSlots& slots, int32_t count)
{
    if (count >= slots.Capacity()) {
        slots.Resize(count + kGrowth);
    }
}

}  // namespace

// ---- comparing values ----

int32_t DS_CompareValues(const Value& a, const Value& b)
{
    const uint32_t kindA = Value_Kind(a);
    const uint32_t kindB = Value_Kind(b);
    if (kindA == kValueReal && kindB == kValueReal) {
        const float difference = Real_ToSingle(a.real) - Real_ToSingle(b.real);
        if (g_precision > std::fabs(static_cast<double>(difference))) {
            return 0;
        }
        return difference < 0 ? -1 : 1;  // NaN: 1
    }
    if (kindA == kValueString && kindB == kValueString) {
        if (a.ptr == nullptr || b.ptr == nullptr) {
            return 1;
        }
        const int order = std::strcmp(Value_String(a), Value_String(b));  // compares as unsigned char
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    return 1;
}

void DS_SetPrecision(double epsilon)
{
    g_precision = std::fabs(epsilon);
}

double DS_GetPrecision()
{
    return g_precision;
}

bool DS_OwnsMap(const Value& value)
{
    return (value.kind & kValueFlagNestedMap) != 0 && IsFlaggedReal(value);
}

bool DS_OwnsList(const Value& value)
{
    return (value.kind & kValueFlagNestedList) != 0 && IsFlaggedReal(value);
}

DSNamedStructure DS_NamedStructure(const Value& value)
{
    const bool isMap = DS_OwnsMap(value);
    if (!isMap && !DS_OwnsList(value)) {
        return {false, 0, 0};
    }
    const int32_t id = Real_TruncToInt32(value.real);
    return {isMap, id, isMap ? DS_MapPool().Serial(id) : DS_ListPool().Serial(id)};
}

namespace {

uint64_t OwnedKey(const DSNamedStructure& named)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(named.id)) << 1) | (named.isMap ? 1u : 0u);
}

}  // namespace

void OwnedStructures::Adopt(const Value& value)
{
    const DSNamedStructure named = DS_NamedStructure(value);
    if (named.serial != 0) {
        m_serials[OwnedKey(named)] = named.serial;
    }
}

bool OwnedStructures::Owns(const Value& value) const
{
    const DSNamedStructure named = DS_NamedStructure(value);
    if (named.serial == 0) {
        return false;
    }
    const auto found = m_serials.find(OwnedKey(named));
    return found != m_serials.end() && found->second == named.serial;
}

void DS_StorePlain(Value& slot, const Value& value)
{
    Value_Copy(slot, value);
    slot.kind &= kValueKindMask;
}

// ---- ValueSlots ----

ValueSlots::~ValueSlots()
{
    Release();
}

ValueSlots::ValueSlots(ValueSlots&& other) noexcept : m_values(std::move(other.m_values))
{
    other.m_values.clear();
}

ValueSlots& ValueSlots::operator=(ValueSlots&& other) noexcept
{
    if (this != &other) {
        Release();
        m_values = std::move(other.m_values);
        other.m_values.clear();
    }
    return *this;
}

void ValueSlots::Resize(int32_t capacity)
{
    const size_t wanted = capacity > 0 ? static_cast<size_t>(capacity) : 0;
    for (size_t i = wanted; i < m_values.size(); ++i) {
        Value_Free(m_values[i]);
    }
    m_values.resize(wanted, Value{});
}

void ValueSlots::Release()
{
    Resize(0);
    m_values.shrink_to_fit();
}

void ValueSlots::CopyFrom(const ValueSlots& source)
{
    if (&source == this) {
        return;
    }
    Resize(source.Capacity());
    for (int32_t i = 0; i < source.Capacity(); ++i) {
        DS_StorePlain((*this)[i], source[i]);
    }
}

void ValueSlots::ClearSlot(int32_t i)
{
    Value_Free((*this)[i]);
    (*this)[i] = Value{};
}

// ---- stack ----

void CDS_Stack::Push(const Value& value)
{
    GrowForOne(m_items, m_count);
    Value_Copy(m_items[m_count++], value);
}

bool CDS_Stack::Pop(Value& out)
{
    if (m_count == 0) {
        return false;
    }
    Value_Free(out);
    out = m_items[--m_count];
    m_items[m_count] = Value{};
    return true;
}

const Value* CDS_Stack::Top() const
{
    return m_count > 0 ? &m_items[m_count - 1] : nullptr;
}

void CDS_Stack::Clear()
{
    m_items.Release();
    m_count = 0;
}

void CDS_Stack::Copy(const CDS_Stack& source)
{
    m_items.CopyFrom(source.m_items);
    m_count = source.m_count;
}

// ---- queue ----

void CDS_Queue::Enqueue(const Value& value)
{
    GrowForOne(m_items, m_tail);
    Value_Copy(m_items[m_tail++], value);
}

bool CDS_Queue::Dequeue(Value& out)
{
    if (Empty()) {
        return false;
    }
    Value_Copy(out, m_items[m_head++]);
    // Once more than half the used slots are spent, the live entries move
    // down so the queue does not creep through memory.
    if (m_head >= 17 && m_head > m_tail / 2) {
        for (int32_t i = 0; i < m_head; ++i) {
            m_items.ClearSlot(i);
        }
        const int32_t live = m_tail - m_head;
        for (int32_t i = 0; i < live; ++i) {
            m_items[i] = m_items[m_head + i];
            m_items[m_head + i] = Value{};
        }
        m_tail = live;
        m_head = 0;
    }
    return true;
}

const Value* CDS_Queue::Head() const
{
    return Empty() ? nullptr : &m_items[m_head];
}

const Value* CDS_Queue::Tail() const
{
    return Empty() ? nullptr : &m_items[m_tail - 1];
}

void CDS_Queue::Clear()
{
    m_items.Release();
    m_tail = 0;
    m_head = 0;
}

void CDS_Queue::Copy(const CDS_Queue& source)
{
    m_items.CopyFrom(source.m_items);
    m_tail = source.m_tail;
    m_head = source.m_head;
}

// ---- list ----

CDS_List::~CDS_List()
{
    Clear();
}

void CDS_List::Add(const Value& value)
{
    GrowForOne(m_items, m_count);
    Value_Copy(m_items[m_count++], value);
    m_owned.Adopt(value);
}

void CDS_List::Insert(int32_t position, const Value& value)
{
    if (position < 0 || position > m_count) {
        return;
    }
    GrowForOne(m_items, m_count);
    for (int32_t i = m_count; i > position; --i) {
        m_items[i] = m_items[i - 1];
    }
    m_items[position] = Value{};
    Value_Copy(m_items[position], value);
    ++m_count;
    m_owned.Adopt(value);
}

void CDS_List::Replace(int32_t position, const Value& value)
{
    if (position >= 0 && position < m_count) {
        Value_Copy(m_items[position], value);
        m_owned.Adopt(value);
    }
}

void CDS_List::Delete(int32_t position)
{
    if (position < 0 || position >= m_count) {
        return;
    }
    m_items.ClearSlot(position);
    for (int32_t i = position; i + 1 < m_count; ++i) {
        m_items[i] = m_items[i + 1];
    }
    m_items[--m_count] = Value{};
}

int32_t CDS_List::Find(const Value& value) const
{
    for (int32_t i = 0; i < m_count; ++i) {
        if (DS_CompareValues(m_items[i], value) == 0) {
            return i;
        }
    }
    return -1;
}

const Value* CDS_List::GetValue(int32_t position) const
{
    return position >= 0 && position < m_count ? &m_items[position] : nullptr;
}

void CDS_List::Sort(bool ascending)
{
    // The comparison is no strict order (a string and a real each beat the
    // other), so the outcome is that of this exact insertion sort.
    for (int32_t i = 1; i < m_count; ++i) {
        const Value entry = m_items[i];
        int32_t j = i;
        for (; j > 0; --j) {
            const int32_t order = DS_CompareValues(m_items[j - 1], entry);
            if (ascending ? order != 1 : order == 1) {
                break;
            }
            m_items[j] = m_items[j - 1];
        }
        m_items[j] = entry;
    }
}

void CDS_List::Shuffle()
{
    if (m_count == 0) {
        return;
    }
    for (int32_t swap = 0; swap < m_count * 8; ++swap) {
        const auto first = static_cast<int32_t>(Random_Int(m_count));
        const auto second = static_cast<int32_t>(Random_Int(m_count));
        std::swap(m_items[first], m_items[second]);
    }
}

void CDS_List::Clear()
{
    m_count = 0;
    for (int32_t i = 0; i < m_items.Capacity(); ++i) {
        DS_DestroyOwned(m_items[i], m_owned, this);
        m_items.ClearSlot(i);
    }
    m_owned.Forget();
}

void CDS_List::Copy(const CDS_List& source)
{
    m_items.CopyFrom(source.m_items);
    m_count = source.m_count;
}

// ---- priority queue ----

void CDS_Priority::Add(const Value& value, const Value& priority)
{
    if (m_count >= m_values.Capacity()) {
        m_values.Resize(m_count + kGrowth);
        m_priorities.Resize(m_count + kGrowth);
    }
    Value_Copy(m_values[m_count], value);
    Value_Copy(m_priorities[m_count], priority);
    ++m_count;
}

int32_t CDS_Priority::IndexOf(const Value& value) const
{
    for (int32_t i = 0; i < m_count; ++i) {
        if (DS_CompareValues(m_values[i], value) == 0) {
            return i;
        }
    }
    return -1;
}

void CDS_Priority::ChangePriority(const Value& value, const Value& priority)
{
    const int32_t index = IndexOf(value);
    if (index >= 0) {
        Value_Copy(m_priorities[index], priority);
    }
}

const Value* CDS_Priority::FindPriority(const Value& value) const
{
    const int32_t index = IndexOf(value);
    return index >= 0 ? &m_priorities[index] : nullptr;
}

void CDS_Priority::DeleteValue(const Value& value)
{
    const int32_t index = IndexOf(value);
    if (index >= 0) {
        Value removed{};
        RemoveAt(index, removed);
        Value_Free(removed);
    }
}

int32_t CDS_Priority::Extreme(int32_t better) const
{
    if (m_count == 0) {
        return -1;
    }
    int32_t chosen = 0;
    for (int32_t i = 1; i < m_count; ++i) {
        if (DS_CompareValues(m_priorities[i], m_priorities[chosen]) == better) {
            chosen = i;
        }
    }
    return chosen;
}

const Value* CDS_Priority::FindMin() const
{
    const int32_t index = Extreme(-1);
    return index >= 0 ? &m_values[index] : nullptr;
}

const Value* CDS_Priority::FindMax() const
{
    const int32_t index = Extreme(1);
    return index >= 0 ? &m_values[index] : nullptr;
}

void CDS_Priority::RemoveAt(int32_t index, Value& out)
{
    Value_Free(out);
    out = m_values[index];
    m_priorities.ClearSlot(index);
    const int32_t last = --m_count;
    m_values[index] = m_values[last];
    m_priorities[index] = m_priorities[last];
    if (last != index) {
        m_values[last] = Value{};
        m_priorities[last] = Value{};
    } else {
        m_values[index] = Value{};
    }
}

bool CDS_Priority::DeleteMin(Value& out)
{
    const int32_t index = Extreme(-1);
    if (index < 0) {
        return false;
    }
    RemoveAt(index, out);
    return true;
}

bool CDS_Priority::DeleteMax(Value& out)
{
    const int32_t index = Extreme(1);
    if (index < 0) {
        return false;
    }
    RemoveAt(index, out);
    return true;
}

void CDS_Priority::Clear()
{
    m_values.Release();
    m_priorities.Release();
    m_count = 0;
}

void CDS_Priority::Copy(const CDS_Priority& source)
{
    m_values.CopyFrom(source.m_values);
    m_priorities.CopyFrom(source.m_priorities);
    m_count = source.m_count;
}

// ---- pools ----
// The pools live until the process ends and are never destroyed by static
// finalisers: a list destroyed then would reach into a map pool that might
// already be gone. Shut-down empties them with DS_FreeAll.

DataStructurePool<CDS_Stack>& DS_StackPool()
{
    static DataStructurePool<CDS_Stack>& pool = *new DataStructurePool<CDS_Stack>;
    return pool;
}

DataStructurePool<CDS_Queue>& DS_QueuePool()
{
    static DataStructurePool<CDS_Queue>& pool = *new DataStructurePool<CDS_Queue>;
    return pool;
}

DataStructurePool<CDS_List>& DS_ListPool()
{
    static DataStructurePool<CDS_List>& pool = *new DataStructurePool<CDS_List>;
    return pool;
}

DataStructurePool<CDS_Priority>& DS_PriorityPool()
{
    static DataStructurePool<CDS_Priority>& pool = *new DataStructurePool<CDS_Priority>;
    return pool;
}

void DS_DestroyOwned(const Value& value, const OwnedStructures& owned, const void* owner)
{
    if (!owned.Owns(value)) {
        return;
    }
    const DSNamedStructure named = DS_NamedStructure(value);
    const void* structure = named.isMap ? static_cast<const void*>(DS_MapPool().Get(named.id))
                                        : static_cast<const void*>(DS_ListPool().Get(named.id));
    if (structure == owner) {
        return;
    }
    // Destroying a structure clears it, which lands back here for what it
    // owns. Those are queued and destroyed by the outermost call, so a deep
    // tree costs no stack and a structure named twice is gone the second time.
    static std::vector<DSNamedStructure> pending;
    static bool draining = false;
    pending.push_back(named);
    if (draining) {
        return;
    }
    draining = true;
    while (!pending.empty()) {
        const DSNamedStructure next = pending.back();
        pending.pop_back();
        if (next.isMap) {
            DS_MapPool().Destroy(next.id);
        } else {
            DS_ListPool().Destroy(next.id);
        }
    }
    draining = false;
}

void DS_FreeAll()
{
    DS_StackPool().DestroyAll();
    DS_QueuePool().DestroyAll();
    DS_ListPool().DestroyAll();
    DS_MapPool().DestroyAll();
    DS_PriorityPool().DestroyAll();
    DS_GridPool().DestroyAll();
}

// ---- entries for other subsystems ----

void DS_ReportMissing()
{
    Code_Error_Runtime("Data structure with index does not exist.", false);
}

int32_t DS_List_Create()
{
    return DS_ListPool().Create();
}

void DS_List_AddReal(int32_t list, double real)
{
    if (CDS_List* target = DS_ListPool().Get(list)) {
        Value value{};
        value.real = real;
        target->Add(value);
    }
}

void DS_List_AddString(int32_t list, const char* text)
{
    CDS_List* target = DS_ListPool().Get(list);
    if (target == nullptr) {
        DS_ReportMissing();
        return;
    }
    Value value{};
    Value_SetString(value, text);
    target->Add(value);
    Value_Free(value);
}

int32_t DS_Queue_Create()
{
    return DS_QueuePool().Create();
}

void DS_Queue_EnqueueValues(int32_t queue, std::span<const DSQueueItem> items)
{
    CDS_Queue* target = queue >= 0 ? DS_QueuePool().Get(queue) : nullptr;
    if (target == nullptr) {
        return;
    }
    for (const DSQueueItem& item : items) {
        Value value{};
        if (item.text != nullptr) {
            Value_SetString(value, item.text);
        } else {
            value.real = item.real;
        }
        target->Enqueue(value);
        Value_Free(value);
    }
}

bool DS_Queue_Dequeue(int32_t queue, Value* out)
{
    CDS_Queue* target = queue >= 0 ? DS_QueuePool().Get(queue) : nullptr;
    return target != nullptr && target->Dequeue(*out);
}

int32_t DS_Queue_Size(int32_t queue)
{
    const CDS_Queue* target = queue >= 0 ? DS_QueuePool().Get(queue) : nullptr;
    return target != nullptr ? target->Size() : 0;
}

void DS_Queue_Clear(int32_t queue)
{
    if (CDS_Queue* target = queue >= 0 ? DS_QueuePool().Get(queue) : nullptr) {
        target->Clear();
    }
}

void DS_Stack_Push(int32_t stack, const Value& value)
{
    CDS_Stack* target = DS_StackPool().Get(stack);
    if (target == nullptr) {
        DS_ReportMissing();
        return;
    }
    target->Push(value);
}

bool DS_Stack_Pop(int32_t stack, Value* out)
{
    CDS_Stack* target = DS_StackPool().Get(stack);
    if (target == nullptr) {
        DS_ReportMissing();
        return false;
    }
    return target->Pop(*out);
}

}  // namespace bw
