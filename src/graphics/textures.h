// The texture table: game-visible integer texture ids for device textures.
// Each slot remembers the size of the image on its texture and the
// reciprocal of the texture's allocated size, since textures grow to powers
// of two and an image may use only part of one. Ids of freed slots are
// reused; slots are never removed while the game runs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bw {

class CBitmap32;
class IBitmap;
class TextureRecord;

struct TextureSlot {
    TextureRecord* record = nullptr;
    uint16_t width = 0;  // the image, in texels
    uint16_t height = 0;
    float uScale = 0.0f;  // 1 / allocated texture width
    float vScale = 0.0f;
    bool inUse = false;
};

int32_t Texture_Alloc();
int32_t Texture_CreateRenderTarget(int32_t w, int32_t h, uint32_t renderTargetFlag);
// Takes over an existing record holding a w x h image.
int32_t Texture_CreateFromRecord(TextureRecord* record, int32_t w, int32_t h);
// size == w x h x 4: raw 0xAARRGGBB pixels; otherwise an image file.
int32_t Texture_CreateFromPixels(int32_t w, int32_t h, const uint8_t* bytes, size_t size);
int32_t Texture_CreateFromPackage(const uint8_t* image, size_t size, int32_t unused, uint32_t flag);
int32_t Texture_CreateFromImage(const uint8_t* image, size_t size);
int32_t Texture_CreateFromBitmap(const CBitmap32* bitmap);
int32_t Texture_CreateFromIBitmap(IBitmap* bitmap, int32_t w, int32_t h);
// One alpha byte per pixel over white.
int32_t Texture_CreateFromAlpha8(int32_t w, int32_t h, const uint8_t* alpha);
// Replaces the slot's pixels with the bitmap's, over the part both cover.
void Texture_Upload(int32_t id, const CBitmap32* bitmap);
bool Texture_Exists(int32_t id);
TextureRecord* Texture_Get(int32_t id);
// The slot itself (for the drawers), null for an invalid or free id.
TextureSlot* Texture_GetSlot(int32_t id);
// The fraction of the texture the image covers; 1 for an invalid id.
float Texture_Width(int32_t id);
float Texture_Height(int32_t id);
// The device manages residency itself; these only check the id.
void Texture_Preload(int32_t id);
void Texture_SetPriority(int32_t id, int32_t priority);
void Texture_Bind(int32_t id);
void Texture_Free(int32_t id);
void Texture_FreeAll();
// Forgets every slot without freeing device textures (a new device).
void Texture_ResetTable();
int32_t Texture_Count();

}  // namespace bw
