// 3D geometry drawn by game code: a primitive opened with a type and a
// texture, filled vertex by vertex with optional colour, normal and texture
// coordinates, and closed; and whole shapes (block, cylinder, cone,
// ellipsoid, wall, floor) drawn in one call. Vertices collect in a fixed
// staging array; closing hands them to the vertex batch, or to the sink a
// model installs while it records. A primitive longer than the staging
// array is drawn in pieces that stay connected.
#pragma once

#include <cstdint>
#include <span>

#include "graphics/device/device.h"

namespace bw {

inline constexpr int32_t kPrimitive3DMaxVertices = 1000;
// Steps of the round shapes are held to this range.
inline constexpr int32_t kShapeMinSteps = 3;
inline constexpr int32_t kShapeMaxSteps = 128;

// Takes finished primitives instead of the vertex batch (a model recording
// its drawing).
class IPrimitiveSink {
public:
    virtual ~IPrimitiveSink() = default;
    virtual void AddPrimitive(int32_t type, std::span<const Vertex3D> vertices) = 0;
};
// Installs a sink (null: the vertex batch again) and returns the previous one.
IPrimitiveSink* GR_3D_SetPrimitiveSink(IPrimitiveSink* sink);

// type: 1 point list .. 6 triangle fan; other types draw nothing. texture: a
// texture id, a texture page entry handle or -1 for none.
void GR_3D_PrimitiveBegin(int32_t type, int32_t texture);
// Missing parts are 0 (normal, u, v) or the drawing colour and alpha.
// colour: script colour 0x00BBGGRR.
void GR_3D_Vertex(float x, float y, float z);
void GR_3D_VertexColour(float x, float y, float z, uint32_t colour, float alpha);
void GR_3D_VertexTexture(float x, float y, float z, float u, float v);
void GR_3D_VertexTextureColour(float x, float y, float z, float u, float v, uint32_t colour, float alpha);
void GR_3D_VertexNormal(float x, float y, float z, float nx, float ny, float nz);
void GR_3D_VertexNormalColour(float x, float y, float z, float nx, float ny, float nz, uint32_t colour, float alpha);
void GR_3D_VertexNormalTexture(float x, float y, float z, float nx, float ny, float nz, float u, float v);
void GR_3D_VertexNormalTextureColour(float x, float y, float z, float nx, float ny, float nz, float u, float v,
                                     uint32_t colour, float alpha);
void GR_3D_PrimitiveEnd();

// Shapes in the drawing colour, textured with texture repeat on for their
// duration. Faces wind so that they are front faces seen from outside.
void GR_3D_DrawBlock(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                     float vrepeat);
void GR_3D_DrawCylinder(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                        float vrepeat, bool closed, int32_t steps);
void GR_3D_DrawCone(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                    float vrepeat, bool closed, int32_t steps);
void GR_3D_DrawEllipsoid(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                         float vrepeat, int32_t steps);
void GR_3D_DrawWall(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                    float vrepeat);
void GR_3D_DrawFloor(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                     float vrepeat);

}  // namespace bw
