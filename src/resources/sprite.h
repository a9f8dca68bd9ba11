// Sprites: animated image resources with an origin, a bounding box and, for
// precise collisions, one collision mask per frame (or one shared by all).
// Package sprites draw through texture page entries of the package; sprites
// made at run time own 32-bit bitmaps, one texture each and page entries of
// their own. Game code sees a sprite as its index in the global table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "world/resource_lookups.h"

namespace bw {

class CBitmap32;
class IBitmap;
class PackageView;
struct TexturePageEntry;
struct TileArea;

inline constexpr int32_t kSpriteBBoxAutomatic = 0;
inline constexpr int32_t kSpriteBBoxFullImage = 1;
inline constexpr int32_t kSpriteBBoxManual = 2;

// Kinds of sprite_collision_mask.
inline constexpr int32_t kSpriteMaskPrecise = 0;
inline constexpr int32_t kSpriteMaskRectangle = 1;
inline constexpr int32_t kSpriteMaskEllipse = 2;
inline constexpr int32_t kSpriteMaskDiamond = 3;

class CSprite {
public:
    CSprite();
    virtual ~CSprite();
    CSprite(const CSprite&) = delete;
    CSprite& operator=(const CSprite&) = delete;

    // Frees owned entries, bitmaps, textures and masks; back to an empty
    // 1 x 1 sprite, transparent, precise and preloaded.
    void Clear();

    // Reads the SPRT record at recordOffset. Every offset, count and mask is
    // checked against the image; false with *error saying what was wrong.
    bool LoadFromChunk(const PackageView& package, uint32_t recordOffset, std::string* error);

    // ---- textures and page entries ----
    void InitTexture();
    void InitLocalPageEntries();
    void FreeTextures();
    // The page entry handle of the frame, or its texture id when the sprite
    // has no page entries; -1 without frames.
    int32_t GetFrameTexture(int32_t frame);
    // The frame's opaque area inside the full frame, right and bottom
    // exclusive: a trimmed page entry's stored area, else measured from the
    // frame's pixels (its bitmap, or a package frame read back from its
    // texture); the whole frame when it has no opaque pixel or cannot be
    // read. False without frames.
    bool GetFrameBox(int32_t frame, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
    // The frame's bitmap, null without bitmaps or out of range.
    const CBitmap32* GetFrameBitmap(int32_t frame) const;
    // The page entry of the frame (frame taken modulo the count), null when
    // the sprite draws through textures or the entry is not in the package.
    TexturePageEntry* GetPageEntry(int32_t frame);

    // ---- box and masks ----
    void ComputeBoundingBox();
    void BuildMasks();
    void CreateCollisionMask(bool separate, int32_t bboxMode, int32_t left, int32_t top, int32_t right,
                             int32_t bottom, int32_t kind, int32_t tolerance);
    void SetBBoxMode(int32_t mode);
    void SetBBox(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void SetPrecise(bool precise);
    // The mask used for the frame (modulo the mask count), null without masks.
    const uint8_t* GetMask(int32_t frame) const;

    // ---- drawing (angles in degrees, colours 0x00BBGGRR) ----
    void Draw(int32_t frame, float x, float y, float xscale, float yscale, float angle, uint32_t colour,
              float alpha);
    void DrawSimple(int32_t frame, float x, float y);
    void DrawPos(int32_t frame, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                 float alpha);
    void DrawStretched(int32_t frame, float x, float y, float w, float h, uint32_t colour, float alpha);
    void DrawPart(int32_t frame, float left, float top, float w, float h, float x, float y, float xscale,
                  float yscale, uint32_t colour, float alpha);
    void DrawGeneral(int32_t frame, float left, float top, float w, float h, float x, float y, float xscale,
                     float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
    void DrawTiled(int32_t frame, float x, float y, float xscale, float yscale, bool htiled, bool vtiled,
                   const TileArea& area, uint32_t colour, float alpha);

    // ---- loading from image data (pixels 0xAARRGGBB, rows top first) ----
    bool LoadFromBitmap(const uint32_t* pixels, int32_t width, int32_t height, int32_t frames, bool precise,
                        bool transparent, bool smooth, int32_t xorigin, int32_t yorigin, bool keepAlpha);
    // Cuts the image into frames side by side; frames are at least 1 pixel wide.
    bool LoadStrip(const uint32_t* pixels, int32_t width, int32_t height, bool transparent, bool smooth,
                   int32_t frames, bool keepAlpha);
    bool LoadFromFile(const uint8_t* data, size_t size, int32_t frames, bool precise, bool transparent, bool smooth,
                      int32_t xorigin, int32_t yorigin, bool keepAlpha);
    bool LoadFromJPEG(const uint8_t* data, size_t size, int32_t frames, bool precise, bool transparent, bool smooth,
                      int32_t xorigin, int32_t yorigin, bool keepAlpha);
    bool LoadFromGIF(const uint8_t* data, size_t size, int32_t frames, bool precise, bool transparent, bool smooth,
                     int32_t xorigin, int32_t yorigin, bool keepAlpha);
    // A PNG file found by the save-first rule.
    bool LoadImageFile(const char* fileName, int32_t frames, bool precise, bool transparent, bool smooth,
                       bool preload, int32_t xorigin, int32_t yorigin, bool keepAlpha);

    // ---- editing ----
    bool InitFromSurface(IBitmap* image, bool precise, bool transparent, bool smooth, bool preload,
                         int32_t xorigin, int32_t yorigin, bool keepAlpha);
    bool AddFromSurface(IBitmap* image, bool transparent, bool smooth, bool keepAlpha);
    bool Merge(const CSprite& other);
    void SetAlphaFromSprite(const CSprite& other);
    bool MakeBitmaps();
    // A copy of package frames takes them as bitmaps of its own (read back
    // from the textures) with its own textures and page entries; false when
    // the frames cannot be read.
    bool TakeOwnFrames();
    void Assign(const CSprite& source);

    // ---- collision tests of a placed sprite (room pixels, inclusive) ----
    bool CollideSprite(const SpritePlacement& placed, const CSprite& other, const SpritePlacement& otherPlaced) const;
    bool CollidePoint(const SpritePlacement& placed, int32_t px, int32_t py) const;
    bool CollideRectangle(const SpritePlacement& placed, int32_t left, int32_t top, int32_t right,
                          int32_t bottom) const;
    bool CollideEllipse(const SpritePlacement& placed, int32_t left, int32_t top, int32_t right,
                        int32_t bottom) const;
    bool CollideLine(const SpritePlacement& placed, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const;

    // True when the frames are the package's page entries, not owned here.
    bool UsesPackageEntries() const { return !m_packageEntryOffsets.empty(); }
    int32_t BitmapCount() const { return static_cast<int32_t>(m_bitmaps.size()); }
    int32_t MaskCount() const { return static_cast<int32_t>(m_masks.size()); }

    // Fields, in the record's order.
    int32_t bboxMode = kSpriteBBoxAutomatic;
    int32_t bboxLeft = 0;
    int32_t bboxTop = 0;
    int32_t bboxRight = 0;
    int32_t bboxBottom = 0;
    int32_t frameCount = 0;
    int32_t width = 1;
    int32_t height = 1;
    int32_t xorigin = 0;
    int32_t yorigin = 0;
    int32_t radius = 0;
    bool precise = true;
    bool hasMasks = false;
    bool transparent = true;
    bool smooth = false;
    bool preload = true;
    bool sharedMask = false;

private:
    void ComputeRadius();
    void FreeMasks();
    void FreeOwnedEntries();
    void RebuildAfterFrameChange();
    int32_t FrameIndex(int32_t frame) const;
    // A package frame read back from its texture into an image of the full
    // frame size; null when it cannot be read.
    std::unique_ptr<CBitmap32> ReadFrameBitmap(int32_t frame);
    bool IsCulled(float x, float y, float r) const;

    std::vector<std::vector<uint8_t>> m_masks;  // width x height bytes each, 1 = solid
    // A package sprite's own masks while a shape mask the game asked for
    // stands in for them; they cannot be built again from its frames.
    std::vector<std::vector<uint8_t>> m_packageMasks;
    std::vector<std::unique_ptr<CBitmap32>> m_bitmaps;
    std::vector<int32_t> m_textures;  // one per bitmap, -1 when freed
    // Package frames: file offsets of the TPAG entries, resolved on first
    // use (the TPAG chunk comes after SPRT in a package).
    std::vector<uint32_t> m_packageEntryOffsets;
    std::vector<TexturePageEntry*> m_pageEntries;
    std::vector<std::unique_ptr<TexturePageEntry>> m_ownedEntries;
};

// ---- the sprite table ----

void Sprite_ClearTable();
bool Sprite_Load(const PackageView& package, uint32_t offset, uint32_t length);
void Sprite_InitTextures();
void Sprite_Shutdown();
void Sprite_FreeAll();

int32_t Sprite_Count();
bool Sprite_Exists(int32_t index);
CSprite* Sprite_Get(int32_t index);
const char* Sprite_GetName(int32_t index);
int32_t Sprite_Find(const char* name);

int32_t Sprite_Add(const char* name, int32_t frames, bool precise, bool transparent, bool smooth, bool preload,
                   int32_t xorigin, int32_t yorigin);
bool Sprite_Replace(int32_t index, const char* name, int32_t frames, bool precise, bool transparent, bool smooth,
                    bool preload, int32_t xorigin, int32_t yorigin);
int32_t Sprite_AddAlpha(const char* name, int32_t frames, bool precise, bool preload, int32_t xorigin,
                        int32_t yorigin);
bool Sprite_ReplaceAlpha(int32_t index, const char* name, int32_t frames, bool precise, bool preload,
                         int32_t xorigin, int32_t yorigin);
bool Sprite_Delete(int32_t index);
int32_t Sprite_Duplicate(int32_t index);
bool Sprite_Assign(int32_t destination, int32_t source);
// An empty sprite appended for the caller to fill (InitFromSurface).
int32_t Sprite_CreateFromSurface();

// Marks every instance's bounding box stale: run after any edit of a sprite.
void Sprite_FlagInstances();

// Loading from a web address belongs to the asynchronous requests; their
// owner registers how a URL load starts (false when it cannot). Without
// one, URL names fail like missing files.
using SpriteUrlLoader = bool (*)(int32_t index, const char* url, int32_t frames, bool precise, bool transparent,
                                 bool smooth, int32_t xorigin, int32_t yorigin);
void Sprite_SetUrlLoader(SpriteUrlLoader loader);

// Registers the name finder and the world's sprite lookups.
void Sprite_RegisterLookups();

}  // namespace bw
