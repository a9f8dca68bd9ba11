#include "graphics/draw_2d.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "graphics/device/device.h"
#include "graphics/graphics_3d.h"
#include "graphics/texture_pages.h"
#include "graphics/texture_records.h"
#include "graphics/textures.h"
#include "graphics/transforms.h"
#include "graphics/vertex_batch.h"

namespace bw {

namespace {

constexpr float kPi = 3.1415927f;
constexpr int32_t kMaxPrecision = 64;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kBlack = 0;

struct PrimitiveState {
    int32_t kind = 0;
    PrimitiveTexture texture;
    Vertex2DTex vertices[kPrimitiveMaxVertices] = {};
    int32_t count = 0;
};

struct DrawState {
    uint32_t colour = 0xFF000000u;  // ARGB with the alpha on top
    uint32_t alpha = 255;
    int32_t precision = 0;  // 0 until the tables are first filled
    float cosTable[kMaxPrecision + 1] = {};
    float sinTable[kMaxPrecision + 1] = {};
    PrimitiveState primitive;
};
DrawState g_draw;

uint32_t SwapRedBlue(uint32_t colour)
{
    return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}

// The script colour with the draw alpha, as a vertex colour.
uint32_t WithDrawAlpha(uint32_t colour)
{
    return GR_ColourWithAlpha(colour, g_draw.alpha);
}

struct HalfPixel {
    float x, y;
};

HalfPixel HalfPixelScale()
{
    HalfPixel h{};
    GR_GetHalfPixelScale(h.x, h.y);
    return h;
}

Vertex2D* AllocPlain(int32_t type, int32_t count)
{
    return reinterpret_cast<Vertex2D*>(GR_VB_AllocVerts(type, nullptr, sizeof(Vertex2D), count));
}

Vertex2DTex* AllocTex(int32_t type, int32_t count)
{
    return reinterpret_cast<Vertex2DTex*>(GR_VB_AllocVerts(type, nullptr, sizeof(Vertex2DTex), count));
}

Vertex2DTex TexVertex(float x, float y, uint32_t colour)
{
    return Vertex2DTex{x, y, GR_3D_GetDepth(), colour, 0.0f, 0.0f};
}

void WideLine(float x1, float y1, float x2, float y2, float w, uint32_t c1, uint32_t c2)
{
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float len = std::sqrt(dx * dx + dy * dy);
    if (!(len > 0.0f)) {
        return;
    }
    const HalfPixel hp = HalfPixelScale();
    const float X1 = x1 + hp.x, Y1 = y1 + hp.y, X2 = x2 + hp.x, Y2 = y2 + hp.y;
    const float half = w * 0.5f;
    const float nx = (X2 - X1) * half / len;
    const float ny = (Y2 - Y1) * half / len;
    Vertex2D* v = AllocPlain(PrimitiveTriangleFan, 4);
    if (v == nullptr) {
        return;
    }
    const float z = GR_3D_GetDepth();
    v[0] = Vertex2D{X1 - ny, Y1 + nx, z, c1};
    v[1] = Vertex2D{X2 - ny, Y2 + nx, z, c2};
    v[2] = Vertex2D{X2 + ny, Y2 - nx, z, c2};
    v[3] = Vertex2D{X1 + ny, Y1 - nx, z, c1};
}

void Point(float x, float y, uint32_t colour)
{
    Vertex2D* v = AllocPlain(PrimitivePointList, 1);
    if (v == nullptr) {
        return;
    }
    const HalfPixel hp = HalfPixelScale();
    v[0] = Vertex2D{x + hp.x, y + hp.y, GR_3D_GetDepth(), colour};
}

void Line(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2)
{
    Vertex2D* v = AllocPlain(PrimitiveLineList, 2);
    if (v == nullptr) {
        return;
    }
    const HalfPixel hp = HalfPixelScale();
    const float z = GR_3D_GetDepth();
    v[0] = Vertex2D{x1 + hp.x, y1 + hp.y, z, c1};
    v[1] = Vertex2D{x2 + hp.x, y2 + hp.y, z, c2};
}

void Triangle(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t c1, uint32_t c2, uint32_t c3,
              int32_t outline)
{
    const bool lines = outline == 1;
    Vertex2DTex* v = AllocTex(lines ? PrimitiveLineStrip : PrimitiveTriangleList, lines ? 4 : 3);
    if (v == nullptr) {
        return;
    }
    v[0] = TexVertex(x1, y1, c1);
    v[1] = TexVertex(x2, y2, c2);
    v[2] = TexVertex(x3, y3, c3);
    if (lines) {
        v[3] = v[0];
    }
}

// Filled rectangle with left and top as given and right and bottom offset.
void FilledRect(float x1, float y1, float x2, float y2, uint32_t colour)
{
    const HalfPixel hp = HalfPixelScale();
    const float r = x2 + hp.x;
    const float b = y2 + hp.y;
    Vertex2DTex* v = AllocTex(PrimitiveTriangleList, 6);
    if (v == nullptr) {
        return;
    }
    v[0] = TexVertex(x1, y1, colour);
    v[1] = TexVertex(r, y1, colour);
    v[2] = TexVertex(r, b, colour);
    v[3] = v[2];
    v[4] = TexVertex(x1, b, colour);
    v[5] = v[0];
}

// Circles drawn before start-up set a precision get the default one.
int32_t Precision()
{
    if (g_draw.precision == 0) {
        GR_InitCirclePrecision();
    }
    return g_draw.precision;
}

void Ellipse(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge, int32_t outline)
{
    const int32_t n = Precision();
    const float cx = (x1 + x2) / 2.0f;
    const float cy = (y1 + y2) / 2.0f;
    const float rx = std::fabs(x1 - x2) / 2.0f;
    const float ry = std::fabs(y1 - y2) / 2.0f;
    auto rim = [&](int32_t i) { return TexVertex(g_draw.cosTable[i] * rx + cx, g_draw.sinTable[i] * ry + cy, edge); };
    if (outline == 1) {
        Vertex2DTex* v = AllocTex(PrimitiveLineStrip, n + 1);
        for (int32_t i = 0; v != nullptr && i <= n; ++i) {
            v[i] = rim(i);
        }
        return;
    }
    Vertex2DTex* v = AllocTex(PrimitiveTriangleList, 3 * n);
    for (int32_t i = 0; v != nullptr && i < n; ++i) {
        v[3 * i] = TexVertex(cx, cy, centre);
        v[3 * i + 1] = rim(i);
        v[3 * i + 2] = rim(i + 1);
    }
}

// Sorted corners, with 0.01 added to a whole-number right or bottom edge so
// that edge's last pixel is covered.
void SortAndWiden(float& x1, float& y1, float& x2, float& y2)
{
    if (x1 > x2) {
        std::swap(x1, x2);
    }
    if (y1 > y2) {
        std::swap(y1, y2);
    }
    if (x2 == std::floor(x2)) {
        x2 += 0.01f;
    }
    if (y2 == std::floor(y2)) {
        y2 += 0.01f;
    }
}

uint32_t PrimitiveVertexColour(uint32_t colour, float alpha)
{
    return GR_ColourWithAlpha(colour, GR_AlphaToByte(alpha));
}

void AddPrimitiveVertex(float x, float y, uint32_t colour, float u, float v)
{
    PrimitiveState& p = g_draw.primitive;
    if (p.count >= kPrimitiveMaxVertices) {
        return;
    }
    p.vertices[p.count++] = Vertex2DTex{x, y, GR_3D_GetDepth(), colour, u, v};
}

}  // namespace

void GR_SetColour(uint32_t colour)
{
    g_draw.colour = GR_ColourWithAlpha(colour, g_draw.alpha);
}

void GR_SetAlpha(float alpha)
{
    g_draw.alpha = GR_AlphaToByte(alpha);
    g_draw.colour = (g_draw.colour & 0x00FFFFFFu) | g_draw.alpha << 24;
}

void GR_SetColourRGB(uint8_t r, uint8_t g, uint8_t b)
{
    GR_SetColour(GR_MakeColour(r, g, b));
}

void GR_SetColourRGB(uint8_t r, uint8_t g, uint8_t b, float alpha)
{
    GR_SetAlpha(alpha);
    GR_SetColour(GR_MakeColour(r, g, b));
}

uint32_t GR_GetColour()
{
    return SwapRedBlue(g_draw.colour);
}

float GR_GetAlpha()
{
    return static_cast<float>(g_draw.alpha) / 255.0f;
}

uint8_t GR_ColourGetRed()
{
    return static_cast<uint8_t>(g_draw.colour >> 16);
}

uint8_t GR_ColourGetGreen()
{
    return static_cast<uint8_t>(g_draw.colour >> 8);
}

uint8_t GR_ColourGetBlue()
{
    return static_cast<uint8_t>(g_draw.colour);
}

uint32_t GR_ColourGetARGB()
{
    return g_draw.colour;
}

uint32_t GR_MakeColour(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}

uint8_t GR_AlphaToByte(float alpha)
{
    // NaN lands on 0 like any alpha below the range.
    const float held = alpha >= 1.0f ? 1.0f : (alpha > 0.0f ? alpha : 0.0f);
    return static_cast<uint8_t>(held * 255.0f);
}

uint32_t GR_ColourWithAlpha(uint32_t colour, uint32_t alphaByte)
{
    return (alphaByte & 0xFF) << 24 | SwapRedBlue(colour & 0xFFFFFFu);
}

uint32_t GR_MergeColour(uint32_t colour1, uint32_t colour2, float t)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const auto a = static_cast<float>((colour1 >> shift) & 0xFF);
        const auto b = static_cast<float>((colour2 >> shift) & 0xFF);
        const float mixed = std::nearbyint(a * (1.0f - t) + b * t);
        result |= static_cast<uint32_t>(mixed >= 0.0f ? std::min(mixed, 255.0f) : 0.0f) << shift;
    }
    return result;
}

void GR_Clear(uint32_t colour)
{
    GR_D3D_Clear(colour, 1.0f, 0, kClearTarget | kClearZBuffer | kClearStencil);
}

void GR_ClearAlpha(uint32_t colour, float alpha)
{
    GR_Clear((colour & 0xFFFFFFu) | static_cast<uint32_t>(GR_AlphaToByte(alpha)) << 24);
}

void GR_SetCirclePrecision(int32_t n)
{
    const int32_t precision = std::clamp(n, 4, kMaxPrecision) / 4 * 4;
    g_draw.precision = precision;
    for (int32_t i = 0; i <= precision; ++i) {
        const float angle = static_cast<float>(2 * i) * kPi / static_cast<float>(precision);
        g_draw.cosTable[i] = std::cos(angle);
        g_draw.sinTable[i] = std::sin(angle);
    }
}

int32_t GR_GetCirclePrecision()
{
    return g_draw.precision;
}

void GR_InitCirclePrecision()
{
    GR_SetCirclePrecision(24);
}

void GR_DrawPoint(float x, float y)
{
    Point(x, y, g_draw.colour);
}

void GR_DrawPointColour(float x, float y, uint32_t colour)
{
    Point(x, y, WithDrawAlpha(colour));
}

void GR_DrawLine(float x1, float y1, float x2, float y2)
{
    Line(x1, y1, x2, y2, g_draw.colour, g_draw.colour);
}

void GR_DrawLineColour(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2)
{
    Line(x1, y1, x2, y2, WithDrawAlpha(c1), WithDrawAlpha(c2));
}

void GR_DrawLineWidth(float x1, float y1, float x2, float y2, float w)
{
    WideLine(x1, y1, x2, y2, w, g_draw.colour, g_draw.colour);
}

void GR_DrawLineWidthColour(float x1, float y1, float x2, float y2, float w, uint32_t c1, uint32_t c2)
{
    WideLine(x1, y1, x2, y2, w, WithDrawAlpha(c1), WithDrawAlpha(c2));
}

void GR_DrawTriangle(float x1, float y1, float x2, float y2, float x3, float y3, int32_t outline)
{
    Triangle(x1, y1, x2, y2, x3, y3, g_draw.colour, g_draw.colour, g_draw.colour, outline);
}

void GR_DrawTriangleColour(float x1, float y1, float x2, float y2, float x3, float y3, uint32_t c1, uint32_t c2,
                           uint32_t c3, int32_t outline)
{
    Triangle(x1, y1, x2, y2, x3, y3, WithDrawAlpha(c1), WithDrawAlpha(c2), WithDrawAlpha(c3), outline);
}

void GR_DrawRectangle(float x1, float y1, float x2, float y2, int32_t outline)
{
    if (x1 > x2) {
        std::swap(x1, x2);
    }
    if (y1 > y2) {
        std::swap(y1, y2);
    }
    if (outline != 1) {
        FilledRect(x1, y1, x2, y2, g_draw.colour);
        return;
    }
    const HalfPixel hp = HalfPixelScale();
    const float l = x1 + hp.x, t = y1 + hp.y, r = x2 + hp.x, b = y2 + hp.y;
    const uint32_t c = g_draw.colour;
    Vertex2DTex* strip = AllocTex(PrimitiveLineStrip, 5);
    if (strip == nullptr) {
        return;
    }
    strip[0] = TexVertex(l, t, c);
    strip[1] = TexVertex(r, t, c);
    strip[2] = TexVertex(r, b, c);
    strip[3] = TexVertex(l, b, c);
    strip[4] = strip[0];
    // Line rasterisation leaves out a line's last pixel; the corner points
    // light them.
    Vertex2DTex* points = AllocTex(PrimitivePointList, 4);
    for (int i = 0; points != nullptr && i < 4; ++i) {
        points[i] = TexVertex(i == 1 || i == 2 ? r : l, i >= 2 ? b : t, c);
    }
}

void GR_DrawRectangleColour(float x1, float y1, float x2, float y2, uint32_t c1, uint32_t c2, uint32_t c3,
                            uint32_t c4, int32_t outline)
{
    const HalfPixel hp = HalfPixelScale();
    float r = x2 + hp.x;
    float b = y2 + hp.y;
    if (x1 > r) {
        std::swap(x1, r);
    }
    if (y1 > b) {
        std::swap(y1, b);
    }
    if (r == std::floor(r)) {
        r += 0.01f;
    }
    if (b == std::floor(b)) {
        b += 0.01f;
    }
    Vertex2DTex* v = AllocTex(outline == 1 ? PrimitiveLineStrip : PrimitiveTriangleFan, 5);
    if (v == nullptr) {
        return;
    }
    v[0] = TexVertex(x1, y1, WithDrawAlpha(c1));
    v[1] = TexVertex(r, y1, WithDrawAlpha(c2));
    v[2] = TexVertex(r, b, WithDrawAlpha(c3));
    v[3] = TexVertex(x1, b, WithDrawAlpha(c4));
    v[4] = v[0];
}

void GR_DrawEllipse(float x1, float y1, float x2, float y2, int32_t outline)
{
    Ellipse(x1, y1, x2, y2, g_draw.colour, g_draw.colour, outline);
}

void GR_DrawEllipseColour(float x1, float y1, float x2, float y2, uint32_t centre, uint32_t edge, int32_t outline)
{
    Ellipse(x1, y1, x2, y2, WithDrawAlpha(centre), WithDrawAlpha(edge), outline);
}

void GR_DrawCircle(float x, float y, float r, int32_t outline)
{
    GR_DrawEllipse(x - r, y - r, x + r, y + r, outline);
}

void GR_DrawCircleColour(float x, float y, float r, uint32_t centre, uint32_t edge, int32_t outline)
{
    GR_DrawEllipseColour(x - r, y - r, x + r, y + r, centre, edge, outline);
}

void GR_DrawRoundRect(float x1, float y1, float x2, float y2, float cornerW, float cornerH, int32_t outline)
{
    SortAndWiden(x1, y1, x2, y2);
    GR_DrawRoundRectBase(x1, y1, x2, y2, cornerW, cornerH, g_draw.colour, g_draw.colour, outline);
}

void GR_DrawRoundRectColour(float x1, float y1, float x2, float y2, float cornerW, float cornerH, uint32_t centre,
                            uint32_t edge, int32_t outline)
{
    SortAndWiden(x1, y1, x2, y2);
    GR_DrawRoundRectBase(x1, y1, x2, y2, cornerW, cornerH, WithDrawAlpha(centre), WithDrawAlpha(edge), outline);
}

void GR_DrawRoundRectBase(float x1, float y1, float x2, float y2, float cornerW, float cornerH, uint32_t centre,
                          uint32_t edge, int32_t outline)
{
    const int32_t n = Precision();
    const int32_t quarter = n / 4;
    const float w = std::fabs(x2 - x1);
    const float h = std::fabs(y2 - y1);
    const float cw = std::min(cornerW, w);
    const float ch = std::min(cornerH, h);
    const float cx = (x1 + x2) / 2.0f;
    const float cy = (y1 + y2) / 2.0f;
    const float dx = w / 2.0f - cw / 2.0f;
    const float dy = h / 2.0f - ch / 2.0f;
    const float arcCentres[4][2] = {{cx + dx, cy + dy}, {cx - dx, cy + dy}, {cx - dx, cy - dy}, {cx + dx, cy - dy}};
    const int32_t count = n + 6;
    Vertex2DTex* v = AllocTex(outline == 1 ? PrimitiveLineStrip : PrimitiveTriangleFan, count);
    if (v == nullptr) {
        return;
    }
    int32_t k = 1;
    for (int arc = 0; arc < 4; ++arc) {
        for (int32_t i = arc * quarter; i <= (arc + 1) * quarter; ++i) {
            v[k++] = TexVertex(arcCentres[arc][0] + g_draw.cosTable[i] * cw / 2.0f,
                               arcCentres[arc][1] + g_draw.sinTable[i] * ch / 2.0f, edge);
        }
    }
    v[k] = v[1];
    v[0] = outline == 1 ? v[1] : TexVertex(cx, cy, centre);
}

void GR_DrawArrow(float x1, float y1, float x2, float y2, float size)
{
    const float dx = x2 - x1;
    const float dy = y2 - y1;
    const float len = std::sqrt(dx * dx + dy * dy);
    if (!(len > 0.0f)) {
        return;
    }
    const float s = std::min(size, len);
    const float ux = s * dx / len;
    const float uy = s * dy / len;
    GR_DrawLine(x1, y1, x2, y2);
    Vertex2DTex* v = AllocTex(PrimitiveTriangleList, 3);
    if (v == nullptr) {
        return;
    }
    const uint32_t c = g_draw.colour;
    v[0] = TexVertex(x2 - ux - uy / 3.0f, y2 - uy + ux / 3.0f, c);
    v[1] = TexVertex(x2, y2, c);
    v[2] = TexVertex(x2 - ux + uy / 3.0f, y2 - uy - ux / 3.0f, c);
}

void GR_DrawButton(float x1, float y1, float x2, float y2, int32_t up)
{
    const uint32_t first = WithDrawAlpha(up == 1 ? kWhite : kGrey);
    const uint32_t second = WithDrawAlpha(up == 1 ? kGrey : kWhite);
    Triangle(x1, y1, x2, y1, x1, y2, first, first, first, 0);
    Triangle(x1, y2, x2, y1, x2, y2, second, second, second, 0);
    float l = x1 + 2.0f, t = y1 + 2.0f, r = x2 - 2.0f, b = y2 - 2.0f;
    if (l > r) {
        std::swap(l, r);
    }
    if (t > b) {
        std::swap(t, b);
    }
    FilledRect(l, t, r, b, g_draw.colour);
}

void GR_DrawHealthbar(float x1, float y1, float x2, float y2, float amount, uint32_t back, uint32_t minColour,
                      uint32_t midColour, uint32_t maxColour, int32_t direction, bool showBack, bool showBorder)
{
    if (showBack) {
        GR_DrawRectangleColour(x1, y1, x2, y2, back, back, back, back, 0);
        if (showBorder) {
            GR_DrawRectangleColour(x1, y1, x2, y2, kBlack, kBlack, kBlack, kBlack, 1);
        }
    }
    // NaN counts as empty.
    const float held = amount >= 100.0f ? 100.0f : (amount > 0.0f ? amount : 0.0f);
    if (held <= 0.0f) {
        return;
    }
    float l = x1, t = y1, r = x2, b = y2;
    switch (direction) {
    case 1: l = x2 - (x2 - x1) * held / 100.0f; break;
    case 2: b = y1 + (y2 - y1) * held / 100.0f; break;
    case 3: t = y2 - (y2 - y1) * held / 100.0f; break;
    default: r = x1 + (x2 - x1) * held / 100.0f; break;
    }
    const uint32_t colour = held > 50.0f ? GR_MergeColour(midColour, maxColour, (held - 50.0f) / 50.0f)
                                         : GR_MergeColour(minColour, midColour, held / 50.0f);
    GR_DrawRectangleColour(l, t, r, b, colour, colour, colour, colour, 0);
    if (showBorder) {
        GR_DrawRectangleColour(l, t, r, b, kBlack, kBlack, kBlack, kBlack, 1);
    }
}

void PrimitiveTexture::MapUV(float& u, float& v) const
{
    if (entry == nullptr) {
        return;
    }
    u = (entry->targetWidth * u + entry->sourceX) / textureWidth;
    v = (entry->targetHeight * v + entry->sourceY) / textureHeight;
}

PrimitiveTexture GR_ResolvePrimitiveTexture(int32_t texture)
{
    PrimitiveTexture resolved;
    if (Texture_Exists(texture)) {
        resolved.texture = texture;
        return resolved;
    }
    // Only numbers given out for page entries count; anything else draws
    // untextured.
    const TexturePageEntry* entry = TexturePage_FromHandle(texture);
    const TextureRecord* record = entry != nullptr ? Texture_Get(entry->textureId) : nullptr;
    if (record != nullptr) {
        resolved.entry = entry;
        resolved.texture = entry->textureId;
        resolved.textureWidth = static_cast<float>(record->Width());
        resolved.textureHeight = static_cast<float>(record->Height());
    }
    return resolved;
}

void GR_PrimitiveBegin(int32_t kind, int32_t texture)
{
    PrimitiveState& p = g_draw.primitive;
    p.count = 0;
    p.kind = kind;
    p.texture = GR_ResolvePrimitiveTexture(texture);
}

void GR_PrimitiveVertex(float x, float y)
{
    AddPrimitiveVertex(x, y, g_draw.colour, 0.0f, 0.0f);
}

void GR_PrimitiveVertexColour(float x, float y, uint32_t colour, float alpha)
{
    AddPrimitiveVertex(x, y, PrimitiveVertexColour(colour, alpha), 0.0f, 0.0f);
}

void GR_PrimitiveVertexTexture(float x, float y, float u, float v)
{
    g_draw.primitive.texture.MapUV(u, v);
    AddPrimitiveVertex(x, y, g_draw.colour, u, v);
}

void GR_PrimitiveVertexTextureColour(float x, float y, float u, float v, uint32_t colour, float alpha)
{
    g_draw.primitive.texture.MapUV(u, v);
    AddPrimitiveVertex(x, y, PrimitiveVertexColour(colour, alpha), u, v);
}

void GR_PrimitiveEnd()
{
    const PrimitiveState& p = g_draw.primitive;
    if (p.kind < PrimitivePointList || p.kind > PrimitiveTriangleFan || p.count < 1) {
        return;
    }
    auto* v = reinterpret_cast<Vertex2DTex*>(
        GR_VB_AllocVerts(p.kind, Texture_Get(p.texture.texture), sizeof(Vertex2DTex), p.count));
    if (v != nullptr) {
        std::copy_n(p.vertices, p.count, v);
    }
}

void GR_Draw2D_Reset()
{
    g_draw.colour = 0xFF000000u;
    g_draw.alpha = 255;
    g_draw.primitive.kind = 0;
    g_draw.primitive.count = 0;
    g_draw.primitive.texture = PrimitiveTexture();
    GR_InitCirclePrecision();
}

}  // namespace bw
