// All 2D drawing and the immediate 3D primitives go through one open vertex
// batch. A drawer asks for room for n vertices of a primitive type, texture
// and vertex size and writes them; requests with the same key append to the
// same locked range and reach the device as one draw when the batch is
// flushed. A flush also applies pending render states, so state changes take
// effect in the order drawing and state calls were made. A buffer is reused
// only after it has rested for more than three frames, so the CPU never
// writes where the GPU may still read.
#pragma once

#include <cstdint>

#include "graphics/device/device.h"

namespace bw {

class TextureRecord;

inline constexpr uint32_t kVertexBatchMinimumCapacity = 16384;

// The batch type of quads: four vertices each (top-left, top-right,
// bottom-right, bottom-left), drawn as the triangles (0, 1, 2) and (2, 3, 0)
// through one shared, static index buffer, so a quad costs four vertices
// instead of six. Not a device primitive type: the device sees a triangle list.
inline constexpr int32_t kBatchQuadList = 100;
// Quads one indexed draw reaches with 16-bit indices; a longer batch is drawn
// in several.
inline constexpr uint32_t kQuadsPerIndexedDraw = 16384;

struct VertexBatchBuffer {
    // Resting: drawn from in an earlier frame, so the GPU may still read it
    // until it has rested for more than three frames.
    enum : uint32_t { Locked = 1, Dynamic = 2, UsedThisFrame = 4, Resting = 8 };
    uint32_t flags = 0;
    DeviceBufferId buffer = 0;
    uint32_t fvf = 0;
    uint32_t vertexSize = 0;
    uint32_t batchStart = 0;  // first vertex of the current lock
    uint32_t nextFree = 0;
    uint32_t capacity = 0;
    uint8_t* lockedPointer = nullptr;
    uint64_t lastUseFrame = 0;
};

// Room for count vertices of stride bytes; the caller writes all of them
// before any other graphics call. Strides 16, 24 and 36 select Vertex2D,
// Vertex2DTex and Vertex3D. With kBatchQuadList, count is four per quad.
uint8_t* GR_VB_AllocVerts(int32_t primType, TextureRecord* texture, uint32_t stride, int32_t count);
// Draws the open batch (if any), closes it, then applies pending render states.
void GR_VB_Flush();
// Gives back the last n vertices of the open batch.
void GR_VB_Unreserve(int32_t n);
// Unlocks and rewinds the buffers used this frame.
void GR_VB_EndFrame();

VertexBatchBuffer* GR_VB_Find(int32_t count, uint32_t fvf);
VertexBatchBuffer* GR_VB_Create(uint32_t fvf, int32_t count);
void GR_VB_DrawBatch(int32_t primType, uint32_t vertexCount);

// The texture of the open batch, and forgetting it when it is freed.
TextureRecord* GR_VB_BatchTexture();
void GR_VB_ForgetTexture(TextureRecord* texture);
bool GR_VB_BatchOpen();

// Draw calls since the counter was last zeroed (at every frame begin).
int32_t GR_VB_DrawCalls();
// The batches the whole previous frame drew (the debug window shows it).
int32_t GR_VB_LastFrameDrawCalls();
void GR_VB_ResetDrawCalls();
size_t GR_VB_BufferCount();
// Releases every buffer, the quad indices too (device shutdown).
void GR_VB_ReleaseAll();

}  // namespace bw
