#include "host/memory_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace bw {

void HostMemory_ReleasePages(void* begin, size_t length)
{
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (begin == nullptr || pageSize <= 0 || length > UINTPTR_MAX - reinterpret_cast<uintptr_t>(begin)) {
        return;
    }
    const auto page = static_cast<uintptr_t>(pageSize);
    const auto start = reinterpret_cast<uintptr_t>(begin);
    const uintptr_t first = (start + page - 1) / page * page;
    const uintptr_t last = (start + length) / page * page;
    if (length == 0 || last <= first) {
        return;
    }
    // Private anonymous pages: given back now, zero-filled on the next touch.
    madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

}  // namespace bw
