// The thin layer between the drawing code and the device: the three stored
// transforms, the viewport, the view and projection of a room view, clearing,
// binding textures, reading pixels back, copying between textures, the fixed
// lights and material, and one directly drawn textured quad. Whatever changes
// what the open batch depends on flushes it first.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/device/device.h"
#include "platform/maths.h"

namespace bw {

class TextureRecord;

// The room (and its first view) that decides how much of the half-pixel
// correction a projection gets. Room drawing registers where it comes from;
// until then the reference is 640 x 480 with no view.
struct ProjectionReference {
    bool haveRoom = false;
    float roomWidth = 0.0f, roomHeight = 0.0f;
    bool firstViewVisible = false;
    float portWidth = 0.0f, portHeight = 0.0f;
    float viewWidth = 0.0f, viewHeight = 0.0f;
};
using ProjectionReferenceSource = ProjectionReference (*)();
void GR_SetProjectionReferenceSource(ProjectionReferenceSource source);

void GR_D3D_SetMatrix(TransformKind kind, const Matrix& matrix);
void GR_D3D_GetMatrix(TransformKind kind, Matrix& out);
// Puts back a matrix read with GR_D3D_GetMatrix, as it was (a projection is
// not corrected a second time).
void GR_D3D_RestoreMatrix(TransformKind kind, const Matrix& matrix);
void GR_SetViewport(int32_t x, int32_t y, int32_t w, int32_t h);
void GR_D3D_SetViewport(int32_t x, int32_t y, int32_t w, int32_t h);
void GR_GetViewport(int32_t& x, int32_t& y, int32_t& w, int32_t& h);
// A room view's (or a surface target's) view and projection of the room
// rectangle: in 3D mode with perspective on, the perspective that
// d3d_set_projection cameras build on (a flat room shows upside down
// through it); otherwise GR_BuildRectangleProjection's orthographic one.
void GR_SetViewProjection(float x, float y, float w, float h, float angle);
// The view and projection that show the room rectangle (x, y, w, h) whole
// and the right way up, turned by `angle` degrees as a view angle turns it:
// orthographic, or in perspective from w before the room's plane, where the
// plane shows just the rectangle (d3d_set_projection_ortho and _perspective).
void GR_BuildRectangleProjection(float x, float y, float w, float h, float angle, bool perspective, Matrix& view,
                                 Matrix& projection);
// Game code set the view or projection itself (the 3D projection setters),
// so the last view rectangle no longer says what is on screen; the next
// GR_SetViewProjection (a room view, a surface target) ends that.
void GR_SetCustomProjection();
bool GR_HasCustomProjection();
// The arguments of the last GR_SetViewProjection.
void GR_GetViewProjection(float& x, float& y, float& w, float& h, float& angle);
// How much of the half-pixel offset the last projection got per axis (1
// unscaled, fading to 0 for views scaled by 1 % or more); 2D shapes add it
// to the coordinates that must land on pixel centres.
void GR_GetHalfPixelScale(float& x, float& y);

// colour: 0x00BBGGRR; flags: 1 target, 2 z, 4 stencil.
void GR_D3D_Clear(uint32_t colour, float z, uint32_t stencil, uint32_t flags);
void GR_D3D_SetTexture(uint32_t stage, TextureRecord* record);
// Texture changes since the frame began, and in the whole previous frame
// (the debug window shows that one).
int32_t GR_TextureSwaps();
int32_t GR_LastFrameTextureSwaps();
// At every frame begin: the count so far becomes the previous frame's.
void GR_ResetTextureSwaps();

// Pixels as 0xAARRGGBB, rows top first; empty when nothing can be read.
// The screen rectangle is cut to the screen and to the screen texture.
std::vector<uint32_t> GR_D3D_ReadScreenRect(int32_t screenWidth, int32_t screenHeight, int32_t x, int32_t y, int32_t w,
                                            int32_t h);
// As GR_D3D_ReadScreenRect, and w and h become the size that was read.
std::vector<uint32_t> GR_ReadScreenRectCut(int32_t screenWidth, int32_t screenHeight, int32_t x, int32_t y, int32_t& w,
                                           int32_t& h);
// Room drawing names the port of the view it draws, in screen pixels as the
// view's viewport is set, and lifts it after the view.
void GR_SetRoomPort(int32_t x, int32_t y, int32_t w, int32_t h);
void GR_ClearRoomPort();
// A rectangle of the screen that game code captures (sprites and
// backgrounds from the screen): cut to the port of the view being drawn,
// the whole screen outside a view's drawing, and then to the screen. w and h
// become the size that was read; empty when nothing is left.
std::vector<uint32_t> GR_ReadScreenCapture(int32_t x, int32_t y, int32_t& w, int32_t& h);
std::vector<uint32_t> GR_D3D_ReadTextureRect(TextureRecord* record, int32_t x, int32_t y, int32_t w, int32_t h);
// Cuts a rectangle to [0, limitW) x [0, limitH); false when nothing is left.
// Its edges are taken in 64 bits: game code may place it anywhere in the
// 32-bit range.
bool GR_CutRectangle(int32_t& x, int32_t& y, int32_t& w, int32_t& h, int32_t limitW, int32_t limitH);
void GR_D3D_CopyTextureRect(TextureRecord* destination, int32_t dx, int32_t dy, TextureRecord* source, int32_t sx,
                            int32_t sy, int32_t w, int32_t h);
// 0x00BBGGRR of one pixel of the game image (at 0 on an axis where the place
// is negative); 0 when it cannot be read.
uint32_t GR_GetPixel(int32_t x, int32_t y);

void GR_D3D_SetAmbient(uint32_t colour);
void GR_D3D_DefineDirLight(int32_t index, float dx, float dy, float dz, uint32_t colour);
void GR_D3D_DefinePointLight(int32_t index, float x, float y, float z, float range, uint32_t colour);
void GR_D3D_EnableLight(int32_t index, bool enable);

// Drawn at once, not through the batch. colour: 0xAARRGGBB.
void GR_D3D_DrawTexturedQuad(TextureRecord* record, float x0, float y0, float x1, float y1, float u0, float v0,
                             float u1, float v1, uint32_t colour);

void GR_SetVector3(float x, float y, float z, float out[3]);
Matrix Matrix_Identity();
// The identity moved by (x, y, z).
Matrix Matrix_Translation(float x, float y, float z);

}  // namespace bw
