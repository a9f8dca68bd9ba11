// PNG through libpng: decoding an image held in memory into 0xAARRGGBB
// pixels, and writing 8-bit RGBA files for the screen and surface saves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bw {

// A new memory-manager block of w x h pixels (0xAARRGGBB, rows top first),
// or null with w = h = -1. Every colour type and bit depth comes out as
// 8-bit BGRA; each call decodes afresh and the caller owns the result.
// flag is kept for the callers' sake and has no effect.
uint32_t* PNG_LoadImage(const uint8_t* data, size_t size, int32_t* w, int32_t* h, int32_t flag);
// Frees a block returned by PNG_LoadImage.
void PNG_FreeImage(uint32_t* pixels);

// Writes w x h pixels given as R, G, B, A bytes to the save area; true when
// the whole file was written.
bool write_png_file(const char* fileName, const uint8_t* pixels, int32_t w, int32_t h);
// The same from w x h pixels given as 0xAARRGGBB.
bool write_png_file_argb(const char* fileName, std::vector<uint32_t> pixels, int32_t w, int32_t h);
// Swaps bytes 0 and 2 of every 4-byte pixel in place.
void Bitmap_SwapRedBlue(uint8_t* pixels, int32_t w, int32_t h);

}  // namespace bw
