#include "graphics/vertex_batch.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "graphics/render_state.h"
#include "graphics/screen.h"
#include "graphics/transforms.h"
#include "platform/console.h"

namespace bw {

namespace {

struct BatchState {
    VertexBatchBuffer* open = nullptr;
    int32_t type = -1;
    TextureRecord* texture = nullptr;
    uint32_t stride = 0;
    uint8_t* writeBase = nullptr;
    uint64_t frame = 0;
    int32_t drawCalls = 0;
    int32_t lastFrameDrawCalls = 0;  // of the frame before the open one
    DeviceBufferId quadIndices = 0;
};

std::vector<std::unique_ptr<VertexBatchBuffer>> g_buffers;
BatchState g_batch;

uint32_t FvfForStride(uint32_t stride)
{
    if (stride == sizeof(Vertex2D)) {
        return kFvfVertex2D;
    }
    return stride == sizeof(Vertex2DTex) ? kFvfVertex2DTex : kFvfVertex3D;
}

bool Appendable(int32_t type, TextureRecord* texture, uint32_t stride, int32_t count)
{
    const VertexBatchBuffer* open = g_batch.open;
    const RenderStateCache& cache = GR_RenderStateCache();
    return open != nullptr && g_batch.type == type && g_batch.texture == texture && g_batch.stride == stride &&
           type != PrimitiveLineStrip && type != PrimitiveTriangleStrip && type != PrimitiveTriangleFan &&
           static_cast<uint64_t>(open->nextFree) + static_cast<uint64_t>(count) <= open->capacity &&
           cache.DirtyMask() == 0 && cache.SamplerDirtyMask() == 0;
}

void Lock(VertexBatchBuffer& buffer)
{
    if ((buffer.flags & VertexBatchBuffer::Locked) != 0) {
        return;
    }
    buffer.batchStart = buffer.nextFree;
    buffer.flags |= VertexBatchBuffer::UsedThisFrame | VertexBatchBuffer::Locked;
    buffer.lockedPointer = Device_Get()->LockVertexBuffer(buffer.buffer, buffer.batchStart * buffer.vertexSize,
                                                         (buffer.capacity - buffer.batchStart) * buffer.vertexSize);
}

[[noreturn]] void BufferCreationFailed()
{
    // Drawing cannot go on without somewhere to put vertices.
    Console().Printf("Fatel Error: Can not create vertex buffer\n");
    GR_FailAndExit("Fatel Error: Can not create vertex buffer");
}

// The shared indices of kQuadsPerIndexedDraw quads, made on first use and
// never changed, so every quad batch draws through the same buffer.
DeviceBufferId QuadIndices()
{
    if (g_batch.quadIndices == 0) {
        std::vector<uint16_t> indices(static_cast<size_t>(kQuadsPerIndexedDraw) * 6);
        static constexpr uint16_t kQuad[6] = {0, 1, 2, 2, 3, 0};
        for (size_t i = 0; i < indices.size(); ++i) {
            indices[i] = static_cast<uint16_t>(i / 6 * 4 + kQuad[i % 6]);
        }
        g_batch.quadIndices = Device_Get()->CreateIndexBuffer(indices.data(), static_cast<uint32_t>(indices.size()));
        if (g_batch.quadIndices == 0) {
            BufferCreationFailed();
        }
    }
    return g_batch.quadIndices;
}

void DrawQuads(const VertexBatchBuffer& open, uint32_t vertexCount)
{
    const DeviceBufferId indices = QuadIndices();
    for (uint32_t first = 0; first < vertexCount / 4; first += kQuadsPerIndexedDraw) {
        const uint32_t quads = std::min(vertexCount / 4 - first, kQuadsPerIndexedDraw);
        Device_Get()->DrawIndexedPrimitive(PrimitiveTriangleList, open.buffer, open.batchStart + first * 4, quads * 2,
                                           indices, 0);
        ++g_batch.drawCalls;
    }
}

void Unlock(VertexBatchBuffer& buffer)
{
    if ((buffer.flags & VertexBatchBuffer::Locked) == 0) {
        return;
    }
    Device_Get()->UnlockVertexBuffer(buffer.buffer, (buffer.nextFree - buffer.batchStart) * buffer.vertexSize);
    buffer.flags &= ~uint32_t{VertexBatchBuffer::Locked};
    buffer.lockedPointer = nullptr;
}

}  // namespace

uint8_t* GR_VB_AllocVerts(int32_t primType, TextureRecord* texture, uint32_t stride, int32_t count)
{
    if (Device_Get() == nullptr || count < 0) {
        return nullptr;
    }
    if (!Appendable(primType, texture, stride, count)) {
        GR_VB_Flush();
        g_batch.type = primType;
        g_batch.texture = texture;
        g_batch.stride = stride;
        VertexBatchBuffer* buffer = GR_VB_Find(count, FvfForStride(stride));
        g_batch.open = buffer;
        Lock(*buffer);
        g_batch.writeBase = buffer->lockedPointer;
    }
    VertexBatchBuffer& open = *g_batch.open;
    uint8_t* result = g_batch.writeBase + static_cast<size_t>(open.nextFree - open.batchStart) * stride;
    open.nextFree += static_cast<uint32_t>(count);
    return result;
}

void GR_VB_Flush()
{
    if (g_batch.type >= 0 && Device_Get() != nullptr) {
        GR_D3D_SetTexture(0, g_batch.texture);
        GR_VB_DrawBatch(g_batch.type, g_batch.open->nextFree - g_batch.open->batchStart);
        g_batch.type = -1;
    }
    GR_RenderStateCache().Flush();
}

void GR_VB_Unreserve(int32_t n)
{
    if (g_batch.open != nullptr && n > 0) {
        const uint32_t inBatch = g_batch.open->nextFree - g_batch.open->batchStart;
        g_batch.open->nextFree -= static_cast<uint32_t>(n) < inBatch ? static_cast<uint32_t>(n) : inBatch;
    }
}

void GR_VB_EndFrame()
{
    for (const std::unique_ptr<VertexBatchBuffer>& buffer : g_buffers) {
        if (buffer->lockedPointer != nullptr) {
            Unlock(*buffer);
        }
        if ((buffer->flags & VertexBatchBuffer::UsedThisFrame) != 0) {
            buffer->nextFree = 0;
            buffer->lastUseFrame = g_batch.frame;
            buffer->flags &= ~uint32_t{VertexBatchBuffer::UsedThisFrame};
            buffer->flags |= VertexBatchBuffer::Resting;
        }
    }
    ++g_batch.frame;
    g_batch.open = nullptr;
    g_batch.type = -1;
}

VertexBatchBuffer* GR_VB_Find(int32_t count, uint32_t fvf)
{
    for (const std::unique_ptr<VertexBatchBuffer>& buffer : g_buffers) {
        // A buffer already written this frame takes more in the same frame:
        // what it holds is drawn in order.
        const bool free = (buffer->flags & (VertexBatchBuffer::UsedThisFrame | VertexBatchBuffer::Resting)) !=
                              VertexBatchBuffer::Resting ||
                          buffer->lastUseFrame + 3 < g_batch.frame;
        if (buffer->fvf == fvf && buffer->capacity - buffer->nextFree >= static_cast<uint32_t>(count) && free) {
            return buffer.get();
        }
    }
    return GR_VB_Create(fvf, count);
}

VertexBatchBuffer* GR_VB_Create(uint32_t fvf, int32_t count)
{
    auto buffer = std::make_unique<VertexBatchBuffer>();
    buffer->fvf = fvf;
    buffer->vertexSize = Fvf_VertexSize(fvf);
    buffer->capacity = count > static_cast<int32_t>(kVertexBatchMinimumCapacity) ? static_cast<uint32_t>(count)
                                                                                 : kVertexBatchMinimumCapacity;
    buffer->flags = VertexBatchBuffer::Dynamic;
    buffer->buffer = Device_Get()->CreateVertexBuffer(buffer->capacity * buffer->vertexSize, fvf);
    if (buffer->buffer == 0) {
        BufferCreationFailed();
    }
    g_buffers.push_back(std::move(buffer));
    return g_buffers.back().get();
}

void GR_VB_DrawBatch(int32_t primType, uint32_t vertexCount)
{
    const bool quads = primType == kBatchQuadList;
    const uint32_t count = quads ? vertexCount / 4 : Primitive_CountFromVertices(primType, vertexCount);
    if (count < 1) {
        return;
    }
    VertexBatchBuffer& open = *g_batch.open;
    Unlock(open);
    if (quads) {
        DrawQuads(open, vertexCount);
        return;
    }
    Device_Get()->DrawPrimitive(primType, open.buffer, open.batchStart, count);
    ++g_batch.drawCalls;
}

TextureRecord* GR_VB_BatchTexture()
{
    return g_batch.type >= 0 ? g_batch.texture : nullptr;
}

void GR_VB_ForgetTexture(TextureRecord* texture)
{
    if (g_batch.texture == texture) {
        g_batch.texture = nullptr;
    }
}

bool GR_VB_BatchOpen()
{
    return g_batch.type >= 0;
}

int32_t GR_VB_DrawCalls()
{
    return g_batch.drawCalls;
}

int32_t GR_VB_LastFrameDrawCalls()
{
    return g_batch.lastFrameDrawCalls;
}

void GR_VB_ResetDrawCalls()
{
    g_batch.lastFrameDrawCalls = g_batch.drawCalls;
    g_batch.drawCalls = 0;
}

size_t GR_VB_BufferCount()
{
    return g_buffers.size();
}

void GR_VB_ReleaseAll()
{
    IGraphicsDevice* device = Device_Get();
    for (const std::unique_ptr<VertexBatchBuffer>& buffer : g_buffers) {
        if (device != nullptr) {
            if (buffer->lockedPointer != nullptr) {
                device->UnlockVertexBuffer(buffer->buffer, 0);
            }
            device->ReleaseVertexBuffer(buffer->buffer);
        }
    }
    if (device != nullptr && g_batch.quadIndices != 0) {
        device->ReleaseIndexBuffer(g_batch.quadIndices);
    }
    g_buffers.clear();
    g_batch = BatchState();
}

}  // namespace bw
