// The breadth-first queue of the grid planner: a ring of cell indices whose
// capacity is a power of two. One queue serves every grid; it only grows, so
// once it is large enough a search allocates nothing.
#pragma once

#include <cstdint>

namespace bw {

// Empties the queue; keeps its storage.
void MPQueue_Reset();
// Appends a cell, growing the ring first when it is full.
void MPQueue_Push(int32_t cell);
// The oldest cell, or -1 when the queue is empty.
int32_t MPQueue_Pop();
// 4096 entries at first, then twice as many each time; the contents move to
// the start of the new ring in queue order.
void MPQueue_Grow();
int32_t MPQueue_Count();
int32_t MPQueue_Capacity();  // -1 before the first growth
// Releases the storage (game end).
void MPQueue_Free();

}  // namespace bw
