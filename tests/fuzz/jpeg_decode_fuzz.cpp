// Decodes arbitrary bytes as a JPEG file held in memory.
#include <cstddef>
#include <cstdint>

#include "graphics/jpeg_image.h"
#include "platform/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int32_t w = 0;
    int32_t h = 0;
    bw::MemoryManager_Free(bw::Image_DecodeJPEG(data, size, &w, &h, 0));
    return 0;
}
