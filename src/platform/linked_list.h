// The doubly linked list behind an object's two instance lists. Items are
// appended at the tail; event passes walk from the head and drawing from the
// tail, so both directions are offered.
#pragma once

#include <algorithm>
#include <cstdint>
#include <list>
#include <utility>

namespace bw {

template <typename T>
class SLinkedList {
public:
    using const_iterator = typename std::list<T>::const_iterator;
    using const_reverse_iterator = typename std::list<T>::const_reverse_iterator;

    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }

    void Append(T item) { m_items.push_back(std::move(item)); }

    // Unlinks the first node holding the item; false when none does.
    bool Remove(const T& item)
    {
        const auto node = std::find(m_items.begin(), m_items.end(), item);
        if (node == m_items.end()) {
            return false;
        }
        m_items.erase(node);
        return true;
    }

    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }
    const_reverse_iterator rbegin() const { return m_items.rbegin(); }
    const_reverse_iterator rend() const { return m_items.rend(); }

private:
    std::list<T> m_items;
};

}  // namespace bw
