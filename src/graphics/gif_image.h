// GIF through giflib 5: the first image of a file held in memory, placed on
// its logical screen, as 0xAARRGGBB pixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

// A new memory-manager block of w x h pixels (the logical screen size), or
// null. The first frame is drawn at its own position through its local
// colour map (the global one when it has none); its transparent index and
// everything outside the frame have alpha 0.
uint32_t* Image_DecodeGIF(const uint8_t* data, size_t size, int32_t* w, int32_t* h, int32_t ignored);

}  // namespace bw
