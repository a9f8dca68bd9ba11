#include "platform/memory.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <malloc.h>
#include <mutex>
#include <new>
#include <utility>

#include "host/message_box.h"
#include "platform/console.h"

namespace bw {

namespace {

// Written over both magic words when a block is freed.
constexpr uint32_t kFreedMagic = 0xFEEEFEEEu;

// The word before an aligned pointer that had to move forward: this flag
// with the distance from the end of the header.
constexpr uint32_t kAlignedOffsetFlag = 0x80000000u;
constexpr size_t kAlignmentLimit = 0x2000;

constexpr size_t kLargestBlock = std::numeric_limits<uint32_t>::max();

constexpr size_t kReserveSize = 0x4000000;
constexpr size_t kSmallestReserve = 0x100000;

// The runtime heap writes its own bookkeeping over the first bytes of a block
// it takes back, which is exactly where our header lies. So the most recent
// small frees are held back for a while with their headers poisoned: a second
// free of one of them (the usual shape of that mistake) finds the poison.
// Large blocks go back at once, so the hold costs at most 1 MB.
constexpr size_t kHeldBlocks = 64;
constexpr uint32_t kLargestHeldBlock = 16 * 1024;

// The runtime heap maps blocks from 128 KB up of their own and gives them
// back to the kernel when freed, and trims the heap's top as soon as 128 KB
// of it are free; a script that makes a large array again each frame would
// then fault every page of it in again each time. Blocks up to the largest
// threshold the runtime accepts stay in the heap, and up to 64 MB of free
// top is kept for the next one.
constexpr int kLargestMappedThreshold = 32 * 1024 * 1024;
constexpr int kHeapTrimThreshold = 64 * 1024 * 1024;

struct ManagerState {
    std::mutex lock;
    MemoryCounters counters{};
    std::array<MemoryBlockHeader*, kHeldBlocks> held{};
    size_t nextHeld = 0;
};

// Never destroyed: static destructors of other modules may still free.
ManagerState& State()
{
    static ManagerState& state = *new ManagerState;
    return state;
}

enum class BlockKind { Live, Freed, Foreign };

struct BlockLookup {
    BlockKind kind;
    MemoryBlockHeader* header;
};

// Foreign pointers need not be aligned, so the words are copied out.
BlockKind KindOfHeaderAt(uintptr_t address)
{
    MemoryBlockHeader header;
    std::memcpy(&header, reinterpret_cast<const void*>(address), sizeof header);
    if (header.magic1 == kMemoryMagic1 && header.magic2 == kMemoryMagic2) {
        return BlockKind::Live;
    }
    if (header.magic1 == kFreedMagic && header.magic2 == kFreedMagic) {
        return BlockKind::Freed;
    }
    return BlockKind::Foreign;
}

BlockLookup LookUpBlock(const void* ptr)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(ptr);
    const uintptr_t direct = address - sizeof(MemoryBlockHeader);
    BlockKind kind = KindOfHeaderAt(direct);
    if (kind != BlockKind::Foreign) {
        return {kind, reinterpret_cast<MemoryBlockHeader*>(direct)};
    }
    uint32_t offsetWord;
    std::memcpy(&offsetWord, reinterpret_cast<const void*>(address - sizeof offsetWord), sizeof offsetWord);
    const uint32_t distance = offsetWord & ~kAlignedOffsetFlag;
    if ((offsetWord & kAlignedOffsetFlag) != 0 && distance < kAlignmentLimit) {
        const uintptr_t moved = direct - distance;
        kind = KindOfHeaderAt(moved);
        if (kind != BlockKind::Foreign) {
            return {kind, reinterpret_cast<MemoryBlockHeader*>(moved)};
        }
    }
    return {BlockKind::Foreign, nullptr};
}

// Moves the three byte counters together, with the lock held. They count
// modulo 2^32, so a shrink or a release adds the two's complement.
void AddBytes(MemoryCounters& counters, uint32_t bytes)
{
    counters.bytesInUse += bytes;
    counters.bytesTotalA += bytes;
    counters.bytesTotalB += bytes;
}

// A block of size usable bytes after its header, with room for slack more.
MemoryBlockHeader* NewBlock(size_t size, size_t slack)
{
    if (size > kLargestBlock) {
        MemoryManager_OutOfMemory();
    }
    auto* header = static_cast<MemoryBlockHeader*>(std::malloc(sizeof(MemoryBlockHeader) + size + slack));
    if (header == nullptr) {
        MemoryManager_OutOfMemory();
    }
    *header = {static_cast<uint32_t>(size), kMemoryMagic1, kMemoryMagic2, 0};
    ManagerState& state = State();
    const std::lock_guard guard(state.lock);
    AddBytes(state.counters, header->size);
    state.counters.blocksInUse += 1;
    return header;
}

// A plain block too large for the ring of held frees grows or shrinks
// through the runtime's realloc, which often extends it where it lies
// instead of copying it; the bytes past the old size are zeroed here.
void* ResizeLargeBlock(MemoryBlockHeader* header, size_t size)
{
    if (size > kLargestBlock) {
        MemoryManager_OutOfMemory();
    }
    const uint32_t oldSize = header->size;
    auto* resized = static_cast<MemoryBlockHeader*>(std::realloc(header, sizeof(MemoryBlockHeader) + size));
    if (resized == nullptr) {
        MemoryManager_OutOfMemory();
    }
    resized->size = static_cast<uint32_t>(size);
    {
        ManagerState& state = State();
        const std::lock_guard guard(state.lock);
        AddBytes(state.counters, resized->size - oldSize);
    }
    auto* data = reinterpret_cast<unsigned char*>(resized + 1);
    if (size > oldSize) {
        std::memset(data + oldSize, 0, size - oldSize);
    }
    return data;
}

void ReleaseBlock(MemoryBlockHeader* header)
{
    MemoryBlockHeader* toFree = header;
    {
        ManagerState& state = State();
        const std::lock_guard guard(state.lock);
        AddBytes(state.counters, 0u - header->size);
        state.counters.blocksInUse -= 1;
        header->magic1 = kFreedMagic;
        header->magic2 = kFreedMagic;
        if (header->size <= kLargestHeldBlock) {
            toFree = std::exchange(state.held[state.nextHeld], header);
            state.nextHeld = (state.nextHeld + 1) % kHeldBlocks;
        }
    }
    std::free(toFree);
}

}  // namespace

MemoryCounters MemoryManager_Counters()
{
    ManagerState& state = State();
    const std::lock_guard guard(state.lock);
    return state.counters;
}

void* MemoryManager_Alloc(size_t size, const char* /*file*/, int /*line*/, bool clear)
{
    if (size == 0) {
        return nullptr;
    }
    void* data = NewBlock(size, 0) + 1;
    if (clear) {
        std::memset(data, 0, size);
    }
    return data;
}

void* MemoryManager_AllocAligned(size_t size, size_t alignment, const char* file, int line, bool clear)
{
    if (size == 0) {
        return nullptr;
    }
    if (!std::has_single_bit(alignment) || alignment >= kAlignmentLimit) {
        // The offset word could not describe such a block; the natural
        // alignment of a plain block is the nearest thing we can give.
        Console().Printf("MemoryManager_AllocAligned: alignment %zu is not a power of two below 8192\n", alignment);
        return MemoryManager_Alloc(size, file, line, clear);
    }
    MemoryBlockHeader* header = NewBlock(size, alignment - 1);
    const uintptr_t start = reinterpret_cast<uintptr_t>(header + 1);
    const uintptr_t aligned = (start + alignment - 1) & ~(uintptr_t{alignment} - 1);
    if (aligned > start) {
        // Stale bytes in the gap could look like a header to a later free.
        const size_t gap = aligned - start;
        std::memset(header + 1, 0, gap);
        const uint32_t offsetWord = kAlignedOffsetFlag | static_cast<uint32_t>(gap);
        std::memcpy(reinterpret_cast<void*>(aligned - sizeof offsetWord), &offsetWord, sizeof offsetWord);
    }
    void* data = reinterpret_cast<void*>(aligned);
    if (clear) {
        std::memset(data, 0, size);
    }
    return data;
}

void MemoryManager_Free(void* ptr)
{
    if (ptr == nullptr) {
        return;
    }
    const BlockLookup block = LookUpBlock(ptr);
    switch (block.kind) {
    case BlockKind::Live:
        ReleaseBlock(block.header);
        return;
    case BlockKind::Freed:
        Console().Printf("MemoryManager_Free: block %p was already freed\n", ptr);
        return;
    case BlockKind::Foreign:
        std::free(ptr);
        return;
    }
}

// A pointer that is not a live block of ours is a caller's mistake: we cannot
// know its size, and the runtime's realloc on a pointer it did not make (or
// on a freed one of ours) would corrupt its heap. It is reported and left as
// it is; the caller gets null.
void* MemoryManager_Realloc(void* ptr, size_t size, const char* file, int line, bool /*clear*/)
{
    if (ptr == nullptr) {
        return MemoryManager_Alloc(size, file, line, true);
    }
    const BlockLookup block = LookUpBlock(ptr);
    if (block.kind != BlockKind::Live) {
        Console().Printf("MemoryManager_Realloc: %p is not a live block; left untouched\n", ptr);
        return nullptr;
    }
    const size_t oldSize = block.header->size;
    if (size == oldSize) {
        return ptr;
    }
    if (size == 0) {
        ReleaseBlock(block.header);
        return nullptr;
    }
    // A small block still takes a new one, so the old goes through the
    // ring of held frees and a stale second free of it is still caught.
    if (oldSize > kLargestHeldBlock && block.header + 1 == ptr) {
        return ResizeLargeBlock(block.header, size);
    }
    auto* fresh = static_cast<unsigned char*>(MemoryManager_Alloc(size, file, line, false));
    const size_t kept = std::min(oldSize, size);
    std::memcpy(fresh, ptr, kept);
    std::memset(fresh + kept, 0, size - kept);
    ReleaseBlock(block.header);
    return fresh;
}

void* MemoryManager_ReallocPtr(void** ptr, size_t size, const char* file, int line)
{
    *ptr = MemoryManager_Realloc(*ptr, size, file, line, true);
    return *ptr;
}

uint32_t MemoryManager_GetSize(const void* ptr)
{
    if (ptr == nullptr) {
        return 0;
    }
    const BlockLookup block = LookUpBlock(ptr);
    return block.kind == BlockKind::Live ? block.header->size : 0;
}

void MemoryManager_DumpTotal()
{
    const uint32_t bytes = MemoryManager_Counters().bytesInUse;
    // Unsigned, so a heap past 2 GB does not print as a negative figure.
    Console().Printf("Total memory used = %u(0x%08x) bytes\n", bytes, bytes);
}

void MemoryManager_Tick()
{
    ManagerState& state = State();
    const std::lock_guard guard(state.lock);
    state.counters.frame += 1;
}

void MemoryManager_ReportStats() {}

void MemoryManager_OutOfMemory()
{
    // Showing the box may itself run out of memory and land here again.
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) {
        Host_ShowMessageBox("Fatal Memory Error", "Out of Memory!", HostMessageBoxKind::Error);
    }
    std::_Exit(-1);
}

void MemoryManager_InstallNewHandler()
{
    std::set_new_handler(&MemoryManager_OutOfMemory);
}

void MemoryManager_KeepLargeBlocksInHeap()
{
    mallopt(M_MMAP_THRESHOLD, kLargestMappedThreshold);
    mallopt(M_TRIM_THRESHOLD, kHeapTrimThreshold);
}

MemoryBlockHeader* MemoryManager_ReserveBlock()
{
    for (size_t size = kReserveSize; size >= kSmallestReserve; size /= 2) {
        if (auto* header = static_cast<MemoryBlockHeader*>(std::malloc(size))) {
            *header = {0, 0, 0, static_cast<uint32_t>(size - sizeof(MemoryBlockHeader))};
            return header;
        }
    }
    return nullptr;
}

}  // namespace bw
