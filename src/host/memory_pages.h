// Handing memory that a program still owns back to the system: the whole
// pages inside a block whose contents will not be read again.
#pragma once

#include <cstddef>

namespace bw {

// The pages lying wholly inside [begin, begin + length) stop counting as
// resident and read as zero from then on; the bytes of partial pages at
// either end are kept. The block stays allocated and owned by its caller.
void HostMemory_ReleasePages(void* begin, size_t length);

}  // namespace bw
