// The program's table of built-in images: 1 to 14 the particle shapes
// (64 x 64, white with the shape in the alpha), 15 the overlay font (a
// 256 x 128 glyph sheet with its glyph table), 16 the splash image. Entry
// 0 is empty. The images are drawn by this module's own code the first time
// the table is used; the font sheet is rasterised from a font of the system
// (through TFont's machinery) and stays empty when there is none.
//
// Table form: u32 count, then count pairs {u32 size, u32 offset from the
// table's start}, then the images as "RAW " blobs the texture loader reads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

class TextureRecord;

inline constexpr int32_t kBuiltinImageCount = 17;
inline constexpr int32_t kBuiltinOverlayFont = 15;
inline constexpr int32_t kBuiltinSplash = 16;
inline constexpr int32_t kParticleShapeSize = 64;
inline constexpr int32_t kOverlayFontWidth = 256;
inline constexpr int32_t kOverlayFontHeight = 128;
// Codes with a rectangle on the overlay font sheet (Windows-1252).
inline constexpr int32_t kOverlayFirstGlyph = 33;
inline constexpr int32_t kOverlayLastGlyph = 136;

struct OverlayGlyph {
    int16_t x, y, width, height;  // texels on the sheet
};

struct OverlayFontTable {
    uint8_t advance[256];  // per character code, pixels
    OverlayGlyph glyphs[kOverlayLastGlyph - kOverlayFirstGlyph + 1];
};

// The whole table (see above) and its size.
const uint8_t* EmbeddedImage_Table(size_t* size);
// Null / 0 for an index outside the table or an empty entry.
const uint8_t* EmbeddedImage_GetData(int32_t index);
uint32_t EmbeddedImage_GetSize(int32_t index);
// A texture of entry index (null for none); free it with GR_Texture_Free.
TextureRecord* EmbeddedImage_CreateTexture(int32_t index);
const OverlayFontTable& EmbeddedImage_OverlayFont();

}  // namespace bw
