#include "graphics/primitives_3d.h"

#include <algorithm>
#include <cmath>

#include "graphics/draw_2d.h"
#include "graphics/render_state.h"
#include "graphics/textures.h"
#include "graphics/vertex_batch.h"
#include "platform/maths.h"

namespace bw {

namespace {

constexpr float kPi = 3.1415927f;

struct Staging {
    int32_t type = 0;
    PrimitiveTexture texture;
    Vertex3D vertices[kPrimitive3DMaxVertices] = {};
    int32_t count = 0;
};
Staging g_staging;
IPrimitiveSink* g_sink = nullptr;

// The model recorder recolours vertices whose colour has bit 0 clear, so
// every colour written here has it clear.
uint32_t VertexColour(uint32_t argb)
{
    return argb & ~1u;
}

uint32_t DrawColour()
{
    return VertexColour(GR_ColourGetARGB());
}

uint32_t GivenColour(uint32_t colour, float alpha)
{
    return VertexColour(GR_ColourWithAlpha(colour, GR_AlphaToByte(alpha)));
}

// A triangle list is handed on in whole triangles.
int32_t StagingLimit(int32_t type)
{
    return type == PrimitiveTriangleList ? kPrimitive3DMaxVertices - 1 : kPrimitive3DMaxVertices;
}

// A strip is cut only when the staging array is full, after an even count,
// so the next piece's first triangle winds like the one it continues.
static_assert(kPrimitive3DMaxVertices % 2 == 0);

// Draws the staged part of a primitive that outgrew the staging array and
// starts the next part with what keeps the shape connected: a line strip's
// last vertex, a triangle strip's last two, a fan's centre and last vertex.
void DrawStagedPart()
{
    Staging& s = g_staging;
    Vertex3D carried[2];
    int32_t n = 0;
    const int32_t last = s.count - 1;
    switch (s.type) {
    case PrimitiveLineStrip:
        carried[n++] = s.vertices[last];
        break;
    case PrimitiveTriangleStrip:
        carried[n++] = s.vertices[last - 1];
        carried[n++] = s.vertices[last];
        break;
    case PrimitiveTriangleFan:
        carried[n++] = s.vertices[0];
        carried[n++] = s.vertices[last];
        break;
    default:
        break;
    }
    GR_3D_PrimitiveEnd();
    std::copy_n(carried, n, s.vertices);
    s.count = n;
}

void AddVertex(float x, float y, float z, float nx, float ny, float nz, uint32_t colour, float u, float v)
{
    Staging& s = g_staging;
    if (s.count >= StagingLimit(s.type)) {
        DrawStagedPart();
    }
    s.vertices[s.count++] = Vertex3D{x, y, z, nx, ny, nz, colour, u, v};
}

void AddTexturedVertex(float x, float y, float z, float nx, float ny, float nz, uint32_t colour, float u, float v)
{
    g_staging.texture.MapUV(u, v);
    AddVertex(x, y, z, nx, ny, nz, colour, u, v);
}

// Shapes turn texture repeat on while they draw and put it back after; the
// batch drawn before them keeps the setting it was made with.
struct Ring {
    float cos[kShapeMaxSteps + 1];
    float sin[kShapeMaxSteps + 1];
    int32_t steps;
};

// Points at 2 pi i / steps for i = 0 .. steps, the last one exactly the first.
Ring MakeRing(int32_t steps)
{
    Ring ring{};
    ring.steps = std::clamp(steps, kShapeMinSteps, kShapeMaxSteps);
    for (int32_t i = 0; i < ring.steps; ++i) {
        const float a = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(ring.steps);
        ring.cos[i] = std::cos(a);
        ring.sin[i] = std::sin(a);
    }
    ring.cos[ring.steps] = ring.cos[0];
    ring.sin[ring.steps] = ring.sin[0];
    return ring;
}

struct Ellipse {
    float cx, cy, rx, ry;
};

// A closed end of a cylinder or cone, its texture laid flat over it. The
// bottom walks the ring backwards so it faces down.
void DrawCap(const Ellipse& e, const Ring& ring, float z, float nz, int32_t texture, float hrepeat, float vrepeat)
{
    const uint32_t colour = DrawColour();
    GR_3D_PrimitiveBegin(PrimitiveTriangleFan, texture);
    AddTexturedVertex(e.cx, e.cy, z, 0.0f, 0.0f, nz, colour, hrepeat * 0.5f, vrepeat * 0.5f);
    for (int32_t k = 0; k <= ring.steps; ++k) {
        const int32_t i = nz > 0.0f ? k : ring.steps - k;
        AddTexturedVertex(e.cx + e.rx * ring.cos[i], e.cy + e.ry * ring.sin[i], z, 0.0f, 0.0f, nz, colour,
                          hrepeat * (ring.cos[i] + 1.0f) * 0.5f, vrepeat * (ring.sin[i] + 1.0f) * 0.5f);
    }
    GR_3D_PrimitiveEnd();
}

// Cylinder, or a cone when its top is shrunk to the centre.
void DrawRound(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
               float vrepeat, bool closed, int32_t steps, bool cone)
{
    const TextureRepeatScope scope;
    const Ring ring = MakeRing(steps);
    const Ellipse e{(x1 + x2) / 2.0f, (y1 + y2) / 2.0f, (x2 - x1) / 2.0f, (y2 - y1) / 2.0f};
    const float topScale = cone ? 0.0f : 1.0f;
    if (closed && !cone) {
        DrawCap(e, ring, z2, 1.0f, texture, hrepeat, vrepeat);
    }
    const uint32_t colour = DrawColour();
    GR_3D_PrimitiveBegin(PrimitiveTriangleStrip, texture);
    for (int32_t i = 0; i <= ring.steps; ++i) {
        const float c = ring.cos[i], s = ring.sin[i];
        const float u = static_cast<float>(i) * hrepeat / static_cast<float>(ring.steps);
        AddTexturedVertex(e.cx + e.rx * c * topScale, e.cy + e.ry * s * topScale, z2, c, s, 0.0f, colour, u, vrepeat);
        AddTexturedVertex(e.cx + e.rx * c, e.cy + e.ry * s, z1, c, s, 0.0f, colour, u, 0.0f);
    }
    GR_3D_PrimitiveEnd();
    if (closed) {
        DrawCap(e, ring, z1, -1.0f, texture, hrepeat, vrepeat);
    }
}

// One face of a block: corner p, edges a and b with a x b pointing out.
void AddBlockFace(const Vector3& p, const Vector3& a, const Vector3& b, const Vector3& normal, uint32_t colour,
                  float hrepeat, float vrepeat)
{
    const Vector3 corners[4] = {
        p, {p.x + a.x, p.y + a.y, p.z + a.z}, {p.x + a.x + b.x, p.y + a.y + b.y, p.z + a.z + b.z},
        {p.x + b.x, p.y + b.y, p.z + b.z}};
    const float us[4] = {0.0f, hrepeat, hrepeat, 0.0f};
    const float vs[4] = {0.0f, 0.0f, vrepeat, vrepeat};
    for (const int32_t k : {0, 1, 2, 0, 2, 3}) {
        AddTexturedVertex(corners[k].x, corners[k].y, corners[k].z, normal.x, normal.y, normal.z, colour, us[k],
                          vs[k]);
    }
}

// A wall or floor: one fan over four corners, facing the side its corners
// turn clockwise for, with the normal of that side.
void DrawQuadFan(const Vector3 (&corners)[4], int32_t texture, float hrepeat, float vrepeat)
{
    const TextureRepeatScope scope;
    Vector3 a{};
    Vector3 b{};
    Vector3 normal{};
    Vector3_Subtract(a, corners[1], corners[0]);
    Vector3_Subtract(b, corners[2], corners[1]);
    Vector3_Cross(normal, a, b);
    Vector3_Normalise(normal);
    const float us[4] = {0.0f, hrepeat, hrepeat, 0.0f};
    const float vs[4] = {0.0f, 0.0f, vrepeat, vrepeat};
    const uint32_t colour = DrawColour();
    GR_3D_PrimitiveBegin(PrimitiveTriangleFan, texture);
    for (int32_t k = 0; k < 4; ++k) {
        AddTexturedVertex(corners[k].x, corners[k].y, corners[k].z, normal.x, normal.y, normal.z, colour, us[k],
                          vs[k]);
    }
    GR_3D_PrimitiveEnd();
}

}  // namespace

IPrimitiveSink* GR_3D_SetPrimitiveSink(IPrimitiveSink* sink)
{
    IPrimitiveSink* previous = g_sink;
    g_sink = sink;
    return previous;
}

void GR_3D_PrimitiveBegin(int32_t type, int32_t texture)
{
    g_staging.count = 0;
    g_staging.type = type;
    g_staging.texture = GR_ResolvePrimitiveTexture(texture);
}

void GR_3D_Vertex(float x, float y, float z)
{
    AddVertex(x, y, z, 0.0f, 0.0f, 0.0f, DrawColour(), 0.0f, 0.0f);
}

void GR_3D_VertexColour(float x, float y, float z, uint32_t colour, float alpha)
{
    AddVertex(x, y, z, 0.0f, 0.0f, 0.0f, GivenColour(colour, alpha), 0.0f, 0.0f);
}

void GR_3D_VertexTexture(float x, float y, float z, float u, float v)
{
    AddTexturedVertex(x, y, z, 0.0f, 0.0f, 0.0f, DrawColour(), u, v);
}

void GR_3D_VertexTextureColour(float x, float y, float z, float u, float v, uint32_t colour, float alpha)
{
    AddTexturedVertex(x, y, z, 0.0f, 0.0f, 0.0f, GivenColour(colour, alpha), u, v);
}

void GR_3D_VertexNormal(float x, float y, float z, float nx, float ny, float nz)
{
    AddVertex(x, y, z, nx, ny, nz, DrawColour(), 0.0f, 0.0f);
}

void GR_3D_VertexNormalColour(float x, float y, float z, float nx, float ny, float nz, uint32_t colour, float alpha)
{
    AddVertex(x, y, z, nx, ny, nz, GivenColour(colour, alpha), 0.0f, 0.0f);
}

void GR_3D_VertexNormalTexture(float x, float y, float z, float nx, float ny, float nz, float u, float v)
{
    AddTexturedVertex(x, y, z, nx, ny, nz, DrawColour(), u, v);
}

void GR_3D_VertexNormalTextureColour(float x, float y, float z, float nx, float ny, float nz, float u, float v,
                                     uint32_t colour, float alpha)
{
    AddTexturedVertex(x, y, z, nx, ny, nz, GivenColour(colour, alpha), u, v);
}

void GR_3D_PrimitiveEnd()
{
    const Staging& s = g_staging;
    if (s.type < PrimitivePointList || s.type > PrimitiveTriangleFan || s.count < 1) {
        return;
    }
    if (g_sink != nullptr) {
        g_sink->AddPrimitive(s.type, std::span<const Vertex3D>(s.vertices, static_cast<size_t>(s.count)));
        return;
    }
    auto* out = reinterpret_cast<Vertex3D*>(
        GR_VB_AllocVerts(s.type, Texture_Get(s.texture.texture), sizeof(Vertex3D), s.count));
    if (out != nullptr) {
        std::copy_n(s.vertices, s.count, out);
    }
}

void GR_3D_DrawBlock(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                     float vrepeat)
{
    const TextureRepeatScope scope;
    const float dx = x2 - x1, dy = y2 - y1, dz = z2 - z1;
    const Vector3 low{x1, y1, z1};
    const Vector3 high{x2, y2, z2};
    const Vector3 alongX{dx, 0.0f, 0.0f}, alongY{0.0f, dy, 0.0f}, alongZ{0.0f, 0.0f, dz};
    const Vector3 backX{-dx, 0.0f, 0.0f}, backY{0.0f, -dy, 0.0f}, backZ{0.0f, 0.0f, -dz};
    const uint32_t colour = DrawColour();
    GR_3D_PrimitiveBegin(PrimitiveTriangleList, texture);
    AddBlockFace(low, alongY, alongX, {0.0f, 0.0f, -1.0f}, colour, hrepeat, vrepeat);   // z1
    AddBlockFace(high, backX, backY, {0.0f, 0.0f, 1.0f}, colour, hrepeat, vrepeat);     // z2
    AddBlockFace(low, alongX, alongZ, {0.0f, -1.0f, 0.0f}, colour, hrepeat, vrepeat);   // y1
    AddBlockFace(high, backZ, backX, {0.0f, 1.0f, 0.0f}, colour, hrepeat, vrepeat);     // y2
    AddBlockFace(low, alongZ, alongY, {-1.0f, 0.0f, 0.0f}, colour, hrepeat, vrepeat);   // x1
    AddBlockFace(high, backY, backZ, {1.0f, 0.0f, 0.0f}, colour, hrepeat, vrepeat);     // x2
    GR_3D_PrimitiveEnd();
}

void GR_3D_DrawCylinder(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                        float vrepeat, bool closed, int32_t steps)
{
    DrawRound(x1, y1, z1, x2, y2, z2, texture, hrepeat, vrepeat, closed, steps, false);
}

void GR_3D_DrawCone(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                    float vrepeat, bool closed, int32_t steps)
{
    DrawRound(x1, y1, z1, x2, y2, z2, texture, hrepeat, vrepeat, closed, steps, true);
}

void GR_3D_DrawEllipsoid(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                         float vrepeat, int32_t steps)
{
    const TextureRepeatScope scope;
    const Ring ring = MakeRing(steps);
    const int32_t bands = (ring.steps + 1) / 2;
    const float cx = (x1 + x2) / 2.0f, cy = (y1 + y2) / 2.0f, cz = (z1 + z2) / 2.0f;
    const float rx = (x2 - x1) / 2.0f, ry = (y2 - y1) / 2.0f, rz = (z2 - z1) / 2.0f;
    const uint32_t colour = DrawColour();
    for (int32_t band = 0; band < bands; ++band) {
        GR_3D_PrimitiveBegin(PrimitiveTriangleStrip, texture);
        for (int32_t i = 0; i <= ring.steps; ++i) {
            const float u = static_cast<float>(i) * hrepeat / static_cast<float>(ring.steps);
            // The upper latitude first, as on a cylinder's side.
            for (const int32_t row : {band, band + 1}) {
                const float latitude = kPi * static_cast<float>(row) / static_cast<float>(bands);
                const float across = std::sin(latitude);
                const float nx = across * ring.cos[i], ny = across * ring.sin[i], nz = std::cos(latitude);
                AddTexturedVertex(cx + rx * nx, cy + ry * ny, cz + rz * nz, nx, ny, nz, colour, u,
                                  static_cast<float>(row) * vrepeat / static_cast<float>(bands));
            }
        }
        GR_3D_PrimitiveEnd();
    }
}

void GR_3D_DrawWall(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                    float vrepeat)
{
    DrawQuadFan({{x1, y1, z1}, {x2, y2, z1}, {x2, y2, z2}, {x1, y1, z2}}, texture, hrepeat, vrepeat);
}

void GR_3D_DrawFloor(float x1, float y1, float z1, float x2, float y2, float z2, int32_t texture, float hrepeat,
                     float vrepeat)
{
    DrawQuadFan({{x1, y1, z1}, {x2, y1, z1}, {x2, y2, z2}, {x1, y2, z2}}, texture, hrepeat, vrepeat);
}

}  // namespace bw
