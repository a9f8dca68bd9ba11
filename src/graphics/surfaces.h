// Surfaces: off-screen images game code draws into and then draws like
// sprites. Each is a render-target texture of the texture table with a
// game-visible surface id; drawing is redirected into one through the
// render-target stack and comes back to the screen on reset.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace bw {

class TBitmap;
struct TileArea;

struct SurfaceSlot {
    int32_t texture = -1;
    int32_t width = 0;  // as requested
    int32_t height = 0;
    bool inUse = false;
};

// -1 when the texture cannot be made (the slot stays free).
int32_t Surface_Create(int32_t w, int32_t h);
bool Surface_Exists(int32_t id);
int32_t Surface_Width(int32_t id);
int32_t Surface_Height(int32_t id);
int32_t Surface_GetTexture(int32_t id);
// The id drawing goes to, -1 for the screen.
int32_t Surface_GetCurrent();
bool Surface_SetTarget(int32_t id);
// Back to the target that was current before the surface; ignored (false)
// when no surface is the target.
bool Surface_ResetTarget();
void Surface_Free(int32_t id);
void Surface_FreeAll();
// Every surface stops existing; their textures stay allocated
// (draw_texture_flush).
void GR_Texture_Flush();

// Angles in degrees; colours are script colours.
void Surface_Draw(int32_t id, float x, float y);
void Surface_DrawExt(int32_t id, float x, float y, float xscale, float yscale, float angle, uint32_t colour,
                     float alpha);
void Surface_DrawStretched(int32_t id, float x, float y, float w, float h, uint32_t colour, float alpha);
void Surface_DrawPart(int32_t id, float left, float top, float w, float h, float x, float y, float xscale,
                      float yscale, uint32_t colour, float alpha);
void Surface_DrawGeneral(int32_t id, float left, float top, float w, float h, float x, float y, float xscale,
                         float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha);
void Surface_DrawTiled(int32_t id, float x, float y, float xscale, float yscale, int32_t htiled, int32_t vtiled,
                       const TileArea& area, uint32_t colour, float alpha);

// The rectangle of the surface as 0xAARRGGBB pixels, cut to the surface;
// empty when nothing of it lies on the surface. *w and *h receive the size
// that was read.
std::vector<uint32_t> Surface_ReadRect(int32_t id, int32_t x, int32_t y, int32_t* w, int32_t* h);
// A new 32-bit bitmap of that rectangle, or null.
std::unique_ptr<TBitmap> Surface_CreateBitmap(int32_t id, int32_t x, int32_t y, int32_t w, int32_t h);
// The screen rectangle, cut as GR_ReadScreenCapture cuts it, as a bitmap of
// the cut size; null without a device, or when nothing is left of it.
std::unique_ptr<TBitmap> GR_CreateBitmapFromScreen(int32_t x, int32_t y, int32_t w, int32_t h);
// 0x00BBGGRR of one pixel; 0 when it cannot be read.
uint32_t Surface_GetPixel(int32_t id, int32_t x, int32_t y);
// Writes the rectangle (cut to the surface) as a PNG file; false when
// nothing of it lies on the surface or the file cannot be written.
bool Surface_SavePart(int32_t id, const char* fileName, int32_t x, int32_t y, int32_t w, int32_t h);
bool Surface_Save(int32_t id, const char* fileName);
void Surface_Copy(int32_t destination, int32_t x, int32_t y, int32_t source, int32_t sx, int32_t sy, int32_t w,
                  int32_t h);

// Puts the surface work into the frame code's hooks.
void Surface_InstallScreenHooks();

}  // namespace bw
