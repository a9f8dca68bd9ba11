// Feeds arbitrary bytes to the OBJT reader. The first byte picks the package
// format (which decides the physics block); the chunk is the rest of the
// input after the first word, and every offset in it counts from the start
// of the input as offsets in a package count from the start of the file. A
// chunk that loads must also give per-event lists and collision pairs whose
// indices name objects of the table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "world/object.h"
#include "world/object_lists.h"
#include "world/object_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8 || size > UINT32_MAX) {
        return 0;
    }
    const uint32_t format = data[0] % 16;
    const bw::PackageView package(data, size);
    if (bw::Object_LoadChunk(package, 4, static_cast<uint32_t>(size - 4), format)) {
        bw::Object_BuildEventLists();
        for (int32_t type = 0; type < bw::kEventTypeCount; ++type) {
            for (const int32_t index : bw::Object_EventList(type, 0)) {
                if (!bw::Object_Exists(index)) {
                    std::abort();
                }
            }
        }
        for (const bw::ObjectPair& pair : bw::Object_CollisionPairs()) {
            if (pair.lower > pair.higher || !bw::Object_Exists(pair.lower)) {
                std::abort();
            }
        }
    }
    bw::ObjectLists_Free();
    bw::Object_FreeAll();
    return 0;
}
