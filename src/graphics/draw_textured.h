// The textured-quad drawers: everything drawn from an image reaches the
// vertex batch here. The page-entry drawers (sprites, backgrounds, fonts)
// take a TexturePageEntry and draw indexed quads so that consecutive quads
// of one page join one batch; the texture-id drawers (surfaces) take a
// texture id and draw four-vertex fans. Angles are radians, counter-clockwise
// on a screen whose y grows downward; colours are script colours 0x00BBGGRR;
// alpha is 0..1. Nothing is drawn for an id that is not in use.
#pragma once

#include <cstdint>

namespace bw {

class TextureRecord;
struct TexturePageEntry;

// Script colour and alpha to a vertex colour 0xAARRGGBB; the alpha byte is
// trunc(alpha x 255) held to 0..255.
uint32_t GR_PackColourAlpha(uint32_t colour, float alpha);

struct QuadCorner {
    float x, y;
};
// One quad P1, P2, P3, P4 (drawn as the triangles P1 P2 P3 and P3 P4 P1)
// with the texture rectangle's corners (left-top, right-top, right-bottom,
// left-bottom) and one colour each.
void GR_EmitQuad(TextureRecord* record, const QuadCorner corners[4], float uL, float vT, float uR, float vB,
                 const uint32_t colours[4]);

void GR_Texture_Draw(int32_t id, float x, float y);
void GR_TPE_Draw(TexturePageEntry* entry, float x, float y);
void GR_TPE_DrawPos(TexturePageEntry* entry, float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                    float y4, uint32_t colour);
void GR_Texture_DrawExt(int32_t id, float xorig, float yorig, float x, float y, float xscale, float yscale,
                        float angle, uint32_t colour, float alpha);
void GR_TPE_DrawExt(TexturePageEntry* entry, float xorig, float yorig, float x, float y, float xscale, float yscale,
                    float angle, uint32_t colour, float alpha);
void GR_Texture_DrawPart(int32_t id, float left, float top, float w, float h, float x, float y, float xscale,
                         float yscale, float angle, uint32_t colour, float alpha);
// The part is given in full-frame coordinates and cut to the stored image.
void GR_TPE_DrawPart(TexturePageEntry* entry, float left, float top, float w, float h, float x, float y,
                     float xscale, float yscale, float angle, uint32_t colour, float alpha);
void GR_Texture_DrawGeneral(int32_t id, float left, float top, float w, float h, float x, float y, float xscale,
                            float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                            float alpha);
void GR_TPE_DrawGeneral(TexturePageEntry* entry, float left, float top, float w, float h, float x, float y,
                        float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                        float alpha);

// Tiling fills the area (x, y, w, h) with copies one period apart along the
// tiled axes, aligned so one copy starts at the given position.
struct TileArea {
    float x, y, w, h;
};
void GR_Texture_DrawTiled(int32_t id, float xorig, float yorig, float x, float y, float xscale, float yscale,
                          int32_t htiled, int32_t vtiled, const TileArea& area, uint32_t colour, float alpha);
void GR_TPE_DrawTiled(TexturePageEntry* entry, float xorig, float yorig, float x, float y, float xscale,
                      float yscale, int32_t htiled, int32_t vtiled, const TileArea& area, uint32_t colour,
                      float alpha);
void GR_Texture_DrawRect(int32_t id, float x, float y, float w, float h, uint32_t colour, float alpha);

}  // namespace bw
