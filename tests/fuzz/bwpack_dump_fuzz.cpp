// bwpack --dump reads any file it is given: every offset and count in it is
// checked before use, so no input may read outside the package.
#include <cstddef>
#include <cstdint>
#include <span>

#include "bwpack/dump.h"
#include "bwpack/package_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        bw::pack::Package_Dump(std::span<const uint8_t>(data, size));
    } catch (const bw::pack::DumpError&) {
    }
    return 0;
}
