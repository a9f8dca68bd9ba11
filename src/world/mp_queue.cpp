#include "world/mp_queue.h"

#include <cstddef>
#include <vector>

namespace bw {

namespace {

constexpr int32_t kFirstCapacity = 4096;

struct CellQueue {
    std::vector<int32_t> ring;  // size is the capacity
    int32_t head = 0;
    int32_t tail = 0;
    int32_t count = 0;
};

CellQueue g_queue;

int32_t Mask()
{
    return static_cast<int32_t>(g_queue.ring.size()) - 1;
}

}  // namespace

void MPQueue_Reset()
{
    g_queue.head = 0;
    g_queue.tail = 0;
    g_queue.count = 0;
}

void MPQueue_Push(int32_t cell)
{
    // One slot always stays free, so head == tail means empty.
    if (g_queue.ring.empty() || ((g_queue.tail + 1) & Mask()) == g_queue.head) {
        MPQueue_Grow();
    }
    g_queue.ring[static_cast<std::size_t>(g_queue.tail)] = cell;
    g_queue.tail = (g_queue.tail + 1) & Mask();
    ++g_queue.count;
}

int32_t MPQueue_Pop()
{
    if (g_queue.count == 0) {
        return -1;
    }
    const int32_t cell = g_queue.ring[static_cast<std::size_t>(g_queue.head)];
    g_queue.head = (g_queue.head + 1) & Mask();
    --g_queue.count;
    return cell;
}

void MPQueue_Grow()
{
    const std::size_t capacity = g_queue.ring.empty() ? kFirstCapacity : g_queue.ring.size() * 2;
    std::vector<int32_t> ring(capacity);
    for (int32_t i = 0; i < g_queue.count; ++i) {
        ring[static_cast<std::size_t>(i)] = g_queue.ring[static_cast<std::size_t>((g_queue.head + i) & Mask())];
    }
    g_queue.ring.swap(ring);
    g_queue.head = 0;
    g_queue.tail = g_queue.count;
}

int32_t MPQueue_Count()
{
    return g_queue.count;
}

int32_t MPQueue_Capacity()
{
    return g_queue.ring.empty() ? -1 : static_cast<int32_t>(g_queue.ring.size());
}

void MPQueue_Free()
{
    g_queue = CellQueue{};
}

}  // namespace bw
