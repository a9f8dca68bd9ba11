// Texture page entries: where one image (a sprite frame, a background, a
// font's glyph sheet) lies on a texture page, how it was cropped out of its
// full frame, and which texture holds it. The package's TPAG chunk lists
// them and its TXTR chunk holds the page images; loading copies the entries
// into native records (the package image is never written) and binds each
// to the texture made from its page.
#pragma once

#include <cstdint>

namespace bw {

class PackageView;

struct TexturePageEntry {
    int16_t sourceX, sourceY, sourceWidth, sourceHeight;  // on the texture
    int16_t targetX, targetY;                             // inside the full frame
    int16_t targetWidth, targetHeight;                    // drawn size of the stored image
    int16_t frameWidth, frameHeight;                      // the full frame (tiling period)
    int16_t textureId;
};
static_assert(sizeof(TexturePageEntry) == 22);

// Reads the TPAG payload at [offset, offset + length) of the package. False
// (and no entries) for a list or an entry outside the payload.
bool TPAG_Load(const PackageView& package, uint32_t offset, uint32_t length);
// Makes one texture per TXTR record and points every page entry at the
// texture of its page ("what!!!!" for a page number outside the list).
// Once a page's texture exists the device holds its pixels, so the memory
// of its image inside the package is given back (Package_ReleaseBytes).
bool TXTR_Load(const PackageView& package, uint32_t offset, uint32_t length);
// The entry stored at a file offset of the TPAG list; null for any other offset.
TexturePageEntry* TPAG_FindByOffset(uint32_t fileOffset);
int32_t TPAG_Count();
// The texture ids made from the TXTR chunk, by page number.
int32_t TXTR_TextureId(int32_t page);
// Forgets the package's entries and page textures (not the textures).
void TexturePages_Clear();

// Numbers that stand for a page entry in game code. They never equal a
// texture id, so an operation taking either can tell them apart.
int32_t TexturePage_Handle(TexturePageEntry* entry);
// The entry of a handle; null for any number not given out.
TexturePageEntry* TexturePage_FromHandle(int32_t handle);
// An owner that frees an entry withdraws its handle first.
void TexturePage_ReleaseHandle(const TexturePageEntry* entry);

}  // namespace bw
