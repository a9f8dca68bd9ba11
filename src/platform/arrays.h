// The array templates behind the resource tables and their record arrays
// (timelines and their moments, the DLL function table, extension records):
// {length, items}. Tables are indexed by id, so removing an item moves the
// later ones down one place and leaves the last slot empty instead of
// shortening the array.
//   cARRAY_CLASS<T>            owns its objects (deleted when dropped)
//   cARRAY_CLASS_NO_DELETE<T>  pointers to objects owned elsewhere
//   cARRAY_STRUCTURE<T>        plain records held by value
//   cARRAY_MEMORY<T>           owns memory-manager blocks (freed when dropped)
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/memory.h"

namespace bw {

namespace detail {

template <typename Slot>
class ArrayStorage {
public:
    int32_t Length() const { return static_cast<int32_t>(m_items.size()); }

    // New slots are empty (null, or a value-initialised record); dropped
    // slots release what they own. A negative length empties the array.
    void SetLength(int32_t length) { m_items.resize(length > 0 ? static_cast<size_t>(length) : 0); }

    // Releases the item at index; out of range does nothing.
    void RemoveAt(int32_t index)
    {
        if (!InRange(index)) {
            return;
        }
        std::move(m_items.begin() + index + 1, m_items.end(), m_items.begin() + index);
        m_items.back() = Slot{};
    }

protected:
    bool InRange(int32_t index) const { return index >= 0 && index < Length(); }

    std::vector<Slot> m_items;
};

// Slot is a raw pointer (not owning) or a std::unique_ptr (owning).
template <typename T, typename Slot>
class PointerArray : public ArrayStorage<Slot> {
public:
    // Null for an empty slot or an index out of range.
    T* Get(int32_t index) const
    {
        if (!this->InRange(index)) {
            return nullptr;
        }
        if constexpr (std::is_pointer_v<Slot>) {
            return this->m_items[static_cast<size_t>(index)];
        } else {
            return this->m_items[static_cast<size_t>(index)].get();
        }
    }

    // Replaces (and, when owning, releases) the item at index. Out of range
    // the item is not kept: an owned one is released at once.
    void Set(int32_t index, Slot item)
    {
        if (this->InRange(index)) {
            this->m_items[static_cast<size_t>(index)] = std::move(item);
        }
    }
};

struct MemoryManagerFree {
    void operator()(void* block) const { MemoryManager_Free(block); }
};

}  // namespace detail

template <typename T>
using cARRAY_CLASS = detail::PointerArray<T, std::unique_ptr<T>>;

template <typename T>
using cARRAY_CLASS_NO_DELETE = detail::PointerArray<T, T*>;

// A block handed to a cARRAY_MEMORY.
template <typename T>
using MemoryBlockPtr = std::unique_ptr<T, detail::MemoryManagerFree>;

template <typename T>
using cARRAY_MEMORY = detail::PointerArray<T, MemoryBlockPtr<T>>;

template <typename T>
class cARRAY_STRUCTURE : public detail::ArrayStorage<T> {
public:
    // index must lie in 0 .. Length() - 1.
    T& operator[](int32_t index) { return this->m_items[static_cast<size_t>(index)]; }
    const T& operator[](int32_t index) const { return this->m_items[static_cast<size_t>(index)]; }
};

}  // namespace bw
