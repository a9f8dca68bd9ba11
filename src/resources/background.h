// Backgrounds: single images used for room backgrounds, tiles and the
// draw_background built-ins. A package background is one texture page entry
// (the package's BGND chunk names it); a background made at run time (from a
// file, a colour, a gradient, a copy) owns a 32-bit bitmap and a texture of
// its own. Game code sees a background as its index in the table; a deleted
// background leaves an empty slot, so indexes never move.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/package_view.h"

namespace bw {

class CBitmap32;
class IBitmap;
struct TexturePageEntry;
struct TileArea;

class CBackground {
public:
    CBackground();
    ~CBackground();
    CBackground(const CBackground&) = delete;
    CBackground& operator=(const CBackground&) = delete;

    // Deletes the bitmap, zeroes size and flags, drops the page entry and
    // frees the texture.
    void Clear();
    // One BGND record at its file offset. The page entry is found by its
    // file offset once the TPAG chunk is read, wherever that chunk lies; the
    // size comes from the entry's bytes now. False (message in *error) for a
    // record, name or entry outside the package.
    bool LoadFromChunk(const PackageView& package, uint32_t record, const char** name, const char** error);

    // Makes the texture from the bitmap (-1 without one).
    void InitTexture();
    void FreeTexture();

    // The page entry's handle when there is an entry, else the texture id
    // (what background_get_texture answers).
    int32_t GetTexture() const;
    // The package's entry, null for a background made at run time (or one
    // whose entry is not in the TPAG chunk).
    TexturePageEntry* GetPageEntry() const;
    int32_t GetTextureId() const { return m_texture; }
    const CBitmap32* GetBitmap() const { return m_bitmap.get(); }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    bool GetTransparent() const { return m_transparent; }
    bool GetSmooth() const { return m_smooth; }
    bool GetPreload() const { return m_preload; }

    // Size, flags and page entry copied, the bitmap deep-copied.
    void Assign(const CBackground& source);
    // Reads a package background's image back from its texture page into an
    // owned bitmap and texture. False when a bitmap exists already or the
    // read fails.
    bool MakeBitmap();
    // false when the image gives no valid bitmap.
    bool CreateFromBitmap(IBitmap* image, bool transparent, bool smooth, bool preload, bool keepAlpha);
    void CreateColor(int32_t w, int32_t h, uint32_t colour, bool preload);
    void CreateGradient(int32_t w, int32_t h, uint32_t colour1, uint32_t colour2, int32_t kind, bool preload);
    // Alpha of each pixel becomes at most the other's grey level; both
    // backgrounds need bitmaps (else a console message and no change).
    void SetAlphaFromBackground(const CBackground& other);
    // A PNG file at a host path already resolved by the caller. False when
    // the file cannot be read or does not decode (the background is then
    // left as it was).
    bool LoadFromFile(const char* path, bool transparent, bool smooth, bool preload, bool keepAlpha);

    // Drawers. Angles are degrees; colours script colours 0x00BBGGRR.
    void Draw(float x, float y) const;  // white, the draw alpha
    void DrawExt(float x, float y, float xscale, float yscale, float angle, uint32_t colour, float alpha) const;
    // Nothing when w or h is not above 0 or the image is empty.
    void DrawStretched(float x, float y, float w, float h, uint32_t colour, float alpha) const;
    void DrawPart(float left, float top, float w, float h, float x, float y, float xscale, float yscale,
                  uint32_t colour, float alpha) const;
    void DrawGeneral(float left, float top, float w, float h, float x, float y, float xscale, float yscale,
                     float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha) const;
    // Repeats the image over the area along the tiled axes.
    void DrawTiled(float x, float y, float xscale, float yscale, bool htiled, bool vtiled, const TileArea& area,
                   uint32_t colour, float alpha) const;

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_transparent = false;
    bool m_smooth = false;
    bool m_preload = false;
    int32_t m_texture = -1;
    std::unique_ptr<CBitmap32> m_bitmap;
    uint32_t m_entryOffset = 0;  // file offset of the package's page entry, 0 none
};

// ---- The table ---------------------------------------------------------

// Frees every background (before a package loads).
void Background_ClearTable();
// The BGND reader: one background per non-zero record offset. A malformed
// list or record is a load error ("Error on load" and what was wrong) and
// leaves the table empty.
bool Background_Load(const PackageView& package, uint32_t offset, uint32_t length);
// Graphics start-up: every background's texture.
void Background_InitTextures();
void Background_FreeTextures();
// Game end.
void Background_FreeAll();

// Slots, empty ones included.
int32_t Background_Count();
bool Background_Exists(int32_t index);
// Null for an index out of range or an empty slot.
CBackground* Background_Get(int32_t index);
// "<undefined>" for an index outside the table; the empty name for an empty
// slot.
const char* Background_GetName(int32_t index);
// First background whose name is exactly name; -1 when none.
int32_t Background_Find(const char* name);

// A new background from a PNG file of game code, found in the save area,
// else in the program area. Index, or -1 (no slot is kept) on failure.
int32_t Background_Add(const char* file, bool transparent, bool smooth, bool preload);
int32_t Background_AddAlpha(const char* file, bool preload);
// Reloads an existing slot (an empty one gets a new record); false for an
// index outside the table, a missing file or one that does not decode.
bool Background_Replace(int32_t index, const char* file, bool transparent, bool smooth, bool preload);
bool Background_ReplaceAlpha(int32_t index, const char* file, bool preload);
bool Background_Delete(int32_t index);
// A copy with an owned bitmap; -1 for a missing background.
int32_t Background_Duplicate(int32_t index);
// The destination must lie inside the table, the source exist.
bool Background_Assign(int32_t destination, int32_t source);
// Appends an empty background named "__newbackground" + index.
int32_t Background_CreateNew();

// Lets game code name backgrounds and the world ask for their sizes.
void Background_RegisterLookups();

}  // namespace bw
