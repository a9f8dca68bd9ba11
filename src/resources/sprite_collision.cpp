// Precise collisions: room pixels are mapped into the frame of a placed
// sprite and looked up in its collision mask. Callers have compared the
// bounding boxes already; these scans visit only the overlap of the boxes
// and stop at the first solid pixel.
#include <algorithm>
#include <cmath>

#include "resources/sprite.h"

namespace bw {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kAngleEpsilon = 0.0001f;
// Mapped coordinates beyond this lie far outside any frame; keeping them
// away from the int32 range makes the conversion always defined.
constexpr float kFarOutside = 1.0e9f;

// A scale of 0 folds the sprite to nothing (and would divide by zero); a
// placement that is not finite cannot be mapped at all.
bool CanCollide(const SpritePlacement& placed)
{
    return placed.xscale != 0.0f && placed.yscale != 0.0f && std::isfinite(placed.xscale) &&
           std::isfinite(placed.yscale) && std::isfinite(placed.angle);
}

bool ToPixel(float value, bool floor, int64_t* out)
{
    if (!(std::fabs(value) < kFarOutside)) {
        return false;
    }
    *out = static_cast<int64_t>(floor ? std::floor(value) : std::nearbyint(value));
    return true;
}

// Only a precise sprite's masks are read: one that is not precise is solid
// over its whole box, whatever masks it carries and whichever sprite it
// meets.
bool ReadsMasks(const CSprite& sprite)
{
    return sprite.precise && sprite.hasMasks;
}

// One placed sprite's mapping of room pixels into its frame.
class FrameMapper {
public:
    FrameMapper(const CSprite& sprite, const SpritePlacement& placed)
        : m_sprite(sprite), m_placed(placed), m_mask(sprite.GetMask(placed.frame))
    {
        const float radians = -placed.angle * kPi / 180.0f;
        m_sin = std::sin(radians);
        m_cos = std::cos(radians);
        m_xInverse = 1.0f / placed.xscale;
        m_yInverse = 1.0f / placed.yscale;
    }

    bool HasMask() const { return m_mask != nullptr; }
    // Not precise: solid at every pixel of its box, also where the box maps
    // outside the frame.
    bool WholeBox() const { return !m_sprite.precise; }

    bool Inside(int64_t u, int64_t v) const
    {
        return u >= 0 && v >= 0 && u < m_sprite.width && v < m_sprite.height;
    }
    // Inside the frame with its mask byte set.
    bool Solid(int64_t u, int64_t v) const
    {
        return m_mask != nullptr && Inside(u, v) &&
               m_mask[static_cast<size_t>(v) * static_cast<size_t>(m_sprite.width) + static_cast<size_t>(u)] == 1;
    }

    void Identity(int64_t px, int64_t py, int64_t* u, int64_t* v) const
    {
        *u = px - m_placed.x + m_sprite.xorigin;
        *v = py - m_placed.y + m_sprite.yorigin;
    }
    // Scaled through the reciprocal of the scale, rounded.
    bool ScaledReciprocal(int64_t px, int64_t py, int64_t* u, int64_t* v) const
    {
        const auto dx = static_cast<float>(px - m_placed.x);
        const auto dy = static_cast<float>(py - m_placed.y);
        return ToPixel(dx * m_xInverse + static_cast<float>(m_sprite.xorigin), false, u) &&
               ToPixel(dy * m_yInverse + static_cast<float>(m_sprite.yorigin), false, v);
    }
    // Divided by the scale, floored.
    bool Scaled(float px, float py, int64_t* u, int64_t* v) const
    {
        const float dx = px - static_cast<float>(m_placed.x);
        const float dy = py - static_cast<float>(m_placed.y);
        return ToPixel(dx / m_placed.xscale + static_cast<float>(m_sprite.xorigin), true, u) &&
               ToPixel(dy / m_placed.yscale + static_cast<float>(m_sprite.yorigin), true, v);
    }
    bool Rotated(float px, float py, bool floor, int64_t* u, int64_t* v) const
    {
        const float dx = px - static_cast<float>(m_placed.x);
        const float dy = py - static_cast<float>(m_placed.y);
        return ToPixel((dx * m_cos + dy * m_sin) / m_placed.xscale + static_cast<float>(m_sprite.xorigin), floor, u) &&
               ToPixel((dy * m_cos - dx * m_sin) / m_placed.yscale + static_cast<float>(m_sprite.yorigin), floor, v);
    }

private:
    const CSprite& m_sprite;
    const SpritePlacement& m_placed;
    const uint8_t* m_mask;
    float m_sin = 0.0f;
    float m_cos = 1.0f;
    float m_xInverse = 1.0f;
    float m_yInverse = 1.0f;
};

struct Region {
    int64_t left, top, right, bottom;
};

Region Overlap(const SpritePlacement& placed, int64_t left, int64_t top, int64_t right, int64_t bottom)
{
    return {std::max<int64_t>(placed.left, left), std::max<int64_t>(placed.top, top),
            std::min<int64_t>(placed.right, right), std::min<int64_t>(placed.bottom, bottom)};
}

// Columns outer, rows inner, both inclusive; true at the first pixel the
// test accepts.
template <typename PixelTest>
bool ScanRegion(const Region& region, PixelTest test)
{
    for (int64_t px = region.left; px <= region.right; ++px) {
        for (int64_t py = region.top; py <= region.bottom; ++py) {
            if (test(px, py)) {
                return true;
            }
        }
    }
    return false;
}

// The rectangle and ellipse tests share their mapping: whole-pixel offsets
// for an unscaled, unrotated sprite, the rotated mapping otherwise.
template <typename Filter>
bool ScanMask(const CSprite& sprite, const SpritePlacement& placed, const Region& region, Filter inShape)
{
    const FrameMapper mapper(sprite, placed);
    const bool plain = placed.xscale == 1.0f && placed.yscale == 1.0f && std::fabs(placed.angle) < kAngleEpsilon;
    return ScanRegion(region, [&](int64_t px, int64_t py) {
        if (!inShape(px, py)) {
            return false;
        }
        int64_t u = 0;
        int64_t v = 0;
        if (plain) {
            mapper.Identity(px, py, &u, &v);
        } else if (!mapper.Rotated(static_cast<float>(px), static_cast<float>(py), true, &u, &v)) {
            return false;
        }
        return mapper.Solid(u, v);
    });
}

}  // namespace

bool CSprite::CollideSprite(const SpritePlacement& placed, const CSprite& other,
                            const SpritePlacement& otherPlaced) const
{
    if (frameCount <= 0 || other.frameCount <= 0 || !CanCollide(placed) || !CanCollide(otherPlaced)) {
        return false;
    }
    const Region region = Overlap(placed, otherPlaced.left, otherPlaced.top, otherPlaced.right, otherPlaced.bottom);
    const FrameMapper first(*this, placed);
    const FrameMapper second(other, otherPlaced);
    const bool unrotated = placed.angle == 0.0f && otherPlaced.angle == 0.0f;
    const bool unscaled = unrotated && placed.xscale == 1.0f && placed.yscale == 1.0f &&
                          otherPlaced.xscale == 1.0f && otherPlaced.yscale == 1.0f;
    const auto map = [&](const FrameMapper& mapper, int64_t px, int64_t py, int64_t* u, int64_t* v) {
        if (unscaled) {
            mapper.Identity(px, py, u, v);
            return true;
        }
        if (unrotated) {
            return mapper.ScaledReciprocal(px, py, u, v);
        }
        return mapper.Rotated(static_cast<float>(px), static_cast<float>(py), false, u, v);
    };
    // The region lies in both boxes.
    const auto solid = [&](const FrameMapper& mapper, int64_t px, int64_t py) {
        if (mapper.WholeBox()) {
            return true;
        }
        int64_t u = 0;
        int64_t v = 0;
        return map(mapper, px, py, &u, &v) && mapper.Inside(u, v) && (!mapper.HasMask() || mapper.Solid(u, v));
    };
    return ScanRegion(region, [&](int64_t px, int64_t py) { return solid(first, px, py) && solid(second, px, py); });
}

bool CSprite::CollidePoint(const SpritePlacement& placed, int32_t px, int32_t py) const
{
    if (!ReadsMasks(*this)) {
        return true;
    }
    if (frameCount <= 0 || !CanCollide(placed)) {
        return false;
    }
    const FrameMapper mapper(*this, placed);
    int64_t u = 0;
    int64_t v = 0;
    const auto fx = static_cast<float>(px);
    const auto fy = static_cast<float>(py);
    const bool mapped = std::fabs(placed.angle) < kAngleEpsilon ? mapper.Scaled(fx, fy, &u, &v)
                                                                : mapper.Rotated(fx, fy, true, &u, &v);
    return mapped && mapper.Solid(u, v);
}

bool CSprite::CollideRectangle(const SpritePlacement& placed, int32_t left, int32_t top, int32_t right,
                               int32_t bottom) const
{
    if (!ReadsMasks(*this)) {
        return true;
    }
    if (frameCount <= 0 || !CanCollide(placed)) {
        return false;
    }
    return ScanMask(*this, placed, Overlap(placed, left, top, right, bottom), [](int64_t, int64_t) { return true; });
}

bool CSprite::CollideEllipse(const SpritePlacement& placed, int32_t left, int32_t top, int32_t right,
                             int32_t bottom) const
{
    if (!ReadsMasks(*this)) {
        return true;
    }
    const int64_t cx = (int64_t{left} + right) / 2;
    const int64_t cy = (int64_t{top} + bottom) / 2;
    const int64_t rx = (int64_t{right} - left) / 2;
    const int64_t ry = (int64_t{bottom} - top) / 2;
    // An ellipse one pixel across has no radius to divide by: it is its
    // rectangle.
    if (rx == 0 || ry == 0) {
        return CollideRectangle(placed, left, top, right, bottom);
    }
    if (frameCount <= 0 || !CanCollide(placed)) {
        return false;
    }
    return ScanMask(*this, placed, Overlap(placed, left, top, right, bottom), [&](int64_t px, int64_t py) {
        const double dx = static_cast<double>(px - cx) / static_cast<double>(rx);
        const double dy = static_cast<double>(py - cy) / static_cast<double>(ry);
        return dx * dx + dy * dy <= 1.0;
    });
}

bool CSprite::CollideLine(const SpritePlacement& placed, int32_t x1, int32_t y1, int32_t x2, int32_t y2) const
{
    if (!ReadsMasks(*this)) {
        return true;
    }
    if (frameCount <= 0 || !CanCollide(placed)) {
        return false;
    }
    if (x1 == x2 || y1 == y2) {
        return CollideRectangle(placed, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
    }
    const FrameMapper mapper(*this, placed);
    const auto hits = [&](float px, float py) {
        int64_t u = 0;
        int64_t v = 0;
        return mapper.Rotated(px, py, true, &u, &v) && mapper.Solid(u, v);
    };
    const int64_t width = std::abs(int64_t{x2} - x1);
    const int64_t height = std::abs(int64_t{y2} - y1);
    if (width < height) {
        if (y1 > y2) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const float slope = static_cast<float>(int64_t{x2} - x1) / static_cast<float>(int64_t{y2} - y1);
        const int64_t last = std::min<int64_t>(placed.bottom, y2);
        for (int64_t py = std::max<int64_t>(placed.top, y1); py <= last; ++py) {
            if (hits(static_cast<float>(py - y1) * slope + static_cast<float>(x1), static_cast<float>(py))) {
                return true;
            }
        }
        return false;
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const float slope = static_cast<float>(int64_t{y2} - y1) / static_cast<float>(int64_t{x2} - x1);
    const int64_t last = std::min<int64_t>(placed.right, x2);
    for (int64_t px = std::max<int64_t>(placed.left, x1); px <= last; ++px) {
        if (hits(static_cast<float>(px), static_cast<float>(px - x1) * slope + static_cast<float>(y1))) {
            return true;
        }
    }
    return false;
}

}  // namespace bw
