// Picks the decoder for an image file held in memory by its signature.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

// PNG, JPEG or GIF data to a new memory-manager block of w x h 0xAARRGGBB
// pixels; null for anything else or a damaged file.
uint32_t* Image_Decode(const uint8_t* data, size_t size, int32_t* w, int32_t* h);

}  // namespace bw
