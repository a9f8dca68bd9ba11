#include "graphics/graphics_recorder.h"

#include <cstring>
#include <limits>

#include "graphics/render_state.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"

namespace bw {

namespace {

// Vertices a list of the kind needs for n recorded ones; 0 when n makes not
// even one primitive.
size_t ListSize(int32_t kind, size_t n)
{
    switch (kind) {
        case PrimitiveLineStrip:
            return n >= 2 ? 2 * n - 2 : 0;
        case PrimitiveTriangleStrip:
        case PrimitiveTriangleFan:
            return n >= 3 ? 3 * (n - 2) : 0;
        default:
            return n;
    }
}

}  // namespace

GraphicsRecorder::~GraphicsRecorder()
{
    ReleaseBuffers();
}

Vertex3D* GraphicsRecorder::Grow(ListIndex list, size_t count)
{
    VertexList& target = m_lists[list];
    ReleaseBuffer(target);
    const size_t start = target.vertices.size();
    target.vertices.resize(start + count);
    return target.vertices.data() + start;
}

void GraphicsRecorder::AddPrimitive(int32_t kind, int32_t n, const Vertex3D* v)
{
    if (n <= 0 || v == nullptr) {
        return;
    }
    const size_t count = static_cast<size_t>(n);
    const size_t added = ListSize(kind, count);
    if (added == 0) {
        return;
    }
    switch (kind) {
        case PrimitiveLineStrip: {
            Vertex3D* out = Grow(kLines, added);
            for (size_t i = 0; i + 1 < count; ++i) {
                *out++ = v[i];
                *out++ = v[i + 1];
            }
            return;
        }
        case PrimitiveTriangleStrip: {
            // Every second triangle of a strip is wound the other way; turned
            // back, all of them face the same side.
            Vertex3D* out = Grow(kTriangles, added);
            for (size_t i = 0; i + 2 < count; ++i) {
                const bool odd = (i & 1) != 0;
                *out++ = v[odd ? i + 2 : i];
                *out++ = v[i + 1];
                *out++ = v[odd ? i : i + 2];
            }
            return;
        }
        case PrimitiveTriangleFan: {
            Vertex3D* out = Grow(kTriangles, added);
            for (size_t i = 0; i + 2 < count; ++i) {
                *out++ = v[0];
                *out++ = v[i + 1];
                *out++ = v[i + 2];
            }
            return;
        }
        default: {
            // Lists are taken as they are.
            const ListIndex list = kind == PrimitiveLineList       ? kLines
                                   : kind == PrimitiveTriangleList ? kTriangles
                                                                   : kPoints;
            std::memcpy(Grow(list, added), v, added * sizeof(Vertex3D));
            return;
        }
    }
}

void GraphicsRecorder::Recolour(uint32_t colour)
{
    if ((colourWord & kRecolourOff) != 0) {
        return;
    }
    const uint32_t replacement = colour & ~kRecolourOff;
    for (VertexList& list : m_lists) {
        for (Vertex3D& vertex : list.vertices) {
            if (vertex.colour == colourWord) {
                vertex.colour = replacement;
            }
        }
    }
    ReleaseBuffers();
    colourWord = replacement;
}

void GraphicsRecorder::ReleaseBuffer(VertexList& list)
{
    if (list.buffer == 0) {
        return;
    }
    // Buffers of a device that has since gone went with it.
    if (Device_Get() != nullptr && Device_Get() == m_bufferDevice) {
        Device_Get()->ReleaseVertexBuffer(list.buffer);
    }
    list.buffer = 0;
}

void GraphicsRecorder::ReleaseBuffers()
{
    for (VertexList& list : m_lists) {
        ReleaseBuffer(list);
    }
}

void GraphicsRecorder::Draw(float x, float y, float z, TextureRecord* texture)
{
    IGraphicsDevice* device = Device_Get();
    if (device == nullptr) {
        return;
    }
    if (device != m_bufferDevice) {
        ReleaseBuffers();
        m_bufferDevice = device;
    }
    const TextureRepeatScope repeat;
    Matrix saved{};
    GR_D3D_GetMatrix(TransformKind::World, saved);
    Matrix world{};
    Matrix_Multiply(world, Matrix_Translation(x, y, z), saved);
    GR_D3D_SetMatrix(TransformKind::World, world);
    GR_VB_Flush();  // puts the repeat wish in force
    GR_D3D_SetTexture(0, texture);

    static constexpr struct {
        ListIndex list;
        int32_t type;
    } kDrawOrder[] = {
        {kTriangles, PrimitiveTriangleList},
        {kLines, PrimitiveLineList},
        {kPoints, PrimitivePointList},
    };
    constexpr size_t kMostVertices = std::numeric_limits<uint32_t>::max() / sizeof(Vertex3D);
    for (const auto& [index, type] : kDrawOrder) {
        VertexList& list = m_lists[index];
        const size_t count = list.vertices.size();
        if (count > kMostVertices) {
            continue;  // more than one buffer can hold
        }
        const uint32_t primitives = Primitive_CountFromVertices(type, static_cast<uint32_t>(count));
        if (primitives == 0) {
            continue;
        }
        const auto bytes = static_cast<uint32_t>(count * sizeof(Vertex3D));
        if (list.buffer == 0) {
            list.buffer = device->CreateVertexBuffer(bytes, kFvfVertex3D);
            uint8_t* out = list.buffer != 0 ? device->LockVertexBuffer(list.buffer, 0, bytes) : nullptr;
            if (out == nullptr) {
                ReleaseBuffer(list);
                continue;
            }
            std::memcpy(out, list.vertices.data(), bytes);
            device->UnlockVertexBuffer(list.buffer, bytes);
        }
        device->DrawPrimitive(type, list.buffer, 0, primitives);
    }
    GR_D3D_RestoreMatrix(TransformKind::World, saved);
}

}  // namespace bw
