// A recording of 3D primitives kept as three plain vertex lists (triangles,
// lines, points): strips and fans become lists as they are recorded, so a
// model replays with at most three draws from vertex buffers built once.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "graphics/device/device.h"

namespace bw {

class TextureRecord;

class GraphicsRecorder {
public:
    // Bit 0 of the colour word switches recolouring off.
    static constexpr uint32_t kRecolourOff = 1;

    GraphicsRecorder() = default;
    ~GraphicsRecorder();
    GraphicsRecorder(const GraphicsRecorder&) = delete;
    GraphicsRecorder& operator=(const GraphicsRecorder&) = delete;

    // Records n vertices of a PrimitiveType; any kind that is no line or
    // triangle kind records points. A strip or fan too short for one
    // primitive records nothing. The buffers of a list that grows are
    // released, so the next draw shows the new vertices.
    void AddPrimitive(int32_t kind, int32_t n, const Vertex3D* vertices);
    // Every vertex of the colour word's colour takes `colour` (bit 0
    // cleared), which becomes the new colour word; nothing when recolouring
    // is off.
    void Recolour(uint32_t colour);
    // Draws the lists translated by (x, y, z) on top of the world transform,
    // with the texture (null: none; not owned) on stage 0 and repeating,
    // building the buffers that are missing.
    void Draw(float x, float y, float z, TextureRecord* texture);
    void ReleaseBuffers();

    std::span<const Vertex3D> Triangles() const { return m_lists[kTriangles].vertices; }
    std::span<const Vertex3D> Lines() const { return m_lists[kLines].vertices; }
    std::span<const Vertex3D> Points() const { return m_lists[kPoints].vertices; }

    uint32_t colourWord = 0;

private:
    enum ListIndex { kTriangles, kLines, kPoints, kListCount };
    struct VertexList {
        std::vector<Vertex3D> vertices;
        DeviceBufferId buffer = 0;  // built at the first draw, 0 when stale
    };

    // Room for `count` more vertices at the end of a list; its buffer is stale.
    Vertex3D* Grow(ListIndex list, size_t count);
    void ReleaseBuffer(VertexList& list);

    VertexList m_lists[kListCount];
    IGraphicsDevice* m_bufferDevice = nullptr;  // the device the buffers were built on
};

}  // namespace bw
