#include "graphics/draw_textured.h"

#include <algorithm>
#include <cmath>

#include "graphics/device/device.h"
#include "graphics/draw_2d.h"
#include "graphics/graphics_3d.h"
#include "platform/real_to_int.h"
#include "graphics/texture_pages.h"
#include "graphics/textures.h"
#include "graphics/vertex_batch.h"

namespace bw {

namespace {

constexpr float kExtAngleThreshold = 0.001f;
constexpr float kGeneralAngleThreshold = 0.01f;

uint32_t AlphaByteTrunc(float alpha)
{
    return static_cast<uint32_t>(std::clamp(GR_TruncToInt32(static_cast<double>(alpha) * 255.0), 0, 255));
}

uint32_t AlphaByteRound(float alpha)
{
    return static_cast<uint32_t>(std::clamp(GR_RoundToInt32(static_cast<double>(alpha) * 255.0), 0, 255));
}

uint32_t ArgbOf(uint32_t colour, uint32_t alphaByte)
{
    return alphaByte << 24 | (colour & 0xFF) << 16 | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

uint32_t WhiteWithDrawAlpha()
{
    return (AlphaByteTrunc(GR_GetAlpha()) << 24) + 0xFFFFFFu;
}

struct Rotation {
    float s = 0.0f, c = 1.0f;
    bool on = false;
};

Rotation RotationOf(float angle, float threshold)
{
    Rotation r;
    r.on = std::fabs(angle) >= threshold;
    r.s = static_cast<float>(std::sin(static_cast<double>(angle)));
    r.c = static_cast<float>(std::cos(static_cast<double>(angle)));
    return r;
}

QuadCorner Place(float px, float py, float dx, float dy, const Rotation& r)
{
    if (!r.on) {
        return {px + dx, py + dy};
    }
    return {px + r.c * dx + r.s * dy, py - r.s * dx + r.c * dy};
}

// Four vertices, top-left, top-right, bottom-right, bottom-left, of a batch
// of the given type: indexed quads, or a fan.
void EmitCorners(int32_t type, TextureRecord* record, const QuadCorner corners[4], float uL, float vT, float uR,
                 float vB, const uint32_t colours[4])
{
    auto* v = reinterpret_cast<Vertex2DTex*>(GR_VB_AllocVerts(type, record, sizeof(Vertex2DTex), 4));
    if (v == nullptr) {
        return;
    }
    const float z = GR_3D_GetDepth();
    v[0] = Vertex2DTex{corners[0].x, corners[0].y, z, colours[0], uL, vT};
    v[1] = Vertex2DTex{corners[1].x, corners[1].y, z, colours[1], uR, vT};
    v[2] = Vertex2DTex{corners[2].x, corners[2].y, z, colours[2], uR, vB};
    v[3] = Vertex2DTex{corners[3].x, corners[3].y, z, colours[3], uL, vB};
}

void EmitFan(TextureRecord* record, const QuadCorner corners[4], float uL, float vT, float uR, float vB,
             const uint32_t colours[4])
{
    EmitCorners(PrimitiveTriangleFan, record, corners, uL, vT, uR, vB, colours);
}

// The quad of an axis-aligned rectangle.
void EmitRectList(TextureRecord* record, float l, float t, float r, float b, float uL, float vT, float uR, float vB,
                  uint32_t colour)
{
    const QuadCorner corners[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
    const uint32_t colours[4] = {colour, colour, colour, colour};
    GR_EmitQuad(record, corners, uL, vT, uR, vB, colours);
}

struct EntryTexture {
    TextureSlot* slot = nullptr;
    float uL = 0, vT = 0, uR = 0, vB = 0;
};

// The slot of an entry's texture and the UVs of its whole source rectangle.
EntryTexture TextureOf(const TexturePageEntry* entry)
{
    EntryTexture t;
    t.slot = entry != nullptr ? Texture_GetSlot(entry->textureId) : nullptr;
    if (t.slot != nullptr) {
        t.uL = static_cast<float>(entry->sourceX) * t.slot->uScale;
        t.vT = static_cast<float>(entry->sourceY) * t.slot->vScale;
        t.uR = static_cast<float>(entry->sourceX + entry->sourceWidth) * t.slot->uScale;
        t.vB = static_cast<float>(entry->sourceY + entry->sourceHeight) * t.slot->vScale;
    }
    return t;
}

// A stored image of no size is drawn (and kept) as one pixel.
void FixEmptyTarget(TexturePageEntry* entry)
{
    if (entry->targetWidth == 0) {
        entry->targetWidth = 1;
    }
    if (entry->targetHeight == 0) {
        entry->targetHeight = 1;
    }
}

// The part of the full frame (left, top, w, h) that the stored image holds:
// the position moves along the rotated axes past a cropped margin, and the
// size is cut to what remains of the stored image from the part's start, so
// no neighbouring image of the page is ever sampled.
struct CroppedPart {
    float x, y, w, h;
    float partLeft, partTop;
};

CroppedPart CropPart(const TexturePageEntry& entry, float left, float top, float w, float h, float x, float y,
                     float xscale, float yscale, const Rotation& r)
{
    CroppedPart part{x, y, w, h, 0.0f, 0.0f};
    const auto targetX = static_cast<float>(entry.targetX);
    const auto targetY = static_cast<float>(entry.targetY);
    if (targetX > left) {
        const float d = targetX - left;
        part.x += static_cast<float>(GR_TruncToInt32(d * r.c * xscale));
        part.y -= static_cast<float>(GR_TruncToInt32(d * r.s * yscale));
        part.w -= d;
    } else {
        part.partLeft = left - targetX;
    }
    if (targetY > top) {
        const float d = targetY - top;
        part.x += static_cast<float>(GR_TruncToInt32(d * r.s * xscale));
        part.y += static_cast<float>(GR_TruncToInt32(d * r.c * yscale));
        part.h -= d;
    } else {
        part.partTop = top - targetY;
    }
    part.w = std::min(part.w, static_cast<float>(entry.targetWidth) - part.partLeft);
    part.h = std::min(part.h, static_cast<float>(entry.targetHeight) - part.partTop);
    return part;
}

// The first copy of a tiled axis: start moved by whole periods to the last
// position at or before the area's start, whichever side of it start lies.
double AlignTileStart(double start, double period, double areaStart)
{
    return start - std::ceil((start - areaStart) / period) * period;
}

}  // namespace

uint32_t GR_PackColourAlpha(uint32_t colour, float alpha)
{
    return ArgbOf(colour, AlphaByteTrunc(alpha));
}

void GR_EmitQuad(TextureRecord* record, const QuadCorner corners[4], float uL, float vT, float uR, float vB,
                 const uint32_t colours[4])
{
    EmitCorners(kBatchQuadList, record, corners, uL, vT, uR, vB, colours);
}

void GR_Texture_Draw(int32_t id, float x, float y)
{
    const TextureSlot* slot = Texture_GetSlot(id);
    if (slot == nullptr) {
        return;
    }
    const float w = slot->width;
    const float h = slot->height;
    EmitRectList(slot->record, x, y, x + w, y + h, 0.0f, 0.0f, w * slot->uScale, h * slot->vScale,
                 WhiteWithDrawAlpha());
}

void GR_TPE_Draw(TexturePageEntry* entry, float x, float y)
{
    const EntryTexture t = TextureOf(entry);
    if (t.slot == nullptr) {
        return;
    }
    FixEmptyTarget(entry);
    const float left = x + entry->targetX;
    const float top = y + entry->targetY;
    EmitRectList(t.slot->record, left, top, left + entry->targetWidth, top + entry->targetHeight, t.uL, t.vT, t.uR,
                 t.vB, WhiteWithDrawAlpha());
}

void GR_TPE_DrawPos(TexturePageEntry* entry, float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                    float y4, uint32_t colour)
{
    const EntryTexture t = TextureOf(entry);
    if (t.slot == nullptr) {
        return;
    }
    const QuadCorner corners[4] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}};
    const uint32_t packed = GR_PackColourAlpha(colour, GR_GetAlpha());
    const uint32_t colours[4] = {packed, packed, packed, packed};
    GR_EmitQuad(t.slot->record, corners, t.uL, t.vT, t.uR, t.vB, colours);
}

void GR_Texture_DrawExt(int32_t id, float xorig, float yorig, float x, float y, float xscale, float yscale,
                        float angle, uint32_t colour, float alpha)
{
    TextureSlot* slot = Texture_GetSlot(id);
    if (slot == nullptr) {
        return;
    }
    if (slot->width == 0 || slot->height == 0) {
        slot->width = slot->height = 8;
        slot->uScale = slot->vScale = 0.125f;
    }
    const float left = -xscale * xorig;
    const float top = -yscale * yorig;
    const float right = left + xscale * slot->width;
    const float bottom = top + yscale * slot->height;
    const Rotation r = RotationOf(angle, kExtAngleThreshold);
    const QuadCorner corners[4] = {Place(x, y, left, top, r), Place(x, y, right, top, r),
                                   Place(x, y, right, bottom, r), Place(x, y, left, bottom, r)};
    const uint32_t packed = GR_PackColourAlpha(colour, alpha);
    const uint32_t colours[4] = {packed, packed, packed, packed};
    EmitFan(slot->record, corners, 0.0f, 0.0f, slot->width * slot->uScale, slot->height * slot->vScale, colours);
}

void GR_TPE_DrawExt(TexturePageEntry* entry, float xorig, float yorig, float x, float y, float xscale, float yscale,
                    float angle, uint32_t colour, float alpha)
{
    const EntryTexture t = TextureOf(entry);
    if (t.slot == nullptr) {
        return;
    }
    FixEmptyTarget(entry);
    const float left = (xorig - entry->targetX) * -xscale;
    const float top = (yorig - entry->targetY) * -yscale;
    const float right = left + xscale * entry->targetWidth;
    const float bottom = top + yscale * entry->targetHeight;
    const Rotation r = RotationOf(angle, kExtAngleThreshold);
    const QuadCorner corners[4] = {Place(x, y, left, top, r), Place(x, y, right, top, r),
                                   Place(x, y, right, bottom, r), Place(x, y, left, bottom, r)};
    const uint32_t packed = GR_PackColourAlpha(colour, alpha);
    const uint32_t colours[4] = {packed, packed, packed, packed};
    GR_EmitQuad(t.slot->record, corners, t.uL, t.vT, t.uR, t.vB, colours);
}

void GR_Texture_DrawPart(int32_t id, float left, float top, float w, float h, float x, float y, float xscale,
                         float yscale, float angle, uint32_t colour, float alpha)
{
    const TextureSlot* slot = Texture_GetSlot(id);
    if (slot == nullptr) {
        return;
    }
    const float width = w * xscale;
    const float height = h * yscale;
    const Rotation r = RotationOf(angle, kExtAngleThreshold);
    const QuadCorner corners[4] = {Place(x, y, 0, 0, r), Place(x, y, width, 0, r), Place(x, y, width, height, r),
                                   Place(x, y, 0, height, r)};
    const uint32_t packed = GR_PackColourAlpha(colour, alpha);
    const uint32_t colours[4] = {packed, packed, packed, packed};
    EmitFan(slot->record, corners, left * slot->uScale, top * slot->vScale, (left + w) * slot->uScale,
            (top + h) * slot->vScale, colours);
}

void GR_TPE_DrawPart(TexturePageEntry* entry, float left, float top, float w, float h, float x, float y,
                     float xscale, float yscale, float angle, uint32_t colour, float alpha)
{
    const EntryTexture t = TextureOf(entry);
    if (t.slot == nullptr) {
        return;
    }
    FixEmptyTarget(entry);
    const Rotation r = RotationOf(angle, kExtAngleThreshold);
    const CroppedPart part = CropPart(*entry, left, top, w, h, x, y, xscale, yscale, r);
    if (!(part.w > 0.0f) || !(part.h > 0.0f)) {
        return;
    }
    const float width = part.w * xscale;
    const float height = part.h * yscale;
    const float rx = static_cast<float>(entry->sourceWidth) / static_cast<float>(entry->targetWidth);
    const float ry = static_cast<float>(entry->sourceHeight) / static_cast<float>(entry->targetHeight);
    const float uL = (entry->sourceX + rx * part.partLeft) * t.slot->uScale;
    const float vT = (entry->sourceY + ry * part.partTop) * t.slot->vScale;
    const float uR = uL + rx * part.w * t.slot->uScale;
    const float vB = vT + ry * part.h * t.slot->vScale;
    const QuadCorner corners[4] = {Place(part.x, part.y, 0, 0, r), Place(part.x, part.y, width, 0, r),
                                   Place(part.x, part.y, width, height, r), Place(part.x, part.y, 0, height, r)};
    const uint32_t packed = GR_PackColourAlpha(colour, alpha);
    const uint32_t colours[4] = {packed, packed, packed, packed};
    GR_EmitQuad(t.slot->record, corners, uL, vT, uR, vB, colours);
}

void GR_Texture_DrawGeneral(int32_t id, float left, float top, float w, float h, float x, float y, float xscale,
                            float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                            float alpha)
{
    const TextureSlot* slot = Texture_GetSlot(id);
    if (slot == nullptr) {
        return;
    }
    const uint32_t a = AlphaByteTrunc(alpha);
    const uint32_t colours[4] = {ArgbOf(c1, a), ArgbOf(c2, a), ArgbOf(c3, a), ArgbOf(c4, a)};
    const float width = w * xscale;
    const float height = h * yscale;
    const Rotation r = RotationOf(angle, kGeneralAngleThreshold);
    // Rotated, the left and top edges sit half a pixel out.
    const float edge = r.on ? -0.5f : 0.0f;
    const QuadCorner corners[4] = {Place(x, y, edge, edge, r), Place(x, y, width, edge, r),
                                   Place(x, y, width, height, r), Place(x, y, edge, height, r)};
    EmitFan(slot->record, corners, left * slot->uScale, top * slot->vScale, (left + w) * slot->uScale,
            (top + h) * slot->vScale, colours);
}

void GR_TPE_DrawGeneral(TexturePageEntry* entry, float left, float top, float w, float h, float x, float y,
                        float xscale, float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4,
                        float alpha)
{
    const EntryTexture t = TextureOf(entry);
    if (t.slot == nullptr) {
        return;
    }
    FixEmptyTarget(entry);
    const uint32_t a = AlphaByteRound(alpha);
    const uint32_t colours[4] = {ArgbOf(c1, a), ArgbOf(c2, a), ArgbOf(c3, a), ArgbOf(c4, a)};
    const Rotation r = RotationOf(angle, kGeneralAngleThreshold);
    // The crop always follows the angle, even below the drawing threshold.
    const Rotation cropRotation = RotationOf(angle, 0.0f);
    const CroppedPart part = CropPart(*entry, left, top, w, h, x, y, xscale, yscale, cropRotation);
    if (!(part.w > 0.0f) || !(part.h > 0.0f)) {
        return;
    }
    const float width = part.w * xscale;
    const float height = part.h * yscale;
    const float uL = (entry->sourceX + part.partLeft) * t.slot->uScale;
    const float uR = (entry->sourceX + part.partLeft + part.w) * t.slot->uScale;
    const float vT = (entry->sourceY + part.partTop) * t.slot->vScale;
    const float vB = (entry->sourceY + part.partTop + part.h) * t.slot->vScale;
    const QuadCorner corners[4] = {Place(part.x, part.y, 0, 0, r), Place(part.x, part.y, width, 0, r),
                                   Place(part.x, part.y, width, height, r), Place(part.x, part.y, 0, height, r)};
    GR_EmitQuad(t.slot->record, corners, uL, vT, uR, vB, colours);
}

void GR_Texture_DrawTiled(int32_t id, float xorig, float yorig, float x, float y, float xscale, float yscale,
                          int32_t htiled, int32_t vtiled, const TileArea& area, uint32_t colour, float alpha)
{
    const TextureSlot* slot = Texture_GetSlot(id);
    if (slot == nullptr) {
        return;
    }
    const int32_t periodW = GR_TruncToInt32(slot->width * static_cast<double>(xscale));
    const int32_t periodH = GR_TruncToInt32(slot->height * static_cast<double>(yscale));
    if (periodW < 1 || periodH < 1) {
        return;
    }
    const uint32_t packed = ArgbOf(colour, AlphaByteRound(alpha));
    const uint32_t colours[4] = {packed, packed, packed, packed};
    const float ox = -xscale * xorig;
    const float oy = -yscale * yorig;
    const float tileW = slot->width * xscale;
    const float tileH = slot->height * yscale;
    const float uR = slot->width * slot->uScale;
    const float vB = slot->height * slot->vScale;
    double cx = GR_RoundToInt32(x);
    if (htiled == 1) {
        cx = AlignTileStart(cx, periodW, area.x);
    }
    for (; area.x + area.w > cx; cx += periodW) {
        double cy = GR_RoundToInt32(y);
        if (vtiled == 1) {
            cy = AlignTileStart(cy, periodH, area.y);
        }
        for (; area.y + area.h > cy; cy += periodH) {
            const auto l = static_cast<float>(cx) + ox;
            const auto t = static_cast<float>(cy) + oy;
            const QuadCorner corners[4] = {{l, t}, {l + tileW, t}, {l + tileW, t + tileH}, {l, t + tileH}};
            EmitFan(slot->record, corners, 0.0f, 0.0f, uR, vB, colours);
            if (vtiled != 1) {
                break;
            }
        }
        if (htiled != 1) {
            break;
        }
    }
}

void GR_TPE_DrawTiled(TexturePageEntry* entry, float xorig, float yorig, float x, float y, float xscale,
                      float yscale, int32_t htiled, int32_t vtiled, const TileArea& area, uint32_t colour,
                      float alpha)
{
    const EntryTexture t = TextureOf(entry);
    if (t.slot == nullptr) {
        return;
    }
    FixEmptyTarget(entry);
    const auto periodW = static_cast<double>(GR_TruncToInt32(static_cast<double>(xscale) * entry->frameWidth));
    const auto periodH = static_cast<double>(GR_TruncToInt32(static_cast<double>(yscale) * entry->frameHeight));
    if (periodW <= 0.0 || periodH <= 0.0) {
        return;
    }
    const uint32_t packed = GR_PackColourAlpha(colour, alpha);
    // Each term may be at the edge of the 32-bit range: the sum is a double.
    const double startX =
        static_cast<double>(GR_TruncToInt32((xorig - entry->targetX) * -static_cast<double>(xscale))) + GR_TruncToInt32(x);
    const double startY =
        static_cast<double>(GR_TruncToInt32((yorig - entry->targetY) * -static_cast<double>(yscale))) + GR_TruncToInt32(y);
    // One period back from the aligned start: the copy there may still
    // reach into the area.
    const double firstX = htiled != 0 ? AlignTileStart(startX, periodW, area.x) - periodW : startX;
    const double firstY = vtiled != 0 ? AlignTileStart(startY, periodH, area.y) - periodH : startY;
    const float tileW = entry->targetWidth * xscale;
    const float tileH = entry->targetHeight * yscale;
    for (double column = firstX; area.x + area.w > column; column += periodW) {
        for (double row = firstY; area.y + area.h > row; row += periodH) {
            const auto l = static_cast<float>(column);
            const auto top = static_cast<float>(row);
            // Corners from the bottom-left: the diagonal runs from there
            // to the top-right.
            auto* v = reinterpret_cast<Vertex2DTex*>(
                GR_VB_AllocVerts(kBatchQuadList, t.slot->record, sizeof(Vertex2DTex), 4));
            if (v == nullptr) {
                return;
            }
            const float z = GR_3D_GetDepth();
            v[0] = Vertex2DTex{l, top + tileH, z, packed, t.uL, t.vB};
            v[1] = Vertex2DTex{l, top, z, packed, t.uL, t.vT};
            v[2] = Vertex2DTex{l + tileW, top, z, packed, t.uR, t.vT};
            v[3] = Vertex2DTex{l + tileW, top + tileH, z, packed, t.uR, t.vB};
            if (vtiled == 0) {
                break;
            }
        }
        if (htiled == 0) {
            break;
        }
    }
}

void GR_Texture_DrawRect(int32_t id, float x, float y, float w, float h, uint32_t colour, float alpha)
{
    const TextureSlot* slot = Texture_GetSlot(id);
    if (slot == nullptr) {
        return;
    }
    const QuadCorner corners[4] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    const uint32_t packed = GR_PackColourAlpha(colour, alpha);
    const uint32_t colours[4] = {packed, packed, packed, packed};
    EmitFan(slot->record, corners, 0.0f, 0.0f, slot->width * slot->uScale, slot->height * slot->vScale, colours);
}

}  // namespace bw
