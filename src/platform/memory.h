// The runner's allocator. Every block made by the runner's own code carries a
// 16-byte header with two magic words, so frees and reallocations can tell our
// blocks from foreign ones and process-wide counters stay exact. A freed
// block's magic words are overwritten, so that a second free of it is
// recognised and ignored instead of corrupting the heap (best effort: once the
// runtime heap has reused the memory, nothing of the header is left).
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

struct MemoryBlockHeader {
    uint32_t size;    // bytes requested, also for an aligned block: what the caller may use
    uint32_t magic1;  // kMemoryMagic1 while the block is live
    uint32_t magic2;  // kMemoryMagic2 while the block is live
    uint32_t reserved;
};
static_assert(sizeof(MemoryBlockHeader) == 16);

inline constexpr uint32_t kMemoryMagic1 = 0xDEADC0DEu;
inline constexpr uint32_t kMemoryMagic2 = 0xBAADB00Bu;

// Process-wide usage figures (bytes in use, its two companions kept in step,
// blocks in use, frames ticked). Read by the memory dump and the overlay.
// HTTP worker threads allocate too, so readers get a consistent snapshot.
struct MemoryCounters {
    uint32_t bytesInUse;
    uint32_t bytesTotalA;
    uint32_t bytesTotalB;
    uint32_t blocksInUse;
    uint32_t frame;
};
MemoryCounters MemoryManager_Counters();

// Size 0 gives null; any other size gives a block or ends the program with
// "Out of Memory!" (also for sizes a u32 cannot hold).
void* MemoryManager_Alloc(size_t size, const char* file, int line, bool clear);
// alignment: a power of two below 8192.
void* MemoryManager_AllocAligned(size_t size, size_t alignment, const char* file, int line, bool clear);
// Null is ignored; a pointer without our header goes to the runtime's free.
void MemoryManager_Free(void* ptr);
// Null gives a fresh zeroed block; size 0 frees. The result is a plain block
// (an aligned block loses its alignment) whose bytes past the old size are
// zeroed, whatever clear says. A plain block above 16 KB is resized where it
// lies when the runtime heap can (the old pointer may then stay valid); a
// smaller one always moves. A pointer that is not a live block of ours gives
// null and is left alone.
void* MemoryManager_Realloc(void* ptr, size_t size, const char* file, int line, bool clear);
void* MemoryManager_ReallocPtr(void** ptr, size_t size, const char* file, int line);
// The bytes the caller may use; 0 for null or a pointer that is not ours.
uint32_t MemoryManager_GetSize(const void* ptr);
void MemoryManager_DumpTotal();
void MemoryManager_Tick();
void MemoryManager_ReportStats();
[[noreturn]] void MemoryManager_OutOfMemory();
void MemoryManager_InstallNewHandler();
// An arena block straight from the runtime heap (release it with std::free):
// header {0, 0, 0, usable size}; null when not even 1 MB can be had.
MemoryBlockHeader* MemoryManager_ReserveBlock();
// Called once at start-up: large blocks stay in the runtime heap when freed
// instead of going back to the kernel, so making them again costs no page
// faults.
void MemoryManager_KeepLargeBlocksInHeap();

}  // namespace bw

// The caller's file and line go with every allocation.
#define BW_ALLOC(size, clear) ::bw::MemoryManager_Alloc((size), __FILE__, __LINE__, (clear))
#define BW_REALLOC(ptr, size, clear) ::bw::MemoryManager_Realloc((ptr), (size), __FILE__, __LINE__, (clear))
