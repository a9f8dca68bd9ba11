// The setters that keep an instance's motion fields consistent, and its
// bounding box. Angles are degrees, counter-clockwise, with y pointing down:
// direction d moves by (cos d, -sin d). All arithmetic is f32 like the fields.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "world/instance.h"
#include "world/instance_collision.h"
#include "world/resource_lookups.h"

namespace bw {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kSnapDistance = 9.999999747378752e-05f;
constexpr int32_t kNoMaskSide = -100000;

float DegreesToRadians(float degrees)
{
    return degrees * kPi / 180.0f;
}

// A place on the path from 0 to 1; one that is not a number is the start.
float PathFraction(float position)
{
    return std::isnan(position) ? 0.0f : std::clamp(position, 0.0f, 1.0f);
}

// Motion values within a hair of a whole number become that number, so that
// speed 1 in direction 90 gives hspeed 0 exactly.
float Snap(float value)
{
    const float whole = std::nearbyint(value);
    return std::fabs(value - whole) < kSnapDistance ? whole : value;
}

// Each run of the repeated steps below moves a value by 360; a value so large
// that the steps could not change it is reduced first.
float ReduceDirection(float direction)
{
    if (!(std::fabs(direction) < 360000.0f)) {
        direction = std::fmod(direction, 360.0f);
    }
    while (direction < 0.0f) {
        direction += 360.0f;
    }
    while (direction > 360.0f) {
        direction -= 360.0f;
    }
    return std::fmod(direction, 360.0f) + 0.0f;  // + 0 turns -0 into 0
}

}  // namespace

void CInstance::UpdateFromDirection()
{
    const float radians = DegreesToRadians(i_direction);
    i_hspeed = Snap(std::cos(radians) * i_speed);
    i_vspeed = Snap(-std::sin(radians) * i_speed);
    i_bboxdirty = 1;
}

void CInstance::UpdateFromHV()
{
    if (i_hspeed == 0.0f) {
        i_direction = i_vspeed > 0.0f ? 270.0f : (i_vspeed < 0.0f ? 90.0f : 0.0f);
    } else {
        const float angle = std::atan2(i_vspeed, i_hspeed) * 180.0f / kPi;
        // 0 - angle, not -angle: a motion right is direction 0, never -0.
        i_direction = angle > 0.0f ? 360.0f - angle : 0.0f - angle;
    }
    i_direction = std::fmod(Snap(i_direction), 360.0f);
    i_speed = Snap(std::sqrt(i_hspeed * i_hspeed + i_vspeed * i_vspeed));
    i_bboxdirty = 1;
}

void CInstance::SetDirection(float direction)
{
    i_direction = ReduceDirection(direction);
    UpdateFromDirection();
}

void CInstance::SetSpeed(float speed)
{
    if (speed != i_speed) {
        i_speed = speed;
        UpdateFromDirection();
    }
}

void CInstance::SetHSpeed(float hspeed)
{
    if (hspeed != i_hspeed) {
        i_hspeed = hspeed;
        UpdateFromHV();
    }
}

void CInstance::SetVSpeed(float vspeed)
{
    if (vspeed != i_vspeed) {
        i_vspeed = vspeed;
        UpdateFromHV();
    }
}

void CInstance::AddMotion(float direction, float length)
{
    const float radians = DegreesToRadians(direction);
    i_hspeed += std::cos(radians) * length;
    i_vspeed -= std::sin(radians) * length;
    UpdateFromHV();
}

void CInstance::ApplyFrictionGravity()
{
    if (i_friction != 0.0f && i_speed != 0.0f) {
        const float slowed = i_speed > 0.0f ? i_speed - i_friction : i_speed + i_friction;
        // Friction brings the instance to rest; it never turns it round.
        if ((i_speed > 0.0f && slowed < 0.0f) || (i_speed < 0.0f && slowed > 0.0f)) {
            i_speed = 0.0f;
            UpdateFromDirection();
        } else if (slowed != i_speed) {
            i_speed = slowed;
            UpdateFromDirection();
        }
    }
    if (i_gravity != 0.0f) {
        AddMotion(i_gravitydir, i_gravity);
    }
}

void CInstance::SetPosition(float x, float y)
{
    if (x == i_x && y == i_y) {
        return;
    }
    i_x = x;
    i_y = y;
    i_bboxdirty = 1;
}

void CInstance::SetMaskIndex(int32_t mask)
{
    if (mask != i_maskindex) {
        i_maskindex = mask;
        i_bboxdirty = 1;
    }
}

void CInstance::SetImageXScale(float scale)
{
    if (scale != i_imagescalex) {
        i_imagescalex = scale;
        i_bboxdirty = 1;
    }
}

void CInstance::SetImageYScale(float scale)
{
    if (scale != i_imagescaley) {
        i_imagescaley = scale;
        i_bboxdirty = 1;
    }
}

void CInstance::SetImageAngle(float angle)
{
    if (angle != i_imageangle) {
        i_imageangle = angle;
        i_bboxdirty = 1;
    }
}

void CInstance::SetPathPosition(float position)
{
    i_pathposition = PathFraction(position);
}

void CInstance::SetPathPositionPrevious(float position)
{
    i_pathpositionprevious = PathFraction(position);
}

void CInstance::SetPathSpeed(float speed)
{
    i_pathspeed = speed;
}

void CInstance::ComputeBBox()
{
    SpriteInfo mask;
    if (!Sprite_GetInfo(i_maskindex >= 0 ? i_maskindex : i_spriteindex, &mask)) {
        i_precise = 0;
        i_bbox = InstanceBBox{kNoMaskSide, kNoMaskSide, kNoMaskSide, kNoMaskSide};
        i_bboxdirty = 0;
        return;
    }
    const auto left = static_cast<float>(mask.bboxLeft);
    const auto right = static_cast<float>(mask.bboxRight);
    const auto top = static_cast<float>(mask.bboxTop);
    const auto bottom = static_cast<float>(mask.bboxBottom);
    const auto xorigin = static_cast<float>(mask.xorigin);
    const auto yorigin = static_cast<float>(mask.yorigin);
    if (i_imageangle == 0.0f) {
        i_bbox.left = Instance_RoundCoordinate((left - xorigin) * i_imagescalex + i_x);
        i_bbox.right = Instance_RoundCoordinate((right - left + 1.0f) * i_imagescalex +
                                                static_cast<float>(i_bbox.left) - 1.0f);
        i_bbox.top = Instance_RoundCoordinate((top - yorigin) * i_imagescaley + i_y);
        i_bbox.bottom = Instance_RoundCoordinate((bottom - top + 1.0f) * i_imagescaley +
                                                 static_cast<float>(i_bbox.top) - 1.0f);
        if (i_bbox.left > i_bbox.right) {
            std::swap(i_bbox.left, i_bbox.right);
        }
        if (i_bbox.top > i_bbox.bottom) {
            std::swap(i_bbox.top, i_bbox.bottom);
        }
    } else {
        const float x1 = (std::min(left, right) - xorigin) * i_imagescalex;
        const float x2 = (std::max(left, right) - xorigin + 1.0f) * i_imagescalex - 1.0f;
        const float y1 = (std::min(top, bottom) - yorigin) * i_imagescaley;
        const float y2 = (std::max(top, bottom) - yorigin + 1.0f) * i_imagescaley - 1.0f;
        const float radians = DegreesToRadians(i_imageangle);
        const float c = std::cos(radians);
        const float s = std::sin(radians);
        i_bbox.left = Instance_RoundCoordinate(i_x + std::min(c * x1, c * x2) + std::min(s * y1, s * y2));
        i_bbox.right = Instance_RoundCoordinate(i_x + std::max(c * x1, c * x2) + std::max(s * y1, s * y2));
        i_bbox.top = Instance_RoundCoordinate(i_y + std::min(c * y1, c * y2) - std::max(s * x1, s * x2));
        i_bbox.bottom = Instance_RoundCoordinate(i_y + std::max(c * y1, c * y2) - std::min(s * x1, s * x2));
    }
    i_precise = mask.precise ? 1 : 0;
    i_bboxdirty = 0;
}

const InstanceBBox& CInstance::GetBBox()
{
    if (i_bboxdirty) {
        ComputeBBox();
    }
    return i_bbox;
}

}  // namespace bw
