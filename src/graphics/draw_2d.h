// Untextured 2D drawing: the drawing colour and alpha, clearing the target,
// the shapes of the drawing built-ins, and user primitives built vertex by
// vertex. Shapes go into the vertex batch with no texture. Script colours
// are 0x00BBGGRR; vertex colours 0xAARRGGBB. Coordinates that must land on
// pixel centres get the half-pixel scale added ("offset"); others are used
// as given.
#pragma once

#include <cstdint>

namespace bw {

// ---- Drawing colour and alpha ---------------------------------------------
void GR_SetColour(uint32_t colour);
// Alpha outside 0..1 is held to it; the alpha byte is trunc(alpha x 255).
void GR_SetAlpha(float alpha);
void GR_SetColourRGB(uint8_t r, uint8_t g, uint8_t b);
void GR_SetColourRGB(uint8_t r, uint8_t g, uint8_t b, float alpha);
// The script colour with the alpha byte left on top.
uint32_t GR_GetColour();
float GR_GetAlpha();
uint8_t GR_ColourGetRed();
uint8_t GR_ColourGetGreen();
uint8_t GR_ColourGetBlue();
// The drawing colour as written into vertices.
uint32_t GR_ColourGetARGB();
uint32_t GR_MakeColour(uint8_t r, uint8_t g, uint8_t b);
uint8_t GR_AlphaToByte(float alpha);
// Script colour and alpha byte to a vertex colour.
uint32_t GR_ColourWithAlpha(uint32_t colour, uint32_t alphaByte);
// Per channel the nearest integer to c1 x (1 - t) + c2 x t.
uint32_t GR_MergeColour(uint32_t colour1, uint32_t colour2, float t);

// colour: script colour with an alpha byte on top. Clears target, depth
// (to 1) and stencil (to 0).
void GR_Clear(uint32_t colour);
void GR_ClearAlpha(uint32_t colour, float alpha);

// Segments of a full circle: held to 4..64 and lowered to a multiple of 4.
void GR_SetCirclePrecision(int32_t n);
int32_t GR_GetCirclePrecision();
void GR_InitCirclePrecision();

// ---- Shapes ----------------------------------------------------------------
// The outline flag means outline only when it equals 1.
void GR_DrawPoint(float x, float y);
void GR_DrawPointColour(float x, float y, uint32_t colour);
void GR_DrawLine(float x1, float y1, float x2, float y2);
void GR_DrawLineColour(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2);
void GR_DrawLineWidth(float x1, float y1, float x2, float y2, float w);
void GR_DrawLineWidthColour(float x1, float y1, float x2, float y2, float w, uint32_t c1, uint32_t c2);
void GR_DrawTriangle(float x1, float y1, float x2, float y2, float x3, float y3, int32_t outline);
void GR_DrawTriangleColour(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t c1, uint32_t c2,
                           uint32_t c3, int32_t outline);
void GR_DrawRectangle(float x1, float y1, float x2, float y2, int32_t outline);
void GR_DrawRectangleColour(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2, uint32_t c3,
                            uint32_t c4, int32_t outline);
void GR_DrawEllipse(float x1, float y1, float x2, float y2, int32_t outline);
void GR_DrawEllipseColour(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge, int32_t outline);
void GR_DrawCircle(float x, float y, float r, int32_t outline);
void GR_DrawCircleColour(float x, float y, float r, uint32_t centre, uint32_t edge, int32_t outline);
void GR_DrawRoundRect(float x1, float y1, float x2, float y2, float cornerW, float cornerH, int32_t outline);
void GR_DrawRoundRectColour(float x1, float y1, float x2, float y2, float cornerW, float cornerH, uint32_t centre,
                            uint32_t edge, int32_t outline);
// colours are vertex colours (0xAARRGGBB).
void GR_DrawRoundRectBase(float x1, float y1, float x2, float y2, float cornerW, float cornerH, uint32_t centre,
                          uint32_t edge, int32_t outline);
void GR_DrawArrow(float x1, float y1, float x2, float y2, float size);
void GR_DrawButton(float x1, float y1, float x2, float y2, int32_t up);
void GR_DrawHealthbar(float x1, float y1, float x2, float y2, float amount, uint32_t back, uint32_t minColour,
                      uint32_t midColour, uint32_t maxColour, int32_t direction, bool showBack, bool showBorder);

// ---- User primitives -------------------------------------------------------
inline constexpr int32_t kPrimitiveMaxVertices = 1001;

struct TexturePageEntry;

// The texture of a user primitive (2D or 3D): a texture id as it is, the
// texture of a texture page entry with the entry's place on it, or none.
struct PrimitiveTexture {
    int32_t texture = -1;
    const TexturePageEntry* entry = nullptr;
    float textureWidth = 1.0f, textureHeight = 1.0f;

    // Coordinates over an entry's image (0..1) become coordinates on its
    // texture; a plain texture's are used as given.
    void MapUV(float& u, float& v) const;
};
// texture: a texture id, a texture page entry handle, or -1 for none; any
// other number means none.
PrimitiveTexture GR_ResolvePrimitiveTexture(int32_t texture);

// texture: as GR_ResolvePrimitiveTexture takes it.
void GR_PrimitiveBegin(int32_t kind, int32_t texture);
void GR_PrimitiveVertex(float x, float y);
void GR_PrimitiveVertexColour(float x, float y, uint32_t colour, float alpha);
void GR_PrimitiveVertexTexture(float x, float y, float u, float v);
void GR_PrimitiveVertexTextureColour(float x, float y, float u, float v, uint32_t colour, float alpha);
void GR_PrimitiveEnd();

// Back to the start-up state (tests and a new game).
void GR_Draw2D_Reset();

}  // namespace bw
