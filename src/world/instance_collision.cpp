// An instance against points, rectangles, ellipses, lines and other
// instances. The bounding boxes decide first; the mask sprite's pixel masks
// decide only when the caller asks for precision and the sprite is precise.
#include "world/instance_collision.h"

#include <algorithm>
#include <cmath>

#include "platform/strings.h"
#include "world/resource_lookups.h"

namespace bw {

namespace {

constexpr float kCoordinateLimit = 1073741824.0f;  // 2^30

int32_t MaskSpriteOf(const CInstance& instance)
{
    return instance.i_maskindex >= 0 ? instance.i_maskindex : instance.i_spriteindex;
}

// The mask sprite when the instance can collide at all: not destroyed or
// deactivated, not folded flat by a scale of 0, with a mask sprite that has
// frames.
bool CollidableMask(const CInstance& instance, SpriteInfo* info)
{
    if (instance.i_marked || instance.i_deactivated || instance.i_imagescalex == 0.0f ||
        instance.i_imagescaley == 0.0f) {
        return false;
    }
    return Sprite_GetInfo(MaskSpriteOf(instance), info) && info->frameCount > 0;
}

int32_t FrameOf(const CInstance& instance)
{
    const float index = instance.i_imageindex;
    if (!(std::fabs(index) < kCoordinateLimit)) {
        return 0;
    }
    return static_cast<int32_t>(index);  // truncated toward zero
}

SpritePlacement PlacementOf(const CInstance& instance)
{
    SpritePlacement placed;
    placed.frame = FrameOf(instance);
    placed.left = instance.i_bbox.left;
    placed.top = instance.i_bbox.top;
    placed.right = instance.i_bbox.right;
    placed.bottom = instance.i_bbox.bottom;
    placed.x = Instance_RoundCoordinate(instance.i_x);
    placed.y = Instance_RoundCoordinate(instance.i_y);
    placed.xscale = instance.i_imagescalex;
    placed.yscale = instance.i_imagescaley;
    placed.angle = instance.i_imageangle;
    return placed;
}

// The rectangle (corners in any order) against the inclusive box.
bool BoxMeetsRectangle(const InstanceBBox& box, float x1, float y1, float x2, float y2)
{
    const double left = std::fmin(x1, x2);
    const double right = std::fmax(x1, x2);
    const double top = std::fmin(y1, y2);
    const double bottom = std::fmax(y1, y2);
    return !(left >= box.right + 1.0 || box.left > right || top >= box.bottom + 1.0 || box.top > bottom);
}

InstanceBBox RoundedRectangle(float x1, float y1, float x2, float y2)
{
    return {Instance_RoundCoordinate(std::fmin(x1, x2)), Instance_RoundCoordinate(std::fmin(y1, y2)),
            Instance_RoundCoordinate(std::fmax(x1, x2)), Instance_RoundCoordinate(std::fmax(y1, y2))};
}

}  // namespace

int32_t Instance_RoundCoordinate(float value)
{
    const float held = std::isnan(value) ? -kCoordinateLimit : std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
    return static_cast<int32_t>(Real_ToInt64(static_cast<double>(held)));
}

bool Rect_EllipseContains(const InstanceBBox& rect, int32_t x, int32_t y)
{
    const int64_t cx = (int64_t{rect.left} + rect.right) / 2;
    const int64_t cy = (int64_t{rect.top} + rect.bottom) / 2;
    const int64_t rx = (int64_t{rect.right} - rect.left) / 2;
    const int64_t ry = (int64_t{rect.bottom} - rect.top) / 2;
    if (rx == 0 || ry == 0) {
        return false;
    }
    const double dx = static_cast<double>(x - cx) / static_cast<double>(rx);
    const double dy = static_cast<double>(y - cy) / static_cast<double>(ry);
    return dx * dx + dy * dy <= 1.0;
}

bool CInstance::CollisionPoint(float x, float y, bool precise)
{
    const InstanceBBox& box = GetBBox();
    SpriteInfo mask;
    if (!CollidableMask(*this, &mask)) {
        return false;
    }
    const double px = x;
    const double py = y;
    if (!(box.left <= px && px < box.right + 1.0 && box.top <= py && py < box.bottom + 1.0)) {
        return false;
    }
    const auto test = World_ResourceLookups().spriteCollision.point;
    if (!precise || !mask.precise || test == nullptr) {
        return true;
    }
    return test(MaskSpriteOf(*this), PlacementOf(*this), Instance_RoundCoordinate(x), Instance_RoundCoordinate(y));
}

bool CInstance::CollisionRectangle(float x1, float y1, float x2, float y2, bool precise)
{
    const InstanceBBox& box = GetBBox();
    SpriteInfo mask;
    if (!CollidableMask(*this, &mask) || !BoxMeetsRectangle(box, x1, y1, x2, y2)) {
        return false;
    }
    const auto test = World_ResourceLookups().spriteCollision.rectangle;
    if (!precise || !mask.precise || test == nullptr) {
        return true;
    }
    const InstanceBBox rect = RoundedRectangle(x1, y1, x2, y2);
    return test(MaskSpriteOf(*this), PlacementOf(*this), rect.left, rect.top, rect.right, rect.bottom);
}

bool CInstance::CollisionEllipse(float x1, float y1, float x2, float y2, bool precise)
{
    const InstanceBBox& box = GetBBox();
    SpriteInfo mask;
    if (!CollidableMask(*this, &mask) || !BoxMeetsRectangle(box, x1, y1, x2, y2)) {
        return false;
    }
    const InstanceBBox rect = RoundedRectangle(x1, y1, x2, y2);
    // Less than two pixels across, the ellipse has no radius to measure by:
    // it is its rectangle.
    if (rect.right - rect.left < 2 || rect.bottom - rect.top < 2) {
        return CollisionRectangle(x1, y1, x2, y2, precise);
    }
    const int32_t cx = static_cast<int32_t>((int64_t{rect.left} + rect.right) / 2);
    const int32_t cy = static_cast<int32_t>((int64_t{rect.top} + rect.bottom) / 2);
    const bool centreAcross = (box.left <= cx && cx <= box.right) || (box.top <= cy && cy <= box.bottom);
    if (!centreAcross && !Rect_EllipseContains(rect, box.left, box.top) &&
        !Rect_EllipseContains(rect, box.right, box.top) && !Rect_EllipseContains(rect, box.left, box.bottom) &&
        !Rect_EllipseContains(rect, box.right, box.bottom)) {
        return false;
    }
    const auto test = World_ResourceLookups().spriteCollision.ellipse;
    if (!precise || !mask.precise || test == nullptr) {
        return true;
    }
    return test(MaskSpriteOf(*this), PlacementOf(*this), rect.left, rect.top, rect.right, rect.bottom);
}

bool CInstance::CollisionLine(float x1, float y1, float x2, float y2, bool precise)
{
    const InstanceBBox& box = GetBBox();
    SpriteInfo mask;
    if (!CollidableMask(*this, &mask) || !BoxMeetsRectangle(box, x1, y1, x2, y2)) {
        return false;
    }
    double ax = x1;
    double ay = y1;
    double bx = x2;
    double by = y2;
    if (ax > bx) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    // Cut the segment to the box's columns, the y values following the line.
    const double left = box.left;
    const double right = box.right + 1.0;
    if (ax < left) {
        ay += (by - ay) * (left - ax) / (bx - ax);
        ax = left;
    }
    if (bx > right) {
        by = ay + (by - ay) * (right - ax) / (bx - ax);
        bx = right;
    }
    if ((ay < box.top && by < box.top) || (ay >= box.bottom + 1.0 && by >= box.bottom + 1.0)) {
        return false;
    }
    const auto test = World_ResourceLookups().spriteCollision.line;
    if (!precise || !mask.precise || test == nullptr) {
        return true;
    }
    return test(MaskSpriteOf(*this), PlacementOf(*this), Instance_RoundCoordinate(static_cast<float>(ax)),
                Instance_RoundCoordinate(static_cast<float>(ay)), Instance_RoundCoordinate(static_cast<float>(bx)),
                Instance_RoundCoordinate(static_cast<float>(by)));
}

bool CInstance::CollisionInstance(CInstance& other, bool precise)
{
    if (&other == this) {
        return false;
    }
    const InstanceBBox& box = GetBBox();
    const InstanceBBox& otherBox = other.GetBBox();
    SpriteInfo mask;
    SpriteInfo otherMask;
    if (!CollidableMask(*this, &mask) || !CollidableMask(other, &otherMask)) {
        return false;
    }
    if (!(otherBox.left < box.right + 1 && otherBox.right + 1 > box.left && otherBox.top < box.bottom + 1 &&
          otherBox.bottom + 1 > box.top)) {
        return false;
    }
    const auto test = World_ResourceLookups().spriteCollision.sprite;
    if (!precise || (!mask.precise && !otherMask.precise) || test == nullptr) {
        return true;
    }
    return test(MaskSpriteOf(*this), PlacementOf(*this), MaskSpriteOf(other), PlacementOf(other));
}

}  // namespace bw
