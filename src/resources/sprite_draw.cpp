// Drawing a sprite's frames: through the frame's page entry, or through its
// texture when the sprite has no page entries. Frames far outside the view
// being drawn are skipped before they reach the batch.
#include <cmath>

#include "graphics/draw_2d.h"
#include "graphics/draw_textured.h"
#include "graphics/graphics_3d.h"
#include "graphics/surfaces.h"
#include "graphics/transforms.h"
#include "resources/sprite.h"

namespace bw {

namespace {

constexpr float kPi = 3.1415927f;
constexpr uint32_t kWhite = 0xFFFFFF;

float Radians(float degrees)
{
    return degrees * kPi / 180.0f;
}

}  // namespace

// True when a frame whose corners lie within r of (x, y) cannot reach the
// view being drawn. In 3D, or under a projection game code set, the view
// rectangle says nothing about what shows.
bool CSprite::IsCulled(float x, float y, float r) const
{
    if (GR_3D_IsOn() || GR_HasCustomProjection()) {
        return false;
    }
    float left = 0.0f;
    float top = 0.0f;
    float w = 0.0f;
    float h = 0.0f;
    float angle = 0.0f;
    GR_GetViewProjection(left, top, w, h, angle);
    if (angle != 0.0f || w <= 0.0f || h <= 0.0f) {
        return false;
    }
    const float right = left + w;
    const float bottom = top + h;
    return !(left - x <= r && x - right <= r && top - y <= r && y - bottom <= r);
}

void CSprite::Draw(int32_t frame, float x, float y, float xscale, float yscale, float angle, uint32_t colour,
                   float alpha)
{
    if (frameCount <= 0) {
        return;
    }
    const float r = std::fmax(std::fabs(static_cast<float>(radius) * xscale),
                              std::fabs(static_cast<float>(radius) * yscale));
    if (IsCulled(x, y, r)) {
        return;
    }
    const auto xo = static_cast<float>(xorigin);
    const auto yo = static_cast<float>(yorigin);
    if (TexturePageEntry* entry = GetPageEntry(frame); entry != nullptr) {
        GR_TPE_DrawExt(entry, xo, yo, x, y, xscale, yscale, Radians(angle), colour, alpha);
    } else if (m_pageEntries.empty()) {
        GR_Texture_DrawExt(GetFrameTexture(frame), xo, yo, x, y, xscale, yscale, Radians(angle), colour, alpha);
    }
}

void CSprite::DrawSimple(int32_t frame, float x, float y)
{
    if (frameCount <= 0) {
        return;
    }
    if (Surface_GetCurrent() < 0 && IsCulled(x, y, static_cast<float>(radius))) {
        return;
    }
    const float left = x - static_cast<float>(xorigin);
    const float top = y - static_cast<float>(yorigin);
    if (TexturePageEntry* entry = GetPageEntry(frame); entry != nullptr) {
        GR_TPE_Draw(entry, left, top);
    } else if (m_pageEntries.empty()) {
        GR_Texture_Draw(GetFrameTexture(frame), left, top);
    }
}

void CSprite::DrawPos(int32_t frame, float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                      float alpha)
{
    if (frameCount <= 0) {
        return;
    }
    TexturePageEntry* entry = GetPageEntry(frame);
    if (entry == nullptr) {
        return;
    }
    // The quad drawer takes its alpha from the drawing state.
    const float previous = GR_GetAlpha();
    GR_SetAlpha(alpha);
    GR_TPE_DrawPos(entry, x1, y1, x2, y2, x3, y3, x4, y4, kWhite);
    GR_SetAlpha(previous);
}

void CSprite::DrawStretched(int32_t frame, float x, float y, float w, float h, uint32_t colour, float alpha)
{
    if (frameCount <= 0 || w <= 0.0f || h <= 0.0f || width <= 0 || height <= 0) {
        return;
    }
    const float xscale = w / static_cast<float>(width);
    const float yscale = h / static_cast<float>(height);
    if (TexturePageEntry* entry = GetPageEntry(frame); entry != nullptr) {
        GR_TPE_DrawExt(entry, 0.0f, 0.0f, x, y, xscale, yscale, 0.0f, colour, alpha);
    } else if (m_pageEntries.empty()) {
        GR_Texture_DrawExt(GetFrameTexture(frame), 0.0f, 0.0f, x, y, xscale, yscale, 0.0f, colour, alpha);
    }
}

void CSprite::DrawPart(int32_t frame, float left, float top, float w, float h, float x, float y, float xscale,
                       float yscale, uint32_t colour, float alpha)
{
    if (frameCount <= 0) {
        return;
    }
    if (TexturePageEntry* entry = GetPageEntry(frame); entry != nullptr) {
        GR_TPE_DrawPart(entry, left, top, w, h, x, y, xscale, yscale, 0.0f, colour, alpha);
    } else if (m_pageEntries.empty()) {
        GR_Texture_DrawPart(GetFrameTexture(frame), left, top, w, h, x, y, xscale, yscale, 0.0f, colour, alpha);
    }
}

void CSprite::DrawGeneral(int32_t frame, float left, float top, float w, float h, float x, float y, float xscale,
                          float yscale, float angle, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4, float alpha)
{
    if (frameCount <= 0) {
        return;
    }
    const float r = std::fmax(std::fabs(static_cast<float>(radius) * xscale),
                              std::fabs(static_cast<float>(radius) * yscale));
    if (Surface_GetCurrent() < 0 && IsCulled(x, y, r)) {
        return;
    }
    if (TexturePageEntry* entry = GetPageEntry(frame); entry != nullptr) {
        GR_TPE_DrawGeneral(entry, left, top, w, h, x, y, xscale, yscale, Radians(angle), c1, c2, c3, c4, alpha);
    } else if (m_pageEntries.empty()) {
        GR_Texture_DrawGeneral(GetFrameTexture(frame), left, top, w, h, x, y, xscale, yscale, Radians(angle), c1, c2,
                               c3, c4, alpha);
    }
}

void CSprite::DrawTiled(int32_t frame, float x, float y, float xscale, float yscale, bool htiled, bool vtiled,
                        const TileArea& area, uint32_t colour, float alpha)
{
    if (frameCount <= 0) {
        return;
    }
    const auto xo = static_cast<float>(xorigin);
    const auto yo = static_cast<float>(yorigin);
    if (TexturePageEntry* entry = GetPageEntry(frame); entry != nullptr) {
        GR_TPE_DrawTiled(entry, xo, yo, x, y, xscale, yscale, htiled ? 1 : 0, vtiled ? 1 : 0, area, colour, alpha);
    } else if (m_pageEntries.empty()) {
        GR_Texture_DrawTiled(GetFrameTexture(frame), xo, yo, x, y, xscale, yscale, htiled ? 1 : 0, vtiled ? 1 : 0,
                             area, colour, alpha);
    }
}

}  // namespace bw
