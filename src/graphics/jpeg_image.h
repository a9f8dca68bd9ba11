// JPEG through libjpeg (6b interface): an image held in memory decoded into
// 0xAARRGGBB pixels.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

// A new memory-manager block of w x h pixels (rows top first), or null.
// Colour and grey images come out opaque; CMYK images keep their four bytes
// as alpha, red, green and blue. A damaged file is a null result, never the
// end of the program.
uint32_t* Image_DecodeJPEG(const uint8_t* data, size_t size, int32_t* w, int32_t* h, int32_t ignored);

}  // namespace bw
